// corvane-vst2-host: a minimal command-line VST2 host used by the test suite.
//
// It talks to a plug-in through Debian's fst-dev headers only (no JUCE), so it
// exercises the VST2 entry point, the dispatcher and processReplacing exactly
// the way an external host would.
//
//   corvane-vst2-host describe PLUGIN.so
//   corvane-vst2-host render PLUGIN.so --in IN.f32 --out OUT.f32
//       --sample-rate R --block N --bpm X --numerator A --denominator B
//       --start S [--playing 1|0] [--tempo-valid 1|0] [--set-param INDEX:VALUE]...
//       [--automate FRAME:INDEX:VALUE]... [--load-state CHUNK] [--save-state CHUNK]
//
// describe prints key=value lines on stdout. render reads and writes raw
// little-endian float32 interleaved stereo.
//
// Exit codes: 0 success, 1 the plug-in could not be loaded or used,
// 2 bad arguments or unreadable/unwritable files.
//
// Set CORVANE_VST2_HOST_TRACE=1 to log every host callback on stderr.

#if defined(__GNUC__) || defined(__clang__)
// fst marks the opcodes whose numbers it does not know as deprecated. The
// plug-in under test is built against the same header, so using those names
// is exactly what keeps host and plug-in in agreement.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif

#include <pluginterfaces/fst/aeffectx.h>

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int exitOk = 0;
constexpr int exitLoadFailure = 1;
constexpr int exitBadArguments = 2;

constexpr std::size_t stringBufferSize = 512;

const char* const hostVendorString = "Corvane Audio";
const char* const hostProductString = "Corvane VST2 Test Host";

//==============================================================================
// State shared with the host callback. The callback may run on the plug-in's
// own message thread, so everything it reads is either atomic or only written
// by the main thread while the plug-in cannot be asking for it (the time info
// is refreshed between processReplacing calls, and JUCE only asks for it from
// inside processReplacing).
struct HostState
{
    std::atomic<double> sampleRate { 44100.0 };
    std::atomic<int> blockSize { 512 };
    std::atomic<bool> timeInfoAvailable { false };
    std::atomic<bool> trace { false };
    VstTimeInfo timeInfo {};
};

HostState hostState;

VstIntPtr VSTCALLBACK hostCallback (AEffect* effect, int opcode, int index, VstIntPtr value, void* ptr, float opt)
{
    if (hostState.trace.load (std::memory_order_relaxed))
        std::fprintf (stderr, "host callback: effect=%p opcode=%d index=%d value=%ld ptr=%p opt=%g\n",
                      static_cast<void*> (effect), opcode, index, static_cast<long> (value), ptr,
                      static_cast<double> (opt));

    switch (opcode)
    {
        case audioMasterVersion:
            return 2400;

        case audioMasterAutomate:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 0;

        case audioMasterCurrentId:
            // This host never loads shell plug-ins, so no sub-plug-in ID is pending.
            return 0;

        case audioMasterIdle:
        case audioMasterUpdateDisplay:
        case audioMasterIOChanged:
            return 0;

        case audioMasterGetTime:
            if (hostState.timeInfoAvailable.load (std::memory_order_acquire))
                return reinterpret_cast<VstIntPtr> (&hostState.timeInfo);
            return 0;

        case audioMasterGetSampleRate:
            return static_cast<VstIntPtr> (hostState.sampleRate.load());

        case audioMasterGetBlockSize:
            return static_cast<VstIntPtr> (hostState.blockSize.load());

        case audioMasterGetVendorString:
        case audioMasterGetProductString:
            if (ptr != nullptr)
            {
                // The plug-in's buffer is meant to hold 64 characters; both
                // strings are well under that, so copy them with their
                // terminator and nothing more.
                const char* text = opcode == audioMasterGetVendorString ? hostVendorString : hostProductString;
                std::memcpy (ptr, text, std::strlen (text) + 1);
                return 1;
            }
            return 0;

        default:
            return 0;
    }
}

