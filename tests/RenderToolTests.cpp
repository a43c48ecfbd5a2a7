// corvane-render run as a user runs it.

#include <gtest/gtest.h>

#include <juce_audio_formats/juce_audio_formats.h>

#include "ChildRun.h"

namespace
{
ChildRun render (const juce::StringArray& args)
{
    juce::StringArray command { CORVANE_RENDER };
    command.addArray (args);
    return runChild (command);
}

std::unique_ptr<juce::AudioFormatReader> open (const juce::File& file)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    return std::unique_ptr<juce::AudioFormatReader> (formats.createReaderFor (file));
}

/** The document text inside a saved state chunk. */
juce::String documentIn (const juce::File& chunk)
{
    juce::MemoryBlock data;
    chunk.loadFileAsData (data);
    return data.getSize() > 9 ? juce::String::fromUTF8 (static_cast<const char*> (data.getData()) + 8, (int) data.getSize() - 9) : juce::String();
}

class RenderTool : public testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::createTempFile ("corvane-render-test");
        ASSERT_TRUE (folder.createDirectory());
    }

    void TearDown() override { folder.deleteRecursively(); }

    juce::File file (const char* name) const { return folder.getChildFile (name); }

    juce::File folder;
};
} // namespace

TEST_F (RenderTool, RendersTheDemoAsFloatWav)
{
    const auto out = file ("demo.wav");
    const auto run = render ({ "--demo", "--out", out.getFullPathName() });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_EQ (juce::StringArray::fromLines (run.output.trim()).size(), 1) << "a one-line summary: " << run.output;
    EXPECT_TRUE (run.output.contains (out.getFullPathName()));

    auto reader = open (out);
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->numChannels, 2u);
    EXPECT_EQ (reader->bitsPerSample, 32u);
    EXPECT_TRUE (reader->usesFloatingPointData);
    EXPECT_EQ (reader->sampleRate, 44100.0);
    EXPECT_EQ (reader->lengthInSamples, 8 * 44100);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1) << "no temporary file is left";
}

TEST_F (RenderTool, SwitchedOffTheOutputIsTheInput)
{
    const auto dry = file ("dry.wav");
    const auto out = file ("out.wav");
    ASSERT_EQ (render ({ "--demo", "--out", dry.getFullPathName(), "--bpm", "97" }).exitCode, 0);
    const auto run = render ({ "--in", dry.getFullPathName(), "--out", out.getFullPathName(), "--reverse", "off", "--bpm", "97" });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    auto a = open (dry);
    auto b = open (out);
    ASSERT_TRUE (a != nullptr && b != nullptr);
    ASSERT_EQ (a->lengthInSamples, b->lengthInSamples);
    juce::AudioBuffer<float> x (2, (int) a->lengthInSamples), y (2, (int) b->lengthInSamples);
    a->read (&x, 0, x.getNumSamples(), 0, true, true);
    b->read (&y, 0, y.getNumSamples(), 0, true, true);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < x.getNumSamples(); ++i)
            ASSERT_EQ (x.getSample (ch, i), y.getSample (ch, i)) << ch << " " << i;
}

TEST_F (RenderTool, FailuresAreOneLineAndWriteNothing)
{
    const auto text = file ("notes.txt");
    text.replaceWithText ("not audio");
    const auto demo = file ("demo.wav");
    ASSERT_EQ (render ({ "--demo", "--out", demo.getFullPathName() }).exitCode, 0);
    const auto demoSize = demo.getSize();

    struct Case { juce::StringArray args; int exitCode; const char* mentions; };
    const Case cases[] = {
        { { "--demo" }, 2, "--out" },
        { { "--demo", "--out", file ("x.wav").getFullPathName(), "--bpm", "0" }, 2, "--bpm" },
        { { "--in", text.getFullPathName(), "--out", file ("x.wav").getFullPathName() }, 1, "not a WAV or AIFF" },
        { { "--in", file ("missing.wav").getFullPathName(), "--out", file ("x.wav").getFullPathName() }, 1, "no such file" },
        { { "--in", demo.getFullPathName(), "--out", demo.getFullPathName() }, 1, "is the input" },
        { { "--in", demo.getFullPathName(), "--out", folder.getFullPathName() + "/./demo.wav" }, 1, "is the input" },
        { { "--demo", "--out", file ("no/such/folder/x.wav").getFullPathName() }, 1, "folder does not exist" },
    };

    for (const auto& c : cases)
    {
        const auto run = render (c.args);
        EXPECT_EQ (run.exitCode, c.exitCode) << c.args.joinIntoString (" ") << "\n" << run.output;
        EXPECT_TRUE (run.output.contains (c.mentions)) << run.output;
        EXPECT_EQ (juce::StringArray::fromLines (run.output.trim()).size(), 1) << run.output;
    }

    EXPECT_FALSE (file ("x.wav").exists());
    EXPECT_EQ (demo.getSize(), demoSize) << "the input is never overwritten";
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 2);
}

TEST_F (RenderTool, PresetsKeptAsStateFiles)
{
    const auto preset = file ("half.chunk");
    auto run = render ({ "--save-state", preset.getFullPathName(), "--mix", "0.5", "--loop", "1 Bar" });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (documentIn (preset).contains (R"(mix="0.5")"));

    // The state's settings apply, and given settings change only themselves.
    const auto again = file ("again.chunk");
    run = render ({ "--state", preset.getFullPathName(), "--fade", "0.2", "--save-state", again.getFullPathName() });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    const auto text = documentIn (again);
    EXPECT_TRUE (text.contains (R"(mix="0.5")") && text.contains (R"(loop="0.60000002384185791016")")) << text;
    EXPECT_FALSE (text.contains (R"(fade="0.0")")) << text;

    const auto out = file ("out.wav");
    run = render ({ "--demo", "--state", preset.getFullPathName(), "--out", out.getFullPathName() });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (run.output.contains ("1 Bar segments")) << run.output;
    EXPECT_TRUE (run.output.contains ("mix 50/50")) << run.output;

    const auto junk = file ("junk.chunk");
    junk.replaceWithText ("VC2! but not really");
    run = render ({ "--demo", "--state", junk.getFullPathName(), "--out", file ("x.wav").getFullPathName() });
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (run.output.contains ("holds no Corvane Reverse state")) << run.output;
    EXPECT_FALSE (file ("x.wav").exists());
}
