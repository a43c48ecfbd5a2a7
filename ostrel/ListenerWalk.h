#pragma once

#include <juce_core/juce_core.h>

namespace ostrel
{

/** Calls a function on every entry of a listener array, from the last added
    to the first. An entry may remove itself or others meanwhile: removed
    entries are skipped and the walk never leaves the array. */
template <typename ListenerArray, typename Function>
void forEachListenerLastFirst (ListenerArray& listeners, Function&& function)
{
    for (int i = listeners.size(); --i >= 0;)
    {
        i = juce::jmin (i, listeners.size() - 1);

        if (i < 0)
            break;

        function (listeners.getUnchecked (i));
    }
}

} // namespace ostrel
