#include "ReverseEffect.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
// The host position as the effect counts it: the low 32 bits as a signed int.
int32_t low32 (int64_t position) noexcept
{
    return static_cast<int32_t> (static_cast<uint32_t> (static_cast<uint64_t> (position)));
}

void resizeSilent (juce::AudioBuffer<float>& buffer, int channels, int samples)
{
    buffer.setSize (channels, samples, false, false, true);

    if (! buffer.hasBeenCleared())
        buffer.clear();
}
} // namespace

ReverseEffect::ReverseEffect()
    : captureBuffer (2, 20 * 44100),
      reversedBuffer (2, 20 * 44100)
{
    captureBuffer.clear();
    reversedBuffer.clear();
}

void ReverseEffect::prepare (double newSampleRate, int, int newNumChannels)
{
    // Truncate the rate first, then multiply, as whole numbers. A rate that is
    // not a positive finite number leaves no capacity, so nothing is processed.
    const double rate = std::isfinite (newSampleRate) ? juce::jlimit (0.0, maxSupportedSampleRate, newSampleRate) : 0.0;
    const int capacity = static_cast<int> (rate) * maxSeconds;
    const int channels = juce::jmax (2, newNumChannels);

    resizeSilent (captureBuffer, channels, capacity);
    resizeSilent (reversedBuffer, channels, capacity);

    setSampleRate (newSampleRate);

    readIndex = segmentLength;
    writeIndex = 0;
    reversedReady = false;
}

void ReverseEffect::process (float* left, float* right, int numSamples)
{
    if (positionInfo == nullptr || ! positionInfo->isPlaying)
    {
        wasPlaying = false;
        return;
    }

    const int length = segmentLength;

    if (length < 1 || length > getCapacity())
        return;

    const int32_t start = low32 (positionInfo->timeInSamples);

    if (! wasPlaying)
    {
        const int32_t remainder = start % length;
        writeIndex = remainder < 0 ? 0 : remainder;
        readIndex = length;
        reversedReady = false;
    }

    float* captureLeft = captureBuffer.getWritePointer (0);
    float* captureRight = captureBuffer.getWritePointer (1);
    const float* reversedLeft = reversedBuffer.getReadPointer (0);
    const float* reversedRight = reversedBuffer.getReadPointer (1);

    for (int i = 0; i < numSamples; ++i)
    {
        const auto position = static_cast<int32_t> (static_cast<uint32_t> (start) + static_cast<uint32_t> (i));

        if (position % length <= 0)
            writeIndex = 0;

        captureLeft[writeIndex] = left[i];
        captureRight[writeIndex] = right[i];
        ++writeIndex;

        if (writeIndex < length)
        {
            if (! reversedReady)
                continue;

            readIndex = juce::jmax (0, readIndex - 1);
        }
        else
        {
            writeIndex = 0;
            reversedReady = true;
            buildReversedCopy (length);
            readIndex = length - 1;
        }

        left[i] = reversedLeft[readIndex];
        right[i] = reversedRight[readIndex];
    }

    wasPlaying = true;
}

void ReverseEffect::buildReversedCopy (int length)
{
    // The ramp length in single precision, truncated; kept inside 0..length
    // so that an out-of-range fade cannot make the ramps misbehave.
    const float rampLength = fade.load (std::memory_order_relaxed) * static_cast<float> (length);
    const int ramp = rampLength >= 0.0f ? static_cast<int> (juce::jmin (rampLength, static_cast<float> (length))) : 0;

    // With no ramp the step is infinite, which still gives gains of 0 then 1.
    const float step = ramp > 0 ? 1.0f / static_cast<float> (ramp) : std::numeric_limits<float>::infinity();

    const float* captureLeft = captureBuffer.getReadPointer (0);
    const float* captureRight = captureBuffer.getReadPointer (1);
    float* reversedLeft = reversedBuffer.getWritePointer (0);
    float* reversedRight = reversedBuffer.getWritePointer (1);

    float gain = 0.0f;

    for (int j = 0; j < length; ++j)
    {
        reversedLeft[j] = captureLeft[j] * gain;
        reversedRight[j] = captureRight[j] * gain;

        if (j <= ramp)
            gain = juce::jmin (gain + step, 1.0f);
        else if (j >= length - ramp)
            gain = juce::jmax (gain - step, 0.0f);
    }
}
