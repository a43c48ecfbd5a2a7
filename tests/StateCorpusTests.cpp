// Replays the state chunk fuzzer's starting inputs (tests/fuzz/corpus) through
// setStateInformation and checks the rules the fuzzer checks, so that every
// build runs them without a fuzzer.

#include <gtest/gtest.h>

#include <cmath>

#include "plugin/PluginProcessor.h"

namespace
{
const juce::File corpusFolder { CORVANE_STATE_CORPUS };

juce::Array<juce::File> corpusFiles()
{
    auto files = corpusFolder.findChildFiles (juce::File::findFiles, false, "*");
    files.sort();
    return files;
}

juce::MemoryBlock readFile (const juce::File& file)
{
    juce::MemoryBlock bytes;
    EXPECT_TRUE (file.loadFileAsData (bytes)) << file.getFullPathName();
    return bytes;
}

juce::MemoryBlock savedChunk (CorvaneLoopAudioProcessor& processor)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);
    return chunk;
}

void loadChunk (CorvaneLoopAudioProcessor& processor, const juce::MemoryBlock& chunk)
{
    processor.setStateInformation (chunk.getData(), (int) chunk.getSize());
}

void expectUsableState (CorvaneLoopAudioProcessor& processor)
{
    for (auto* parameter : processor.pluginState.parameters)
        EXPECT_TRUE (std::isfinite (parameter->getValue())) << parameter->parameterID;

    EXPECT_GE (processor.lastEditorWidth.load(), 0);
    EXPECT_LE (processor.lastEditorWidth.load(), ostrel::ExoAudioProcessor::maxEditorSide);
    EXPECT_GE (processor.lastEditorHeight.load(), 0);
    EXPECT_LE (processor.lastEditorHeight.load(), ostrel::ExoAudioProcessor::maxEditorSide);
}

// The saved chunk must be one the processor accepts, and give a fresh
// processor the same settings.
void expectSavedChunkLoadsAgain (CorvaneLoopAudioProcessor& processor)
{
    const auto chunk = savedChunk (processor);
    const auto document = ostrel::ExoAudioProcessor::documentFromChunk (chunk.getData(), (int) chunk.getSize());
    ASSERT_NE (document, nullptr);
    EXPECT_TRUE (document->hasTagName ("PluginState"));

    CorvaneLoopAudioProcessor reloaded;
    loadChunk (reloaded, chunk);
    expectUsableState (reloaded);

    const auto& before = processor.pluginState.parameters;
    const auto& after = reloaded.pluginState.parameters;
    ASSERT_EQ (before.size(), after.size());

    for (int i = 0; i < before.size(); ++i)
        EXPECT_NEAR (before[i]->getValue(), after[i]->getValue(), 1.0e-12 + 1.0e-6 * std::abs (before[i]->getValue()))
            << before[i]->parameterID;

    EXPECT_EQ (processor.pluginState.sequencer.steps.size(), reloaded.pluginState.sequencer.steps.size());
    EXPECT_EQ (processor.lastEditorWidth.load(), reloaded.lastEditorWidth.load());
    EXPECT_EQ (processor.lastEditorHeight.load(), reloaded.lastEditorHeight.load());
}

float valueOf (CorvaneLoopAudioProcessor& processor, const char* id)
{
    return processor.pluginState.getParameter (id)->getValue();
}

// The value in the parameter's own units.
float rangedValueOf (CorvaneLoopAudioProcessor& processor, const char* id)
{
    return processor.pluginState.getParameter (id)->getRangedValue();
}
} // namespace

TEST (StateCorpus, HoldsTheStartingInputs)
{
    ASSERT_TRUE (corpusFolder.isDirectory()) << corpusFolder.getFullPathName();
    const auto files = corpusFiles();
    EXPECT_GE (files.size(), 8);

    for (const auto& file : files)
    {
        EXPECT_GT (file.getSize(), 0) << file.getFileName();
        EXPECT_LT (file.getSize(), 4096) << file.getFileName();
    }

    for (const char* name : { "fresh.chunk", "settings.chunk", "editor-size.chunk", "sequencer-v2.chunk",
                              "sequencer-v1.chunk", "lowercase-root.chunk", "truncated.chunk", "wrong-magic.chunk" })
        EXPECT_TRUE (corpusFolder.getChildFile (name).existsAsFile()) << name;
}

TEST (StateCorpus, EveryInputLeavesAUsableStateThatSavesAndLoadsAgain)
{
    for (const auto& file : corpusFiles())
    {
        SCOPED_TRACE (file.getFileName().toStdString());
        CorvaneLoopAudioProcessor processor;
        loadChunk (processor, readFile (file));
        expectUsableState (processor);
        expectSavedChunkLoadsAgain (processor);
    }
}

TEST (StateCorpus, FreshChunkIsWhatAFreshProcessorSaves)
{
    const auto stored = readFile (corpusFolder.getChildFile ("fresh.chunk"));

    CorvaneLoopAudioProcessor fresh;
    EXPECT_EQ (savedChunk (fresh), stored);

    CorvaneLoopAudioProcessor reloaded;
    loadChunk (reloaded, stored);
    EXPECT_EQ (savedChunk (reloaded), stored) << "loading and saving changes nothing";
}

TEST (StateCorpus, SettingsChunksLoadTheirSettings)
{
    // The root tag is matched ignoring case.
    for (const char* name : { "settings.chunk", "lowercase-root.chunk" })
    {
        SCOPED_TRACE (name);
        CorvaneLoopAudioProcessor processor;
        loadChunk (processor, readFile (corpusFolder.getChildFile (name)));
        EXPECT_FLOAT_EQ (rangedValueOf (processor, MIX), 0.5f);
        EXPECT_FLOAT_EQ (rangedValueOf (processor, LOOP), 3.0f);
        EXPECT_FLOAT_EQ (rangedValueOf (processor, FADE), 0.3f);
        EXPECT_FLOAT_EQ (rangedValueOf (processor, REVERSE), 0.0f);
        EXPECT_EQ (processor.loopBars, 1.0);
    }

    // Chunks that hold no state document leave the fresh settings alone.
    for (const char* name : { "truncated.chunk", "wrong-magic.chunk" })
    {
        SCOPED_TRACE (name);
        CorvaneLoopAudioProcessor processor, fresh;
        loadChunk (processor, readFile (corpusFolder.getChildFile (name)));

        for (const char* id : { REVERSE, FADE, MIX, LOOP })
            EXPECT_EQ (valueOf (processor, id), valueOf (fresh, id)) << id;
    }
}

TEST (StateCorpus, SequencerChunksLoadTheirSteps)
{
    for (const char* name : { "sequencer-v2.chunk", "sequencer-v1.chunk" })
    {
        SCOPED_TRACE (name);
        CorvaneLoopAudioProcessor processor;
        loadChunk (processor, readFile (corpusFolder.getChildFile (name)));
        EXPECT_EQ (processor.pluginState.sequencer.steps.size(), 4);
    }
}