//==============================================================================
void failure (const std::string& message)
{
    std::fprintf (stderr, "corvane-vst2-host: %s\n", message.c_str());
}

// Keeps the key=value protocol one line per entry whatever the plug-in returns.
std::string sanitise (const char* text)
{
    std::string result;

    for (const char* c = text; *c != '\0'; ++c)
        result += (*c == '\n' || *c == '\r') ? ' ' : *c;

    return result;
}

using EntryPoint = AEffect* (*) (audioMasterCallback);

struct LoadedPlugin
{
    void* handle = nullptr;
    AEffect* effect = nullptr;
    bool exportsMain = false;

    LoadedPlugin() = default;
    LoadedPlugin (const LoadedPlugin&) = delete;
    LoadedPlugin& operator= (const LoadedPlugin&) = delete;

    ~LoadedPlugin()
    {
        close();

        if (handle != nullptr)
            dlclose (handle);
    }

    VstIntPtr dispatch (int opcode, int index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher (effect, opcode, index, value, ptr, opt);
    }

    void open()
    {
        dispatch (effOpen);
    }

    // effClose also destroys the instance (whether or not effOpen was sent),
    // so the AEffect record must not be touched afterwards.
    void close()
    {
        if (effect != nullptr)
        {
            dispatch (effClose);
            effect = nullptr;
        }
    }
};

