#include "RenderOptions.h"

#include <cmath>

namespace
{
bool parseInteger (const juce::String& text, juce::int64 min, juce::int64 max, juce::int64& result)
{
    const auto trimmed = text.trim();

    if (trimmed.isEmpty() || ! trimmed.substring (trimmed[0] == '-' ? 1 : 0).containsOnly ("0123456789")
        || trimmed.length() > 19)
        return false;

    const auto value = trimmed.getLargeIntValue();

    if (value < min || value > max)
        return false;

    result = value;
    return true;
}

bool parseNumber (const juce::String& text, double min, double max, double& result)
{
    const auto trimmed = text.trim();

    if (trimmed.isEmpty() || ! trimmed.containsOnly ("0123456789.-+eE") || ! trimmed.containsAnyOf ("0123456789"))
        return false;

    const double value = trimmed.getDoubleValue();

    if (! std::isfinite (value) || value < min || value > max)
        return false;

    result = value;
    return true;
}
} // namespace

const juce::StringArray& RenderOptions::loopChoices()
{
    static const juce::StringArray choices { "1/8 Bar", "1/4 Bar", "1/2 Bar", "1 Bar", "2 Bars", "4 Bars" };
    return choices;
}

juce::String RenderOptions::usage()
{
    return "usage: corvane-render (--in FILE | --demo) --out FILE [options]\n"
           "       corvane-render --save-state FILE [--state FILE] [settings]\n"
           "  --in FILE             audio to process (WAV or AIFF, mono or stereo)\n"
           "  --demo                use the built-in demo phrase instead of a file\n"
           "  --out FILE            where to write the result (WAV)\n"
           "  --bpm X               host tempo, default 120\n"
           "  --time-signature N/D  host time signature, default 4/4\n"
           "  --loop L              segment length: 0..5 or \"1/8 Bar\", \"1/4 Bar\" (default),\n"
           "                        \"1/2 Bar\", \"1 Bar\", \"2 Bars\", \"4 Bars\"\n"
           "  --reverse on|off      the effect switch, default on\n"
           "  --fade F              fade of each reversed segment, 0.01 to 1, default 0.01\n"
           "  --mix M               dry/wet, 0 (dry) to 1 (wet), default 1\n"
           "  --state FILE          load a saved state chunk before the settings above\n"
           "  --save-state FILE     write the state chunk after applying the settings\n"
           "  --block N             samples per processing block, default 512\n"
           "  --start SAMPLES       host position of the first sample, default 0\n"
           "  --sample-rate R       sample rate of the demo input, default 44100\n"
           "  --bits B              32 (float, default), 24 or 16\n";
}

juce::String RenderOptions::parse (const juce::StringArray& args)
{
    for (int i = 0; i < args.size(); ++i)
    {
        const auto& option = args[i];

        if (option == "--help" || option == "-h")
        {
            help = true;
            continue;
        }

        if (option == "--demo")
        {
            demo = true;
            continue;
        }

        if (! option.startsWith ("--"))
            return "unexpected argument '" + option + "'";

        const bool known = juce::StringArray { "--in", "--out", "--bpm", "--time-signature", "--loop", "--block",
                                               "--start", "--sample-rate", "--bits", "--reverse", "--fade", "--mix",
                                               "--state", "--save-state" }.contains (option);

        if (! known)
            return "unknown option '" + option + "'";

        if (i + 1 >= args.size())
            return option + " needs a value";

        const auto value = args[++i];
        juce::int64 integer = 0;

        if (option == "--in")
        {
            inputPath = value;
        }
        else if (option == "--out")
        {
            outputPath = value;
        }
        else if (option == "--bpm")
        {
            if (! parseNumber (value, 1.0, 999.0, bpm))
                return "--bpm takes a tempo from 1 to 999, not '" + value + "'";
        }
        else if (option == "--time-signature")
        {
            juce::int64 n = 0, d = 0;

            if (! (value.containsChar ('/') && parseInteger (value.upToFirstOccurrenceOf ("/", false, false), 1, 64, n)
                   && parseInteger (value.fromFirstOccurrenceOf ("/", false, false), 1, 64, d)))
                return "--time-signature takes N/D with whole numbers from 1 to 64, not '" + value + "'";

            numerator = (int) n;
            denominator = (int) d;
        }
        else if (option == "--loop")
        {
            const int index = loopChoices().indexOf (value.trim(), true);

            if (index >= 0)
                loop = index;
            else if (parseInteger (value, 0, 5, integer))
                loop = (int) integer;
            else
                return "--loop takes 0..5 or one of " + loopChoices().joinIntoString (", ") + ", not '" + value + "'";
        }
        else if (option == "--state")
        {
            statePath = value;
        }
        else if (option == "--save-state")
        {
            saveStatePath = value;
        }
        else if (option == "--reverse")
        {
            if (value != "on" && value != "off")
                return "--reverse takes on or off, not '" + value + "'";

            reverse = value == "on";
        }
        else if (option == "--fade")
        {
            double number = 0.0;

            if (! parseNumber (value, 0.01, 1.0, number))
                return "--fade takes a value from 0.01 to 1, not '" + value + "'";

            fade = number;
        }
        else if (option == "--mix")
        {
            double number = 0.0;

            if (! parseNumber (value, 0.0, 1.0, number))
                return "--mix takes a value from 0 (dry) to 1 (wet), not '" + value + "'";

            mix = number;
        }
        else if (option == "--block")
        {
            if (! parseInteger (value, 1, 1 << 20, integer))
                return "--block takes a block size from 1 to 1048576, not '" + value + "'";

            blockSize = (int) integer;
        }
        else if (option == "--start")
        {
            if (! parseInteger (value, -(juce::int64 (1) << 40), juce::int64 (1) << 40, start))
                return "--start takes a whole number of samples, not '" + value + "'";
        }
        else if (option == "--sample-rate")
        {
            if (! parseNumber (value, 8000.0, 384000.0, sampleRate))
                return "--sample-rate takes a rate from 8000 to 384000, not '" + value + "'";
        }
        else if (option == "--bits")
        {
            if (! parseInteger (value, 16, 32, integer) || (integer != 16 && integer != 24 && integer != 32))
                return "--bits takes 16, 24 or 32, not '" + value + "'";

            bitsPerSample = (int) integer;
        }
    }

    if (help)
        return {};

    if (demo && inputPath.isNotEmpty())
        return "give either --in or --demo, not both";

    const bool rendering = demo || inputPath.isNotEmpty() || outputPath.isNotEmpty();

    if (rendering || saveStatePath.isEmpty())
    {
        if (! demo && inputPath.isEmpty())
            return "give an input: --in FILE or --demo";

        if (outputPath.isEmpty())
            return "give an output file: --out FILE";
    }

    return {};
}
