#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

#include "ostrel/AudioComponent.h"

/** Captures the stereo input in segments that follow the host's timeline and,
    as each segment completes, plays an enveloped copy of it backwards while
    the next one is captured.

    The owner writes positionInfo and segmentLength before every block and
    fade whenever the Fade setting changes; they have no setters.
*/
class ReverseEffect : public ostrel::AudioComponent
{
public:
    ReverseEffect();

    using ostrel::AudioComponent::process;

    /** Processes one stereo block in place. positionInfo must point at the
        host position of the block's first sample, and segmentLength must lie
        between 1 and getCapacity(); outside that range the block is left
        untouched and no state changes. */
    void process (float* left, float* right, int numSamples) override;

    /** Sizes both buffers for maxSeconds at the given rate, silences them and
        restarts the segment. The block size is not used. */
    void prepare (double newSampleRate, int newBlockSize, int newNumChannels) override;

    /** The longest segment the buffers hold, in samples. */
    int getCapacity() const noexcept { return captureBuffer.getNumSamples(); }

    /** Highest sample rate the buffers are sized for; a higher rate gets the
        capacity of this one. */
    static constexpr double maxSupportedSampleRate = 768000.0;

    juce::AudioPlayHead::CurrentPositionInfo* positionInfo = nullptr;

    /** Length of each fade ramp as a fraction of the segment; written by the
        Fade callback without a lock, read when a reversed copy is built. */
    std::atomic<float> fade { 0.0f };

    bool wasPlaying = false;
    int writeIndex = 0;
    int readIndex = 0;
    int maxSeconds = 20;
    int segmentLength = 0;
    bool reversedReady = false;

    juce::AudioBuffer<float> captureBuffer;
    juce::AudioBuffer<float> reversedBuffer;

private:
    void buildReversedCopy (int length);
};
