#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ProcessorTestRig.h"

TEST (ProcessorAudioPath, SegmentLengths)
{
    struct Case { double bpm; int denominator; double bars; double rate; int capacity; int expected; };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        { 120.0, 4, 0.25, 44100.0, 882000, 22050 },
        { 120.0, 4, 1.0, 44100.0, 882000, 88200 },      // 3/4: four beats, the denominator counts
        { 90.0, 8, 0.5, 48000.0, 960000, 128000 },      // 6/8
        { 120.0, 4, 0.125, 44100.0, 882000, 11025 },
        { 133.0, 4, 0.25, 44100.0, 882000, 19894 },     // 19894.736... truncated
        { 48.0, 4, 4.0, 44100.0, 882000, 882000 },      // exactly the capacity
        { 40.0, 4, 4.0, 44100.0, 882000, 882000 },      // 24 s, limited to 20 s
        { 120.0, 4096, 4.0, 44100.0, 882000, 882000 },
        { 1e-300, 4, 1.0, 44100.0, 882000, 882000 },
        { 0.0, 4, 0.25, 44100.0, 882000, 0 },           // no tempo from the host
        { -120.0, 4, 0.25, 44100.0, 882000, 0 },
        { nan, 4, 0.25, 44100.0, 882000, 0 },
        { inf, 4, 0.25, 44100.0, 882000, 0 },
        { 120.0, 4, 0.25, 0.0, 882000, 0 },             // not prepared
        { 120.0, 0, 0.25, 44100.0, 882000, 0 },
        { 120.0, -4, 0.25, 44100.0, 882000, 0 },
        { 120.0, 4, 0.25, nan, 882000, 0 },
        { 1e9, 4, 0.125, 44100.0, 882000, 0 },          // below one sample
        { 120.0, 4, 0.25, 44100.0, 0, 0 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (CorvaneLoopAudioProcessor::computeSegmentLength (c.bpm, c.denominator, c.bars, c.rate, c.capacity), c.expected)
            << c.bpm << " bpm, /" << c.denominator << ", " << c.bars << " bars, " << c.rate << " Hz";
}

TEST (ProcessorAudioPath, HostPositionFields)
{
    juce::AudioPlayHead::PositionInfo position;
    auto info = CorvaneLoopAudioProcessor::toCurrentPositionInfo (position);
    EXPECT_EQ (info.bpm, 0.0) << "no tempo from the host reads as 0";
    EXPECT_EQ (info.timeSigDenominator, 4);
    EXPECT_EQ (info.timeSigNumerator, 4);
    EXPECT_EQ (info.timeInSamples, 0);
    EXPECT_FALSE (info.isPlaying);

    position.setBpm (97.5);
    position.setTimeSignature (juce::AudioPlayHead::TimeSignature { 6, 8 });
    position.setTimeInSamples (-1234);
    position.setIsRecording (true);
    info = CorvaneLoopAudioProcessor::toCurrentPositionInfo (position);
    EXPECT_EQ (info.bpm, 97.5);
    EXPECT_EQ (info.timeSigNumerator, 6);
    EXPECT_EQ (info.timeSigDenominator, 8);
    EXPECT_EQ (info.timeInSamples, -1234);
    EXPECT_TRUE (info.isPlaying) << "recording counts as playing";
}

TEST (ProcessorAudioPath, BlocksPassUntouchedWithoutAPlayingTransport)
{
    struct Case { const char* name; bool available; bool playing; bool tempoKnown; bool hasPlayHead; };
    const Case cases[] = {
        { "stopped", true, false, true, true },
        { "no position", false, true, true, true },
        { "no tempo", true, true, false, true },
        { "no play head", true, true, true, false },
    };

    for (const auto& c : cases)
    {
        ProcessorRig rig;
        rig.transport.available = c.available;
        rig.transport.playing = c.playing;
        rig.transport.tempoKnown = c.tempoKnown;
        const auto input = testSignal (50000);
        auto audio = ProcessorRig::stereo (input);
        const auto original = audio;

        if (c.hasPlayHead)
        {
            rig.render (audio);
        }
        else
        {
            juce::MidiBuffer midi;
            rig.processor.processBlock (audio, midi);
        }

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < audio.getNumSamples(); ++i)
                ASSERT_EQ (audio.getSample (ch, i), original.getSample (ch, i)) << c.name << " " << ch << " " << i;

        EXPECT_FALSE (rig.processor.reverse.wasPlaying) << c.name << ": the effect is not called";
        EXPECT_EQ (rig.processor.reverse.positionInfo, nullptr) << c.name;
    }
}

