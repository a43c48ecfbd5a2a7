#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

#include "ostrel/ExoAudioProcessor.h"
#include "LinearSmoother.h"
#include "ReverseEffect.h"

// Parameter IDs, shared by the processor and the editor.
inline constexpr const char* REVERSE = "revOn";
inline constexpr const char* FADE = "fade";
inline constexpr const char* MIX = "mix";
inline constexpr const char* LOOP = "loop";

/** The plug-in's processor: while the host's transport plays it reverses the
    input in segments of loopBars bars and mixes the result with the input.
    Its four host parameters, in this order: Reverse ("revOn"), Fade ("fade"),
    Dry/Wet ("mix") and Loop ("loop"). */
class CorvaneLoopAudioProcessor : public ostrel::ExoAudioProcessor
{
public:
    CorvaneLoopAudioProcessor();
    ~CorvaneLoopAudioProcessor() override;

    //==============================================================================
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    /** Only stereo in and stereo out: the audio path needs both channels.
        (The VST2 client refuses other arrangements by itself; this makes the
        other formats refuse them too.) */
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    //==============================================================================
    juce::AudioProcessorEditor* createEditor() override;

    /** The one program has an empty name. */
    const juce::String getProgramName (int index) override;

    //==============================================================================
    // The parameters' callbacks: what the four settings do to the audio path.
    // Each takes the value in the parameter's own units. Reverse, Dry/Wet and
    // Loop take the callback lock, so they land between blocks.

    /** On/off, 0..1: rounded to 0 or 1 (halves to even) and crossfaded over 4 ms. */
    void reverseChanged (float value);
    /** Fade, 0.01..1: the effect's ramps are half of it, so 0.005..0.5 of a segment. */
    void fadeChanged (float value);
    /** Dry/Wet, 0..1: the wet share, ramped over 40 ms. */
    void mixChanged (float value);
    /** Loop choice 0..5 (rounded, halves to even): 1/8, 1/4, 1/2, 1, 2 or 4 bars. */
    void loopChanged (float value);

    /** The segment length in samples for a tempo, time-signature denominator,
        length in bars and sample rate, limited to capacity; 0 when the inputs
        give no usable length (a tempo of 0, a sample rate of 0, ...). */
    static int computeSegmentLength (double bpm, int timeSigDenominator, double bars,
                                     double sampleRate, int capacity) noexcept;

    /** The host position in the fields the audio path reads: a tempo of 0 when
        the host gives none, 4/4 when it gives no time signature, and playing
        while the host plays or records. */
    static juce::AudioPlayHead::CurrentPositionInfo toCurrentPositionInfo (const juce::AudioPlayHead::PositionInfo& position);

    /** The largest number of samples mixed in one go; longer blocks are
        processed in pieces of this size. */
    static constexpr int maxPieceSize = 65536;

    //==============================================================================
    double loopBars = 0.25;
    LinearSmoother onOffSmoother;
    ReverseEffect reverse;
    std::array<float, maxPieceSize> wetLeft;
    std::array<float, maxPieceSize> wetRight;
    LinearSmoother mixSmoother;

private:
    void processPiece (float* left, float* right, int numSamples);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CorvaneLoopAudioProcessor)
};
