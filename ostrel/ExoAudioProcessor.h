#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

#include "PluginState.h"

namespace ostrel
{

/** The library's base for a plug-in's processor: it embeds the state
    registry, creates the look-and-feel the editor installs, remembers the
    editor's last size and answers the host's program, channel and MIDI
    questions with fixed values. */
class ExoAudioProcessor : public juce::AudioProcessor,
                          public PluginState::Listener
{
public:
    explicit ExoAudioProcessor (const BusesProperties& buses);
    ~ExoAudioProcessor() override;

    const juce::String getName() const override;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int index) const override;
    bool isOutputChannelStereoPair (int index) const override;
    bool silenceInProducesSilenceOut() const override;

    /** Called after a state load; does nothing here. */
    void presetLoaded() override;

    /** Translates a value saved by an older parameter layout; the identity here. */
    virtual float LoadingOldParameterValueFromPreset (const juce::String& parameterID, float value);

    PluginState pluginState;

    /** The editor's size as the editor last set it; 0 while none is known.
        Written on the message thread, read when the state is saved. */
    std::atomic<int> lastEditorWidth { 0 };
    std::atomic<int> lastEditorHeight { 0 };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ExoAudioProcessor)
};

} // namespace ostrel
