// libFuzzer target for the host state chunk: every input goes through
// setStateInformation of a fresh processor, then the processor must still be
// in a state a host can use. A broken rule prints what broke and aborts, so
// libFuzzer keeps the input as a crash.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "plugin/PluginProcessor.h"

namespace
{
[[noreturn]] void fail (const char* what, const juce::String& detail = {})
{
    std::fprintf (stderr, "state chunk rule broken: %s %s\n", what, detail.toRawUTF8());
    std::abort();
}

void checkLoadedProcessor (CorvaneLoopAudioProcessor& processor)
{
    for (auto* parameter : processor.pluginState.parameters)
        if (! std::isfinite (parameter->getValue()))
            fail ("parameter value is not finite:", parameter->parameterID);

    const int width = processor.lastEditorWidth.load();
    const int height = processor.lastEditorHeight.load();

    if (width < 0 || width > ostrel::ExoAudioProcessor::maxEditorSide
        || height < 0 || height > ostrel::ExoAudioProcessor::maxEditorSide)
        fail ("editor size out of range:", juce::String (width) + "x" + juce::String (height));
}

bool nearlyEqual (float a, float b)
{
    // Values are saved with 20 decimal places, which does not keep every
    // float below about 1e-13 exactly.
    return std::abs (a - b) <= 1.0e-12f + 1.0e-6f * std::abs (a);
}

struct Settings
{
    juce::Array<float> values;
    int steps = 0, editorWidth = 0, editorHeight = 0;
};

Settings settingsOf (CorvaneLoopAudioProcessor& processor)
{
    Settings settings;

    for (auto* parameter : processor.pluginState.parameters)
        settings.values.add (parameter->getValue());

    settings.steps = processor.pluginState.sequencer.steps.size();
    settings.editorWidth = processor.lastEditorWidth.load();
    settings.editorHeight = processor.lastEditorHeight.load();
    return settings;
}

// What the processor saves must be a chunk it accepts and that loads again
// to the same settings. It is loaded back into the same processor: a second
// processor per input would halve the speed, as each one allocates and
// clears the effect's capture buffers (tens of megabytes).
void checkSavedChunk (CorvaneLoopAudioProcessor& processor)
{
    juce::MemoryBlock chunk;
    processor.getStateInformation (chunk);

    const auto document = ostrel::ExoAudioProcessor::documentFromChunk (chunk.getData(), (int) chunk.getSize());

    if (document == nullptr)
        fail ("the saved chunk is not accepted");

    if (! document->hasTagName ("PluginState"))
        fail ("the saved document has the root", document->getTagName());

    const auto before = settingsOf (processor);
    processor.setStateInformation (chunk.getData(), (int) chunk.getSize());
    checkLoadedProcessor (processor);
    const auto after = settingsOf (processor);

    for (int i = 0; i < before.values.size(); ++i)
        if (! nearlyEqual (before.values[i], after.values[i]))
            fail ("parameter changed on reload:", processor.pluginState.parameters[i]->parameterID + " "
                                                      + juce::String (before.values[i], 9) + " -> "
                                                      + juce::String (after.values[i], 9));

    if (before.steps != after.steps)
        fail ("sequencer step count changed on reload:", juce::String (before.steps) + " -> " + juce::String (after.steps));

    if (before.editorWidth != after.editorWidth || before.editorHeight != after.editorHeight)
        fail ("editor size changed on reload");
}

// Parameter changes post an update message each; no message loop runs here,
// so they are delivered (to nobody) after every input instead of piling up.
// The posted call makes sure there is something to dispatch, so the loop
// returns at once.
void drainMessageQueue()
{
    auto* messageManager = juce::MessageManager::getInstance();
    juce::MessageManager::callAsync ([] {});
    messageManager->runDispatchLoopUntil (0);
}
} // namespace

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    // JUCE lives as long as the process. A plain static initialiser would be
    // destroyed after the statics JUCE creates later (the DeletedAtShutdown
    // list, first used by the timer thread a processor starts), and its
    // shutdown would then free that list a second time. So a first processor
    // creates them now, and JUCE is shut down by a handler registered after
    // them, which runs before they are destroyed.
    static juce::ScopedJuceInitialiser_GUI* juceInitialiser = new juce::ScopedJuceInitialiser_GUI();

    {
        CorvaneLoopAudioProcessor first;
    }

    std::atexit ([] { delete juceInitialiser; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > (size_t) std::numeric_limits<int>::max())
        return 0;

    {
        CorvaneLoopAudioProcessor processor;
        processor.setStateInformation (data, (int) size);
        checkLoadedProcessor (processor);
        checkSavedChunk (processor);
    }

    drainMessageQueue();
    return 0;
}
