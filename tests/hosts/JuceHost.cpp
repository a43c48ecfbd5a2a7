// corvane-juce-host: loads a built VST3 or LV2 plug-in through JUCE's hosting
// classes (AudioPluginFormatManager, VST3PluginFormat, LV2PluginFormat) and
// either describes it or renders a raw float file through it.
//
//   corvane-juce-host describe vst3|lv2 PLUGIN
//   corvane-juce-host render vst3|lv2 PLUGIN --in IN.f32 --out OUT.f32
//       --sample-rate R --block N --bpm X --numerator A --denominator B
//       --start S [--playing 1|0] [--set-param INDEX:VALUE]...
//
// PLUGIN is the .vst3 bundle for VST3. For LV2 it is the .lv2 bundle folder
// (a file inside the bundle is accepted too), or a plug-in URI, which is then
// looked up in the folders named by LV2_PATH and in the usual LV2 folders.
//
// describe prints key=value lines and exits 0, or prints one line on stderr
// and exits 1 when the plug-in cannot be found or created.
//
// render reads raw little-endian float32 interleaved stereo frames and writes
// the same number of frames in the same format. The output is written under a
// temporary name beside OUT and renamed only once everything has succeeded.
// Bad arguments and unreadable or unwritable files: one line on stderr, exit 2.
// A plug-in that cannot be found or created: one line on stderr, exit 1.

#include <juce_audio_processors/juce_audio_processors.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

constexpr int exitFailure = 1;
constexpr int exitBadArguments = 2;

struct HostError
{
    int code;
    juce::String message;
};

[[noreturn]] void fail (int code, const juce::String& message)
{
    throw HostError { code, message };
}

// Values are printed one to a line, so anything a plug-in reports is kept on one.
juce::String oneLine (const juce::String& s)
{
    return s.replaceCharacters ("\r\n", "  ");
}

void printLine (const juce::String& key, const juce::String& value)
{
    std::printf ("%s=%s\n", key.toRawUTF8(), oneLine (value).toRawUTF8());
}

juce::String formatDouble (const char* format, double value)
{
    char text[64];
    std::snprintf (text, sizeof (text), format, value);
    return text;
}

//==============================================================================
// Finding and creating the plug-in

enum class Format { vst3, lv2 };

Format parseFormat (const juce::String& s)
{
    if (s == "vst3") return Format::vst3;
    if (s == "lv2")  return Format::lv2;

    fail (exitBadArguments, "unknown plug-in format '" + s + "' (expected vst3 or lv2)");
}

