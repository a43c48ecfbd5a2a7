#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace ostrel
{

double roundHalfEven (double value) noexcept
{
    // The default rounding mode is round-to-nearest-even, but a host may
    // have changed it: compute the tie explicitly.
    const double lower = std::floor (value);
    const double difference = value - lower;

    if (difference < 0.5)
        return lower;

    if (difference > 0.5)
        return lower + 1.0;

    return std::fmod (lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

int readInteger (const juce::String& text)
{
    auto p = text.getCharPointer().findEndOfWhitespace();
    const bool negative = *p == '-';

    if (*p == '-' || *p == '+')
        ++p;

    juce::int64 value = 0;

    while (p.isDigit())
        value = juce::jmin<juce::int64> (value * 10 + (p.getAndAdvance() - '0'), (juce::int64) 1 << 32);

    value = negative ? -value : value;
    return (int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), value);
}

juce::String withoutTrailingZeros (const juce::String& text)
{
    if (! text.containsChar ('.') || ! text.endsWithChar ('0'))
        return text;

    auto trimmed = text.trimCharactersAtEnd ("0");

    if (trimmed.endsWithChar ('.'))
        trimmed << '0';

    return trimmed;
}

juce::String numberText (double value, int decimalPlaces)
{
    // Counted in a 64-bit integer while that holds the scaled value; larger
    // values take the fixed-notation path below.
    if (decimalPlaces > 0 && decimalPlaces < 7 && std::abs (value) * std::pow (10.0, decimalPlaces) < 9.0e18)
    {
        auto digits = static_cast<juce::int64> (std::abs (value) * std::pow (10.0, decimalPlaces) + 0.5);
        int places = decimalPlaces;

        while (places > 1 && digits % 10 == 0)
        {
            digits /= 10;
            --places;
        }

        auto text = juce::String (digits).paddedLeft ('0', places + 1);
        text = text.dropLastCharacters (places) + "." + text.getLastCharacters (places);
        return value < 0.0 ? "-" + text : text;
    }

    // std::to_chars writes as printf does in the C locale, whatever locale
    // the host has set.
    char buffer[512];
    const auto result = decimalPlaces > 0
        ? std::to_chars (buffer, buffer + sizeof (buffer), value, std::chars_format::fixed, juce::jmin (decimalPlaces, 100))
        : std::to_chars (buffer, buffer + sizeof (buffer), value, std::chars_format::general, 6);

    if (result.ec != std::errc())
        return {};

    return withoutTrailingZeros (juce::String (buffer, (size_t) (result.ptr - buffer)));
}

} // namespace ostrel
