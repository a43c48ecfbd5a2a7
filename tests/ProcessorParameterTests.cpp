#include <gtest/gtest.h>

#include <limits>

#include "ProcessorTestRig.h"

TEST (ProcessorParameters, WhatTheHostSeesAtTheStart)
{
    struct Expected { const char* id; const char* name; float value; const char* text; bool optionsMenu; };
    const Expected expected[] = {
        { "revOn", "Reverse", 1.0f, "On", true },
        { "fade", "Fade", 0.0f, "1.0%", false },
        { "mix", "Dry/Wet", 1.0f, "0/100", false },
        { "loop", "Loop", 0.2f, "1/4 Bar", true },
    };

    CorvaneLoopAudioProcessor processor;
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), 4);

    for (int i = 0; i < 4; ++i)
    {
        const auto& e = expected[i];
        auto* p = dynamic_cast<ostrel::ExoAudioParameter*> (parameters[i]);
        ASSERT_NE (p, nullptr);
        EXPECT_EQ (p->parameterID, e.id);
        EXPECT_EQ (p->getName (100), e.name);
        EXPECT_FLOAT_EQ (p->getValue(), e.value) << e.id;
        EXPECT_FLOAT_EQ (p->getDefaultValue(), e.value) << e.id;
        EXPECT_EQ (p->getCurrentValueAsText(), e.text) << e.id;
        EXPECT_EQ (p->showOptionsMenu, e.optionsMenu) << e.id;
        EXPECT_EQ (p->getLabel(), "");
        EXPECT_TRUE (p->isAutomatable());
        EXPECT_FALSE (p->isDiscrete()) << "hosts treat all four as continuous";
        EXPECT_EQ (p->getNumSteps(), juce::AudioProcessor::getDefaultNumParameterSteps());
    }

    auto* loop = processor.pluginState.getParameter ("loop");
    EXPECT_EQ (loop->choices, (juce::StringArray { "1/8 Bar", "1/4 Bar", "1/2 Bar", "1 Bar", "2 Bars", "4 Bars" }));
    EXPECT_TRUE (loop->hasChoices);
    EXPECT_EQ (processor.pluginState.pluginFolderName, "Reverse");
    EXPECT_FLOAT_EQ (processor.pluginState.getParameter ("fade")->getRangedValue(), 0.01f) << "Fade starts at its minimum";
}

TEST (ProcessorParameters, HostValuesDriveTheAudioMembers)
{
    struct Case { int index; float normalised; double loopBars; float onOffTarget; float fade; float mixTarget; };
    const Case cases[] = {
        { 3, 0.5f, 0.5, 1.0f, 0.005f, 1.0f },      // ranged 2.5 rounds to 2
        { 3, 0.3f, 0.5, 1.0f, 0.005f, 1.0f },      // 1.5 rounds to 2
        { 3, 0.1f, 0.125, 1.0f, 0.005f, 1.0f },    // 0.5 rounds to 0
        { 3, 1.0f, 4.0, 1.0f, 0.005f, 1.0f },
        { 3, 1.7f, 4.0, 1.0f, 0.005f, 1.0f },      // unclamped host value: the range clamps
        { 0, 0.5f, 0.25, 0.0f, 0.005f, 1.0f },     // halves go to the even neighbour: off
        { 0, 0.51f, 0.25, 1.0f, 0.005f, 1.0f },
        { 0, 0.0f, 0.25, 0.0f, 0.005f, 1.0f },
        { 1, 1.0f, 0.25, 1.0f, 0.5f, 1.0f },       // the effect's fade is half the Fade value
        { 1, 0.5f, 0.25, 1.0f, 0.2525f, 1.0f },
        { 2, 0.5f, 0.25, 1.0f, 0.005f, 0.5f },
    };

    for (const auto& c : cases)
    {
        CorvaneLoopAudioProcessor processor;
        processor.getParameters()[c.index]->setValue (c.normalised);
        EXPECT_EQ (processor.loopBars, c.loopBars) << c.index << " at " << c.normalised;
        EXPECT_EQ (processor.onOffSmoother.target, c.onOffTarget) << c.index << " at " << c.normalised;
        EXPECT_FLOAT_EQ (processor.reverse.fade.load(), c.fade) << c.index << " at " << c.normalised;
        EXPECT_EQ (processor.mixSmoother.target, c.mixTarget) << c.index << " at " << c.normalised;
    }
}

TEST (ProcessorParameters, NonFiniteHostValuesChangeNothing)
{
    CorvaneLoopAudioProcessor processor;

    for (auto* p : processor.getParameters())
        for (const float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() })
        {
            p->setValue (bad);
            EXPECT_EQ (p->getValue(), p->getDefaultValue());
        }

    EXPECT_EQ (processor.mixSmoother.target, 1.0f);
    EXPECT_EQ (processor.onOffSmoother.target, 1.0f);
    EXPECT_EQ (processor.loopBars, 0.25);
    EXPECT_EQ (processor.reverse.fade.load(), 0.005f);
}

TEST (ProcessorParameters, DryWetAutomationRampsFromTheNextBlock)
{
    // Silent wet signal, input 1.0: the output is the dry share, 1 - m.
    ProcessorRig rig;
    rig.render (constant (22050, 0.0f));
    EXPECT_EQ (rig.render (constant (512, 1.0f))[511], 0.0f);

    rig.processor.getParameters()[2]->setValue (0.0f);
    const auto out = rig.render (constant (2048, 1.0f), 2048);

    for (int i = 0; i < 1764; ++i)
        ASSERT_NEAR (out[(size_t) i], (float) (i + 1) / 1764.0f, 1e-4f) << i;

    EXPECT_EQ (out[1764], 1.0f);
}

TEST (ProcessorParameters, LoopChangesTheSegmentAtTheNextBlock)
{
    ProcessorRig rig;
    rig.render (constant (1000, 0.0f));
    EXPECT_EQ (rig.processor.reverse.segmentLength, 22050);
    rig.processor.getParameters()[3]->setValue (0.6f);   // "1 Bar"
    rig.render (constant (10, 0.0f));
    EXPECT_EQ (rig.processor.reverse.segmentLength, 88200);
}
