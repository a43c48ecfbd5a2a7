#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "BPMAndTimeSignature.h"
#include "ExoAudioParameter.h"
#include "ModulationMatrixState.h"
#include "SequencerSteps.h"
#include "StateValues.h"

namespace ostrel
{

/** The registry of everything that makes up a plug-in's saved state, and of
    the objects the editor finds by name: the host parameters in registration
    order, named text values and float lists, the preset and bank names, the
    sequencer pattern, and the folders and look-and-feel the editor uses.
*/
class PluginState : public ExoAudioParameter::Listener
{
public:
    /** Told before and after a state load. */
    class Listener
    {
    public:
        virtual void beforePresetLoaded() {}
        virtual void presetLoaded() = 0;

    protected:
        ~Listener() = default;
    };

    explicit PluginState (juce::AudioProcessor* owner);
    ~PluginState();

    /** Registers a parameter with the processor (which owns it from then on;
        the host index is the registration order) and with the registry.
        The flag has no effect: every parameter is automatable. */
    void addAudioParameter (ExoAudioParameter* parameter, bool automatable = true);

    /** Binds a function to the parameter with this ID: called at once with
        the current value in the parameter's units, then on every change.
        An unknown ID does nothing. The flag has no effect. */
    void bindToFunction (const juce::String& parameterID, std::function<void (float)> function, bool unused = false);

    /** Adds a named text value; a name already present is added again. */
    void addStringParameter (const juce::String& name, const juce::String& value);

    /** Binds a slider to the parameter with this ID. */
    void bind (const juce::String& parameterID, juce::Slider* slider, bool attachMouse = true);

    /** The first registered parameter with exactly this ID, or nullptr. */
    ExoAudioParameter* getParameter (const juce::String& parameterID) const;

    /** The first string parameter of this name, or nullptr. */
    StringParameter* getStringParameter (const juce::String& name) const;

    /** Writes the state document: a new "PluginState" element the caller owns. */
    std::unique_ptr<juce::XmlElement> convertStateToXml();

    /** Applies a state document. A missing element or another root tag
        changes nothing; otherwise the state listeners are told before and
        after, audio processing is suspended meanwhile, and every registered
        value takes the document's value or its default. The caller holds the
        processor's callback lock. */
    void updateStateFromXML (const juce::XmlElement* element);

    void parameterChanged (ExoAudioParameter&) override;
    void popupMenuResult (ExoAudioParameter& parameter, int itemId) override;

    //==============================================================================
    BPMAndTimeSignature tempo;
    juce::File dataFolder;
    std::unique_ptr<juce::LookAndFeel> lookAndFeel;
    bool midiLearnRequested = false;
    bool midiUnlearnRequested = false;
    ExoAudioParameter* midiLearnTarget = nullptr;
    juce::Array<ExoAudioParameter*> parameters;
    bool useExpansionsFolder = true;
    bool skipSequencerOnLoad = false;
    int presetVersion = 0;
    int loadedPresetVersion = 0;
    juce::String pluginFolderName;
    SequencerSteps sequencer;
    std::unique_ptr<ModulationMatrixState> modulationMatrix;
    juce::String presetName = "Init";
    juce::String bankName = "Arps";
    juce::Array<Listener*> stateListeners;
    juce::AudioProcessor* processor = nullptr;
    juce::OwnedArray<StringParameter> stringParameters;
    juce::OwnedArray<IntegerListParameter> integerLists;
    juce::OwnedArray<EnvelopeRecord> envelopes;
    juce::OwnedArray<FileParameter> fileParameters;
    juce::OwnedArray<FloatArrayParameter> floatArrays;
    juce::OwnedArray<FloatArrayGroup> floatArrayGroups;

private:
    JUCE_DECLARE_NON_COPYABLE (PluginState)
};

} // namespace ostrel
