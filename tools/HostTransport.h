#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** A play head for driving the processor outside a host: a transport whose
    tempo, time signature, position and playing state are set directly. */
class HostTransport : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override;

    /** Moves the position on by a number of samples. */
    void advance (juce::int64 numSamples) noexcept { timeInSamples += numSamples; }

    double sampleRate = 44100.0;
    double bpm = 120.0;
    bool tempoKnown = true;
    int numerator = 4;
    int denominator = 4;
    juce::int64 timeInSamples = 0;
    bool playing = true;
    bool available = true;   ///< false: the position query fails
};