// The URIs of the plug-ins that a bundle's manifest.ttl declares, i.e. the
// subjects of "a lv2:Plugin" statements. This reads the simple Turtle that
// plug-in manifests are written in; it is not a general Turtle parser.
juce::StringArray readPluginUrisFromManifest (const juce::File& bundle)
{
    const auto text = bundle.getChildFile ("manifest.ttl").loadFileAsString();
    juce::StringArray uris;

    std::map<juce::String, juce::String> prefixes;
    juce::String subject;
    juce::String previous;
    bool expectingType = false;
    int bracketDepth = 0;

    const auto expand = [&prefixes] (const juce::String& token) -> juce::String
    {
        if (token.startsWithChar ('<') && token.endsWithChar ('>'))
            return token.substring (1, token.length() - 1);

        const auto colon = token.indexOfChar (':');

        if (colon >= 0)
        {
            const auto it = prefixes.find (token.substring (0, colon));

            if (it != prefixes.end())
                return it->second + token.substring (colon + 1);
        }

        return token;
    };

    const auto* p = text.toRawUTF8();
    const auto* end = p + std::strlen (p);

    std::vector<juce::String> pendingPrefix;

    while (p < end)
    {
        const auto c = *p;

        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') { ++p; continue; }

        if (c == '#')
        {
            while (p < end && *p != '\n')
                ++p;

            continue;
        }

        juce::String token;

        if (c == '<')
        {
            const auto* close = p;

            while (close < end && *close != '>')
                ++close;

            token = juce::String::fromUTF8 (p, (int) (close - p + 1));
            p = close + 1;
        }
        else if (c == '"')
        {
            // Skip string literals, including """long""" ones.
            const bool isLong = (end - p >= 3 && std::strncmp (p, "\"\"\"", 3) == 0);
            p += isLong ? 3 : 1;

            while (p < end)
            {
                if (*p == '\\') { p += 2; continue; }

                if (isLong ? (end - p >= 3 && std::strncmp (p, "\"\"\"", 3) == 0) : (*p == '"'))
                {
                    p += isLong ? 3 : 1;
                    break;
                }

                ++p;
            }

            token = "\"\"";

            // A datatype or language tag stays part of the literal.
            while (p < end && ! (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n'
                                 || *p == ';' || *p == ',' || *p == '.' || *p == ']'))
            {
                if (*p == '<')
                {
                    while (p < end && *p != '>')
                        ++p;
                }

                ++p;
            }
        }
        else if (c == ';' || c == ',' || c == '[' || c == ']' || c == '(' || c == ')')
        {
            token = juce::String::charToString ((juce::juce_wchar) c);
            ++p;
        }
        else if (c == '.')
        {
            token = ".";
            ++p;
        }
        else
        {
            const auto* start = p;

            while (p < end && ! (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n'
                                 || *p == ';' || *p == ',' || *p == '[' || *p == ']'
                                 || *p == '(' || *p == ')' || *p == '<' || *p == '"'))
            {
                // A full stop ends a statement unless it is inside a name.
                if (*p == '.' && (p + 1 >= end || p[1] == ' ' || p[1] == '\t' || p[1] == '\r' || p[1] == '\n'))
                    break;

                ++p;
            }

            token = juce::String::fromUTF8 (start, (int) (p - start));
        }

        if (! pendingPrefix.empty() || token == "@prefix" || token.equalsIgnoreCase ("PREFIX"))
        {
            if (token == ".")
            {
                if (pendingPrefix.size() >= 3)
                    prefixes[pendingPrefix[1].upToLastOccurrenceOf (":", false, false)] = expand (pendingPrefix[2]);

                pendingPrefix.clear();
            }
            else
            {
                pendingPrefix.push_back (token);

                // The SPARQL form has no closing full stop.
                if (pendingPrefix.size() == 3 && pendingPrefix[0].equalsIgnoreCase ("PREFIX"))
                {
                    prefixes[pendingPrefix[1].upToLastOccurrenceOf (":", false, false)] = expand (pendingPrefix[2]);
                    pendingPrefix.clear();
                }
            }

            continue;
        }

        if (token == "[" || token == "(") { ++bracketDepth; previous = token; continue; }
        if (token == "]" || token == ")") { bracketDepth = juce::jmax (0, bracketDepth - 1); previous = token; continue; }

        if (token == ".")
        {
            subject = {};
            expectingType = false;
            bracketDepth = 0;
            previous = token;
            continue;
        }

        if (bracketDepth == 0)
        {
            if (subject.isEmpty())
            {
                subject = expand (token);
            }
            else if (token == ";")
            {
                expectingType = false;
            }
            else if (token == ",")
            {
                // Another object for the same predicate: keep expectingType.
            }
            else if (expectingType)
            {
                if (expand (token) == "http://lv2plug.in/ns/lv2core#Plugin")
                    uris.addIfNotAlreadyThere (subject);
            }
            else if ((previous == ";" || previous == "," || previous.isEmpty() || expand (previous) == subject)
                     && (token == "a" || expand (token) == "http://www.w3.org/1999/02/22-rdf-syntax-ns#type"))
            {
                expectingType = true;
            }
        }

        previous = token;
    }

    return uris;
}

juce::FileSearchPath searchPathFromEnvironment()
{
    juce::FileSearchPath path;
    const auto env = juce::SystemStats::getEnvironmentVariable ("LV2_PATH", {});

    for (const auto& entry : juce::StringArray::fromTokens (env, ":", {}))
        if (entry.trim().isNotEmpty())
            path.add (juce::File (entry.trim()));

    return path;
}

