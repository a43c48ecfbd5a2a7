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

    /** The state chunk: the bytes "VC2!", the document's length (32-bit
        little-endian), the state document as one line of UTF-8 XML, a zero
        byte. Records the editor size first when one is known. */
    void getStateInformation (juce::MemoryBlock& destData) override;

    /** Loads a state chunk under the callback lock. Anything that is not a
        well-formed chunk holding a state document loads nothing. */
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** The state document held by a chunk, or nullptr when the bytes hold
        none: too short, another magic number, a length of 0 or less, text
        that is not UTF-8 or not well-formed XML, a document type declaration
        (whose entities could expand without bound), or beyond the limits below. */
    static std::unique_ptr<juce::XmlElement> documentFromChunk (const void* data, int sizeInBytes);

    /** The largest document text a chunk may carry, and the most elements it
        may hold (every '<' that does not close an element counts): far beyond
        any real state, and small enough that a hostile chunk cannot exhaust
        memory, or the stack of the recursive XML parser however it nests. */
    static constexpr int maxDocumentBytes = 16 * 1024 * 1024;
    static constexpr int maxDocumentElements = 64;

    /** Editor sizes read from a chunk outside 1..maxEditorSide count as none. */
    static constexpr int maxEditorSide = 16384;

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
