#include <gtest/gtest.h>

#include "ostrel/AudioComponent.h"

namespace
{
// Doubles every sample and counts how often the sample rate was set.
struct Doubler : ostrel::AudioComponent
{
    using ostrel::AudioComponent::process;
    float process (float input) override { return 2.0f * input; }
    void setSampleRate (double rate) override
    {
        ++rateCalls;
        ostrel::AudioComponent::setSampleRate (rate);
    }
    int rateCalls = 0;
};

struct Silent : ostrel::AudioComponent
{
};
} // namespace

TEST (AudioComponent, BaseIsSilentAndStartsAtDefaults)
{
    Silent component;
    EXPECT_EQ (component.process (0.7f), 0.0f);
    EXPECT_EQ (component.process(), 0.0f);
    EXPECT_EQ (component.sampleRate, 44100.0);
    EXPECT_EQ (component.blockSize, 0);
    EXPECT_EQ (component.numChannels, 2);
}

TEST (AudioComponent, BufferFormDispatchesByChannelCount)
{
    struct Case { int channels; bool processed; };

    for (const auto c : { Case { 1, true }, Case { 2, true }, Case { 3, false }, Case { 0, false } })
    {
        Doubler component;
        juce::AudioBuffer<float> buffer (c.channels, 4);

        for (int ch = 0; ch < c.channels; ++ch)
            for (int i = 0; i < 4; ++i)
                buffer.setSample (ch, i, (float) (ch * 10 + i));

        component.process (buffer);

        for (int ch = 0; ch < c.channels; ++ch)
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ (buffer.getSample (ch, i), (float) (ch * 10 + i) * (c.processed ? 2.0f : 1.0f))
                    << c.channels << " channels, channel " << ch << " sample " << i;
    }
}

TEST (AudioComponent, PrepareStoresSettingsThroughTheVirtualSetter)
{
    Doubler component;
    component.prepare (48000.0, 256, 1);
    EXPECT_EQ (component.rateCalls, 1);
    EXPECT_EQ (component.sampleRate, 48000.0);
    EXPECT_EQ (component.blockSize, 256);
    EXPECT_EQ (component.numChannels, 1);
}
