#include <gtest/gtest.h>

#include "ostrel/OstrelDefaultLookAndFeel.h"
#include "plugin/PluginProcessor.h"

namespace
{
using ostrel::ExoAudioParameter;

struct ArrayListener : ostrel::FloatArrayParameter::Listener
{
    void floatArrayChanged (ostrel::FloatArrayParameter&) override { ++calls; }
    int calls = 0;
};

std::vector<float> values (const ostrel::FloatArrayParameter& array)
{
    return { array.data, array.data + array.size };
}

void fill (ostrel::FloatArrayParameter& array, std::initializer_list<float> v)
{
    std::copy (v.begin(), v.end(), array.data);
}
} // namespace

TEST (PluginState, HostIndicesFollowRegistrationOrder)
{
    CorvaneLoopAudioProcessor processor;
    const auto& registered = processor.pluginState.parameters;
    const char* ids[] = { "revOn", "fade", "mix", "loop" };
    ASSERT_EQ (registered.size(), 4);
    ASSERT_EQ (processor.getParameters().size(), 4);

    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (registered[i]->parameterID, ids[i]);
        EXPECT_EQ (registered[i]->getParameterIndex(), i);
        EXPECT_EQ (processor.getParameters()[i], registered[i]);
        EXPECT_EQ (processor.pluginState.getParameter (ids[i]), registered[i]);
        EXPECT_TRUE (registered[i]->listeners.contains (&processor.pluginState));
    }

    EXPECT_EQ (processor.pluginState.getParameter ("Loop"), nullptr) << "lookup is case-sensitive";
}

TEST (PluginState, BindToFunctionCallsAtOnceAndOnEveryChange)
{
    CorvaneLoopAudioProcessor processor;
    std::vector<float> received;
    processor.pluginState.bindToFunction ("loop", [&received] (float v) { received.push_back (v); });
    EXPECT_EQ (received, std::vector<float> { 1.0f }) << "at once, with the default in the parameter's units";

    processor.pluginState.getParameter ("loop")->setValue (0.6f);
    EXPECT_EQ (received, (std::vector<float> { 1.0f, 3.0f }));
}

TEST (PluginState, BindingAnUnknownIdDoesNothing)
{
    CorvaneLoopAudioProcessor processor;
    int calls = 0;

    for (const char* id : { "lopo", "", "LOOP", "mix " })
        processor.pluginState.bindToFunction (id, [&calls] (float) { ++calls; });

    EXPECT_EQ (calls, 0);

    for (auto* parameter : processor.pluginState.parameters)
    {
        EXPECT_EQ (parameter->callbacks.size(), 1) << parameter->parameterID;
        EXPECT_EQ (parameter->getValue(), parameter->getDefaultValue());
    }
}

TEST (PluginState, StringParametersMayRepeatANameAndRememberTheirDefault)
{
    CorvaneLoopAudioProcessor processor;
    auto& state = processor.pluginState;
    EXPECT_EQ (state.stringParameters.size(), 0);
    state.addStringParameter ("UIWidth", "900");
    state.addStringParameter ("UIWidth", "600");
    ASSERT_EQ (state.stringParameters.size(), 2);
    EXPECT_EQ (state.getStringParameter ("UIWidth")->value, "900") << "lookup finds the first";
    EXPECT_EQ (state.stringParameters[1]->defaultValue, "600");
    EXPECT_EQ (state.stringParameters[1]->identifier.toString(), "UIWidth");
}

TEST (FloatArrayParameter, TextForms)
{
    struct Case { bool decimal; std::vector<float> v; const char* text; };
    const Case cases[] = {
        { true, { 0.5f, 0.25f, 1.0f, 0.0f }, "0.5,0.25,1,0" },
        { false, { 0.5f, 0.25f, 1.0f, 0.0f }, "50,25,100,0" },
        { true, { 1.0f / 3.0f, -2.5f, 100.0f, 1234567.0f }, "0.333333,-2.5,100,1.23457e+06" },
        { false, { 0.299f, -0.5f, 2.0f, 0.001f }, "29,-50,200,0" },   // truncated toward zero
    };

    for (const auto& c : cases)
    {
        ostrel::FloatArrayParameter array ("a", 4, c.decimal);
        std::copy (c.v.begin(), c.v.end(), array.data);
        EXPECT_EQ (array.getAsString(), juce::String (c.text));
        EXPECT_EQ (reinterpret_cast<juce::pointer_sized_uint> (array.data) % 16, 0u) << "aligned";
    }
}

TEST (FloatArrayParameter, ReadingText)
{
    struct Case { bool decimal; const char* text; std::vector<float> expected; int notifications; };
    const Case cases[] = {
        { true, "1,2", { 1.0f, 2.0f, 0.5f, 0.5f }, 1 },
        { true, "1,2,3,4,5,6", { 1.0f, 2.0f, 3.0f, 4.0f }, 1 },
        { true, "", { 0.5f, 0.5f, 0.5f, 0.5f }, 0 },
        { true, "1,,x,0.25", { 1.0f, 0.0f, 0.0f, 0.25f }, 1 },
        { false, "50,25,100", { 0.5f, 0.25f, 1.0f, 0.5f }, 1 },
    };

    for (const auto& c : cases)
    {
        ostrel::FloatArrayParameter array ("a", 4, c.decimal);
        fill (array, { 0.5f, 0.5f, 0.5f, 0.5f });
        ArrayListener listener;
        array.listeners.add (&listener);
        array.setFromString (c.text);
        EXPECT_EQ (values (array), c.expected) << c.text;
        EXPECT_EQ (listener.calls, c.notifications) << c.text;
    }
}

