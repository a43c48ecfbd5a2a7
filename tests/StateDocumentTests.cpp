#include <gtest/gtest.h>

#include <limits>

#include "plugin/PluginProcessor.h"

namespace
{
const juce::String freshDocument =
    R"(<PluginState preset="Init" bank="Arps" PresetVersion="0" revOn="1.0" fade="0.0" mix="1.0" loop="0.20000000298023223877">)"
    R"(<SeqPreset Version="2" Seq="" Speed="0.0" Steps="16" ArpMode="0" Name="---" Human="0"/></PluginState>)";

juce::String asText (const juce::XmlElement& xml)
{
    return xml.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
}

/** Loads a document the way the chunk code does, under the callback lock. */
void load (CorvaneLoopAudioProcessor& processor, const juce::String& text)
{
    const auto xml = juce::parseXML (text);
    ASSERT_NE (xml, nullptr) << text;
    const juce::ScopedLock lock (processor.getCallbackLock());
    processor.pluginState.updateStateFromXML (xml.get());
}

/** Records what a load calls, in order, and whether processing was suspended meanwhile. */
struct RecordingProcessor : CorvaneLoopAudioProcessor
{
    RecordingProcessor()
    {
        pluginState.stateListeners.add (&observer);
        pluginState.bindToFunction (MIX, [this] (float) { events.add (isSuspended() ? "mix (suspended)" : "mix"); });
        events.clear();
    }

    ~RecordingProcessor() override { pluginState.stateListeners.removeAllInstancesOf (&observer); }

    float LoadingOldParameterValueFromPreset (const juce::String& id, float value) override
    {
        events.add ("legacy " + id);
        return value;
    }

    struct Observer : ostrel::PluginState::Listener
    {
        explicit Observer (juce::StringArray& e) : events (e) {}
        void beforePresetLoaded() override { events.add ("before"); }
        void presetLoaded() override { events.add ("after"); }
        juce::StringArray& events;
    };

    juce::StringArray events;
    Observer observer { events };
};
} // namespace

TEST (StateDocument, AFreshPluginWritesTheWorkedExample)
{
    CorvaneLoopAudioProcessor processor;
    EXPECT_EQ (asText (*processor.pluginState.convertStateToXml()), freshDocument);
}

TEST (StateDocument, WritingAfterALoadShowsTheLoadedValues)
{
    CorvaneLoopAudioProcessor processor;
    load (processor, R"(<PluginState preset="Dusty" PresetVersion="1" revOn="0" mix="0.25" loop="0.6" fade="0.5">)"
                     R"(<SeqPreset Version="1" Seq="1,2,0.5"/></PluginState>)");

    EXPECT_EQ (asText (*processor.pluginState.convertStateToXml()),
               R"(<PluginState preset="Dusty" PresetVersion="0" revOn="0.0" fade="0.5" mix="0.25" loop="0.60000002384185791016">)"
               R"(<SeqPreset Version="2" Seq="1,2,0.5,0" Speed="0.0" Steps="16" ArpMode="0" Name="---" Human="0"/></PluginState>)")
        << "no bank; the document's own preset version is not written back; the sequencer is version 2 again";
}

TEST (StateDocument, LoadAppliesValuesInOrderBetweenTheListeners)
{
    RecordingProcessor processor;
    load (processor, R"(<PluginState PresetVersion="3" mix="0.5"/>)");
    EXPECT_EQ (processor.events, (juce::StringArray { "before", "mix (suspended)", "after" }));
    EXPECT_FALSE (processor.isSuspended()) << "processing resumes";
    EXPECT_EQ (processor.mixSmoother.target, 0.5f);
}

TEST (StateDocument, OldDocumentsPassEveryValueThroughTheLegacyHook)
{
    struct Case { const char* version; bool old; };

    for (const auto c : { Case { nullptr, true }, Case { "0", true }, Case { "3", false }, Case { "abc", true } })
    {
        RecordingProcessor processor;
        const juce::String versionAttribute = c.version != nullptr ? juce::String (" PresetVersion=\"") + c.version + "\"" : "";
        load (processor, "<PluginState" + versionAttribute + " mix=\"0.5\"/>");

        const juce::StringArray legacy { "legacy revOn", "legacy fade", "legacy mix", "legacy loop" };

        for (const auto& call : legacy)
            EXPECT_EQ (processor.events.contains (call), c.old) << call << ", version " << (c.version ? c.version : "absent");

        EXPECT_EQ (processor.pluginState.loadedPresetVersion, c.old ? 0 : 3);
    }
}

