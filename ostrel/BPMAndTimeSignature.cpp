#include "BPMAndTimeSignature.h"

#include "ListenerWalk.h"

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

    forEachListenerLastFirst (listeners, [this] (Listener* l) { l->tempoChanged (bpm, denominator, numerator); });

    changed = false;
}

} // namespace ostrel
