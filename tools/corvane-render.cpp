// corvane-render: plays an audio file, or the built-in demo phrase, through
// the plug-in's processor with a simulated playing transport and writes the
// result as a WAV file.

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "DemoInput.h"
#include "OfflineRender.h"
#include "RenderOptions.h"
#include "plugin/PluginProcessor.h"

namespace
{
int fail (const juce::String& message, int code = 1)
{
    std::fprintf (stderr, "corvane-render: %s\n", message.toRawUTF8());
    return code;
}

bool sameFile (const juce::File& a, const juce::File& b)
{
    if (a == b)
        return true;

    std::error_code error;
    return a.exists() && b.exists()
        && std::filesystem::equivalent (a.getFullPathName().toStdString(), b.getFullPathName().toStdString(), error);
}

/** Draws a progress bar on a terminal once a render has taken longer than a moment. */
class ProgressBar
{
public:
    explicit ProgressBar (juce::int64 totalSamples)
        : total (juce::jmax<juce::int64> (1, totalSamples)), enabled (isatty (fileno (stderr)) != 0)
    {
    }

    ~ProgressBar()
    {
        if (shown)
            std::fprintf (stderr, "\r%*s\r", 60, "");
    }

    void update (juce::int64 done)
    {
        if (! enabled)
            return;

        const auto now = juce::Time::getMillisecondCounterHiRes();

        if (now - started < 300.0 || now - lastDrawn < 100.0)
            return;

        lastDrawn = now;
        shown = true;
        const int width = 40;
        const auto filled = (int) (width * done / total);
        std::fprintf (stderr, "\r[%s%s] %3d%%", juce::String::repeatedString ("#", filled).toRawUTF8(),
                      juce::String::repeatedString (".", width - filled).toRawUTF8(), (int) (100 * done / total));
        std::fflush (stderr);
    }

private:
    juce::int64 total;
    bool enabled;
    bool shown = false;
    double started = juce::Time::getMillisecondCounterHiRes();
    double lastDrawn = 0.0;
};

bool readInput (const juce::File& file, juce::AudioBuffer<float>& audio, double& sampleRate, juce::String& error)
{
    if (! file.existsAsFile())
    {
        error = "cannot read '" + file.getFullPathName() + "': no such file";
        return false;
    }

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));

    if (reader == nullptr)
    {
        error = "cannot read '" + file.getFullPathName() + "': not a WAV or AIFF file";
        return false;
    }

    if (reader->numChannels < 1 || reader->numChannels > 2)
    {
        error = "'" + file.getFullPathName() + "' has " + juce::String (reader->numChannels)
              + " channels; give a mono or stereo file";
        return false;
    }

    if (reader->lengthInSamples <= 0 || reader->lengthInSamples > std::numeric_limits<int>::max() / 2
        || ! (reader->sampleRate >= 1000.0 && reader->sampleRate <= 768000.0))
    {
        error = "'" + file.getFullPathName() + "' has no usable length or sample rate";
        return false;
    }

    const int length = (int) reader->lengthInSamples;
    audio.setSize (2, length);

    if (! reader->read (&audio, 0, length, 0, true, true))
    {
        error = "cannot read the audio of '" + file.getFullPathName() + "'";
        return false;
    }

    if (reader->numChannels == 1)
        audio.copyFrom (1, 0, audio, 0, 0, length);

    sampleRate = reader->sampleRate;
    return true;
}

bool writeOutput (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bits)
{
    // Written beside the target and moved over it only when complete.
    juce::TemporaryFile temporary (file);

    {
        auto stream = temporary.getFile().createOutputStream();

        if (stream == nullptr)
            return false;

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate, 2, bits, {}, 0));

        if (writer == nullptr)
            return false;

        stream.release(); // the writer owns the stream now

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            return false;
    }

    return temporary.overwriteTargetFileWithTemporary();
}
} // namespace

