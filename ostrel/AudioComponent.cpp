#include "AudioComponent.h"

namespace ostrel
{

float AudioComponent::process (float)
{
    return 0.0f;
}

float AudioComponent::process()
{
    return 0.0f;
}

void AudioComponent::process (float* samples, int numSamples)
{
    for (int i = 0; i < numSamples; ++i)
        samples[i] = process (samples[i]);
}

void AudioComponent::process (float* left, float* right, int numSamples)
{
    for (int i = 0; i < numSamples; ++i)
    {
        left[i] = process (left[i]);
        right[i] = process (right[i]);
    }
}

void AudioComponent::process (juce::AudioBuffer<float>& buffer)
{
    switch (buffer.getNumChannels())
    {
        case 1:  process (buffer.getWritePointer (0), buffer.getNumSamples()); break;
        case 2:  process (buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples()); break;
        default: break;
    }
}

void AudioComponent::prepare (double newSampleRate, int newBlockSize, int newNumChannels)
{
    setSampleRate (newSampleRate);
    blockSize = newBlockSize;
    numChannels = newNumChannels;
}

void AudioComponent::setSampleRate (double newSampleRate)
{
    sampleRate = newSampleRate;
}

} // namespace ostrel
