#include "ExoAudioProcessor.h"

#include "NumberText.h"
#include "OstrelDefaultLookAndFeel.h"

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

    pluginState.lookAndFeel = std::make_unique<OstrelDefaultLookAndFeel>();
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

//==============================================================================
namespace
{
constexpr juce::uint32 chunkMagic = 0x21324356; // the bytes "VC2!" read little-endian

void storeSize (PluginState& state, const char* name, int size)
{
    if (auto* text = state.getStringParameter (name))
        text->value = juce::String (size);
    else
        state.addStringParameter (name, juce::String (size));
}

int rememberedSize (PluginState& state, const char* name)
{
    auto* text = state.getStringParameter (name);
    const int size = text != nullptr ? ostrel::readInteger (text->value) : 0;
    return size > 0 && size <= ExoAudioProcessor::maxEditorSide ? size : 0;
}

// The number of '<' that may open something (anything but "</"). The XML
// parser recurses once per nested element; this count bounds the nesting
// whatever the parser makes of the text in between.
int openingCount (const char* text, int length)
{
    int count = 0;

    for (int i = 0; i < length; ++i)
        if (text[i] == '<' && (i + 1 >= length || text[i + 1] != '/'))
            ++count;

    return count;
}
} // namespace

std::unique_ptr<juce::XmlElement> ExoAudioProcessor::documentFromChunk (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < 9)
        return {};

    const auto* bytes = static_cast<const char*> (data);

    if (juce::ByteOrder::littleEndianInt (bytes) != chunkMagic)
        return {};

    const auto declared = (juce::int32) juce::ByteOrder::littleEndianInt (bytes + 4);

    if (declared <= 0)
        return {};

    const auto length = juce::jmin (sizeInBytes - 8, (int) declared);

    if (length > maxDocumentBytes || ! juce::CharPointer_UTF8::isValidString (bytes + 8, length))
        return {};

    if (openingCount (bytes + 8, length) > maxDocumentElements)
        return {};

    const auto text = juce::String::fromUTF8 (bytes + 8, length);

    if (text.containsIgnoreCase ("<!DOCTYPE") || text.containsIgnoreCase ("<!ENTITY"))
        return {};

    return juce::XmlDocument::parse (text);
}

void ExoAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    if (lastEditorWidth.load (std::memory_order_relaxed) > 0)
    {
        storeSize (pluginState, "UIWidth", lastEditorWidth.load (std::memory_order_relaxed));
        storeSize (pluginState, "UIHeight", lastEditorHeight.load (std::memory_order_relaxed));
    }

    const auto document = pluginState.convertStateToXml();

    {
        juce::MemoryOutputStream out (destData, false);
        out.writeInt ((int) chunkMagic);
        out.writeInt (0); // the length, filled in below
        document->writeTo (out, juce::XmlElement::TextFormat().singleLine().withoutHeader());
        out.writeByte (0);
    }

    const auto textLength = (juce::uint32) (destData.getSize() - 9);
    auto* lengthBytes = static_cast<juce::uint8*> (destData.getData()) + 4;

    for (int i = 0; i < 4; ++i)
        lengthBytes[i] = (juce::uint8) (textLength >> (8 * i));
}

void ExoAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    {
        const juce::ScopedLock lock (getCallbackLock());

        if (const auto document = documentFromChunk (data, sizeInBytes))
            pluginState.updateStateFromXML (document.get());
    }

    lastEditorWidth = rememberedSize (pluginState, "UIWidth");
    lastEditorHeight = rememberedSize (pluginState, "UIHeight");
}

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
