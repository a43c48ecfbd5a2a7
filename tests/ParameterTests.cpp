#include <gtest/gtest.h>

#include <limits>

#include "ostrel/ExoAudioParameter.h"

namespace
{
using ostrel::ExoAudioParameter;

void runMessageLoop()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (30);
}

struct CountingListener : ExoAudioParameter::Listener
{
    void parameterChanged (ExoAudioParameter& p) override
    {
        ++changes;
        seenValue = p.getValue();
    }
    void popupMenuResult (ExoAudioParameter&, int) override {}
    int changes = 0;
    float seenValue = -1.0f;
};

const juce::StringArray sixChoices { "a", "b", "c", "d", "e", "f" };
} // namespace

TEST (Parameter, DisplayTexts)
{
    struct Case { const char* kind; float value; const char* text; };
    const Case cases[] = {
        { "mix", 0.125f, "88/12" }, { "mix", 0.135f, "86/14" }, { "mix", 1.0f, "0/100" }, { "mix", 0.0f, "100/0" },
        { "mix", 0.25f, "75/25" }, { "mix", 0.5f, "50/50" },
        { "percent", 0.123f, "12.3%" }, { "percent", 1.0f, "100.0%" }, { "percent", 0.0f, "0.0%" }, { "percent", 0.5f, "50.0%" },
        { "onoff", 0.1f, "On" }, { "onoff", 0.0f, "Off" }, { "onoff", 1.0f, "On" },
        { "choices", 0.2f, "b" }, { "choices", 1.0f, "f" }, { "choices", 0.0f, "a" }, { "choices", 0.3f, "c" },
        { "plain0to5", 0.6f, "3.0" }, { "plain0to1", 0.125f, "0.13" }, { "plain0to1", 0.5f, "0.5" },
        { "wideChoices", 0.9f, "" },   // index 9 of six choices
    };

    for (const auto& c : cases)
    {
        const juce::String kind (c.kind);
        std::unique_ptr<ExoAudioParameter> p;

        if (kind == "mix")              p = std::make_unique<ostrel::MixParameter> ("p", "P", 0.0f, 0.0f, 1.0f, 0.01f);
        else if (kind == "percent")     p = std::make_unique<ostrel::PercentParameter> ("p", "P", 0.0f, 0.0f, 1.0f);
        else if (kind == "onoff")       p = std::make_unique<ostrel::OnOffParameter> ("p", "P", 0.0f, 0.0f, 1.0f);
        else if (kind == "plain0to5")   p = std::make_unique<ExoAudioParameter> ("p", "P", 0.0f, 0.0f, 5.0f, 1.0f);
        else if (kind == "plain0to1")   p = std::make_unique<ExoAudioParameter> ("p", "P", 0.0f, 0.0f, 1.0f);
        else                            p = std::make_unique<ExoAudioParameter> ("p", "P", 0.0f, 0.0f, kind == "wideChoices" ? 10.0f : 5.0f, 1.0f);

        if (kind.contains ("hoices"))
        {
            p->choices = sixChoices;
            p->hasChoices = true;
        }

        p->setValue (c.value);
        EXPECT_EQ (p->getText (p->getValue(), 100), juce::String (c.text)) << c.kind << " at " << c.value;
        EXPECT_EQ (p->getCurrentValueAsText(), juce::String (c.text)) << c.kind << " at " << c.value;
    }
}

TEST (Parameter, TextDescribesTheCurrentValueAndIgnoresLengthLimits)
{
    ostrel::MixParameter p ("mix", "A rather long display name", 1.0f, 0.0f, 1.0f, 0.01f);
    p.setValue (0.5f);
    EXPECT_EQ (p.getText (0.9f, 4), "50/50");
    EXPECT_EQ (p.getName (4), "A rather long display name");
    EXPECT_EQ (p.getLabel(), "");
}