TEST (ProcessorAudioPath, PlayingReversesQuarterBarsByDefault)
{
    ProcessorRig rig;
    const auto input = testSignal (22050 * 3);
    const auto out = rig.render (input);

    EXPECT_EQ (rig.processor.reverse.segmentLength, 22050);

    for (int i = 0; i < 22049; ++i)
        ASSERT_EQ (out[(size_t) i], input[(size_t) i]) << "first segment passes through, " << i;

    // The second segment is heard during the third, reversed, at full gain
    // away from the 0.5 % ramps at its ends.
    for (int k = 200; k < 21800; ++k)
        ASSERT_EQ (out[(size_t) (44099 + k)], input[(size_t) (44099 - k)]) << k;
}

TEST (ProcessorAudioPath, BeforeTheFirstCompletionOutputIsTheInput)
{
    for (const float mix : { 0.0f, 0.3f, 1.0f })
        for (const float on : { 0.0f, 1.0f })
        {
            ProcessorRig rig;
            rig.processor.mixChanged (mix);
            rig.processor.reverseChanged (on);
            rig.processor.prepareToPlay (44100.0, 512); // settle the ramps
            const auto input = testSignal (22000);
            const auto out = rig.render (input);

            for (size_t i = 0; i < input.size(); ++i)
                ASSERT_NEAR (out[i], input[i], 1e-6f) << "mix " << mix << ", on " << on << ", " << i;
        }
}

TEST (ProcessorAudioPath, SwitchedOffTheOutputIsTheInputExactly)
{
    ProcessorRig rig;
    rig.processor.reverseChanged (0.0f);
    rig.processor.prepareToPlay (44100.0, 512); // no ramp: off from the first sample
    const auto input = testSignal (100000);
    EXPECT_EQ (rig.render (input), input);
    EXPECT_TRUE (rig.processor.reverse.reversedReady) << "the effect keeps running behind the crossfade";
}

namespace
{
/** A rig whose wet signal is silent from sample 22050 on while the input is
    1.0, so the output shows the crossfade and mix gains directly. */
struct SilentWetRig : ProcessorRig
{
    SilentWetRig()
    {
        render (constant (22050, 0.0f));
        EXPECT_TRUE (processor.reverse.reversedReady);
    }
};
} // namespace

TEST (ProcessorAudioPath, SwitchingOffRampsOverFourMilliseconds)
{
    SilentWetRig rig;
    EXPECT_EQ (rig.render (constant (512, 1.0f))[100], 0.0f) << "fully wet and silent";

    rig.processor.reverseChanged (0.0f);
    const auto out = rig.render (constant (1000, 1.0f));

    // Output = 1 - g while g falls from 1 to 0 over 176 samples.
    for (int i = 0; i < 176; ++i)
        ASSERT_NEAR (out[(size_t) i], (float) (i + 1) / 176.0f, 1e-5f) << i;

    for (size_t i = 176; i < out.size(); ++i)
        ASSERT_EQ (out[i], 1.0f) << i;
}

