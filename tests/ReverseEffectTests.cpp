#include <gtest/gtest.h>

#include <vector>

#include "plugin/ReverseEffect.h"

namespace
{
/** An effect prepared at a low rate, driven block by block at chosen host positions. */
struct EffectRig
{
    explicit EffectRig (int length, float fade = 0.0f, double rate = 1000.0)
    {
        effect.prepare (rate, 512, 2);
        effect.segmentLength = length;
        effect.fade = fade;
        position.isPlaying = true;
        effect.positionInfo = &position;
    }

    /** Processes a copy of left (right is left negated) starting at host position start. */
    std::vector<float> run (std::vector<float> left, juce::int64 start)
    {
        std::vector<float> right (left.size());

        for (size_t i = 0; i < left.size(); ++i)
            right[i] = -left[i];

        position.timeInSamples = start;
        effect.process (left.data(), right.data(), (int) left.size());

        for (size_t i = 0; i < left.size(); ++i)
            EXPECT_EQ (right[i], -left[i]) << "the channels went apart at " << i;

        return left;
    }

    /** Runs the input in blocks of the given size from host position start. */
    std::vector<float> runInBlocks (const std::vector<float>& input, juce::int64 start, size_t blockSize)
    {
        std::vector<float> out;

        for (size_t offset = 0; offset < input.size(); offset += blockSize)
        {
            const auto end = std::min (input.size(), offset + blockSize);
            const auto block = run (std::vector<float> (input.begin() + (long) offset, input.begin() + (long) end),
                                    start + (juce::int64) offset);
            out.insert (out.end(), block.begin(), block.end());
        }

        return out;
    }

    std::vector<float> reversedCopy (int length) const
    {
        const float* data = effect.reversedBuffer.getReadPointer (0);
        return { data, data + length };
    }

    ReverseEffect effect;
    juce::AudioPlayHead::CurrentPositionInfo position;
};

std::vector<float> ramp (size_t count, float first = 1.0f)
{
    std::vector<float> v (count);

    for (size_t i = 0; i < count; ++i)
        v[i] = first + (float) i;

    return v;
}
} // namespace

TEST (ReverseEffect, StartsUnalignedWithTwentySecondsAt44100)
{
    ReverseEffect effect;
    EXPECT_EQ (effect.captureBuffer.getNumChannels(), 2);
    EXPECT_EQ (effect.captureBuffer.getNumSamples(), 882000);
    EXPECT_EQ (effect.reversedBuffer.getNumSamples(), 882000);
    EXPECT_FALSE (effect.wasPlaying);
    EXPECT_FALSE (effect.reversedReady);
    EXPECT_EQ (effect.segmentLength, 0);
    EXPECT_EQ (effect.positionInfo, nullptr);
    EXPECT_EQ (effect.captureBuffer.getMagnitude (0, 882000), 0.0f);
}

TEST (ReverseEffect, PrepareSizesSilencesAndRestartsTheSegment)
{
    EffectRig rig (8);
    rig.run (ramp (20), 0);
    ASSERT_TRUE (rig.effect.reversedReady);

    rig.effect.segmentLength = 6;
    rig.effect.prepare (48000.7, 99, 2);

    EXPECT_EQ (rig.effect.captureBuffer.getNumSamples(), 48000 * 20);
    EXPECT_EQ (rig.effect.reversedBuffer.getNumSamples(), 48000 * 20);
    EXPECT_EQ (rig.effect.captureBuffer.getMagnitude (0, 48000 * 20), 0.0f);
    EXPECT_EQ (rig.effect.reversedBuffer.getMagnitude (0, 48000 * 20), 0.0f);
    EXPECT_EQ (rig.effect.readIndex, 6);
    EXPECT_EQ (rig.effect.writeIndex, 0);
    EXPECT_FALSE (rig.effect.reversedReady);
    EXPECT_TRUE (rig.effect.wasPlaying) << "prepare leaves the playing flag alone";
    EXPECT_EQ (rig.effect.sampleRate, 48000.7);
    EXPECT_EQ (rig.effect.blockSize, 0) << "the effect's prepare does not record the block size";
}

