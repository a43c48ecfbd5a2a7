#include <gtest/gtest.h>

#include "ProcessorTestRig.h"

namespace
{
const juce::String freshDocument =
    R"(<PluginState preset="Init" bank="Arps" PresetVersion="0" revOn="1.0" fade="0.0" mix="1.0" loop="0.20000000298023223877">)"
    R"(<SeqPreset Version="2" Seq="" Speed="0.0" Steps="16" ArpMode="0" Name="---" Human="0"/></PluginState>)";

juce::MemoryBlock chunkOf (juce::AudioProcessor& processor)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);
    return chunk;
}

/** A chunk around any text, with the length field given or the text's own. */
juce::MemoryBlock chunkAround (const juce::String& text, juce::int64 declaredLength = -1)
{
    juce::MemoryOutputStream out;
    out.write ("VC2!", 4);
    out.writeInt ((int) (declaredLength >= 0 ? declaredLength : (juce::int64) text.getNumBytesAsUTF8()));
    out.write (text.toRawUTF8(), text.getNumBytesAsUTF8());
    out.writeByte (0);
    return out.getMemoryBlock();
}

void load (juce::AudioProcessor& processor, const juce::MemoryBlock& chunk)
{
    processor.setStateInformation (chunk.getData(), (int) chunk.getSize());
}

juce::String textOf (const juce::MemoryBlock& chunk)
{
    return juce::String::fromUTF8 (static_cast<const char*> (chunk.getData()) + 8, (int) chunk.getSize() - 9);
}

/** Counts state listener calls. */
struct CountingProcessor : CorvaneLoopAudioProcessor
{
    void presetLoaded() override { ++loads; }
    int loads = 0;
};
} // namespace

TEST (StateChunk, AFreshProcessorsChunkWrapsTheWorkedExample)
{
    CorvaneLoopAudioProcessor processor;
    const auto chunk = chunkOf (processor);
    const auto* bytes = static_cast<const juce::uint8*> (chunk.getData());
    const auto length = (size_t) freshDocument.getNumBytesAsUTF8();

    ASSERT_EQ (chunk.getSize(), length + 9);
    EXPECT_EQ (juce::MemoryBlock (bytes, 4), juce::MemoryBlock ("VC2!", 4));
    EXPECT_EQ (bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] << 24), (int) length);
    EXPECT_EQ (textOf (chunk), freshDocument);
    EXPECT_EQ (bytes[chunk.getSize() - 1], 0);
    EXPECT_EQ (chunk, chunkAround (freshDocument)) << "byte for byte";
}

TEST (StateChunk, ARestoredProcessorSoundsTheSame)
{
    ProcessorRig original;
    original.processor.getParameters()[1]->setValue (0.7f);
    original.processor.getParameters()[2]->setValue (0.35f);
    original.processor.getParameters()[3]->setValue (0.4f);
    const auto chunk = chunkOf (original.processor);

    ProcessorRig restored;
    load (restored.processor, chunk);

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (restored.processor.getParameters()[i]->getValue(), original.processor.getParameters()[i]->getValue()) << i;

    original.processor.prepareToPlay (44100.0, 512);   // both start from settled ramps
    restored.processor.prepareToPlay (44100.0, 512);
    const auto input = testSignal (3 * 44100);
    EXPECT_EQ (restored.render (input), original.render (input));
    EXPECT_EQ (chunkOf (restored.processor), chunk);
}

TEST (StateChunk, EditorSizeTravelsOnlyOnceRecorded)
{
    CorvaneLoopAudioProcessor processor;
    EXPECT_FALSE (textOf (chunkOf (processor)).contains ("UIWidth")) << "no size recorded, none saved";
    EXPECT_EQ (processor.pluginState.stringParameters.size(), 0);

    processor.lastEditorWidth = 900;
    processor.lastEditorHeight = 600;
    EXPECT_TRUE (textOf (chunkOf (processor)).contains (R"(loop="0.20000000298023223877" UIWidth="900" UIHeight="600">)"));

    processor.lastEditorWidth = 450;
    processor.lastEditorHeight = 300;
    const auto second = chunkOf (processor);
    EXPECT_TRUE (textOf (second).contains (R"(UIWidth="450" UIHeight="300")"));
    EXPECT_EQ (processor.pluginState.stringParameters.size(), 2) << "one UIWidth and one UIHeight";

    // A processor that never saved a size has no such string parameters: a
    // loaded size is not remembered.
    CorvaneLoopAudioProcessor fresh;
    load (fresh, second);
    EXPECT_EQ (fresh.lastEditorWidth.load(), 0);
    EXPECT_EQ (fresh.lastEditorHeight.load(), 0);

    processor.lastEditorWidth = 0;
    processor.lastEditorHeight = 0;
    load (processor, second);
    EXPECT_EQ (processor.lastEditorWidth.load(), 450);
    EXPECT_EQ (processor.lastEditorHeight.load(), 300);
}

