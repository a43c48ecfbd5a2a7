// The cost of the audio path. Each benchmark reports, besides the time, the
// share of the block's real-time budget it used ("budget": 1.0 = all of it).

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include "HostTransport.h"
#include "plugin/PluginProcessor.h"

namespace
{
constexpr double rate = 48000.0;

struct Setup
{
    explicit Setup (int blockSize)
        : audio (2, blockSize)
    {
        processor.setRateAndBufferSizeDetails (rate, blockSize);
        processor.prepareToPlay (rate, blockSize);
        processor.setPlayHead (&transport);
        transport.sampleRate = rate;

        juce::Random random (7);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < blockSize; ++i)
                audio.setSample (ch, i, random.nextFloat() - 0.5f);
    }

    ~Setup() { processor.setPlayHead (nullptr); }

    void processOneBlock()
    {
        const juce::ScopedLock lock (processor.getCallbackLock());
        processor.processBlock (audio, midi);
    }

    CorvaneLoopAudioProcessor processor;
    HostTransport transport;
    juce::AudioBuffer<float> audio;
    juce::MidiBuffer midi;
};

void reportBudget (benchmark::State& state, int blockSize)
{
    const double blockSeconds = blockSize / rate;
    state.counters["budget"] = benchmark::Counter ((double) state.iterations() * blockSeconds,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed ((int64_t) state.iterations() * blockSize);
}

// Steady play at 120 bpm with quarter-bar segments (24000 samples), so the
// cost of each segment's reversed copy is spread over the blocks as in use.
void steadyPlaying (benchmark::State& state)
{
    const int blockSize = (int) state.range (0);
    Setup setup (blockSize);

    for (auto _ : state)
    {
        setup.processOneBlock();
        setup.transport.advance (blockSize);
        benchmark::DoNotOptimize (setup.audio.getReadPointer (0));
    }

    reportBudget (state, blockSize);
}

// The one 64-sample block in which a 20-second segment (4 bars at 48 bpm)
// completes and its whole reversed copy is built.
void longSegmentCompletion (benchmark::State& state)
{
    const int blockSize = 64;
    Setup setup (blockSize);
    setup.processor.loopChanged (5.0f);
    setup.transport.bpm = 48.0;
    const int length = setup.processor.reverse.getCapacity();
    setup.transport.timeInSamples = length - blockSize / 2;

    for (auto _ : state)
    {
        state.PauseTiming();
        setup.processor.reverse.wasPlaying = false; // align again: the completion falls mid-block
        state.ResumeTiming();

        setup.processOneBlock();
        benchmark::DoNotOptimize (setup.audio.getReadPointer (0));
    }

    if (setup.processor.reverse.segmentLength != length || ! setup.processor.reverse.reversedReady)
        state.SkipWithError ("the block did not complete a 20-second segment");

    reportBudget (state, blockSize);
}
} // namespace

BENCHMARK (steadyPlaying)->Arg (64)->Arg (512);
BENCHMARK (longSegmentCompletion)->Unit (benchmark::kMicrosecond);

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
