#include "SequencerSteps.h"

namespace ostrel
{

void SequencerSteps::addStep (int value1, int value2, float amount, bool flag)
{
    auto step = std::make_unique<Step>();
    step->value1 = value1;
    step->value2 = value2;
    step->amount = amount;
    step->flag = flag;

    const juce::ScopedLock sl (lock);
    steps.add (step.release());
}

} // namespace ostrel
