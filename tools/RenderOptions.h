#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** The command line of corvane-render. */
struct RenderOptions
{
    juce::String inputPath;          ///< empty with --demo
    bool demo = false;
    juce::String outputPath;
    double bpm = 120.0;
    int numerator = 4;
    int denominator = 4;
    // The effect settings; each is applied only when given, so that a loaded
    // state keeps the settings the command line leaves alone.
    std::optional<int> loop;         ///< choice index 0..5
    std::optional<bool> reverse;     ///< the Reverse switch
    std::optional<double> fade;      ///< Fade, 0.01..1
    std::optional<double> mix;       ///< Dry/Wet, 0 (dry) ..1 (wet)
    juce::String statePath;          ///< a saved state chunk to load first
    juce::String saveStatePath;      ///< where to write the state chunk
    int blockSize = 512;
    juce::int64 start = 0;
    double sampleRate = 44100.0;     ///< for the demo input
    int bitsPerSample = 32;          ///< 32 writes floats, 16 and 24 integers
    bool help = false;

    /** Reads the arguments (without the program name). Returns an empty
        string when they are usable, else a one-line message. */
    juce::String parse (const juce::StringArray& args);

    static juce::String usage();

    /** The Loop choice texts, index 0..5. */
    static const juce::StringArray& loopChoices();
};
