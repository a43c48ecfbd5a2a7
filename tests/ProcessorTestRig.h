#pragma once

#include <vector>

#include "HostTransport.h"
#include "OfflineRender.h"
#include "plugin/PluginProcessor.h"

/** A prepared processor with a transport, fed stereo test signals in blocks. */
struct ProcessorRig
{
    explicit ProcessorRig (double rate = 44100.0, int size = 512)
        : blockSize (size)
    {
        processor.setRateAndBufferSizeDetails (rate, size);
        processor.prepareToPlay (rate, size);
        transport.sampleRate = rate;
    }

    /** Left channel = left, right channel = right (or left negated when empty). */
    static juce::AudioBuffer<float> stereo (const std::vector<float>& left, std::vector<float> right = {})
    {
        if (right.empty())
            for (auto v : left)
                right.push_back (-v);

        juce::AudioBuffer<float> buffer (2, (int) left.size());

        for (size_t i = 0; i < left.size(); ++i)
        {
            buffer.setSample (0, (int) i, left[i]);
            buffer.setSample (1, (int) i, right[i]);
        }

        return buffer;
    }

    /** Processes the buffer in place in blocks of blockSize, advancing the transport. */
    void render (juce::AudioBuffer<float>& audio, int size = 0)
    {
        renderInBlocks (processor, transport, audio, size > 0 ? size : blockSize);
    }

    std::vector<float> render (const std::vector<float>& left, int size = 0)
    {
        auto audio = stereo (left);
        render (audio, size);
        return { audio.getReadPointer (0), audio.getReadPointer (0) + audio.getNumSamples() };
    }

    CorvaneLoopAudioProcessor processor;
    HostTransport transport;
    int blockSize;
};

inline std::vector<float> constant (size_t count, float value)
{
    return std::vector<float> (count, value);
}

/** A deterministic test signal with no two neighbouring samples alike. */
inline std::vector<float> testSignal (size_t count)
{
    std::vector<float> v (count);
    juce::Random random (42);

    for (auto& x : v)
        x = random.nextFloat() * 2.0f - 1.0f;

    return v;
}