TEST (StateDocument, AbsentValuesTakeTheirDefaults)
{
    CorvaneLoopAudioProcessor processor;
    auto& state = processor.pluginState;
    state.addStringParameter ("Colour", "red");
    load (processor, R"(<PluginState preset="A" bank="B" mix="0.3" loop="0.8" Colour="blue"/>)");
    ASSERT_EQ (processor.mixSmoother.target, 0.3f);
    ASSERT_EQ (state.getStringParameter ("Colour")->value, "blue");

    load (processor, R"(<PluginState loop="0.8"/>)");
    EXPECT_EQ (state.getParameter (MIX)->getValue(), 1.0f);
    EXPECT_EQ (processor.mixSmoother.target, 1.0f) << "the default ran the callback";
    EXPECT_EQ (state.getParameter (REVERSE)->getValue(), 1.0f);
    EXPECT_EQ (state.presetName, "") << "no preset attribute empties the name";
    EXPECT_EQ (state.bankName, "");
    EXPECT_EQ (state.getStringParameter ("Colour")->value, "red") << "back to the value it was added with";
}

TEST (StateDocument, NamesAndValues)
{
    struct Case { const char* document; bool loads; float loop; };
    const Case cases[] = {
        { R"(<PluginState loop="0.6"/>)", true, 0.6f },
        { R"(<pluginstate loop="0.6"/>)", true, 0.6f },       // the root's tag ignores case
        { R"(<PLUGINSTATE loop="0.6"/>)", true, 0.6f },
        { R"(<PluginState LOOP="0.6"/>)", true, 0.2f },       // attribute names do not: loop is absent
        { R"(<PluginState loop="1.5"/>)", true, 1.5f },       // applied unclamped
        { R"(<PluginState loop="-0.5"/>)", true, -0.5f },
        { R"(<PluginState loop="abc"/>)", true, 0.0f },       // not a number reads as 0
        { R"(<PluginState loop=" 0.4xyz"/>)", true, 0.4f },
        { R"(<PluginState loop="nan"/>)", true, 0.4f },       // non-finite values are ignored: unchanged
        { R"(<PluginState loop="inf"/>)", true, 0.4f },
        { R"(<PluginState loop="1e999"/>)", true, 0.4f },
        { R"(<State loop="0.6"/>)", false, 0.4f },
    };

    for (const auto& c : cases)
    {
        RecordingProcessor processor;
        processor.pluginState.getParameter (LOOP)->setValue (0.4f);
        processor.events.clear();
        load (processor, c.document);
        EXPECT_FLOAT_EQ (processor.pluginState.getParameter (LOOP)->getValue(), c.loop) << c.document;
        EXPECT_EQ (processor.events.contains ("before"), c.loads) << c.document;
    }

    CorvaneLoopAudioProcessor processor;
    load (processor, R"(<PluginState loop="0.6"/>)");
    EXPECT_EQ (processor.loopBars, 1.0) << "ranged 3.0: one bar";
}