TEST (StateChunk, ImpossibleEditorSizesCountAsNone)
{
    for (const char* size : { "0", "-5", "16385", "99999999999", "abc", "" })
    {
        CorvaneLoopAudioProcessor processor;
        processor.lastEditorWidth = 900;
        processor.lastEditorHeight = 600;
        auto text = textOf (chunkOf (processor));
        text = text.replace ("UIWidth=\"900\"", juce::String ("UIWidth=\"") + size + "\"");
        load (processor, chunkAround (text));
        EXPECT_EQ (processor.lastEditorWidth.load(), 0) << size;
        EXPECT_EQ (processor.lastEditorHeight.load(), 600) << size;
    }
}

TEST (StateChunk, ChunksThatHoldNoDocumentChangeNothing)
{
    const auto good = [] {
        CorvaneLoopAudioProcessor source;
        source.getParameters()[2]->setValue (0.25f);
        return chunkOf (source);
    }();
    const auto goodText = textOf (good);

    auto swapped = good;
    std::swap (static_cast<char*> (swapped.getData())[0], static_cast<char*> (swapped.getData())[3]);

    auto notUtf8 = good;   // two bytes that no UTF-8 text holds, inside the preset name
    static_cast<char*> (notUtf8.getData())[8 + goodText.indexOf ("Init")] = (char) 0xff;
    static_cast<char*> (notUtf8.getData())[9 + goodText.indexOf ("Init")] = (char) 0xfe;

    juce::MemoryBlock nested;
    {
        juce::String text ("<PluginState mix=\"0.25\">");
        for (int i = 0; i < 100000; ++i) text << "<a>";
        nested = chunkAround (text);
    }

    struct Case { const char* name; juce::MemoryBlock chunk; };
    const Case cases[] = {
        { "empty", juce::MemoryBlock() },
        { "eight bytes", juce::MemoryBlock (good.getData(), 8) },
        { "magic byte-swapped", swapped },
        { "zero length", chunkAround (goodText, 0) },
        { "negative length", chunkAround (goodText, 0x80000000LL) },
        { "cut in a tag", juce::MemoryBlock (good.getData(), 60) },
        { "not XML", chunkAround ("mix=0.25, all of it") },
        { "another root", chunkAround (goodText.replace ("PluginState", "State")) },
        { "not UTF-8", notUtf8 },
        { "deep nesting", nested },
        { "document type", chunkAround ("<!DOCTYPE x [<!ENTITY a \"aaaa\">]><PluginState mix=\"0.25\"/>") },
    };

    for (const auto& c : cases)
    {
        CountingProcessor processor;
        load (processor, c.chunk);
        EXPECT_EQ (processor.getParameters()[2]->getValue(), 1.0f) << c.name;
        EXPECT_EQ (processor.loads, 0) << c.name << ": no state listener is called";
        EXPECT_FALSE (processor.isSuspended()) << c.name;
    }

    {
        CountingProcessor processor;
        load (processor, good);
        EXPECT_EQ (processor.getParameters()[2]->getValue(), 0.25f) << "the good chunk itself loads";
        EXPECT_EQ (processor.loads, 1);
    }
}

TEST (StateChunk, DeclaredLengthsBeyondTheBytesReadWhatIsPresent)
{
    CorvaneLoopAudioProcessor source;
    source.getParameters()[3]->setValue (0.8f);
    const auto text = textOf (chunkOf (source));

    for (const juce::int64 extra : { 100LL, 1LL << 30, 0x7fffffffLL - (juce::int64) text.getNumBytesAsUTF8() })
    {
        auto chunk = chunkAround (text, (juce::int64) text.getNumBytesAsUTF8() + extra);
        chunk.setSize (chunk.getSize() - 1);   // and no terminating zero either
        CorvaneLoopAudioProcessor processor;
        load (processor, chunk);
        EXPECT_EQ (processor.getParameters()[3]->getValue(), 0.8f) << extra;
    }
}

TEST (StateChunk, OversizedDocumentsAreRefused)
{
    juce::String text ("<PluginState mix=\"0.25\" pad=\"");
    text << juce::String::repeatedString ("x", ostrel::ExoAudioProcessor::maxDocumentBytes) << "\"/>";
    CountingProcessor processor;
    load (processor, chunkAround (text));
    EXPECT_EQ (processor.loads, 0);
    EXPECT_EQ (processor.getParameters()[2]->getValue(), 1.0f);
}
