#include "PluginState.h"

#include "ExoAudioProcessor.h"
#include "ListenerWalk.h"
#include "NumberText.h"

namespace ostrel
{

PluginState::PluginState (juce::AudioProcessor* owner)
    : processor (owner)
{
    parameters.ensureStorageAllocated (300);
}

PluginState::~PluginState()
{
    // The processor owns the parameters; make sure none still points here.
    for (auto* parameter : parameters)
        parameter->listeners.removeAllInstancesOf (this);

    tempo.stopTimer();
}

void PluginState::addAudioParameter (ExoAudioParameter* parameter, bool)
{
    jassert (parameter != nullptr);

    processor->addParameter (parameter);
    parameters.add (parameter);
    parameter->listeners.addIfNotAlreadyThere (this);
    parameterChanged (*parameter);
}

ExoAudioParameter* PluginState::getParameter (const juce::String& parameterID) const
{
    for (auto* parameter : parameters)
        if (parameter->parameterID == parameterID)
            return parameter;

    return nullptr;
}

StringParameter* PluginState::getStringParameter (const juce::String& name) const
{
    for (auto* parameter : stringParameters)
        if (parameter->name == name)
            return parameter;

    return nullptr;
}

void PluginState::bindToFunction (const juce::String& parameterID, std::function<void (float)> function, bool)
{
    auto* parameter = getParameter (parameterID);

    if (parameter == nullptr || function == nullptr)
        return;

    parameter->callbacks.add (function);
    function (parameter->getRangedValue());
}

void PluginState::addStringParameter (const juce::String& name, const juce::String& value)
{
    stringParameters.add (new StringParameter (name, value));
}

void PluginState::bind (const juce::String& parameterID, juce::Slider* slider, bool)
{
    if (auto* parameter = getParameter (parameterID))
        parameter->slider = slider;
}

void PluginState::parameterChanged (ExoAudioParameter&)
{
}

void PluginState::popupMenuResult (ExoAudioParameter& parameter, int itemId)
{
    if (itemId == 1)
    {
        midiLearnRequested = true;
        midiLearnTarget = &parameter;
    }
    else if (itemId == 2)
    {
        midiUnlearnRequested = true;
        midiLearnTarget = &parameter;
    }
}

//==============================================================================
namespace
{
int readIntegerAttribute (const juce::XmlElement& element, const juce::String& name, int fallback)
{
    return element.hasAttribute (name) ? ostrel::readInteger (element.getStringAttribute (name)) : fallback;
}

juce::StringArray tokens (const juce::String& text)
{
    return juce::StringArray::fromTokens (text, ",", {});
}

template <typename Number, typename Convert>
juce::String joined (const juce::Array<Number>& values, Convert convert)
{
    juce::StringArray texts;

    for (auto v : values)
        texts.add (convert (v));

    return texts.joinIntoString (",");
}

juce::String flagText (bool flag) { return flag ? "1" : "0"; }

// Names come from data; a name that is not an XML name would make the
// document unreadable, so it is left out.
void setAttributeIfValid (juce::XmlElement& element, const juce::String& name, const juce::String& value)
{
    if (juce::XmlElement::isValidXmlName (name))
        element.setAttribute (name, value);
}

const juce::XmlElement* childIgnoringCase (const juce::XmlElement& parent, const juce::String& tag)
{
    for (auto* child : parent.getChildIterator())
        if (child->getTagName().equalsIgnoreCase (tag))
            return child;

    return nullptr;
}

// Float-array groups are sized by the document; more arrays than this are
// not created, however many the document asks for.
constexpr int maxArraysInGroup = 4096;
} // namespace

std::unique_ptr<juce::XmlElement> PluginState::convertStateToXml()
{
    auto root = std::make_unique<juce::XmlElement> ("PluginState");

    if (presetName.isNotEmpty())
        root->setAttribute ("preset", presetName);

    if (bankName.isNotEmpty())
        root->setAttribute ("bank", bankName);

    root->setAttribute ("PresetVersion", juce::String (presetVersion));

    for (auto* parameter : parameters)
        setAttributeIfValid (*root, parameter->parameterID, numberText (parameter->getValue(), 20));

    for (auto* text : stringParameters)
        setAttributeIfValid (*root, text->name, text->value);

    for (auto* list : integerLists)
    {
        const juce::ScopedLock sl (list->lock);
        setAttributeIfValid (*root, list->name, joined (list->values, [] (int v) { return juce::String (v); }));
    }

    for (auto* file : fileParameters)
        setAttributeIfValid (*root, file->name, file->path);

    for (auto* array : floatArrays)
        setAttributeIfValid (*root, array->name, array->getAsString());

    const auto decimal = [] (float v) { return numberText (v, 0); };

    for (auto* envelope : envelopes)
    {
        if (! juce::XmlElement::isValidXmlName (envelope->name))
            continue;

        auto* e = root->createNewChildElement (envelope->name);
        e->setAttribute ("LoopStart", envelope->loopStart);
        e->setAttribute ("LoopEnd", envelope->loopEnd);
        e->setAttribute ("SustainOn", flagText (envelope->sustain));
        e->setAttribute ("Polarity", envelope->polarity);
        e->setAttribute ("Mode", envelope->mode);
        e->setAttribute ("Grid", envelope->grid);
        e->setAttribute ("Trigger", envelope->trigger);
        e->setAttribute ("PresetName", envelope->presetName);
        e->setAttribute ("times", joined (envelope->times, decimal));
        e->setAttribute ("amps", joined (envelope->amplitudes, decimal));
        e->setAttribute ("curveTypes", joined (envelope->curveTypes, [] (int v) { return juce::String (v); }));
        e->setAttribute ("curves", joined (envelope->curves, decimal));
        e->setAttribute ("Source", envelope->source);
    }

    if (modulationMatrix != nullptr)
        root->addChildElement (modulationMatrix->getStateAsXml().release());

    {
        sequencer.version = 2;
        auto* seq = root->createNewChildElement ("SeqPreset");
        juce::StringArray steps;

        {
            const juce::ScopedLock sl (sequencer.lock);

            for (auto* step : sequencer.steps)
                steps.addArray ({ juce::String (step->value1), juce::String (step->value2),
                                  numberText (step->amount, 5), flagText (step->flag) });
        }

        seq->setAttribute ("Version", juce::String (sequencer.version));
        seq->setAttribute ("Seq", steps.joinIntoString (","));
        seq->setAttribute ("Speed", numberText (sequencer.speed, 20));
        seq->setAttribute ("Steps", juce::String (sequencer.numSteps));
        seq->setAttribute ("ArpMode", juce::String (sequencer.arpMode));
        seq->setAttribute ("Name", sequencer.name);
        seq->setAttribute ("Human", flagText (sequencer.human));
    }

    for (auto* group : floatArrayGroups)
    {
        if (! juce::XmlElement::isValidXmlName (group->name))
            continue;

        auto* g = root->createNewChildElement (group->name);
        g->setAttribute ("size", juce::String (group->arrays.size()));

        for (auto* array : group->arrays)
            setAttributeIfValid (*g, array->name, array->getAsString());
    }

    return root;
}

void PluginState::updateStateFromXML (const juce::XmlElement* element)
{
    if (element == nullptr || ! element->getTagName().equalsIgnoreCase ("PluginState"))
        return;

    const auto& xml = *element;

    forEachListenerLastFirst (stateListeners, [] (Listener* l) { l->beforePresetLoaded(); });

    presetName = xml.getStringAttribute ("preset");
    bankName = xml.getStringAttribute ("bank");
    loadedPresetVersion = readIntegerAttribute (xml, "PresetVersion", 0);

    processor->suspendProcessing (true);

    for (auto* envelope : envelopes)
    {
        auto* e = childIgnoringCase (xml, envelope->name);

        if (e == nullptr)
            continue;

        envelope->times.clear();
        envelope->amplitudes.clear();
        envelope->curves.clear();
        envelope->curveTypes.clear();
        envelope->loopStart = readIntegerAttribute (*e, "LoopStart", 0);
        envelope->loopEnd = readIntegerAttribute (*e, "LoopEnd", 0);
        envelope->polarity = readIntegerAttribute (*e, "Polarity", 0);
        envelope->mode = readIntegerAttribute (*e, "Mode", 0);
        envelope->grid = readIntegerAttribute (*e, "Grid", 0);
        envelope->trigger = readIntegerAttribute (*e, "Trigger", 0);
        envelope->source = readIntegerAttribute (*e, "Source", 0);
        envelope->sustain = e->getBoolAttribute ("SustainOn", false);
        envelope->presetName = e->getStringAttribute ("PresetName", envelope->presetName);

        for (const auto& t : tokens (e->getStringAttribute ("times")))      envelope->times.add ((float) t.getDoubleValue());
        for (const auto& t : tokens (e->getStringAttribute ("amps")))       envelope->amplitudes.add ((float) t.getDoubleValue());
        for (const auto& t : tokens (e->getStringAttribute ("curves")))     envelope->curves.add ((float) t.getDoubleValue());
        for (const auto& t : tokens (e->getStringAttribute ("curveTypes"))) envelope->curveTypes.add (readInteger (t));

        envelope->loaded();
    }

    for (auto* text : stringParameters)
    {
        text->value = xml.hasAttribute (text->name) ? xml.getStringAttribute (text->name) : text->defaultValue;
        forEachListenerLastFirst (text->listeners, [text] (StringParameter::Listener* l) { l->stringParameterChanged (text->name, text->value); });
    }

    for (auto* list : integerLists)
    {
        {
            const juce::ScopedLock sl (list->lock);
            const auto parts = tokens (xml.getStringAttribute (list->name));
            const int previousSize = list->values.size();

            for (int i = 0; i < parts.size(); ++i)
            {
                if (i < list->values.size())
                    list->values.set (i, readInteger (parts[i]));
                else
                    list->values.add (readInteger (parts[i]));
            }

            for (int i = parts.size(); i < previousSize; ++i)
                list->values.set (i, i);
        }

        forEachListenerLastFirst (list->listeners, [list] (IntegerListParameter::Listener* l) { l->integerListChanged (*list); });
    }

    if (modulationMatrix != nullptr)
        modulationMatrix->loadFromXml (xml);

    auto* exoProcessor = dynamic_cast<ExoAudioProcessor*> (processor);

    for (auto* parameter : parameters)
    {
        parameter->loadingFromState = true;

        auto value = xml.hasAttribute (parameter->parameterID)
                         ? (float) xml.getStringAttribute (parameter->parameterID).getDoubleValue()
                         : parameter->getDefaultValue();

        if (loadedPresetVersion == 0 && exoProcessor != nullptr)
            value = exoProcessor->LoadingOldParameterValueFromPreset (parameter->parameterID, value);

        parameter->setValue (value);   // a non-finite value is ignored there
    }

    if (! skipSequencerOnLoad)
    {
        if (auto* seq = childIgnoringCase (xml, "SeqPreset"))
        {
            sequencer.version = readIntegerAttribute (*seq, "Version", 1);

            {
                const juce::ScopedLock sl (sequencer.lock);
                sequencer.steps.clear();

                const auto parts = tokens (seq->getStringAttribute ("Seq"));
                const int groupSize = sequencer.version == 2 ? 4 : 3;

                for (int i = 0; i + groupSize <= parts.size(); i += groupSize)
                {
                    auto step = std::make_unique<SequencerSteps::Step>();
                    step->value1 = readInteger (parts[i]);
                    step->value2 = readInteger (parts[i + 1]);
                    step->amount = (float) parts[i + 2].getDoubleValue();
                    step->flag = groupSize == 4 && readInteger (parts[i + 3]) != 0;
                    sequencer.steps.add (step.release());
                }
            }

            if (seq->hasAttribute ("Speed"))   sequencer.speed = seq->getStringAttribute ("Speed").getDoubleValue();
            if (seq->hasAttribute ("Steps"))   sequencer.numSteps = readIntegerAttribute (*seq, "Steps", sequencer.numSteps);
            if (seq->hasAttribute ("ArpMode")) sequencer.arpMode = readIntegerAttribute (*seq, "ArpMode", sequencer.arpMode);
            if (seq->hasAttribute ("Name"))    sequencer.name = seq->getStringAttribute ("Name");
            if (seq->hasAttribute ("Human"))   sequencer.human = readIntegerAttribute (*seq, "Human", 0) != 0;

            forEachListenerLastFirst (sequencer.listeners, [] (SequencerSteps::Listener* l) { l->sequencerChanged(); });
        }
    }

    const auto pluginFolder = dataFolder.getChildFile (pluginFolderName);

    for (auto* file : fileParameters)
    {
        const auto folder = pluginFolder.getChildFile (file->inExpansion || useExpansionsFolder ? "Expansions" : "LFOs");
        const auto target = folder.getChildFile (xml.getStringAttribute (file->name).replaceCharacter ('\\', '/'));

        // A reference never reaches outside its folder, whatever the document says.
        if (target.isAChildOf (folder))
            file->loadFile (target, file->inExpansion);
    }

    for (auto* array : floatArrays)
        array->setFromString (xml.getStringAttribute (array->name));

    for (auto* group : floatArrayGroups)
    {
        auto* g = childIgnoringCase (xml, group->name);

        if (g == nullptr || g->getTagName() != group->name)
            continue;

        for (auto* array : group->arrays)
            array->listeners.removeAllInstancesOf (group);

        group->arrays.clear();
        const int count = juce::jlimit (0, maxArraysInGroup, readIntegerAttribute (*g, "size", 0));

        for (int i = 0; i < count; ++i)
        {
            auto* array = group->arrays.add (new FloatArrayParameter (group->name + juce::String (i), group->arrayLength, true));
            array->setFromString (g->getStringAttribute (array->name));
            array->listeners.add (group);
        }
    }

    forEachListenerLastFirst (stateListeners, [] (Listener* l) { l->presetLoaded(); });

    processor->updateHostDisplay();
    processor->suspendProcessing (false);
}

} // namespace ostrel
