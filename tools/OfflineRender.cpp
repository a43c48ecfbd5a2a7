#include "OfflineRender.h"

void renderInBlocks (juce::AudioProcessor& processor,
                     HostTransport& transport,
                     juce::AudioBuffer<float>& audio,
                     int blockSize,
                     const std::function<void (juce::int64)>& progress)
{
    jassert (blockSize > 0);

    processor.setPlayHead (&transport);

    const int total = audio.getNumSamples();
    const int channels = audio.getNumChannels();
    juce::MidiBuffer midi;

    for (int start = 0; start < total; start += blockSize)
    {
        const int count = juce::jmin (blockSize, total - start);
        juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), channels, start, count);

        {
            const juce::ScopedLock lock (processor.getCallbackLock());
            processor.processBlock (block, midi);
        }

        transport.advance (count);

        if (progress)
            progress (start + count);
    }

    processor.setPlayHead (nullptr);
}
