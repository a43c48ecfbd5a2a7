#include <gtest/gtest.h>

#include "plugin/PluginProcessor.h"

TEST (ProcessorIdentity, AnswersTheHostsQuestions)
{
    CorvaneLoopAudioProcessor processor;
    EXPECT_EQ (processor.getName(), "Corvane Reverse");
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (processor.getLatencySamples(), 0);
    EXPECT_FALSE (processor.supportsDoublePrecisionProcessing());
    EXPECT_EQ (processor.getBypassParameter(), nullptr);
    EXPECT_TRUE (processor.hasEditor());
}

TEST (ProcessorIdentity, OneProgramWithAnEmptyName)
{
    CorvaneLoopAudioProcessor processor;
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);

    for (const int index : { 0, 1, -1, 1000 })
    {
        processor.setCurrentProgram (index);
        processor.changeProgramName (index, "Something");
        EXPECT_EQ (processor.getProgramName (index), juce::String()) << index;
        EXPECT_EQ (processor.getCurrentProgram(), 0) << index;
    }
}

TEST (ProcessorIdentity, OneStereoInputAndOutputBus)
{
    CorvaneLoopAudioProcessor processor;
    ASSERT_EQ (processor.getBusCount (true), 1);
    ASSERT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getTotalNumInputChannels(), 2);
    EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
    EXPECT_TRUE (processor.getBus (true, 0)->isEnabledByDefault());
}

TEST (ProcessorIdentity, OnlyStereoInAndOutIsAccepted)
{
    using Set = juce::AudioChannelSet;
    struct Case { Set in; Set out; bool accepted; };
    const Case cases[] = {
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::mono(), false },
        { Set::mono(), Set::stereo(), false },
        { Set::stereo(), Set::mono(), false },
        { Set::create5point1(), Set::create5point1(), false },
        { Set::disabled(), Set::stereo(), false },
    };

    for (const auto& c : cases)
    {
        CorvaneLoopAudioProcessor processor;
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.in);
        layout.outputBuses.add (c.out);
        EXPECT_EQ (processor.checkBusesLayoutSupported (layout), c.accepted)
            << c.in.getDescription() << " -> " << c.out.getDescription();
        EXPECT_EQ (processor.setBusesLayout (layout), c.accepted);
        EXPECT_EQ (processor.getTotalNumInputChannels(), 2) << "the layout stays stereo";
        EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
    }
}