juce::PluginDescription findVst3Description (juce::AudioPluginFormat& format, const juce::String& pluginArg)
{
    const auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (pluginArg);

    if (! bundle.exists())
        fail (exitFailure, "VST3 plug-in not found: " + bundle.getFullPathName());

    if (! format.fileMightContainThisPluginType (bundle.getFullPathName()))
        fail (exitFailure, "not a VST3 bundle: " + bundle.getFullPathName());

    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());

    if (found.isEmpty())
        fail (exitFailure, "no VST3 plug-in could be loaded from " + bundle.getFullPathName());

    return *found.getFirst();
}

juce::PluginDescription findLv2Description (juce::AudioPluginFormat& format, const juce::String& pluginArg)
{
    auto file = juce::File::getCurrentWorkingDirectory().getChildFile (pluginArg);

    juce::StringArray wantedUris;
    juce::FileSearchPath searchPath;

    if (file.existsAsFile() && file.getParentDirectory().getChildFile ("manifest.ttl").existsAsFile())
        file = file.getParentDirectory();

    if (file.isDirectory())
    {
        if (! file.getChildFile ("manifest.ttl").existsAsFile())
            fail (exitFailure, "not an LV2 bundle (no manifest.ttl): " + file.getFullPathName());

        // LV2 hosts are given folders that contain bundles, not bundles.
        searchPath.add (file.getParentDirectory());
        wantedUris = readPluginUrisFromManifest (file);
    }
    else if (pluginArg.contains ("://") || pluginArg.startsWith ("urn:"))
    {
        // A URI: look in LV2_PATH, then in the usual folders, which
        // LV2PluginFormat has already loaded when it was created.
        searchPath = searchPathFromEnvironment();
        wantedUris.add (pluginArg);
    }
    else
    {
        fail (exitFailure, "LV2 plug-in not found: " + file.getFullPathName());
    }

    // What the format knew before this search, so that a bundle whose manifest
    // could not be read can still be told apart by what it added.
    const auto before = format.searchPathsForPlugins ({}, false, false);
    const auto after  = format.searchPathsForPlugins (searchPath, false, false);

    if (wantedUris.isEmpty())
        for (const auto& uri : after)
            if (! before.contains (uri))
                wantedUris.add (uri);

    for (const auto& uri : wantedUris)
    {
        if (! after.contains (uri))
            continue;

        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, uri);

        if (! found.isEmpty())
            return *found.getFirst();
    }

    if (wantedUris.isEmpty())
        fail (exitFailure, "no LV2 plug-in found in " + file.getFullPathName());

    for (const auto& uri : wantedUris)
        if (after.contains (uri))
            fail (exitFailure, "LV2 plug-in " + uri + " could not be loaded");

    fail (exitFailure, "LV2 plug-in " + wantedUris.joinIntoString (", ") + " not found"
                           + (file.isDirectory() ? " in " + file.getFullPathName()
                                                 : juce::String (" in LV2_PATH or the usual LV2 folders")));
}

struct Host
{
    juce::AudioPluginFormatManager formats;
    juce::PluginDescription description;
    std::unique_ptr<juce::AudioPluginInstance> instance;

    Host (Format format, const juce::String& pluginArg, double sampleRate, int blockSize)
    {
        juce::AudioPluginFormat* pluginFormat = nullptr;

        if (format == Format::vst3)
            formats.addFormat (pluginFormat = new juce::VST3PluginFormat());
        else
            formats.addFormat (pluginFormat = new juce::LV2PluginFormat());

        description = format == Format::vst3 ? findVst3Description (*pluginFormat, pluginArg)
                                             : findLv2Description (*pluginFormat, pluginArg);

        juce::String error;
        instance = formats.createPluginInstance (description, sampleRate, blockSize, error);

        if (instance == nullptr)
            fail (exitFailure, "could not create " + description.name + ": "
                                   + (error.isNotEmpty() ? error : juce::String ("unknown error")));
    }

    ~Host()
    {
        // The instance goes before the formats that made it.
        instance.reset();
    }
};

//==============================================================================
// describe

