// Replays the state chunk fuzzer's starting inputs (tests/fuzz/corpus) through
// setStateInformation and checks the rules the fuzzer checks, so that every
// build runs them without a fuzzer.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

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

//==============================================================================
// The element limit (maxDocumentElements) is checked on the text before JUCE's
// recursive parser runs, so that no document can nest deeper than it. The
// documents below hide their nesting from a check that follows quotes,
// comments and entities the way XML does, but not from the parser.
namespace
{
juce::MemoryBlock chunkHolding (const juce::String& text)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356); // "VC2!"
    out.writeInt ((int) text.getNumBytesAsUTF8());
    out << text;
    out.writeByte (0);
    return out.getMemoryBlock();
}

bool accepted (const juce::MemoryBlock& chunk)
{
    return ostrel::ExoAudioProcessor::documentFromChunk (chunk.getData(), (int) chunk.getSize()) != nullptr;
}

juce::String repeated (const char* text, int times)
{
    return juce::String::repeatedString (text, times);
}

constexpr int tooDeep = ostrel::ExoAudioProcessor::maxDocumentElements + 36;
} // namespace

TEST (StateChunkNesting, DocumentWithinTheLimitIsAccepted)
{
    const auto chunk = chunkHolding ("<PluginState>" + repeated ("<a>", 60) + repeated ("</a>", 60) + "</PluginState>");
    EXPECT_TRUE (accepted (chunk));
}

TEST (StateChunkNesting, PlainDeepDocumentIsRefused)
{
    const auto chunk = chunkHolding ("<PluginState>" + repeated ("<a>", tooDeep) + repeated ("</a>", tooDeep) + "</PluginState>");
    EXPECT_FALSE (accepted (chunk));
}

// The parser skips a closing tag up to its first '>', quotes and all: a
// check that took the quote as the start of a value would stop counting until
// the next quote, here in the innermost element's text.
TEST (StateChunkNesting, QuoteInAClosingTagDoesNotHideNesting)
{
    const auto chunk = chunkHolding ("<PluginState><b></b \">" + repeated ("<a>", tooDeep) + "\""
                                     + repeated ("</a>", tooDeep) + "</PluginState>");
    EXPECT_FALSE (accepted (chunk)) << "nested deeper than maxDocumentElements, yet accepted";
}

// An unknown entity is parsed as markup by JUCE: "&<x/><!--;" gives an
// element x and an unterminated comment that ends the entity quietly, while
// a check that followed comments would skip everything up to the next "-->",
// here in the innermost element's text.
TEST (StateChunkNesting, CommentOpenedInAnEntityDoesNotHideNesting)
{
    const auto chunk = chunkHolding ("<PluginState>&<x/><!--;" + repeated ("<a>", tooDeep) + "-->"
                                     + repeated ("</a>", tooDeep) + "</PluginState>");
    EXPECT_FALSE (accepted (chunk)) << "nested deeper than maxDocumentElements, yet accepted";
}

// The same hidden nesting a million levels deep: the recursive parser runs
// out of stack and takes the host down (on an 8 MiB stack about 25,000
// levels, a 75 KB chunk, are enough in a Release build, 5,000 under
// AddressSanitizer). Run in a child process so that the crash fails this test
// alone; the child leaves with _Exit, so nothing at exit runs in it.
TEST (StateChunkNesting, HiddenDeepNestingDoesNotCrashTheHost)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    constexpr int levels = 1000000;
    const auto chunk = chunkHolding ("<PluginState><b></b \">" + repeated ("<a>", levels) + "\""
                                     + repeated ("</a>", levels) + "</PluginState>");

    EXPECT_EXIT (
        {
            CorvaneLoopAudioProcessor processor;
            loadChunk (processor, chunk);
            std::_Exit (0);
        },
        testing::ExitedWithCode (0), "");
}

//==============================================================================
// Step amounts are saved with 5 decimal places, counted in a 64-bit integer.
// An amount from about 9.2e13 up does not fit it: the conversion is undefined
// behaviour, and on x86 the step is saved as -92233720368547.75808.
TEST (StateChunkNumbers, LargeStepAmountIsSavedAsItself)
{
    CorvaneLoopAudioProcessor processor;
    loadChunk (processor, chunkHolding ("<PluginState><SeqPreset Version=\"2\" Seq=\"60,100,1e15,1\"/></PluginState>"));
    ASSERT_EQ (processor.pluginState.sequencer.steps.size(), 1);
    ASSERT_EQ (processor.pluginState.sequencer.steps[0]->amount, 1.0e15f);

    CorvaneLoopAudioProcessor reloaded;
    loadChunk (reloaded, savedChunk (processor));
    ASSERT_EQ (reloaded.pluginState.sequencer.steps.size(), 1);
    EXPECT_FLOAT_EQ (reloaded.pluginState.sequencer.steps[0]->amount, 1.0e15f);
}