TEST (Parameter, DisabledSliderShowsDisabled)
{
    ExoAudioParameter p ("p", "P", 0.0f, 0.0f, 5.0f, 1.0f);
    juce::Component parent;
    juce::Slider slider;
    parent.addAndMakeVisible (slider);
    p.slider = &slider;
    EXPECT_EQ (p.getText (0.0f, 10), "0.0");

    parent.setEnabled (false);
    EXPECT_EQ (p.getText (0.0f, 10), "Disabled");
    p.slider = nullptr;
}

TEST (Parameter, ValueForTextIsTheNumberAsWritten)
{
    ostrel::PercentParameter p ("p", "P", 0.0f, 0.0f, 1.0f);

    for (const auto& [text, value] : { std::pair<const char*, float> { "50%", 50.0f }, { "0.5", 0.5f }, { "abc", 0.0f }, { "-3", -3.0f } })
        EXPECT_EQ (p.getValueForText (text), value) << text;
}

TEST (Parameter, DefaultsAreNormalisedAndClampedIntoTheRange)
{
    struct Case { float def, min, max, normalised, ranged; };
    const Case cases[] = {
        { 0.0f, 0.01f, 1.0f, 0.0f, 0.01f },   // below the minimum
        { 1.0f, 0.0f, 5.0f, 0.2f, 1.0f },
        { 7.0f, 0.0f, 5.0f, 1.0f, 5.0f },     // above the maximum
        { 0.5f, 0.0f, 1.0f, 0.5f, 0.5f },
    };

    for (const auto c : cases)
    {
        ExoAudioParameter p ("p", "P", c.def, c.min, c.max);
        EXPECT_FLOAT_EQ (p.getDefaultValue(), c.normalised);
        EXPECT_FLOAT_EQ (p.getValue(), c.normalised);
        EXPECT_FLOAT_EQ (p.getRangedValue(), c.ranged);
    }
}

TEST (Parameter, SetValueCallsEveryCallbackInBindingOrderOnlyOnChange)
{
    ExoAudioParameter p ("loop", "Loop", 1.0f, 0.0f, 5.0f, 1.0f);
    std::vector<std::pair<int, float>> calls;
    p.callbacks.add ([&calls] (float v) { calls.push_back ({ 1, v }); });
    p.callbacks.add ([&calls] (float v) { calls.push_back ({ 2, v }); });

    struct Step { float value; bool changes; };
    const Step steps[] = {
        { 0.3f, true }, { 0.3f, false },           // the same value twice: one call
        { 0.2f, true },
        { 0.2f + 1e-20f, false },                  // closer than the double epsilon
        { std::numeric_limits<float>::quiet_NaN(), false },
        { std::numeric_limits<float>::infinity(), false },
        { -std::numeric_limits<float>::infinity(), false },
        { 1.5f, true },                            // stored unclamped
        { 0.0f, true },
    };

    float expected = 0.2f;

    for (const auto& step : steps)
    {
        calls.clear();
        p.setValue (step.value);

        if (step.changes)
        {
            expected = step.value;
            ASSERT_EQ (calls.size(), 2u) << step.value;
            EXPECT_EQ (calls[0].first, 1);
            EXPECT_EQ (calls[1].first, 2);
            EXPECT_FLOAT_EQ (calls[0].second, 5.0f * juce::jlimit (0.0f, 1.0f, step.value)) << "the ranged value";
        }
        else
        {
            EXPECT_TRUE (calls.empty()) << step.value;
        }

        EXPECT_EQ (p.getValue(), expected) << step.value;
    }

    runMessageLoop();
}