int describe (Format format, const juce::String& pluginArg)
{
    constexpr double sampleRate = 44100.0;
    constexpr int blockSize = 512;

    Host host (format, pluginArg, sampleRate, blockSize);
    auto& d = host.description;
    auto& p = *host.instance;

    // JUCE's VST3 host only asks the plug-in about a layout while the plug-in
    // is inactive; once it is active it accepts any non-discrete layout
    // without asking. So the layout is checked before prepareToPlay.
    bool monoSupported = false;
    {
        auto layout = p.getBusesLayout();

        if (layout.inputBuses.size() > 0 && layout.outputBuses.size() > 0)
        {
            layout.inputBuses.getReference (0) = juce::AudioChannelSet::mono();
            layout.outputBuses.getReference (0) = juce::AudioChannelSet::mono();
            monoSupported = p.checkBusesLayoutSupported (layout);
        }
    }

    p.prepareToPlay (sampleRate, blockSize);

    printLine ("name", d.name);
    printLine ("descriptiveName", d.descriptiveName);
    printLine ("vendor", d.manufacturerName);
    printLine ("version", d.version);
    printLine ("uniqueId", juce::String (d.uniqueId));
    printLine ("isInstrument", d.isInstrument ? "1" : "0");
    printLine ("numInputChannels", juce::String (d.numInputChannels));
    printLine ("numOutputChannels", juce::String (d.numOutputChannels));
    printLine ("instance.name", p.getName());
    printLine ("instance.totalIn", juce::String (p.getTotalNumInputChannels()));
    printLine ("instance.totalOut", juce::String (p.getTotalNumOutputChannels()));
    printLine ("acceptsMidi", p.acceptsMidi() ? "1" : "0");
    printLine ("producesMidi", p.producesMidi() ? "1" : "0");
    printLine ("latency", juce::String (p.getLatencySamples()));
    printLine ("tail", formatDouble ("%g", p.getTailLengthSeconds()));
    printLine ("numPrograms", juce::String (p.getNumPrograms()));
    printLine ("programName0", p.getNumPrograms() > 0 ? p.getProgramName (0) : juce::String());
    printLine ("monoSupported", monoSupported ? "1" : "0");

    const auto& params = p.getParameters();
    printLine ("numParams", juce::String (params.size()));

    for (int i = 0; i < params.size(); ++i)
    {
        const auto* param = params[i];
        const auto prefix = "param." + juce::String (i) + ".";
        printLine (prefix + "name", param->getName (100));
        printLine (prefix + "text", param->getCurrentValueAsText());
        printLine (prefix + "value", formatDouble ("%.9g", (double) param->getValue()));
    }

    std::fflush (stdout);
    p.releaseResources();
    return 0;
}

//==============================================================================
// render

// A transport that is always where the render has got to.
class RenderPlayHead final : public juce::AudioPlayHead
{
public:
    double sampleRate = 44100.0;
    double bpm = 120.0;
    int numerator = 4;
    int denominator = 4;
    bool playing = true;
    juce::int64 position = 0;

    juce::Optional<PositionInfo> getPosition() const override
    {
        const auto seconds = (double) position / sampleRate;

        PositionInfo info;
        info.setTimeInSamples (position);
        info.setTimeInSeconds (seconds);
        info.setBpm (bpm);
        info.setTimeSignature (TimeSignature { numerator, denominator });
        info.setPpqPosition (seconds * bpm / 60.0);
        info.setIsPlaying (playing);
        info.setIsRecording (false);
        info.setIsLooping (false);
        return info;
    }
};

struct RenderOptions
{
    juce::File in, out;
    double sampleRate = 0.0;
    int blockSize = 0;
    double bpm = 0.0;
    int numerator = 0;
    int denominator = 0;
    juce::int64 start = 0;
    bool playing = true;
    std::vector<std::pair<int, float>> params;

    juce::File loadState, saveState;   ///< state chunks: loaded before, saved after the settings

    struct Automation { juce::int64 frame; int index; float value; };
    std::vector<Automation> automation;   ///< each set before the first block starting at or after its frame
};

double parseNumber (const juce::String& option, const juce::String& text)
{
    const auto s = text.trim();
    char* endPtr = nullptr;
    const auto value = std::strtod (s.toRawUTF8(), &endPtr);

    if (s.isEmpty() || endPtr == nullptr || *endPtr != '\0' || ! std::isfinite (value))
        fail (exitBadArguments, option + ": not a number: '" + text + "'");

    return value;
}

