#include "PluginState.h"

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

} // namespace ostrel
