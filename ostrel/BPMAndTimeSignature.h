#pragma once

#include <juce_events/juce_events.h>

namespace ostrel
{

/** Holds a tempo and time signature for listeners, who are told on the
    message thread (every 250 ms at most) after the holder was marked changed. */
class BPMAndTimeSignature : public juce::Timer
{
public:
    class Listener
    {
    public:
        virtual void tempoChanged (double bpm, int denominator, int numerator) = 0;

    protected:
        ~Listener() = default;
    };

    BPMAndTimeSignature();
    ~BPMAndTimeSignature() override;

    void timerCallback() override;

    juce::Array<Listener*> listeners;
    double bpm = 120.0;
    double reciprocal = 1.0 / 120.0;
    int numerator = 4;
    int denominator = 4;
    bool changed = false;
};

} // namespace ostrel
