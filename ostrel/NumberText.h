#pragma once

#include <juce_core/juce_core.h>

namespace ostrel
{

/** The library's texts for numbers with a given number of decimal places,
    used by the parameters' display texts and the state document. They are
    fixed here rather than taken from juce::String, whose texts differ
    between framework versions.

    - 1 to 6 places (while the value times 10^places stays below 9e18):
      rounded half away from zero to
      that many places, then trailing zeros dropped while more than one
      place remains: 1.0 -> "1.0", 0.125 with 2 places -> "0.13".
    - More places, or larger magnitudes: fixed notation with exactly that
      many places ("%.20f"), then the trailing-zero rule.
    - 0 places: six significant digits ("%g"), then the trailing-zero rule.

    The trailing-zero rule: a text containing a point and ending in zeros
    loses them, but keeps one zero straight after the point. */
juce::String numberText (double value, int decimalPlaces);

/** Removes trailing zeros after a decimal point, keeping one after the point. */
juce::String withoutTrailingZeros (const juce::String& text);

/** Reads an integer as C's atoi does: leading blanks and a sign, then digits
    up to the first non-digit; 0 without digits. Out-of-range values saturate. */
int readInteger (const juce::String& text);

/** Rounds to the nearest integer, halves to the even neighbour. */
double roundHalfEven (double value) noexcept;

} // namespace ostrel
