#include "ExoAudioProcessor.h"

namespace ostrel
{

ExoAudioProcessor::ExoAudioProcessor (const BusesProperties& buses)
    : juce::AudioProcessor (buses),
      pluginState (this)
{
    // Read and written only where it exists; nothing here creates it.
    pluginState.dataFolder = juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory)
                                 .getChildFile ("Application Support")
                                 .getChildFile ("OstrelVST");

    pluginState.lookAndFeel = std::make_unique<juce::LookAndFeel_V4>();
    pluginState.stateListeners.addIfNotAlreadyThere (this);
}

ExoAudioProcessor::~ExoAudioProcessor()
{
    pluginState.stateListeners.removeAllInstancesOf (this);
}

const juce::String ExoAudioProcessor::getName() const { return JucePlugin_Name; }
double ExoAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool ExoAudioProcessor::acceptsMidi() const { return false; }
bool ExoAudioProcessor::producesMidi() const { return false; }
bool ExoAudioProcessor::hasEditor() const { return true; }

int ExoAudioProcessor::getNumPrograms() { return 1; }
int ExoAudioProcessor::getCurrentProgram() { return 0; }
void ExoAudioProcessor::setCurrentProgram (int) {}
const juce::String ExoAudioProcessor::getProgramName (int) { return pluginState.presetName; }
void ExoAudioProcessor::changeProgramName (int, const juce::String&) {}

void ExoAudioProcessor::getStateInformation (juce::MemoryBlock&) {}
void ExoAudioProcessor::setStateInformation (const void*, int) {}

const juce::String ExoAudioProcessor::getInputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
const juce::String ExoAudioProcessor::getOutputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
bool ExoAudioProcessor::isInputChannelStereoPair (int) const { return true; }
bool ExoAudioProcessor::isOutputChannelStereoPair (int) const { return true; }
bool ExoAudioProcessor::silenceInProducesSilenceOut() const { return false; }

void ExoAudioProcessor::presetLoaded() {}

float ExoAudioProcessor::LoadingOldParameterValueFromPreset (const juce::String&, float value)
{
    return value;
}

} // namespace ostrel
