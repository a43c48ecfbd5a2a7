#include "ExoAudioParameter.h"

#include <cmath>
#include <limits>

#include "ListenerWalk.h"
#include "NumberText.h"

namespace ostrel
{

ExoAudioParameter::ExoAudioParameter (const juce::String& id, juce::String displayName, float defaultRanged,
                                      float minimum, float maximum, float interval, float)
    : juce::AudioProcessorParameterWithID (juce::ParameterID (id), displayName),
      parameterID (id),
      range (minimum, maximum, interval, 1.0f, false)
{
    defaultValue = range.convertTo0to1 (defaultRanged);
    value.store (defaultValue, std::memory_order_relaxed);
    callbacks.ensureStorageAllocated (32);
}

ExoAudioParameter::~ExoAudioParameter()
{
    cancelPendingUpdate();
}

//==============================================================================
float ExoAudioParameter::getValue() const
{
    return (float) value.load (std::memory_order_relaxed);
}

void ExoAudioParameter::setValue (float newValue)
{
    // A non-finite value would reach the DSP callbacks and never recover.
    if (! std::isfinite (newValue))
        return;

    if (std::abs (value.load (std::memory_order_relaxed) - (double) newValue) < std::numeric_limits<double>::epsilon())
        return;

    updating = true;
    value.store (newValue, std::memory_order_relaxed);

    const auto ranged = getRangedValue();

    for (auto& callback : callbacks)
        callback (ranged);

    if (notifyControls)
        triggerAsyncUpdate();
}

float ExoAudioParameter::getDefaultValue() const { return defaultValue; }
juce::String ExoAudioParameter::getName (int) const { return name; }
juce::String ExoAudioParameter::getLabel() const { return {}; }

float ExoAudioParameter::rangedFromRange() const
{
    return range.convertFrom0to1 (juce::jlimit (0.0f, 1.0f, getValue()));
}

float ExoAudioParameter::getRangedValue()
{
    if (parameterType != nullptr)
        return parameterType->getTypeValue();

    return rangedFromRange();
}

juce::String ExoAudioParameter::getText (float, int) const
{
    if (slider != nullptr && ! slider->isEnabled())
        return "Disabled";

    if (parameterType != nullptr)
        return parameterType->getTypeText();

    if (comboBox != nullptr)
        return comboBox->getText();

    const float ranged = rangedFromRange();

    if (hasChoices)
    {
        const double index = roundHalfEven (ranged);
        return index >= 0.0 && index < choices.size() ? choices[(int) index] : juce::String();
    }

    return numberText (ranged, 2);
}

float ExoAudioParameter::getValueForText (const juce::String& text) const
{
    return (float) text.getDoubleValue();
}

//==============================================================================
void ExoAudioParameter::handleAsyncUpdate()
{
    updating = true;

    forEachListenerLastFirst (listeners, [this] (Listener* l) { l->parameterChanged (*this); });

    updateControls (slider, button, comboBox);
    updateControls (linkedSlider, linkedButton, linkedComboBox);

    loadingFromState = false;
    updating = false;
}

void ExoAudioParameter::updateControls (juce::Slider* s, juce::Button* b, juce::ComboBox* c)
{
    const float ranged = rangedFromRange();

    if (s != nullptr)
        s->setValue (ranged, juce::dontSendNotification);
    else if (b != nullptr)
        b->setToggleState (ranged != 0.0f, juce::sendNotification);
    else if (c != nullptr)
        c->setSelectedId ((int) roundHalfEven (ranged) + (comboIdStartsAtOne ? 1 : 0), juce::sendNotification);
}

//==============================================================================
// The control side is completed together with the editor's controls.
void ExoAudioParameter::sliderDragStarted (juce::Slider*) {}
void ExoAudioParameter::sliderDragEnded (juce::Slider*) {}
void ExoAudioParameter::sliderValueChanged (juce::Slider*) {}
void ExoAudioParameter::buttonStateChanged (juce::Button*) {}
void ExoAudioParameter::buttonClicked (juce::Button*) {}
void ExoAudioParameter::comboBoxChanged (juce::ComboBox*) {}
void ExoAudioParameter::valueChanged (juce::Value&) {}
void ExoAudioParameter::mouseEnter (const juce::MouseEvent&) {}
void ExoAudioParameter::mouseExit (const juce::MouseEvent&) {}
void ExoAudioParameter::mouseDown (const juce::MouseEvent&) {}

void ExoAudioParameter::bind (juce::ComboBox* box, bool idStartsAtOne)
{
    comboBox = box;
    comboIdStartsAtOne = idStartsAtOne;
}

void ExoAudioParameter::bindLinked (juce::ComboBox* box)
{
    linkedComboBox = box;
}

void ExoAudioParameter::removeAnyListeners()
{
    for (auto* s : { slider, linkedSlider })
        if (s != nullptr)
        {
            s->removeListener (this);
            s->removeMouseListener (this);
        }

    for (auto* b : { button, linkedButton })
        if (b != nullptr)
            b->removeListener (this);

    for (auto* c : { comboBox, linkedComboBox })
        if (c != nullptr)
            c->removeListener (this);

    slider = linkedSlider = nullptr;
    button = linkedButton = nullptr;
    comboBox = linkedComboBox = nullptr;

    if (parameterType != nullptr)
        parameterType->removeAnyListeners();
}

//==============================================================================
juce::String MixParameter::getText (float, int) const
{
    // Values outside 0..1 can arrive unclamped (from a state document); keep
    // the conversion to int defined for any of them.
    const auto wet = (int) juce::jlimit (-1.0e9, 1.0e9, roundHalfEven ((double) getValue() * 100.0));
    return juce::String (100 - wet) + "/" + juce::String (wet);
}

juce::String PercentParameter::getText (float, int) const
{
    // The value in the parameter's own units: a 0.01..1 range at its minimum
    // reads "1.0%", the amount actually in use. For a 0..1 range this is the
    // normalised value.
    return numberText ((double) range.convertFrom0to1 (juce::jlimit (0.0f, 1.0f, getValue())) * 100.0, 1) + "%";
}

juce::String OnOffParameter::getText (float, int) const
{
    return getValue() == 0.0f ? "Off" : "On";
}

} // namespace ostrel