TEST (StateDocument, SequencerVersions)
{
    struct Case { const char* element; int steps; int numSteps; int version; };
    const Case cases[] = {
        { R"(<SeqPreset Version="2" Seq="1,2,0.5,1,3,4,0.25,0"/>)", 2, 16, 2 },
        { R"(<SeqPreset Version="2" Seq="1,2,0.5,1,3,4"/>)", 1, 16, 2 },      // six tokens: one step, the rest ignored
        { R"(<SeqPreset Seq="1,2,0.5,1,3,4"/>)", 2, 16, 1 },                  // no version: groups of three
        { R"(<SeqPreset Version="7" Seq="1,2,0.5" Steps="8"/>)", 1, 8, 7 },
        { R"(<seqpreset Version="2" Seq=""/>)", 0, 16, 2 },
    };

    for (const auto& c : cases)
    {
        CorvaneLoopAudioProcessor processor;
        auto& sequencer = processor.pluginState.sequencer;
        sequencer.addStep (9, 9, 0.9f, true);
        load (processor, juce::String ("<PluginState>") + c.element + "</PluginState>");
        EXPECT_EQ (sequencer.steps.size(), c.steps) << c.element;
        EXPECT_EQ (sequencer.numSteps, c.numSteps) << c.element;
        EXPECT_EQ (sequencer.version, c.version) << c.element;
    }

    CorvaneLoopAudioProcessor processor;
    auto& sequencer = processor.pluginState.sequencer;
    load (processor, R"(<PluginState><SeqPreset Version="2" Seq="3,-4,0.125,1" Speed="2.5" ArpMode="3" Name="Up" Human="1"/></PluginState>)");
    ASSERT_EQ (sequencer.steps.size(), 1);
    EXPECT_EQ (sequencer.steps[0]->value1, 3);
    EXPECT_EQ (sequencer.steps[0]->value2, -4);
    EXPECT_EQ (sequencer.steps[0]->amount, 0.125f);
    EXPECT_TRUE (sequencer.steps[0]->flag);
    EXPECT_EQ (sequencer.speed, 2.5);
    EXPECT_EQ (sequencer.arpMode, 3);
    EXPECT_EQ (sequencer.name, "Up");
    EXPECT_TRUE (sequencer.human);
    EXPECT_TRUE (asText (*processor.pluginState.convertStateToXml())
                     .contains (R"(<SeqPreset Version="2" Seq="3,-4,0.125,1" Speed="2.5" Steps="16" ArpMode="3" Name="Up" Human="1"/>)"));

    processor.pluginState.skipSequencerOnLoad = true;
    load (processor, R"(<PluginState><SeqPreset Seq=""/></PluginState>)");
    EXPECT_EQ (sequencer.steps.size(), 1) << "left alone when asked to skip";
}

TEST (StateDocument, KindsThisPluginNeverRegistersStillTravel)
{
    CorvaneLoopAudioProcessor processor;
    auto& state = processor.pluginState;
    auto* list = state.integerLists.add (new ostrel::IntegerListParameter ("Order"));
    list->values.addArray ({ 7, 7, 7, 7 });
    auto* array = state.floatArrays.add (new ostrel::FloatArrayParameter ("Levels", 3, false));
    auto* envelope = state.envelopes.add (new ostrel::EnvelopeRecord ("Env1"));
    envelope->times.addArray ({ 0.0f, 0.5f });
    auto* group = state.floatArrayGroups.add (new ostrel::FloatArrayGroup ("Shapes", 2));

    load (processor, R"(<PluginState Order="3,1" Levels="50,25,100">)"
                     R"(<ENV1 LoopStart="2" SustainOn="yes" times="0.25,1,2" PresetName="Pad"/>)"
                     R"(<Shapes size="2" Shapes0="0.5,1" Shapes1="0.25"/></PluginState>)");

    EXPECT_EQ (list->values, (juce::Array<int> { 3, 1, 2, 3 })) << "entries beyond the document's take their index";
    EXPECT_EQ (array->getAsString(), "50,25,100");
    EXPECT_EQ (envelope->loopStart, 2);
    EXPECT_TRUE (envelope->sustain);
    EXPECT_EQ (envelope->times, (juce::Array<float> { 0.25f, 1.0f, 2.0f }));
    EXPECT_EQ (envelope->presetName, "Pad");
    ASSERT_EQ (group->arrays.size(), 2);
    EXPECT_EQ (group->arrays[0]->getAsString(), "0.5,1");
    EXPECT_EQ (group->arrays[1]->getAsString(), "0.25,0");

    const auto written = asText (*state.convertStateToXml());
    EXPECT_TRUE (written.contains (R"(loop="0.20000000298023223877" Order="3,1,2,3" Levels="50,25,100">)")) << written;
    EXPECT_TRUE (written.contains (R"(<Env1 LoopStart="2" LoopEnd="0" SustainOn="1" Polarity="0" Mode="0" Grid="0" Trigger="0" PresetName="Pad" times="0.25,1,2" amps="" curveTypes="" curves="" Source="0"/>)")) << written;
    EXPECT_TRUE (written.endsWith (R"(<Shapes size="2" Shapes0="0.5,1" Shapes1="0.25,0"/></PluginState>)")) << written;

    // A group's element must match its name exactly; a huge size is limited.
    load (processor, R"(<PluginState><shapes size="1"/></PluginState>)");
    EXPECT_EQ (group->arrays.size(), 2);
    load (processor, R"(<PluginState><Shapes size="999999999"/></PluginState>)");
    EXPECT_EQ (group->arrays.size(), 4096);
}

