#include "FloatArrayParameter.h"

#include "ListenerWalk.h"
#include "NumberText.h"

namespace ostrel
{

FloatArrayParameter::FloatArrayParameter (const juce::String& arrayName, int arraySize, bool decimal)
    : name (arrayName), decimalText (decimal), size (juce::jmax (0, arraySize))
{
    // Four spare floats leave room to align the start to 16 bytes.
    storage.calloc ((size_t) size + 4);
    auto address = reinterpret_cast<juce::pointer_sized_uint> (storage.get());
    data = reinterpret_cast<float*> ((address + 15) & ~(juce::pointer_sized_uint) 15);
}

juce::String FloatArrayParameter::getAsString() const
{
    juce::StringArray texts;

    for (int i = 0; i < size; ++i)
        texts.add (decimalText ? numberText (data[i], 0)
                               : juce::String ((int) juce::jlimit (-2.0e9f, 2.0e9f, data[i] * 100.0f)));

    return texts.joinIntoString (",");
}

void FloatArrayParameter::setFromString (const juce::String& text)
{
    if (text.isEmpty())
        return;

    const auto tokens = juce::StringArray::fromTokens (text, ",", {});

    {
        const juce::ScopedLock sl (lock);

        for (int i = 0; i < juce::jmin (size, tokens.size()); ++i)
            data[i] = decimalText ? (float) tokens[i].getDoubleValue() : (float) readInteger (tokens[i]) / 100.0f;
    }

    forEachListenerLastFirst (listeners, [this] (Listener* l) { l->floatArrayChanged (*this); });
}

} // namespace ostrel
