#include "BPMAndTimeSignature.h"

namespace ostrel
{

BPMAndTimeSignature::BPMAndTimeSignature()
{
    startTimer (250);
}

BPMAndTimeSignature::~BPMAndTimeSignature()
{
    stopTimer();
}

void BPMAndTimeSignature::timerCallback()
{
    if (! changed)
        return;

    for (int i = listeners.size(); --i >= 0;)
        listeners.getUnchecked (i)->tempoChanged (bpm, denominator, numerator);

    changed = false;
}

} // namespace ostrel