juce::int64 parseInteger (const juce::String& option, const juce::String& text)
{
    const auto s = text.trim();
    char* endPtr = nullptr;
    errno = 0;
    const auto value = std::strtoll (s.toRawUTF8(), &endPtr, 10);

    if (s.isEmpty() || endPtr == nullptr || *endPtr != '\0' || errno != 0)
        fail (exitBadArguments, option + ": not an integer: '" + text + "'");

    return (juce::int64) value;
}

RenderOptions parseRenderOptions (const juce::StringArray& args, int first)
{
    RenderOptions o;
    std::set<juce::String> seen;

    for (int i = first; i < args.size(); ++i)
    {
        const auto& option = args[i];

        if (i + 1 >= args.size())
            fail (exitBadArguments, option + " needs a value");

        const auto value = args[++i];

        if (option != "--set-param" && option != "--automate" && ! seen.insert (option).second)
            fail (exitBadArguments, option + " given twice");

        if (option == "--in")
        {
            o.in = juce::File::getCurrentWorkingDirectory().getChildFile (value);
        }
        else if (option == "--out")
        {
            o.out = juce::File::getCurrentWorkingDirectory().getChildFile (value);
        }
        else if (option == "--sample-rate")
        {
            o.sampleRate = parseNumber (option, value);

            if (! (o.sampleRate > 0.0))
                fail (exitBadArguments, "--sample-rate must be positive");
        }
        else if (option == "--block")
        {
            const auto n = parseInteger (option, value);

            if (n < 1 || n > (1 << 20))
                fail (exitBadArguments, "--block must be between 1 and 1048576");

            o.blockSize = (int) n;
        }
        else if (option == "--bpm")
        {
            o.bpm = parseNumber (option, value);

            if (! (o.bpm > 0.0))
                fail (exitBadArguments, "--bpm must be positive");
        }
        else if (option == "--numerator")
        {
            const auto n = parseInteger (option, value);

            if (n < 1 || n > 1024)
                fail (exitBadArguments, "--numerator must be between 1 and 1024");

            o.numerator = (int) n;
        }
        else if (option == "--denominator")
        {
            const auto n = parseInteger (option, value);

            if (n < 1 || n > 1024)
                fail (exitBadArguments, "--denominator must be between 1 and 1024");

            o.denominator = (int) n;
        }
        else if (option == "--start")
        {
            o.start = parseInteger (option, value);
        }
        else if (option == "--playing")
        {
            if (value == "1")      o.playing = true;
            else if (value == "0") o.playing = false;
            else fail (exitBadArguments, "--playing must be 1 or 0");
        }
        else if (option == "--set-param")
        {
            const auto colon = value.indexOfChar (':');

            if (colon <= 0)
                fail (exitBadArguments, "--set-param expects INDEX:VALUE, got '" + value + "'");

            const auto index = parseInteger (option, value.substring (0, colon));
            const auto v = parseNumber (option, value.substring (colon + 1));

            if (index < 0 || index > 1000000)
                fail (exitBadArguments, "--set-param: bad parameter index in '" + value + "'");

            if (v < 0.0 || v > 1.0)
                fail (exitBadArguments, "--set-param: value must be normalised to 0..1 in '" + value + "'");

            o.params.emplace_back ((int) index, (float) v);
        }
        else if (option == "--load-state")
        {
            o.loadState = juce::File::getCurrentWorkingDirectory().getChildFile (value);

            if (! o.loadState.existsAsFile())
                fail (exitBadArguments, "cannot read " + o.loadState.getFullPathName());
        }
        else if (option == "--save-state")
        {
            o.saveState = juce::File::getCurrentWorkingDirectory().getChildFile (value);
        }
        else if (option == "--automate")
        {
            const auto parts = juce::StringArray::fromTokens (value, ":", {});

            if (parts.size() != 3)
                fail (exitBadArguments, "--automate expects FRAME:INDEX:VALUE, got '" + value + "'");

            const auto frame = parseInteger (option, parts[0]);
            const auto index = parseInteger (option, parts[1]);
            const auto v = parseNumber (option, parts[2]);

            if (frame < 0 || index < 0 || index > 1000000 || v < 0.0 || v > 1.0)
                fail (exitBadArguments, "--automate: bad FRAME:INDEX:VALUE '" + value + "'");

            o.automation.push_back ({ frame, (int) index, (float) v });
        }
        else
        {
            fail (exitBadArguments, "unknown option " + option);
        }
    }

    for (const char* required : { "--in", "--out", "--sample-rate", "--block", "--bpm",
                                  "--numerator", "--denominator", "--start" })
        if (seen.count (required) == 0)
            fail (exitBadArguments, juce::String ("missing ") + required);

    return o;
}

