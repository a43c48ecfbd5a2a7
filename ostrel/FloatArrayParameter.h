#pragma once

#include <juce_core/juce_core.h>

namespace ostrel
{

/** A named list of floats of fixed size, kept in the state document as text:
    decimal numbers, or whole percentages (value x 100, truncated). */
class FloatArrayParameter
{
public:
    class Listener
    {
    public:
        virtual void floatArrayChanged (FloatArrayParameter& array) = 0;

    protected:
        ~Listener() = default;
    };

    FloatArrayParameter (const juce::String& name, int size, bool decimalText);

    /** The values joined with "," and no spaces. */
    juce::String getAsString() const;

    /** Reads values from "," separated tokens, at most size of them; values
        beyond the last token keep their value. An empty text changes nothing. */
    void setFromString (const juce::String& text);

    juce::String name;
    bool decimalText = true;
    juce::CriticalSection lock;
    int size = 0;
    float* data = nullptr;   ///< 16-byte aligned, inside storage
    juce::Array<Listener*> listeners;

private:
    juce::HeapBlock<float> storage;

    JUCE_DECLARE_NON_COPYABLE (FloatArrayParameter)
};

} // namespace ostrel