TEST (ProcessorAudioPath, DryWetRampsOverFortyMillisecondsFromTheNextBlock)
{
    SilentWetRig rig;
    rig.processor.mixChanged (0.0f);
    const auto out = rig.render (constant (2048, 1.0f), 2048);

    for (int i = 0; i < 1764; ++i)
        ASSERT_NEAR (out[(size_t) i], (float) (i + 1) / 1764.0f, 1e-4f) << i;

    for (size_t i = 1764; i < out.size(); ++i)
        ASSERT_EQ (out[i], 1.0f) << i;
}

TEST (ProcessorAudioPath, RampLengthsFollowTheSampleRate)
{
    struct Case { double rate; int mixRamp; int onOffRamp; };

    for (const auto c : { Case { 44100.0, 1764, 176 }, Case { 48000.0, 1920, 192 }, Case { 96000.0, 3840, 384 } })
    {
        ProcessorRig rig (c.rate);
        EXPECT_EQ (rig.processor.mixSmoother.rampSamples, c.mixRamp) << c.rate;
        EXPECT_EQ (rig.processor.onOffSmoother.rampSamples, c.onOffRamp) << c.rate;
    }
}

TEST (ProcessorAudioPath, PrepareEndsRampsDifferentlyForMixAndOnOff)
{
    ProcessorRig rig;
    rig.processor.mixChanged (0.0f);
    rig.processor.reverseChanged (0.0f);
    rig.render (constant (88, 0.0f));
    const float onOffWhereItStood = rig.processor.onOffSmoother.current;
    ASSERT_GT (onOffWhereItStood, 0.0f);

    rig.processor.prepareToPlay (44100.0, 512);
    EXPECT_EQ (rig.processor.mixSmoother.current, 0.0f) << "the mix jumps to its target";
    EXPECT_EQ (rig.processor.mixSmoother.countdown, 0);
    EXPECT_EQ (rig.processor.onOffSmoother.current, onOffWhereItStood) << "the crossfade keeps where it stood";
    EXPECT_EQ (rig.processor.onOffSmoother.countdown, 0);

    // Switching on again ramps from where the interrupted ramp stood.
    rig.processor.reverseChanged (1.0f);
    EXPECT_FLOAT_EQ (rig.processor.onOffSmoother.step, (1.0f - onOffWhereItStood) / 176.0f);
}

TEST (ProcessorAudioPath, SettingsMapToTheAudioMembers)
{
    struct LoopCase { float value; double bars; };
    const LoopCase loops[] = { { 0.0f, 0.125 }, { 0.5f, 0.125 }, { 1.0f, 0.25 }, { 1.5f, 0.5 }, { 2.5f, 0.5 },
                               { 3.0f, 1.0 }, { 4.0f, 2.0 }, { 5.0f, 4.0 }, { 4.6f, 4.0 } };

    for (const auto c : loops)
    {
        CorvaneLoopAudioProcessor processor;
        processor.loopChanged (c.value);
        EXPECT_EQ (processor.loopBars, c.bars) << c.value;
    }

    for (const float outside : { -1.0f, 5.6f, 6.0f, std::numeric_limits<float>::quiet_NaN() })
    {
        CorvaneLoopAudioProcessor processor;
        processor.loopChanged (3.0f);
        processor.loopChanged (outside);
        EXPECT_EQ (processor.loopBars, 1.0) << "keeps its value for " << outside;
    }

    struct OnCase { float value; float target; };

    for (const auto c : { OnCase { 0.5f, 0.0f }, OnCase { 0.51f, 1.0f }, OnCase { 0.0f, 0.0f }, OnCase { 1.0f, 1.0f } })
    {
        CorvaneLoopAudioProcessor processor;
        processor.reverseChanged (c.value);
        EXPECT_EQ (processor.onOffSmoother.target, c.target) << c.value;
    }

    CorvaneLoopAudioProcessor processor;
    processor.fadeChanged (1.0f);
    EXPECT_EQ (processor.reverse.fade.load(), 0.5f);
    processor.fadeChanged (0.01f);
    EXPECT_EQ (processor.reverse.fade.load(), 0.005f);
}