std::vector<float> readInterleavedStereo (const juce::File& file)
{
    if (! file.existsAsFile())
        fail (exitBadArguments, "cannot read " + file.getFullPathName());

    juce::MemoryBlock data;

    if (! file.loadFileAsData (data))
        fail (exitBadArguments, "cannot read " + file.getFullPathName());

    constexpr size_t frameBytes = 2 * sizeof (float);

    if (data.getSize() % frameBytes != 0)
        fail (exitBadArguments, file.getFullPathName() + " is not whole float32 stereo frames ("
                                    + juce::String ((juce::int64) data.getSize()) + " bytes)");

    std::vector<float> samples (data.getSize() / sizeof (float));
    const auto* bytes = static_cast<const char*> (data.getData());

    for (size_t i = 0; i < samples.size(); ++i)
    {
        const auto bits = juce::ByteOrder::littleEndianInt (bytes + i * sizeof (float));
        std::memcpy (&samples[i], &bits, sizeof (float));
    }

    return samples;
}

void writeInterleavedStereo (const juce::File& file, const std::vector<float>& samples)
{
    const auto dir = file.getParentDirectory();

    if (! dir.isDirectory())
        fail (exitBadArguments, "cannot write " + file.getFullPathName() + ": no such folder");

    const auto temp = dir.getChildFile ("." + file.getFileName() + ".tmp-"
                                        + juce::String ((int) ::getpid()));
    bool written = false;

    {
        juce::FileOutputStream stream (temp);

        if (stream.openedOk() && stream.setPosition (0) && stream.truncate().wasOk())
        {
            written = true;

            for (auto s : samples)
            {
                if (! stream.writeFloat (s)) // little-endian
                {
                    written = false;
                    break;
                }
            }

            stream.flush();
            written = written && stream.getStatus().wasOk();
        }
    }

    if (! written || ! temp.moveFileTo (file))
    {
        temp.deleteFile();
        fail (exitBadArguments, "cannot write " + file.getFullPathName());
    }
}