TEST (PluginState, SequencerStartsEmpty)
{
    CorvaneLoopAudioProcessor processor;
    const auto& sequencer = processor.pluginState.sequencer;
    EXPECT_EQ (sequencer.steps.size(), 0);
    EXPECT_EQ (sequencer.numSteps, 16);
    EXPECT_EQ (sequencer.name, "---");
    EXPECT_EQ (sequencer.speed, 0.0);
    EXPECT_EQ (sequencer.arpMode, 0);
    EXPECT_FALSE (sequencer.human);
    EXPECT_EQ (sequencer.version, 2);

    processor.pluginState.sequencer.addStep (3, 4, 0.25f, true);
    ASSERT_EQ (sequencer.steps.size(), 1);
    EXPECT_EQ (sequencer.steps[0]->value1, 3);
    EXPECT_EQ (sequencer.steps[0]->value2, 4);
    EXPECT_EQ (sequencer.steps[0]->amount, 0.25f);
    EXPECT_TRUE (sequencer.steps[0]->flag);
}

TEST (PluginState, OptionsMenuResultsRecordMidiLearnRequests)
{
    struct Case { int item; bool learn; bool unlearn; };

    for (const auto c : { Case { 1, true, false }, Case { 2, false, true }, Case { 3, false, false }, Case { 0, false, false } })
    {
        CorvaneLoopAudioProcessor processor;
        auto& state = processor.pluginState;
        auto* mix = state.getParameter ("mix");
        state.popupMenuResult (*mix, c.item);
        EXPECT_EQ (state.midiLearnRequested, c.learn) << c.item;
        EXPECT_EQ (state.midiUnlearnRequested, c.unlearn) << c.item;
        EXPECT_EQ (state.midiLearnTarget, c.learn || c.unlearn ? mix : nullptr) << c.item;
    }
}

TEST (PluginState, TempoHolderTicksQuietlyUntilMarkedChanged)
{
    struct TempoListener : ostrel::BPMAndTimeSignature::Listener
    {
        void tempoChanged (double bpm, int denominator, int numerator) override
        {
            calls.push_back ({ bpm, (double) denominator, (double) numerator });
        }
        std::vector<std::vector<double>> calls;
    };

    CorvaneLoopAudioProcessor processor;
    auto& tempo = processor.pluginState.tempo;
    EXPECT_TRUE (tempo.isTimerRunning());
    EXPECT_EQ (tempo.getTimerInterval(), 250);
    EXPECT_EQ (tempo.bpm, 120.0);

    TempoListener listener;
    tempo.listeners.add (&listener);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
    EXPECT_TRUE (listener.calls.empty()) << "nobody is called while nothing changed";

    tempo.bpm = 90.0;
    tempo.numerator = 6;
    tempo.denominator = 8;
    tempo.changed = true;
    juce::MessageManager::getInstance()->runDispatchLoopUntil (600);
    ASSERT_EQ (listener.calls.size(), 1u);
    EXPECT_EQ (listener.calls[0], (std::vector<double> { 90.0, 8.0, 6.0 }));
    EXPECT_FALSE (tempo.changed);
    tempo.listeners.clear();
}

//==============================================================================
namespace
{
struct BareProcessor : ostrel::ExoAudioProcessor
{
    BareProcessor() : ostrel::ExoAudioProcessor (BusesProperties().withInput ("Input", juce::AudioChannelSet::stereo())
                                                                  .withOutput ("Output", juce::AudioChannelSet::stereo())) {}
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
};
} // namespace

TEST (ProcessorBase, FixedAnswers)
{
    BareProcessor processor;
    EXPECT_EQ (processor.getName(), "Corvane Reverse");
    EXPECT_EQ (processor.getInputChannelName (0), "1");
    EXPECT_EQ (processor.getInputChannelName (1), "2");
    EXPECT_EQ (processor.getOutputChannelName (0), "1");
    EXPECT_EQ (processor.getOutputChannelName (1), "2");
    EXPECT_TRUE (processor.isInputChannelStereoPair (0));
    EXPECT_TRUE (processor.isOutputChannelStereoPair (1));
    EXPECT_FALSE (processor.silenceInProducesSilenceOut());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getProgramName (0), "Init") << "the base names the program after the preset";
    EXPECT_EQ (processor.LoadingOldParameterValueFromPreset ("mix", 0.37f), 0.37f);
}

TEST (ProcessorBase, FreshState)
{
    BareProcessor processor;
    EXPECT_EQ (processor.lastEditorWidth.load(), 0);
    EXPECT_EQ (processor.lastEditorHeight.load(), 0);
    ASSERT_EQ (processor.pluginState.stateListeners.size(), 1);
    EXPECT_EQ (processor.pluginState.stateListeners[0], &processor);
    EXPECT_EQ (processor.pluginState.processor, &processor);
    EXPECT_NE (dynamic_cast<ostrel::OstrelDefaultLookAndFeel*> (processor.pluginState.lookAndFeel.get()), nullptr);
    EXPECT_EQ (processor.pluginState.presetName, "Init");
    EXPECT_EQ (processor.pluginState.bankName, "Arps");

    // Linux's common application data folder is /opt; nothing creates the folder.
    EXPECT_EQ (processor.pluginState.dataFolder.getFullPathName(),
               juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory)
                   .getChildFile ("Application Support/OstrelVST").getFullPathName());
    EXPECT_EQ (processor.pluginState.dataFolder.getFullPathName(), "/opt/Application Support/OstrelVST");
}
