#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <functional>
#include <memory>

namespace ostrel
{

class ModulationMatrixState;

/** An optional strategy that supplies a parameter's text and ranged value. */
class ParameterType
{
public:
    virtual ~ParameterType() = default;

    virtual juce::String getTypeText() = 0;
    virtual float getTypeValue() = 0;
    virtual void removeAnyListeners() {}

    std::function<juce::String()> textFunction;
    std::function<float()> valueFunction;
    std::function<void()> changedFunction;
};

/** A host parameter that keeps the processor's DSP settings, the editor's
    controls and its listeners in step.

    It carries its ID as the framework's parameter ID too, so that the formats
    which address parameters by ID (VST3, LV2) see "revOn", "mix", ... rather
    than positions.

    The value is stored normalised (0..1); range maps it to the parameter's
    own units. setValue calls the bound callbacks synchronously with the value
    in those units, then updates the bound controls and the listeners on the
    message thread.
*/
class ExoAudioParameter : public juce::AudioProcessorParameterWithID,
                          public juce::Slider::Listener,
                          public juce::Button::Listener,
                          public juce::ComboBox::Listener,
                          public juce::MouseListener,
                          public juce::Value::Listener,
                          public juce::AsyncUpdater
{
public:
    /** Told on the message thread. */
    class Listener
    {
    public:
        virtual void parameterChanged (ExoAudioParameter& parameter) = 0;
        virtual void popupMenuResult (ExoAudioParameter& parameter, int itemId) = 0;

    protected:
        ~Listener() = default;
    };

    /** Default, minimum and maximum are in the parameter's own units. The
        last argument is accepted for compatibility and has no effect. */
    ExoAudioParameter (const juce::String& parameterID, juce::String name, float defaultValue,
                       float minimum, float maximum, float interval = 0.0f, float unused = 1.0f);
    ~ExoAudioParameter() override;

    //==============================================================================
    float getValue() const override;

    /** The one way a value changes. A non-finite value, or one that differs
        from the stored value by less than the double epsilon, changes nothing. */
    void setValue (float newValue) override;

    float getDefaultValue() const override;
    juce::String getName (int maximumStringLength) const override;
    juce::String getLabel() const override;
    juce::String getText (float value, int maximumStringLength) const override;
    float getValueForText (const juce::String& text) const override;

    void handleAsyncUpdate() override;

    //==============================================================================
    // Controls and the mouse.
    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void sliderValueChanged (juce::Slider*) override;
    void buttonStateChanged (juce::Button*) override;
    void buttonClicked (juce::Button*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    void valueChanged (juce::Value&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;

    /** The value in the parameter's own units: the type's value when a type
        is set, else the range applied to the normalised value (not snapped). */
    virtual float getRangedValue();

    virtual void bind (juce::ComboBox* box, bool idStartsAtOne);
    virtual void bindLinked (juce::ComboBox* box);

    /** Detaches the parameter from every bound control; the owner of the
        controls calls this before deleting them. */
    void removeAnyListeners();

    //==============================================================================
    juce::String parameterID;
    bool loadingFromState = false;
    int midiController = -1;
    ModulationMatrixState* modulationMatrix = nullptr;
    int modulationDestination = 0;
    juce::Slider* slider = nullptr;
    juce::Slider* linkedSlider = nullptr;
    juce::Button* button = nullptr;
    juce::Button* linkedButton = nullptr;
    juce::ComboBox* comboBox = nullptr;
    juce::ComboBox* linkedComboBox = nullptr;
    juce::StringArray choices;
    bool hasChoices = false;
    bool comboIdStartsAtOne = false;
    bool showOptionsMenu = true;
    std::unique_ptr<ParameterType> parameterType;
    std::atomic<bool> updating { false };
    bool notifyControls = true;
    float defaultValue = 0.0f;
    // The display name is the framework's name field, set by the constructor.
    /** The normalised value. Written on whatever thread sets it and read on
        others, so it is held as an atomic double. */
    std::atomic<double> value { 0.0 };
    juce::NormalisableRange<float> range;
    juce::Array<Listener*> listeners;
    juce::Array<std::function<void (float)>> callbacks;

private:
    float rangedFromRange() const;
    void updateControls (juce::Slider*, juce::Button*, juce::ComboBox*);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ExoAudioParameter)
};

/** Shows the value as dry/wet percentages: 0.25 gives "75/25". */
class MixParameter : public ExoAudioParameter
{
public:
    using ExoAudioParameter::ExoAudioParameter;
    juce::String getText (float value, int maximumStringLength) const override;
};

/** Shows the value in its own units as a percentage with one place: 0.5 gives "50.0%". */
class PercentParameter : public ExoAudioParameter
{
public:
    using ExoAudioParameter::ExoAudioParameter;
    juce::String getText (float value, int maximumStringLength) const override;
};

/** Shows "Off" for exactly 0 and "On" for anything else. */
class OnOffParameter : public ExoAudioParameter
{
public:
    using ExoAudioParameter::ExoAudioParameter;
    juce::String getText (float value, int maximumStringLength) const override;
};

} // namespace ostrel
