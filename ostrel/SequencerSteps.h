#pragma once

#include <juce_core/juce_core.h>

namespace ostrel
{

/** A step-sequencer or arpeggiator pattern. The registry embeds one and the
    state document always carries it. */
class SequencerSteps
{
public:
    struct Step
    {
        int first = 0, second = 0, third = 0;
        int value1 = 0;
        int value2 = 0;
        float amount = 0.5f;
        float gain = 1.0f;
        bool flag = false;
    };

    class Listener
    {
    public:
        virtual void sequencerChanged() = 0;

    protected:
        ~Listener() = default;
    };

    /** Appends a step under the lock; there is no limit on the number of steps. */
    void addStep (int value1, int value2, float amount, bool flag);

    juce::Array<juce::Array<float>> patterns;
    juce::OwnedArray<Step> steps;
    int arpMode = 0;
    int numSteps = 16;
    double speed = 0.0;
    juce::String name = "---";
    bool human = false;
    int version = 2;
    juce::Array<Listener*> listeners;
    juce::CriticalSection lock;
};

} // namespace ostrel
