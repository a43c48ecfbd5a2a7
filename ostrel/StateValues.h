#pragma once

#include <juce_core/juce_core.h>

#include "FloatArrayParameter.h"

namespace ostrel
{

/** A named text value of the registry, such as the remembered editor size. */
class StringParameter
{
public:
    class Listener
    {
    public:
        virtual void stringParameterChanged (const juce::String& name, const juce::String& value) = 0;

    protected:
        ~Listener() = default;
    };

    StringParameter (const juce::String& parameterName, const juce::String& initialValue)
        : name (parameterName), value (initialValue), defaultValue (initialValue), identifier (parameterName)
    {
    }

    juce::Array<Listener*> listeners;
    juce::String name;
    juce::String value;
    juce::String defaultValue;
    juce::Identifier identifier;
};

/** A named list of integers. */
class IntegerListParameter
{
public:
    class Listener
    {
    public:
        virtual void integerListChanged (IntegerListParameter& list) = 0;

    protected:
        ~Listener() = default;
    };

    explicit IntegerListParameter (const juce::String& listName) : name (listName) {}

    juce::String name;
    juce::CriticalSection lock;
    juce::Array<int> values;
    juce::Array<Listener*> listeners;
};

/** A named envelope: loop points, modes and its breakpoints. */
class EnvelopeRecord
{
public:
    explicit EnvelopeRecord (const juce::String& recordName) : name (recordName) {}
    virtual ~EnvelopeRecord() = default;

    /** Called after a state load has set the fields below. */
    virtual void loaded() {}

    juce::String name;
    int loopStart = 0, loopEnd = 0, polarity = 0, mode = 0, grid = 0, trigger = 0, source = 0;
    bool sustain = false;
    juce::String presetName;
    juce::Array<float> times, amplitudes, curves;
    juce::Array<int> curveTypes;
};

/** A named reference to a file in the library's data folder. */
class FileParameter
{
public:
    explicit FileParameter (const juce::String& parameterName) : name (parameterName) {}
    virtual ~FileParameter() = default;

    /** Asked by a state load to load the referenced file. */
    virtual void loadFile (const juce::File&, bool /*inExpansion*/) {}

    juce::String name;
    bool inExpansion = false;
    juce::String path;
};

/** A named group of float arrays of one length. */
class FloatArrayGroup : public FloatArrayParameter::Listener
{
public:
    FloatArrayGroup (const juce::String& groupName, int length) : name (groupName), arrayLength (length) {}
    virtual ~FloatArrayGroup() = default;

    void floatArrayChanged (FloatArrayParameter&) override {}

    juce::String name;
    int arrayLength = 0;
    juce::OwnedArray<FloatArrayParameter> arrays;
};

} // namespace ostrel