TEST (ReverseEffect, FirstPlayingBlockAlignsToTheTimeline)
{
    // L = 1000 at host position 2500: capture starts at index 500 and the
    // 500th sample completes the segment.
    EffectRig rig (1000);
    const auto input = ramp (600);
    const auto out = rig.run (input, 2500);

    for (int i = 0; i < 499; ++i)
        ASSERT_EQ (out[(size_t) i], input[(size_t) i]) << i;

    const auto copy = rig.reversedCopy (1000);
    EXPECT_EQ (out[499], copy[999]);
    EXPECT_EQ (copy[999], input[499]) << "without a fade only index 0 is attenuated";

    for (int j = 0; j < 500; ++j)
        ASSERT_EQ (copy[(size_t) j], 0.0f) << "indices before the aligned start hold the silent buffer, " << j;

    for (int j = 500; j < 1000; ++j)
        ASSERT_EQ (copy[(size_t) j], input[(size_t) (j - 500)]) << j;

    // The rest of the block plays the copy backwards.
    for (int i = 500; i < 600; ++i)
        ASSERT_EQ (out[(size_t) i], copy[(size_t) (999 - (i - 499))]) << i;
}

TEST (ReverseEffect, AlignmentOfNegativeStartsCapturesFromZero)
{
    EffectRig rig (8);
    rig.run ({}, -5);
    EXPECT_TRUE (rig.effect.wasPlaying);
    EXPECT_EQ (rig.effect.writeIndex, 0);
    EXPECT_EQ (rig.effect.readIndex, 8);
}

TEST (ReverseEffect, EnvelopeGainsOfTheReversedCopy)
{
    struct Case { int length; float fade; std::vector<float> gains; };
    const Case cases[] = {
        { 8, 0.25f, { 0.0f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.5f } },
        { 8, 0.5f, { 0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 1.0f, 0.75f, 0.5f } },
        { 8, 0.1f, { 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f } },     // E = 0
        { 5, 0.0f, { 0.0f, 1.0f, 1.0f, 1.0f, 1.0f } },
        { 1, 0.5f, { 0.0f } },
    };

    for (const auto& c : cases)
    {
        EffectRig rig (c.length, c.fade);
        rig.run (std::vector<float> ((size_t) c.length, 1.0f), 0);
        ASSERT_TRUE (rig.effect.reversedReady);
        EXPECT_EQ (rig.reversedCopy (c.length), c.gains) << "L " << c.length << ", fade " << c.fade;
    }
}

TEST (ReverseEffect, SteadyPlayHearsEverySegmentOnceReversed)
{
    // The segment ending at sample 8k+7 is heard from that sample through 8k+14.
    EffectRig rig (8, 0.25f);
    const auto out = rig.run (std::vector<float> (40, 1.0f), 0);

    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (out[(size_t) i], 1.0f) << "the first segment passes through, " << i;

    const std::vector<float> heard { 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.5f, 0.0f };

    for (int segment = 0; segment < 4; ++segment)
        for (int k = 0; k < 8; ++k)
            ASSERT_EQ (out[(size_t) (7 + 8 * segment + k)], heard[(size_t) k]) << segment << ", " << k;
}

TEST (ReverseEffect, CompletionReversesTheCapturedOrder)
{
    EffectRig rig (8);
    const auto input = ramp (24);
    const auto out = rig.run (input, 0);

    // Segment 1 (samples 8..15) is heard from sample 15 to 22, last sample first.
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ (out[(size_t) (15 + k)], input[(size_t) (15 - k)]) << k;

    EXPECT_EQ (out[22], 0.0f) << "the segment's first sample has gain 0";
}

TEST (ReverseEffect, OutputDoesNotDependOnTheBlockSize)
{
    // Several completions in one block use the capture as it stood at each one.
    const auto input = ramp (300, -40.0f);

    for (const juce::int64 start : { 0, 3, -20, 1000003 })
    {
        EffectRig whole (16, 0.3f);
        const auto reference = whole.run (input, start);

        for (const size_t blockSize : { 1, 5, 16, 17, 64 })
        {
            EffectRig pieces (16, 0.3f);
            EXPECT_EQ (pieces.runInBlocks (input, start, blockSize), reference) << "start " << start << ", blocks of " << blockSize;
        }
    }
}

TEST (ReverseEffect, ShorteningBelowTheWriteIndexCompletesOnTheNextSample)
{
    EffectRig rig (100);
    const auto input = ramp (51);
    rig.run ({ input.begin(), input.begin() + 50 }, 0);
    ASSERT_EQ (rig.effect.writeIndex, 50);

    rig.effect.segmentLength = 20;
    const auto out = rig.run ({ input[50] }, 50);

    EXPECT_TRUE (rig.effect.reversedReady);
    EXPECT_EQ (rig.effect.writeIndex, 0);
    EXPECT_EQ (rig.effect.readIndex, 19);
    EXPECT_EQ (rig.effect.captureBuffer.getSample (0, 50), input[50]) << "captured at the old index";
    EXPECT_EQ (out[0], input[19]) << "the copy covers the first 20 captured samples";
}