TEST (Parameter, ControlUpdatesCoalesceOnTheMessageThread)
{
    ExoAudioParameter p ("loop", "Loop", 1.0f, 0.0f, 5.0f, 1.0f);
    CountingListener first, second;
    p.listeners.add (&first);
    p.listeners.add (&second);
    juce::Slider slider;
    slider.setRange (0.0, 5.0);
    p.slider = &slider;

    p.loadingFromState = true;
    p.setValue (0.4f);
    p.setValue (0.6f);
    EXPECT_TRUE (p.updating);
    EXPECT_EQ (first.changes, 0) << "nothing before the message thread runs";

    runMessageLoop();
    EXPECT_EQ (first.changes, 1);
    EXPECT_EQ (second.changes, 1);
    EXPECT_FLOAT_EQ (first.seenValue, 0.6f);
    EXPECT_DOUBLE_EQ (slider.getValue(), 3.0) << "the slider gets the ranged value";
    EXPECT_FALSE (p.updating);
    EXPECT_FALSE (p.loadingFromState);

    p.notifyControls = false;
    p.setValue (0.8f);
    runMessageLoop();
    EXPECT_EQ (first.changes, 1) << "no update while control notifications are off";
    p.slider = nullptr;
}

TEST (Parameter, ListenersMayLeaveDuringTheWalk)
{
    struct Leaving : CountingListener
    {
        void parameterChanged (ExoAudioParameter& p) override
        {
            CountingListener::parameterChanged (p);
            p.listeners.clear();
        }
    };

    ExoAudioParameter p ("p", "P", 0.0f, 0.0f, 1.0f);
    CountingListener stays;
    Leaving leaves;
    p.listeners.add (&stays);
    p.listeners.add (&leaves);   // called first: the last added goes first
    p.setValue (0.5f);
    runMessageLoop();
    EXPECT_EQ (leaves.changes, 1);
    EXPECT_EQ (stays.changes, 0);
}

TEST (Parameter, ButtonAndComboBoxFollowTheValue)
{
    ExoAudioParameter onOff ("on", "On", 1.0f, 0.0f, 1.0f);
    juce::ToggleButton button;
    onOff.button = &button;
    onOff.setValue (0.0f);
    runMessageLoop();
    EXPECT_FALSE (button.getToggleState());
    onOff.setValue (0.3f);
    runMessageLoop();
    EXPECT_TRUE (button.getToggleState()) << "any ranged value other than 0 is on";
    onOff.button = nullptr;

    for (const bool startsAtOne : { false, true })
    {
        ExoAudioParameter loop ("loop", "Loop", 1.0f, 0.0f, 5.0f, 1.0f);
        juce::ComboBox box;

        for (int id = 0; id <= 6; ++id)
            if (id > 0)
                box.addItem (juce::String (id), id);

        loop.bind (&box, startsAtOne);
        loop.setValue (0.5f); // ranged 2.5, rounds to 2
        runMessageLoop();
        EXPECT_EQ (box.getSelectedId(), startsAtOne ? 3 : 2);
        loop.removeAnyListeners();
        EXPECT_EQ (loop.comboBox, nullptr);
    }
}

TEST (Parameter, RangedValueComesFromTheTypeWhenOneIsSet)
{
    struct Fixed : ostrel::ParameterType
    {
        juce::String getTypeText() override { return "fixed"; }
        float getTypeValue() override { return 42.0f; }
    };

    ExoAudioParameter p ("p", "P", 0.0f, 0.0f, 1.0f);
    float received = 0.0f;
    p.callbacks.add ([&received] (float v) { received = v; });
    p.parameterType = std::make_unique<Fixed>();
    p.setValue (0.5f);
    EXPECT_EQ (received, 42.0f);
    EXPECT_EQ (p.getText (0.5f, 10), "fixed");
    runMessageLoop();
}

TEST (Parameter, PercentShowsTheAmountInUse)
{
    // A range that starts above 0 shows its own units, not the normalised position.
    ostrel::PercentParameter fade ("fade", "Fade", 0.0f, 0.01f, 1.0f);
    EXPECT_EQ (fade.getCurrentValueAsText(), "1.0%");
    fade.setValue (1.0f);
    EXPECT_EQ (fade.getCurrentValueAsText(), "100.0%");
    fade.setValue (0.5f);
    EXPECT_EQ (fade.getCurrentValueAsText(), "50.5%");
    juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
}