TEST (ModulationMatrix, WritesEveryRowAsAttributes)
{
    CorvaneLoopAudioProcessor processor;
    ostrel::ModulationMatrixState matrix (&processor, 2);
    matrix.setRow (1, 3, 5, "LFO", "Cutoff");
    matrix.rows[1]->amount = 0.5f;
    const auto xml = matrix.getStateAsXml();
    ASSERT_EQ (xml->getNumAttributes(), 14);
    EXPECT_EQ (asText (*xml),
               R"(<Matrix Row0source="0" Row0sourceName="---" Row0dest="0" Row0destName="---" Row0enabled="0" Row0modAmt="0.0" Row0index="0" )"
               R"(Row1source="3" Row1sourceName="LFO" Row1dest="5" Row1destName="Cutoff" Row1enabled="1" Row1modAmt="0.5" Row1index="1"/>)");
}

TEST (ModulationMatrix, RowChanges)
{
    CorvaneLoopAudioProcessor processor;
    ostrel::ModulationMatrixState matrix (&processor, 4);

    matrix.setRow (2, 3, 5, "LFO", "---");
    EXPECT_FALSE (matrix.rows[2]->enabled);
    EXPECT_EQ (matrix.rows[2]->source, 0);
    EXPECT_EQ (matrix.rows[2]->destination, 0);
    EXPECT_EQ (matrix.rows[2]->sourceName, "LFO");
    EXPECT_EQ (matrix.rows[2]->destinationName, "---");

    matrix.rows[0]->enabled = true;
    matrix.rows[0]->source = 7;
    matrix.rows[0]->destination = 8;
    matrix.setRow (0, 1, 4, "---", "Pitch");
    EXPECT_TRUE (matrix.rows[0]->enabled) << "a source of --- with a real destination keeps the routing";
    EXPECT_EQ (matrix.rows[0]->source, 7);
    EXPECT_EQ (matrix.rows[0]->destination, 8);
    EXPECT_EQ (matrix.rows[0]->destinationName, "Pitch");
    EXPECT_EQ (matrix.rows[0]->appliedDestination, 4);

    matrix.setDestinationForRow (0, 99, "None");
    EXPECT_FALSE (matrix.rows[0]->enabled);
    EXPECT_EQ (matrix.rows[0]->destination, 0);
    EXPECT_EQ (matrix.rows[0]->destinationName, "None");

    matrix.setRow (4, 1, 1, "A", "B");   // outside the matrix: ignored
    matrix.setDestinationForRow (-1, 0, "B");
}

TEST (ModulationMatrix, TravelsInTheStateDocument)
{
    struct Announcements : ostrel::ModulationMatrixState::Listener
    {
        void rowChanged (ostrel::ModulationMatrixState::Row& row, bool) override { rows.add (row.index); }
        void sourceChanged (int, bool, bool) override {}
        void matrixAboutToLoad() override { ++loads; }
        void rowApplied (ostrel::ModulationMatrixState::Row&) override {}
        juce::Array<int> rows;
        int loads = 0;
    };

    CorvaneLoopAudioProcessor processor;
    auto& state = processor.pluginState;
    state.modulationMatrix = std::make_unique<ostrel::ModulationMatrixState> (&processor, 2);
    Announcements announcements;
    state.modulationMatrix->listeners.add (&announcements);

    const auto written = asText (*state.convertStateToXml());
    EXPECT_TRUE (written.contains (R"(<Matrix Row0source="0")")) << written;
    EXPECT_LT (written.indexOf ("<Matrix"), written.indexOf ("<SeqPreset")) << "the matrix comes before the sequencer";

    load (processor, R"(<PluginState><matrix Row1source="2" Row1destName="Mix" Row1enabled="1" Row1modAmt="0.75" Row1index="9"/></PluginState>)");
    const auto& row = *state.modulationMatrix->rows[1];
    EXPECT_EQ (row.source, 2);
    EXPECT_EQ (row.destinationName, "Mix");
    EXPECT_TRUE (row.enabled);
    EXPECT_EQ (row.amount, 0.75f);
    EXPECT_EQ (row.index, 1) << "the index is the row's position, not read";
    EXPECT_EQ (announcements.loads, 1);
    EXPECT_EQ (announcements.rows, (juce::Array<int> { 0, 1 }));

    load (processor, R"(<PluginState/>)");
    EXPECT_EQ (row.source, 2) << "without a Matrix element the rows stay";
    EXPECT_EQ (announcements.loads, 2);
    EXPECT_EQ (announcements.rows.size(), 4) << "and are announced again";
    state.modulationMatrix->listeners.clear();
}