TEST (ReverseEffect, ShorteningOntoABoundaryRestartsTheCapture)
{
    EffectRig rig (100);
    rig.run (ramp (60), 0);
    rig.effect.segmentLength = 20;
    const auto out = rig.run ({ 7.0f }, 60);

    EXPECT_FALSE (rig.effect.reversedReady);
    EXPECT_EQ (rig.effect.writeIndex, 1);
    EXPECT_EQ (out[0], 7.0f);
}

TEST (ReverseEffect, LengtheningHoldsSilenceOnceTheCopyIsUsedUp)
{
    EffectRig rig (8);
    rig.run (ramp (16), 0);            // completions at 7 and 15
    rig.effect.segmentLength = 32;
    const auto out = rig.run (ramp (48, 100.0f), 16);

    for (int k = 0; k < 6; ++k)
        EXPECT_EQ (out[(size_t) k], (float) (15 - k)) << "still playing the last copy, " << k;

    for (int k = 6; k < 47; ++k)
        ASSERT_EQ (out[(size_t) k], 0.0f) << "exact silence while waiting, " << k;

    EXPECT_TRUE (rig.effect.reversedReady);
    EXPECT_EQ (out[47], 147.0f) << "position 63 completes the first 32-sample segment";
}

TEST (ReverseEffect, NegativePositionsNeverComplete)
{
    EffectRig filling (8);
    const auto input = ramp (30);
    EXPECT_EQ (filling.run (input, -40), input) << "while filling the input passes";
    EXPECT_FALSE (filling.effect.reversedReady);

    EffectRig reversing (8);
    reversing.run (ramp (8), 0);
    ASSERT_TRUE (reversing.effect.reversedReady);
    const auto out = reversing.run (ramp (12), -100);

    for (int k = 0; k < 6; ++k)
        EXPECT_EQ (out[(size_t) k], (float) (7 - k)) << "the rest of the copy, " << k;

    for (int k = 6; k < 12; ++k)
        EXPECT_EQ (out[(size_t) k], 0.0f) << "then silence, " << k;
}

TEST (ReverseEffect, StoppedTransportLeavesTheBlockAndDropsTheAlignment)
{
    EffectRig rig (8);
    rig.run (ramp (5), 0);
    rig.position.isPlaying = false;
    const auto input = ramp (10);
    EXPECT_EQ (rig.run (input, 5), input);
    EXPECT_FALSE (rig.effect.wasPlaying);
    EXPECT_EQ (rig.effect.writeIndex, 5) << "nothing else changes";

    rig.effect.positionInfo = nullptr;
    std::vector<float> left (input), right (input);
    rig.effect.process (left.data(), right.data(), 10);
    EXPECT_EQ (left, input);
}

TEST (ReverseEffect, EmptyBlockOnlyAligns)
{
    EffectRig rig (8);
    rig.run ({}, 13);
    EXPECT_TRUE (rig.effect.wasPlaying);
    EXPECT_EQ (rig.effect.writeIndex, 5);

    rig.effect.writeIndex = 2;
    rig.run ({}, 13);
    EXPECT_EQ (rig.effect.writeIndex, 2) << "no new alignment while playing";
}

TEST (ReverseEffect, SegmentLengthOutsideTheCapacityIsIgnored)
{
    for (const int length : { 0, -8, 20 * 1000 + 1 })
    {
        EffectRig rig (length);
        const auto input = ramp (50);
        EXPECT_EQ (rig.run (input, 0), input) << length;
        EXPECT_FALSE (rig.effect.wasPlaying) << length;
        EXPECT_EQ (rig.effect.writeIndex, 0) << length;
    }

    EffectRig full (20 * 1000);
    full.run (ramp (10), 20 * 1000 - 5);
    EXPECT_TRUE (full.effect.reversedReady) << "the whole capacity is usable";
}

TEST (ReverseEffect, UnusableSampleRatesLeaveNoCapacity)
{
    for (const double rate : { 0.0, -44100.0, std::nan (""), std::numeric_limits<double>::infinity() })
    {
        ReverseEffect effect;
        effect.prepare (rate, 512, 2);
        EXPECT_EQ (effect.getCapacity(), 0) << rate;
    }
}
