#include <gtest/gtest.h>

#include <limits>

#include "ostrel/NumberText.h"

TEST (NumberText, Texts)
{
    struct Case { double value; int places; const char* text; };
    const Case cases[] = {
        // one to six places: rounded, trailing zeros dropped down to one place
        { 1.0, 2, "1.0" }, { 0.25, 2, "0.25" }, { 0.125, 2, "0.13" }, { 0.5, 1, "0.5" }, { 50.0, 1, "50.0" },
        { 3.0, 2, "3.0" }, { 0.0, 1, "0.0" }, { 100.0, 1, "100.0" }, { 12.3, 1, "12.3" }, { -0.5, 1, "-0.5" },
        { -2.25, 1, "-2.3" }, { 0.123456, 5, "0.12346" }, { 0.5, 5, "0.5" }, { 1234.5678, 6, "1234.5678" },
        { 0.0000004, 6, "0.0" }, { 0.0000005, 6, "0.000001" }, { 9.999, 2, "10.0" },
        // 20 places: fixed notation, then the trailing-zero rule
        { 0.5, 20, "0.5" }, { 1.0, 20, "1.0" }, { 0.0, 20, "0.0" },
        { (double) 0.01f, 20, "0.00999999977648258209" }, { (double) 0.2f, 20, "0.20000000298023223877" },
        { -1.5, 20, "-1.5" }, { 1e20, 2, "100000000000000000000.0" },
        // no places: six significant digits
        { 0.5, 0, "0.5" }, { 1.0, 0, "1" }, { 100.0, 0, "100" }, { 0.333333333, 0, "0.333333" },
        { 1234567.0, 0, "1.23457e+06" }, { -0.25, 0, "-0.25" },
    };

    for (const auto& c : cases)
        EXPECT_EQ (ostrel::numberText (c.value, c.places), juce::String (c.text)) << c.value << " with " << c.places;
}

TEST (NumberText, NonFiniteValuesGiveTextsNotCrashes)
{
    EXPECT_EQ (ostrel::numberText (std::numeric_limits<double>::infinity(), 2), "inf");
    EXPECT_EQ (ostrel::numberText (-std::numeric_limits<double>::infinity(), 20), "-inf");
    EXPECT_EQ (ostrel::numberText (std::numeric_limits<double>::quiet_NaN(), 1), "nan");
}

TEST (NumberText, RoundingHalvesToEven)
{
    struct Case { double value; double rounded; };
    const Case cases[] = { { 0.5, 0.0 }, { 1.5, 2.0 }, { 2.5, 2.0 }, { -0.5, -0.0 }, { -1.5, -2.0 }, { 12.5, 12.0 },
                           { 13.5, 14.0 }, { 0.49999, 0.0 }, { 2.50001, 3.0 }, { 4.0, 4.0 } };

    for (const auto c : cases)
        EXPECT_EQ (ostrel::roundHalfEven (c.value), c.rounded) << c.value;
}