int main (int argc, char* argv[])
{
    RenderOptions options;
    const auto problem = options.parse (juce::StringArray (argv + 1, argc - 1));

    if (options.help)
    {
        std::fputs (RenderOptions::usage().toRawUTF8(), stdout);
        return 0;
    }

    if (problem.isNotEmpty())
        return fail (problem + " (see --help)", 2);

    const juce::ScopedJuceInitialiser_GUI juce;

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const bool rendering = options.outputPath.isNotEmpty();
    const auto outputFile = cwd.getChildFile (options.outputPath);
    const auto saveStateFile = cwd.getChildFile (options.saveStatePath);

    if (options.saveStatePath.isNotEmpty() && ! saveStateFile.getParentDirectory().isDirectory())
        return fail ("cannot write '" + saveStateFile.getFullPathName() + "': its folder does not exist");

    juce::MemoryBlock state;

    if (options.statePath.isNotEmpty())
    {
        const auto stateFile = cwd.getChildFile (options.statePath);

        if (! stateFile.existsAsFile() || stateFile.getSize() > 64 * 1024 * 1024 || ! stateFile.loadFileAsData (state))
            return fail ("cannot read the state '" + stateFile.getFullPathName() + "'");

        if (ostrel::ExoAudioProcessor::documentFromChunk (state.getData(), (int) state.getSize()) == nullptr)
            return fail ("'" + stateFile.getFullPathName() + "' holds no Corvane Reverse state");
    }

    CorvaneLoopAudioProcessor processor;

    if (state.getSize() > 0)
        processor.setStateInformation (state.getData(), (int) state.getSize());

    // Settings go through the parameters, as a host sets them, before the
    // processor is prepared: the render starts at them without ramps.
    const auto setParameter = [&processor] (const char* id, std::optional<double> value)
    {
        if (! value.has_value())
            return;

        auto* parameter = processor.pluginState.getParameter (id);
        parameter->setValue (parameter->range.convertTo0to1 ((float) *value));
    };

    setParameter (REVERSE, options.reverse.has_value() ? std::optional<double> (*options.reverse ? 1.0 : 0.0) : std::nullopt);
    setParameter (FADE, options.fade);
    setParameter (MIX, options.mix);
    setParameter (LOOP, options.loop.has_value() ? std::optional<double> (*options.loop) : std::nullopt);

    if (options.saveStatePath.isNotEmpty())
    {
        juce::MemoryBlock chunk;
        processor.getStateInformation (chunk);
        juce::TemporaryFile temporary (saveStateFile);

        if (! temporary.getFile().replaceWithData (chunk.getData(), chunk.getSize()) || ! temporary.overwriteTargetFileWithTemporary())
            return fail ("cannot write '" + saveStateFile.getFullPathName() + "'");
    }

    if (! rendering)
    {
        std::printf ("corvane-render: saved the state to %s\n", saveStateFile.getFullPathName().toRawUTF8());
        return 0;
    }

    if (! outputFile.getParentDirectory().isDirectory())
        return fail ("cannot write '" + outputFile.getFullPathName() + "': its folder does not exist");

    if (outputFile.isDirectory())
        return fail ("cannot write '" + outputFile.getFullPathName() + "': it is a folder");

    juce::AudioBuffer<float> audio;
    double sampleRate = options.sampleRate;

    if (options.demo)
    {
        audio = makeDemoInput (sampleRate, options.bpm);
    }
    else
    {
        const auto inputFile = cwd.getChildFile (options.inputPath);

        if (sameFile (inputFile, outputFile))
            return fail ("the output '" + outputFile.getFullPathName() + "' is the input; choose another file");

        juce::String error;

        if (! readInput (inputFile, audio, sampleRate, error))
            return fail (error);
    }

    processor.setRateAndBufferSizeDetails (sampleRate, options.blockSize);
    processor.prepareToPlay (sampleRate, options.blockSize);

    HostTransport transport;
    transport.sampleRate = sampleRate;
    transport.bpm = options.bpm;
    transport.numerator = options.numerator;
    transport.denominator = options.denominator;
    transport.timeInSamples = options.start;

    {
        ProgressBar progress (audio.getNumSamples());
        renderInBlocks (processor, transport, audio, options.blockSize,
                        [&progress] (juce::int64 done) { progress.update (done); });
    }

    processor.releaseResources();

    if (! writeOutput (outputFile, audio, sampleRate, options.bitsPerSample))
        return fail ("cannot write '" + outputFile.getFullPathName() + "'");

    std::printf ("corvane-render: wrote %s: %.2f s at %g Hz, %s; %g bpm %d/%d, %s segments, reverse %s, fade %s, mix %s,"
                 " blocks of %d, start %lld\n",
                 outputFile.getFullPathName().toRawUTF8(),
                 audio.getNumSamples() / sampleRate, sampleRate,
                 options.bitsPerSample == 32 ? "32-bit float" : (juce::String (options.bitsPerSample) + "-bit").toRawUTF8(),
                 options.bpm, options.numerator, options.denominator,
                 processor.getParameters()[3]->getCurrentValueAsText().toRawUTF8(),
                 processor.getParameters()[0]->getCurrentValueAsText().toRawUTF8(),
                 processor.getParameters()[1]->getCurrentValueAsText().toRawUTF8(),
                 processor.getParameters()[2]->getCurrentValueAsText().toRawUTF8(),
                 options.blockSize,
                 (long long) options.start);
    return 0;
}