int render (Format format, const juce::String& pluginArg, RenderOptions o)
{
    auto interleaved = readInterleavedStereo (o.in);

    if (! o.out.getParentDirectory().isDirectory())
        fail (exitBadArguments, "cannot write " + o.out.getFullPathName() + ": no such folder");

    const auto numFrames = (juce::int64) (interleaved.size() / 2);

    Host host (format, pluginArg, o.sampleRate, o.blockSize);
    auto& p = *host.instance;

    const auto& params = p.getParameters();

    for (const auto& change : o.automation)
        if (change.index >= params.size())
            fail (exitBadArguments, "--automate: the plug-in has no parameter " + juce::String (change.index));

    for (const auto& [index, value] : o.params)
        if (index >= params.size())
            fail (exitBadArguments, "--set-param: the plug-in has no parameter " + juce::String (index)
                                        + " (it has " + juce::String (params.size()) + ")");

    juce::MemoryBlock loadedState;

    if (o.loadState != juce::File() && ! o.loadState.loadFileAsData (loadedState))
        fail (exitBadArguments, "cannot read " + o.loadState.getFullPathName());

    const auto applyParameters = [&]
    {
        if (loadedState.getSize() > 0)
            p.setStateInformation (loadedState.getData(), (int) loadedState.getSize());

        for (const auto& [index, value] : o.params)
            params[index]->setValue (value);
    };

    applyParameters();

    RenderPlayHead playHead;
    playHead.sampleRate = o.sampleRate;
    playHead.bpm = o.bpm;
    playHead.numerator = o.numerator;
    playHead.denominator = o.denominator;
    playHead.playing = o.playing;
    playHead.position = o.start;
    p.setPlayHead (&playHead);

    p.prepareToPlay (o.sampleRate, o.blockSize);

    // JUCE's LV2 host rebuilds the plug-in instance in prepareToPlay from a
    // snapshot of its control ports, which do not yet hold values set since the
    // last block, and then reloads its parameters from those ports: the values
    // set above are lost. Setting them again reaches the plug-in with the first
    // block. For VST3 this only repeats the same values. The same holds for a
    // loaded state.
    applyParameters();


    const int numChannels = juce::jmax (2, p.getTotalNumInputChannels(), p.getTotalNumOutputChannels());
    juce::AudioBuffer<float> buffer (numChannels, o.blockSize);
    juce::MidiBuffer midi;

    for (juce::int64 done = 0; done < numFrames;)
    {
        const auto n = (int) juce::jmin ((juce::int64) o.blockSize, numFrames - done);
        buffer.setSize (numChannels, n, false, false, true);
        buffer.clear();

        auto* left = buffer.getWritePointer (0);
        auto* right = buffer.getWritePointer (1);
        const auto* src = interleaved.data() + 2 * done;

        for (int i = 0; i < n; ++i)
        {
            left[i]  = src[2 * i];
            right[i] = src[2 * i + 1];
        }

        // Automation lands between blocks, as hosts send it.
        for (auto& change : o.automation)
            if (change.frame <= done)
            {
                params[change.index]->setValue (change.value);
                change.frame = std::numeric_limits<juce::int64>::max();
            }

        playHead.position = o.start + done;
        midi.clear();
        p.processBlock (buffer, midi);

        auto* dst = interleaved.data() + 2 * done;

        for (int i = 0; i < n; ++i)
        {
            dst[2 * i]     = left[i];
            dst[2 * i + 1] = right[i];
        }

        done += n;
    }

    // Saved after playing, as a host saves a project.
    if (o.saveState != juce::File())
    {
        juce::MemoryBlock chunk;
        p.getStateInformation (chunk);

        if (chunk.isEmpty() || ! o.saveState.replaceWithData (chunk.getData(), chunk.getSize()))
            fail (exitFailure, "cannot save the plug-in's state to " + o.saveState.getFullPathName());
    }

    p.releaseResources();
    p.setPlayHead (nullptr);

    writeInterleavedStereo (o.out, interleaved);
    return 0;
}

//==============================================================================

const char* const usage =
    "usage: corvane-juce-host describe vst3|lv2 PLUGIN\n"
    "       corvane-juce-host render vst3|lv2 PLUGIN --in IN.f32 --out OUT.f32 --sample-rate R"
    " --block N --bpm X --numerator A --denominator B --start S [--playing 1|0]"
    " [--set-param INDEX:VALUE]... [--automate FRAME:INDEX:VALUE]...\n"
    "        [--load-state CHUNK] [--save-state CHUNK]\n";

int run (const juce::StringArray& args)
{
    if (args.size() < 3)
        fail (exitBadArguments, "expected a command, a format and a plug-in (try --help)");

    const auto& command = args[0];

    if (command == "describe")
    {
        const auto format = parseFormat (args[1]);

        if (args.size() != 3)
            fail (exitBadArguments, "describe takes a format and a plug-in only");

        return describe (format, args[2]);
    }

    if (command == "render")
    {
        const auto format = parseFormat (args[1]);
        const auto options = parseRenderOptions (args, 3);
        return render (format, args[2], options);
    }

    fail (exitBadArguments, "unknown command '" + command + "' (expected describe or render)");
}

} // namespace

int main (int argc, char* argv[])
{
    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
    {
        std::fputs (usage, stdout);
        return 0;
    }

    const juce::ScopedJuceInitialiser_GUI juce;

    try
    {
        return run (args);
    }
    catch (const HostError& e)
    {
        std::fflush (stdout);
        std::fprintf (stderr, "corvane-juce-host: %s\n", oneLine (e.message).toRawUTF8());
        return e.code;
    }
}
