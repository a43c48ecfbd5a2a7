#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

#include "HostTransport.h"

/** Plays a buffer through a processor the way a host does: blocks of a fixed
    size (the last one shorter), the transport advanced after each block. The
    processor must have been prepared; the buffer is processed in place.
    progress, if given, is told the number of samples done after each block. */
void renderInBlocks (juce::AudioProcessor& processor,
                     HostTransport& transport,
                     juce::AudioBuffer<float>& audio,
                     int blockSize,
                     const std::function<void (juce::int64 samplesDone)>& progress = {});
