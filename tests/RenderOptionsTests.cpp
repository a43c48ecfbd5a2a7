#include <gtest/gtest.h>

#include "DemoInput.h"
#include "RenderOptions.h"

namespace
{
RenderOptions parsed (const juce::String& commandLine, juce::String& problem)
{
    RenderOptions options;
    auto args = juce::StringArray::fromTokens (commandLine, " ", "\"");

    for (auto& arg : args)
        arg = arg.unquoted();

    problem = options.parse (args);
    return options;
}
} // namespace

TEST (RenderOptions, Defaults)
{
    juce::String problem;
    const auto options = parsed ("--demo --out x.wav", problem);
    EXPECT_EQ (problem, juce::String());
    EXPECT_TRUE (options.demo);
    EXPECT_EQ (options.outputPath, "x.wav");
    EXPECT_EQ (options.bpm, 120.0);
    EXPECT_EQ (options.numerator, 4);
    EXPECT_EQ (options.denominator, 4);
    EXPECT_FALSE (options.loop.has_value()) << "settings not given keep the plug-in's (or a loaded state's) values";
    EXPECT_EQ (options.blockSize, 512);
    EXPECT_EQ (options.start, 0);
    EXPECT_EQ (options.sampleRate, 44100.0);
    EXPECT_EQ (options.bitsPerSample, 32);
    EXPECT_FALSE (options.reverse.has_value());
    EXPECT_FALSE (options.fade.has_value());
    EXPECT_FALSE (options.mix.has_value());
}

TEST (RenderOptions, EffectSettingsInTheParametersUnits)
{
    juce::String problem;
    const auto options = parsed ("--demo --out x.wav --reverse off --fade 0.5 --mix 0.25", problem);
    EXPECT_EQ (problem, juce::String());
    EXPECT_EQ (options.reverse, false);
    EXPECT_EQ (options.fade, 0.5);
    EXPECT_EQ (options.mix, 0.25);
}

TEST (RenderOptions, AcceptedValues)
{
    struct Case { const char* args; int loop; double bpm; int numerator; int denominator; int block; juce::int64 start; };
    const Case cases[] = {
        { "--loop 0", 0, 120, 4, 4, 512, 0 },
        { "--loop 5", 5, 120, 4, 4, 512, 0 },
        { "--loop \"1/2 Bar\"", 2, 120, 4, 4, 512, 0 },
        { "--loop \"4 Bars\"", 5, 120, 4, 4, 512, 0 },
        { "--bpm 97.5 --time-signature 6/8", 1, 97.5, 6, 8, 512, 0 },
        { "--block 1 --start -44100", 1, 120, 4, 4, 1, -44100 },
        { "--block 1048576 --start 123456789", 1, 120, 4, 4, 1048576, 123456789 },
    };

    for (const auto& c : cases)
    {
        juce::String problem;
        const auto options = parsed (juce::String ("--demo --out x.wav ") + c.args, problem);
        EXPECT_EQ (problem, juce::String()) << c.args;
        EXPECT_EQ (options.loop.value_or (1), c.loop) << c.args;
        EXPECT_EQ (options.bpm, c.bpm) << c.args;
        EXPECT_EQ (options.numerator, c.numerator) << c.args;
        EXPECT_EQ (options.denominator, c.denominator) << c.args;
        EXPECT_EQ (options.blockSize, c.block) << c.args;
        EXPECT_EQ (options.start, c.start) << c.args;
    }
}

TEST (RenderOptions, RefusedArguments)
{
    struct Case { const char* args; const char* mentions; };
    const Case cases[] = {
        { "--out x.wav", "--demo" },
        { "--demo", "--out" },
        { "--demo --in a.wav --out x.wav", "not both" },
        { "--demo --out x.wav --bpm 0", "--bpm" },
        { "--demo --out x.wav --bpm -5", "--bpm" },
        { "--demo --out x.wav --bpm nan", "--bpm" },
        { "--demo --out x.wav --bpm 1e400", "--bpm" },
        { "--demo --out x.wav --bpm fast", "--bpm" },
        { "--demo --out x.wav --time-signature 4", "--time-signature" },
        { "--demo --out x.wav --time-signature 4/0", "--time-signature" },
        { "--demo --out x.wav --time-signature x/4", "--time-signature" },
        { "--demo --out x.wav --loop 6", "--loop" },
        { "--demo --out x.wav --loop 1.5", "--loop" },
        { "--demo --out x.wav --loop \"3 Bars\"", "--loop" },
        { "--demo --out x.wav --block 0", "--block" },
        { "--demo --out x.wav --block 99999999", "--block" },
        { "--demo --out x.wav --start 1.5", "--start" },
        { "--demo --out x.wav --sample-rate 100", "--sample-rate" },
        { "--demo --out x.wav --bits 8", "--bits" },
        { "--demo --out x.wav --reverse maybe", "--reverse" },
        { "--demo --out x.wav --fade 0", "--fade" },
        { "--demo --out x.wav --fade 1.01", "--fade" },
        { "--demo --out x.wav --mix -0.1", "--mix" },
        { "--demo --out x.wav --mix 2", "--mix" },
        { "--demo --out x.wav --mix inf", "--mix" },
        { "--demo --out x.wav --frobnicate 1", "--frobnicate" },
        { "--demo --out x.wav stray", "stray" },
        { "--demo --out", "--out" },
        { "--state s.chunk", "--demo" },
        { "--save-state s.chunk --demo", "--out" },
    };

    for (const auto& c : cases)
    {
        juce::String problem;
        parsed (c.args, problem);
        EXPECT_TRUE (problem.contains (c.mentions)) << c.args << " gave: " << problem;
        EXPECT_FALSE (problem.containsChar ('\n')) << "one line: " << problem;
    }
}

TEST (DemoInput, IsARhythmicStereoPhraseThatRepeatsExactly)
{
    const auto a = makeDemoInput (44100.0, 120.0);
    const auto b = makeDemoInput (44100.0, 120.0);
    ASSERT_EQ (a.getNumChannels(), 2);
    EXPECT_EQ (a.getNumSamples(), 8 * 44100) << "four bars of 4/4 at 120 bpm";

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < a.getNumSamples(); ++i)
            ASSERT_EQ (a.getSample (ch, i), b.getSample (ch, i));

    // Loud on the beats, quieter just before them: attacks a reversal turns around.
    const int beat = 22050;
    for (int n = 1; n < 16; ++n)
        EXPECT_GT (a.getMagnitude (0, n * beat, 2000), 2.0f * a.getMagnitude (0, n * beat - 300, 300)) << "beat " << n;

    EXPECT_LT (a.getMagnitude (0, a.getNumSamples()), 1.0f) << "no clipping";
    EXPECT_NE (a.getRMSLevel (0, 0, a.getNumSamples()), a.getRMSLevel (1, 0, a.getNumSamples())) << "a stereo image";
}