TEST (ProcessorAudioPath, StartsOnFullyWetQuarterBarShortestFade)
{
    CorvaneLoopAudioProcessor processor;
    EXPECT_EQ (processor.loopBars, 0.25);
    EXPECT_EQ (processor.onOffSmoother.current, 1.0f);
    EXPECT_EQ (processor.onOffSmoother.target, 1.0f);
    EXPECT_EQ (processor.onOffSmoother.countdown, 0);
    EXPECT_EQ (processor.mixSmoother.current, 1.0f);
    EXPECT_EQ (processor.mixSmoother.target, 1.0f);
    EXPECT_EQ (processor.mixSmoother.countdown, 0);
    EXPECT_EQ (processor.reverse.fade.load(), 0.005f);
    EXPECT_FALSE (processor.reverse.wasPlaying);
}

TEST (ProcessorAudioPath, LongBlocksEqualTheSameAudioInSmallBlocks)
{
    // Blocks beyond the 65536-sample wet arrays are processed in pieces with
    // the host position moved on, so the block size never shows in the output.
    const auto input = testSignal (300000);

    for (const juce::int64 start : { juce::int64 (0), juce::int64 (12345), juce::int64 (-70000), (juce::int64 (1) << 32) - 100000 })
    {
        ProcessorRig small (44100.0, 512);
        small.transport.timeInSamples = start;
        small.processor.mixChanged (0.6f);
        const auto reference = small.render (input);

        for (const int blockSize : { 65536, 65537, 200000, 300000 })
        {
            ProcessorRig large (44100.0, blockSize);
            large.transport.timeInSamples = start;
            large.processor.mixChanged (0.6f);
            EXPECT_EQ (large.render (input), reference) << "start " << start << ", blocks of " << blockSize;
        }
    }
}

TEST (ProcessorAudioPath, EmptyAndOddBuffersAreSafe)
{
    ProcessorRig rig;
    juce::MidiBuffer midi;
    rig.processor.setPlayHead (&rig.transport);
    rig.transport.timeInSamples = 13;

    juce::AudioBuffer<float> empty (2, 0);
    rig.processor.processBlock (empty, midi);
    EXPECT_TRUE (rig.processor.reverse.wasPlaying) << "an empty playing block aligns the effect";
    EXPECT_EQ (rig.processor.reverse.writeIndex, 13);

    juce::AudioBuffer<float> mono (1, 64);
    mono.clear();
    mono.setSample (0, 3, 0.5f);
    rig.processor.processBlock (mono, midi);
    EXPECT_EQ (mono.getSample (0, 3), 0.5f) << "a buffer without two channels is left alone";

    rig.processor.setPlayHead (nullptr);
}

TEST (ProcessorAudioPath, ExtremeTemposAndRatesNeverLeaveTheBuffers)
{
    struct Case { double bpm; int numerator; int denominator; double rate; };
    const Case cases[] = {
        { 1.0, 4, 64, 44100.0 }, { 999.0, 1, 1, 8000.0 }, { 300.0, 7, 32, 192000.0 }, { 30.0, 4, 4, 22050.0 },
    };

    for (const auto& c : cases)
    {
        ProcessorRig rig (c.rate, 1024);
        rig.transport.bpm = c.bpm;
        rig.transport.numerator = c.numerator;
        rig.transport.denominator = c.denominator;

        for (const int loop : { 0, 5 })
        {
            rig.processor.loopChanged ((float) loop);
            const auto out = rig.render (testSignal (30000));

            for (auto v : out)
                ASSERT_TRUE (std::isfinite (v));

            EXPECT_GE (rig.processor.reverse.segmentLength, 1);
            EXPECT_LE (rig.processor.reverse.segmentLength, rig.processor.reverse.getCapacity());
        }
    }
}