// True when `symbol` was found inside the object behind `handle` itself, not
// in one of the libraries it depends on.
bool symbolBelongsTo (void* handle, void* symbol)
{
    link_map* map = nullptr;

    if (symbol == nullptr || dlinfo (handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
        return false;

    Dl_info info {};

    if (dladdr (symbol, &info) == 0 || info.dli_fname == nullptr || map->l_name == nullptr)
        return false;

    return std::strcmp (info.dli_fname, map->l_name) == 0;
}

// Returns an empty string on success, otherwise a one-line reason.
std::string loadPlugin (const char* path, LoadedPlugin& plugin)
{
    // Without a slash dlopen would search the library path instead of the
    // file the caller named.
    const std::string fileName = std::strchr (path, '/') != nullptr ? std::string (path) : "./" + std::string (path);

    dlerror();
    plugin.handle = dlopen (fileName.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (plugin.handle == nullptr)
    {
        const char* error = dlerror();
        return std::string ("cannot load ") + path + ": " + (error != nullptr ? error : "unknown error");
    }

    void* pluginMain = dlsym (plugin.handle, "VSTPluginMain");
    void* legacyMain = dlsym (plugin.handle, "main");
    plugin.exportsMain = symbolBelongsTo (plugin.handle, legacyMain);

    if (! symbolBelongsTo (plugin.handle, pluginMain))
    {
        if (! plugin.exportsMain)
            return std::string (path) + " exports neither VSTPluginMain nor main";

        pluginMain = legacyMain;
    }

    auto entry = reinterpret_cast<EntryPoint> (pluginMain);
    plugin.effect = entry (hostCallback);

    if (plugin.effect == nullptr)
        return std::string (path) + ": the entry point returned no effect";

    if (plugin.effect->magic != kEffectMagic)
    {
        char hex[32];
        std::snprintf (hex, sizeof (hex), "0x%08x", static_cast<unsigned> (plugin.effect->magic));
        plugin.effect = nullptr;
        return std::string (path) + ": bad effect magic " + hex;
    }

    if (plugin.effect->dispatcher == nullptr)
    {
        plugin.effect = nullptr;
        return std::string (path) + ": the effect has no dispatcher";
    }

    return {};
}

//==============================================================================
// A speaker arrangement sized for exactly `numChannels` entries: fst declares
// the speaker list as a flexible array, so sizeof (VstSpeakerArrangement)
// covers only the header.
class SpeakerArrangement
{
public:
    SpeakerArrangement (int type, const std::vector<int>& speakerTypes)
    {
        const auto bytes = offsetof (VstSpeakerArrangement, speakers)
                         + speakerTypes.size() * sizeof (VstSpeakerProperties);
        storage.assign ((bytes + sizeof (std::max_align_t) - 1) / sizeof (std::max_align_t), std::max_align_t {});
        std::memset (storage.data(), 0, storage.size() * sizeof (std::max_align_t));

        auto* arrangement = get();
        arrangement->type = type;
        arrangement->numChannels = static_cast<int> (speakerTypes.size());

        for (std::size_t i = 0; i < speakerTypes.size(); ++i)
        {
            arrangement->speakers[i].type = speakerTypes[i];
            std::snprintf (arrangement->speakers[i].name, sizeof (arrangement->speakers[i].name), "%zu", i + 1);
        }
    }

    VstSpeakerArrangement* get() { return reinterpret_cast<VstSpeakerArrangement*> (storage.data()); }

private:
    std::vector<std::max_align_t> storage;
};

SpeakerArrangement monoArrangement() { return { kSpeakerArrMono, { kSpeakerM } }; }
SpeakerArrangement stereoArrangement() { return { kSpeakerArrStereo, { kSpeakerL, kSpeakerR } }; }

SpeakerArrangement surroundArrangement()
{
    return { kSpeakerArr51, { kSpeakerL, kSpeakerR, kSpeakerC, kSpeakerLfe, kSpeakerLs, kSpeakerRs } };
}

VstIntPtr setSpeakers (LoadedPlugin& plugin, SpeakerArrangement in, SpeakerArrangement out)
{
    return plugin.dispatch (effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr> (in.get()), out.get());
}

//==============================================================================
struct StringQuery
{
    char text[stringBufferSize];
    VstIntPtr result;
};

StringQuery queryString (LoadedPlugin& plugin, int opcode, int index = 0)
{
    StringQuery query {};
    std::memset (query.text, 0, sizeof (query.text));
    query.result = plugin.dispatch (opcode, index, 0, query.text);
    query.text[sizeof (query.text) - 1] = '\0';
    return query;
}

void printString (const char* key, const char* value)
{
    std::printf ("%s=%s\n", key, sanitise (value).c_str());
}

void printInt (const char* key, long long value)
{
    std::printf ("%s=%lld\n", key, value);
}

int describe (const char* path)
{
    LoadedPlugin plugin;

    if (auto error = loadPlugin (path, plugin); ! error.empty())
    {
        failure (error);
        return exitLoadFailure;
    }

    hostState.sampleRate = 44100.0;
    hostState.blockSize = 512;

    plugin.open();
    plugin.dispatch (effSetSampleRate, 0, 0, nullptr, 44100.0f);
    plugin.dispatch (effSetBlockSize, 0, 512);

    AEffect* effect = plugin.effect;

    printInt ("export.main", plugin.exportsMain ? 1 : 0);
    printInt ("magic", effect->magic == kEffectMagic ? 1 : 0);
    printString ("name", queryString (plugin, effGetEffectName).text);
    printString ("vendor", queryString (plugin, effGetVendorString).text);
    printString ("product", queryString (plugin, effGetProductString).text);
    printInt ("vendorVersion", static_cast<long long> (plugin.dispatch (effGetVendorVersion)));
    printInt ("version", effect->version);
    printInt ("uniqueID", static_cast<std::int32_t> (effect->uniqueID));

    const auto id = static_cast<std::uint32_t> (effect->uniqueID);
    char idText[5] = {};

    for (int i = 0; i < 4; ++i)
    {
        const auto c = static_cast<unsigned char> ((id >> (24 - 8 * i)) & 0xffu);
        idText[i] = (c >= 0x20 && c < 0x7f) ? static_cast<char> (c) : '?';
    }

    printString ("uniqueIDText", idText);
    printInt ("category", static_cast<long long> (plugin.dispatch (effGetPlugCategory)));
    printInt ("vstVersion", static_cast<long long> (plugin.dispatch (effGetVstVersion)));
    printInt ("numInputs", effect->numInputs);
    printInt ("numOutputs", effect->numOutputs);
    printInt ("numPrograms", effect->numPrograms);
    printInt ("numParams", effect->numParams);
    printInt ("initialDelay", effect->initialDelay);

    const auto flags = static_cast<long long> (effect->flags);
    printInt ("flags", flags);
    printInt ("flag.hasEditor", (flags & effFlagsHasEditor) != 0);
    printInt ("flag.canReplacing", (flags & effFlagsCanReplacing) != 0);
    printInt ("flag.programChunks", (flags & effFlagsProgramChunks) != 0);
    printInt ("flag.noSoundInStop", (flags & effFlagsNoSoundInStop) != 0);
    printInt ("flag.canDoubleReplacing", (flags & effFlagsCanDoubleReplacing) != 0);
    printInt ("flag.isSynth", (flags & effFlagsIsSynth) != 0);

    printString ("programName", queryString (plugin, effGetProgramName).text);

    const auto indexed = queryString (plugin, effGetProgramNameIndexed, 0);
    printString ("programNameIndexed0", indexed.text);
    printInt ("programNameIndexed0.result", static_cast<long long> (indexed.result));

    printInt ("tailSize", static_cast<long long> (plugin.dispatch (effGetTailSize)));

    const char* const canDos[] = { "receiveVstEvents",   "receiveVstMidiEvent",   "receiveVstMidiEvents",
                                   "sendVstEvents",      "sendVstMidiEvent",      "sendVstMidiEvents",
                                   "receiveVstTimeInfo", "bypass",                "conformsToWindowRules",
                                   "supportsViewDpiScaling" };

    for (const char* canDo : canDos)
    {
        // The plug-in gets its own writable copy of the question.
        char question[64] = {};
        std::snprintf (question, sizeof (question), "%s", canDo);
        const auto key = std::string ("canDo.") + canDo;
        printInt (key.c_str(), static_cast<long long> (plugin.dispatch (effCanDo, 0, 0, question)));
    }

    printInt ("speaker.monoMono", static_cast<long long> (setSpeakers (plugin, monoArrangement(), monoArrangement())));
    printInt ("speaker.monoStereo", static_cast<long long> (setSpeakers (plugin, monoArrangement(), stereoArrangement())));
    printInt ("speaker.surround", static_cast<long long> (setSpeakers (plugin, surroundArrangement(), surroundArrangement())));
    printInt ("speaker.stereoStereo", static_cast<long long> (setSpeakers (plugin, stereoArrangement(), stereoArrangement())));

    printInt ("numInputsAfter", effect->numInputs);
    printInt ("numOutputsAfter", effect->numOutputs);

    for (int i = 0; i < effect->numParams; ++i)
    {
        const auto prefix = "param." + std::to_string (i) + ".";
        printString ((prefix + "name").c_str(), queryString (plugin, effGetParamName, i).text);
        printString ((prefix + "display").c_str(), queryString (plugin, effGetParamDisplay, i).text);
        printString ((prefix + "label").c_str(), queryString (plugin, effGetParamLabel, i).text);

        const double value = effect->getParameter != nullptr ? static_cast<double> (effect->getParameter (effect, i)) : 0.0;
        std::printf ("%svalue=%.9g\n", prefix.c_str(), value);
    }

    std::fflush (stdout);

    plugin.dispatch (effMainsChanged, 0, 0);
    plugin.close();
    return exitOk;
}

//==============================================================================
struct ParameterChange
{
    int index;
    float value;
    long long frame = -1;   ///< with --automate: set before the first block starting at or after this frame
};

struct RenderOptions
{
    std::string plugin, input, output;
    std::string loadState, saveState;   ///< program chunks: loaded before, saved after the settings
    double sampleRate = 0.0;
    int blockSize = 0;
    double bpm = 0.0;
    int numerator = 0;
    int denominator = 0;
    double start = 0.0;
    bool playing = true;
    bool tempoValid = true;
    std::vector<ParameterChange> parameters;
};

bool parseDouble (const char* text, double& result)
{
    if (text == nullptr || *text == '\0')
        return false;

    char* end = nullptr;
    errno = 0;
    const double value = std::strtod (text, &end);

    if (errno != 0 || end == text || *end != '\0' || ! std::isfinite (value))
        return false;

    result = value;
    return true;
}

bool parseInt (const char* text, long long low, long long high, int& result)
{
    if (text == nullptr || *text == '\0')
        return false;

    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll (text, &end, 10);

    if (errno != 0 || end == text || *end != '\0' || value < low || value > high)
        return false;

    result = static_cast<int> (value);
    return true;
}

// Returns an empty string on success, otherwise the reason.
std::string parseRenderArguments (int argc, char** argv, RenderOptions& options)
{
    if (argc < 3)
        return "render needs a plug-in path";

    options.plugin = argv[2];

    bool haveSampleRate = false, haveBlock = false, haveBpm = false, haveNumerator = false,
         haveDenominator = false, haveStart = false;

    for (int i = 3; i < argc; i += 2)
    {
        const std::string option = argv[i];

        if (i + 1 >= argc)
            return "missing value for " + option;

        const char* value = argv[i + 1];
        int flag = 0;

        if (option == "--in")
            options.input = value;
        else if (option == "--out")
            options.output = value;
        else if (option == "--sample-rate")
        {
            if (! parseDouble (value, options.sampleRate) || options.sampleRate < 1000.0 || options.sampleRate > 1.0e6)
                return std::string ("bad --sample-rate ") + value;
            haveSampleRate = true;
        }
        else if (option == "--block")
        {
            if (! parseInt (value, 1, 1 << 20, options.blockSize))
                return std::string ("bad --block ") + value;
            haveBlock = true;
        }
        else if (option == "--bpm")
        {
            if (! parseDouble (value, options.bpm) || options.bpm <= 0.0 || options.bpm > 10000.0)
                return std::string ("bad --bpm ") + value;
            haveBpm = true;
        }
        else if (option == "--numerator")
        {
            if (! parseInt (value, 1, 1024, options.numerator))
                return std::string ("bad --numerator ") + value;
            haveNumerator = true;
        }
        else if (option == "--denominator")
        {
            if (! parseInt (value, 1, 1024, options.denominator))
                return std::string ("bad --denominator ") + value;
            haveDenominator = true;
        }
        else if (option == "--start")
        {
            if (! parseDouble (value, options.start))
                return std::string ("bad --start ") + value;
            haveStart = true;
        }
        else if (option == "--playing")
        {
            if (! parseInt (value, 0, 1, flag))
                return std::string ("bad --playing ") + value + " (expected 1 or 0)";
            options.playing = flag != 0;
        }
        else if (option == "--tempo-valid")
        {
            if (! parseInt (value, 0, 1, flag))
                return std::string ("bad --tempo-valid ") + value + " (expected 1 or 0)";
            options.tempoValid = flag != 0;
        }
        else if (option == "--load-state")
        {
            options.loadState = value;
        }
        else if (option == "--save-state")
        {
            options.saveState = value;
        }
        else if (option == "--set-param" || option == "--automate")
        {
            std::string text = value;
            ParameterChange change {};

            if (option == "--automate")
            {
                const auto first = text.find (':');
                int frame = 0;

                if (first == std::string::npos || ! parseInt (text.substr (0, first).c_str(), 0, std::numeric_limits<int>::max(), frame))
                    return "bad --automate " + text + " (expected FRAME:INDEX:VALUE)";

                change.frame = frame;
                text = text.substr (first + 1);
            }

            const auto colon = text.find (':');
            double parameterValue = 0.0;

            if (colon == std::string::npos
                || ! parseInt (text.substr (0, colon).c_str(), 0, std::numeric_limits<int>::max(), change.index)
                || ! parseDouble (text.substr (colon + 1).c_str(), parameterValue)
                || parameterValue < 0.0 || parameterValue > 1.0)
                return "bad --set-param " + text + " (expected INDEX:VALUE with VALUE in [0, 1])";

            change.value = static_cast<float> (parameterValue);
            options.parameters.push_back (change);
        }
        else
            return "unknown option " + option;
    }

    if (options.input.empty())       return "missing --in";
    if (options.output.empty())      return "missing --out";
    if (! haveSampleRate)            return "missing --sample-rate";
    if (! haveBlock)                 return "missing --block";
    if (! haveBpm)                   return "missing --bpm";
    if (! haveNumerator)             return "missing --numerator";
    if (! haveDenominator)           return "missing --denominator";
    if (! haveStart)                 return "missing --start";

    return {};
}

constexpr bool hostIsLittleEndian()
{
    return __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
}

float floatFromLittleEndian (const unsigned char* bytes)
{
    std::uint32_t bits = static_cast<std::uint32_t> (bytes[0])
                       | static_cast<std::uint32_t> (bytes[1]) << 8
                       | static_cast<std::uint32_t> (bytes[2]) << 16
                       | static_cast<std::uint32_t> (bytes[3]) << 24;
    float value;
    std::memcpy (&value, &bits, sizeof (value));
    return value;
}

void floatToLittleEndian (float value, unsigned char* bytes)
{
    std::uint32_t bits;
    std::memcpy (&bits, &value, sizeof (bits));

    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char> ((bits >> (8 * i)) & 0xffu);
}

// Reads interleaved stereo float32; returns an empty string on success.
std::string readStereoFile (const std::string& path, std::vector<float>& samples)
{
    std::unique_ptr<FILE, int (*) (FILE*)> file (std::fopen (path.c_str(), "rb"), &std::fclose);

    if (file == nullptr)
        return "cannot open " + path + ": " + std::strerror (errno);

    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];

    for (;;)
    {
        const auto got = std::fread (chunk, 1, sizeof (chunk), file.get());
        bytes.insert (bytes.end(), chunk, chunk + got);

        if (got < sizeof (chunk))
        {
            if (std::ferror (file.get()))
                return "cannot read " + path;
            break;
        }
    }

    if (bytes.size() % (2 * sizeof (float)) != 0)
        return path + " is not whole stereo float32 frames (" + std::to_string (bytes.size()) + " bytes)";

    samples.resize (bytes.size() / sizeof (float));

    if (hostIsLittleEndian())
        std::memcpy (samples.data(), bytes.data(), bytes.size());
    else
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = floatFromLittleEndian (bytes.data() + 4 * i);

    return {};
}

std::string directoryOf (const std::string& path)
{
    const auto slash = path.find_last_of ('/');

    if (slash == std::string::npos)
        return ".";

    return slash == 0 ? "/" : path.substr (0, slash);
}

// Writes through a temporary file in the same folder and renames it into
// place, so `path` is either the complete result or untouched.
std::string writeStereoFileAtomically (const std::string& path, const std::vector<float>& samples)
{
    const std::string temporary = path + ".tmp." + std::to_string (static_cast<long> (getpid()));
    FILE* file = std::fopen (temporary.c_str(), "wb");

    if (file == nullptr)
        return "cannot create " + temporary + ": " + std::strerror (errno);

    bool ok = true;

    if (hostIsLittleEndian())
        ok = std::fwrite (samples.data(), sizeof (float), samples.size(), file) == samples.size();
    else
    {
        std::vector<unsigned char> bytes (samples.size() * 4);

        for (std::size_t i = 0; i < samples.size(); ++i)
            floatToLittleEndian (samples[i], bytes.data() + 4 * i);

        ok = std::fwrite (bytes.data(), 1, bytes.size(), file) == bytes.size();
    }

    ok = (std::fflush (file) == 0) && ok;
    ok = (fsync (fileno (file)) == 0) && ok;
    ok = (std::fclose (file) == 0) && ok;

    if (! ok || std::rename (temporary.c_str(), path.c_str()) != 0)
    {
        const std::string reason = std::strerror (errno);
        std::remove (temporary.c_str());
        return "cannot write " + path + ": " + reason;
    }

    return {};
}

void updateTimeInfo (const RenderOptions& options, long long framesDone)
{
    VstTimeInfo& info = hostState.timeInfo;
    info = VstTimeInfo {};
    info.samplePos = options.start + static_cast<double> (framesDone);
    info.sampleRate = options.sampleRate;
    info.tempo = options.bpm;
    info.timeSigNumerator = options.numerator;
    info.timeSigDenominator = options.denominator;
    info.ppqPos = info.samplePos / options.sampleRate * options.bpm / 60.0;
    info.flags = (options.playing ? kVstTransportPlaying : 0)
               | (options.tempoValid ? kVstTempoValid : 0)
               | kVstTimeSigValid
               | kVstPpqPosValid;
}

int render (int argc, char** argv)
{
    RenderOptions options;

    if (auto error = parseRenderArguments (argc, argv, options); ! error.empty())
    {
        failure (error);
        return exitBadArguments;
    }

    if (access (options.plugin.c_str(), R_OK) != 0)
    {
        failure ("cannot read plug-in " + options.plugin + ": " + std::strerror (errno));
        return exitBadArguments;
    }

    std::vector<float> input;

    if (auto error = readStereoFile (options.input, input); ! error.empty())
    {
        failure (error);
        return exitBadArguments;
    }

    if (access (directoryOf (options.output).c_str(), W_OK) != 0)
    {
        failure ("cannot write into " + directoryOf (options.output) + ": " + std::strerror (errno));
        return exitBadArguments;
    }

    LoadedPlugin plugin;

    if (auto error = loadPlugin (options.plugin.c_str(), plugin); ! error.empty())
    {
        failure (error);
        return exitLoadFailure;
    }

    AEffect* effect = plugin.effect;

    if (effect->processReplacing == nullptr || effect->numOutputs < 1 || effect->numInputs < 0)
    {
        failure ("the plug-in offers no usable processReplacing with outputs");
        return exitLoadFailure;
    }

    for (const auto& change : options.parameters)
    {
        if (change.index >= effect->numParams)
        {
            failure ("--set-param index " + std::to_string (change.index) + " out of range (the plug-in has "
                     + std::to_string (effect->numParams) + " parameters)");
            return exitBadArguments;
        }
    }

    hostState.sampleRate = options.sampleRate;
    hostState.blockSize = options.blockSize;

    plugin.open();
    plugin.dispatch (effSetSampleRate, 0, 0, nullptr, static_cast<float> (options.sampleRate));
    plugin.dispatch (effSetBlockSize, 0, options.blockSize);

    if (! options.loadState.empty())
    {
        FILE* file = std::fopen (options.loadState.c_str(), "rb");

        if (file == nullptr)
        {
            failure ("cannot read " + options.loadState);
            return exitBadArguments;
        }

        std::vector<char> chunk;
        char buffer[4096];

        for (size_t n; (n = std::fread (buffer, 1, sizeof (buffer), file)) > 0;)
            chunk.insert (chunk.end(), buffer, buffer + n);

        std::fclose (file);
        plugin.dispatch (effSetChunk, 0, static_cast<VstIntPtr> (chunk.size()), chunk.data());
    }

    if (effect->setParameter != nullptr)
        for (const auto& change : options.parameters)
            if (change.frame < 0)
                effect->setParameter (effect, change.index, change.value);

    if (! options.saveState.empty())
    {
        void* chunk = nullptr;
        const auto size = plugin.dispatch (effGetChunk, 0, 0, &chunk);
        FILE* file = std::fopen (options.saveState.c_str(), "wb");

        if (file == nullptr || chunk == nullptr || size <= 0
            || std::fwrite (chunk, 1, static_cast<size_t> (size), file) != static_cast<size_t> (size))
        {
            if (file != nullptr)
                std::fclose (file);

            failure ("cannot save the plug-in's chunk to " + options.saveState);
            return exitLoadFailure;
        }

        std::fclose (file);
    }

    // Valid before the plug-in is resumed, in case it asks for the transport early.
    updateTimeInfo (options, 0);
    hostState.timeInfoAvailable.store (true, std::memory_order_release);

    plugin.dispatch (effMainsChanged, 0, 1);
    plugin.dispatch (effStartProcess);

    const auto numFrames = static_cast<long long> (input.size() / 2);
    const auto blockSize = static_cast<std::size_t> (options.blockSize);
    const int numInputs = effect->numInputs;
    const int numOutputs = effect->numOutputs;

    std::vector<std::vector<float>> inputBuffers (static_cast<std::size_t> (numInputs), std::vector<float> (blockSize));
    std::vector<std::vector<float>> outputBuffers (static_cast<std::size_t> (numOutputs), std::vector<float> (blockSize));
    std::vector<float*> inputPointers, outputPointers;

    for (auto& buffer : inputBuffers)
        inputPointers.push_back (buffer.data());

    for (auto& buffer : outputBuffers)
        outputPointers.push_back (buffer.data());

    // processReplacing must see valid arrays even for a plug-in without inputs.
    float* noInputs[1] = { nullptr };
    float** inputArray = numInputs > 0 ? inputPointers.data() : noInputs;

    std::vector<float> output (input.size(), 0.0f);
    long long framesDone = 0;

    while (framesDone < numFrames)
    {
        const auto frames = static_cast<int> (std::min<long long> (options.blockSize, numFrames - framesDone));
        const float* source = input.data() + 2 * framesDone;

        for (int channel = 0; channel < numInputs; ++channel)
        {
            float* destination = inputBuffers[static_cast<std::size_t> (channel)].data();

            if (channel < 2)
                for (int i = 0; i < frames; ++i)
                    destination[i] = source[2 * i + channel];
            else
                std::fill (destination, destination + frames, 0.0f);
        }

        for (auto& buffer : outputBuffers)
            std::fill (buffer.begin(), buffer.end(), 0.0f);

        // Automation lands between blocks, as hosts send it.
        if (effect->setParameter != nullptr)
            for (auto& change : options.parameters)
                if (change.frame >= 0 && change.frame <= framesDone)
                {
                    effect->setParameter (effect, change.index, change.value);
                    change.frame = std::numeric_limits<long long>::max();
                }

        updateTimeInfo (options, framesDone);
        effect->processReplacing (effect, inputArray, outputPointers.data(), frames);

        const float* left = outputBuffers[0].data();
        const float* right = outputBuffers[numOutputs > 1 ? 1 : 0].data();
        float* target = output.data() + 2 * framesDone;

        for (int i = 0; i < frames; ++i)
        {
            target[2 * i] = left[i];
            target[2 * i + 1] = right[i];
        }

        framesDone += frames;
    }

    plugin.dispatch (effStopProcess);
    plugin.dispatch (effMainsChanged, 0, 0);
    plugin.close();
    hostState.timeInfoAvailable.store (false, std::memory_order_release);

    if (auto error = writeStereoFileAtomically (options.output, output); ! error.empty())
    {
        failure (error);
        return exitBadArguments;
    }

    return exitOk;
}

void printUsage()
{
    std::fprintf (stderr,
                  "usage: corvane-vst2-host describe PLUGIN.so\n"
                  "       corvane-vst2-host render PLUGIN.so --in IN.f32 --out OUT.f32 --sample-rate R --block N\n"
                  "                         --bpm X --numerator A --denominator B --start S\n"
                  "                         [--playing 1|0] [--tempo-valid 1|0] [--set-param INDEX:VALUE]... [--automate FRAME:INDEX:VALUE]...\n"
                  "                         [--load-state CHUNK] [--save-state CHUNK]\n");
}

} // namespace

int main (int argc, char** argv)
{
    if (const char* trace = std::getenv ("CORVANE_VST2_HOST_TRACE"); trace != nullptr && std::strcmp (trace, "1") == 0)
        hostState.trace = true;

    if (argc >= 2 && std::strcmp (argv[1], "describe") == 0)
    {
        if (argc != 3)
        {
            failure ("describe takes exactly one plug-in path");
            return exitBadArguments;
        }

        return describe (argv[2]);
    }

    if (argc >= 2 && std::strcmp (argv[1], "render") == 0)
        return render (argc, argv);

    printUsage();
    return exitBadArguments;
}
