#pragma once

#include <juce_core/juce_core.h>

/** What a finished child process printed and how it ended (-1: it did not start). */
struct ChildRun
{
    int exitCode = -1;
    juce::String output;
};

/** Runs a command to its end, with extra environment variables if given,
    collecting the streams named (both by default). */
inline ChildRun runChild (const juce::StringArray& command,
                          const juce::StringPairArray& environment = {},
                          int streams = juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr)
{
    // ChildProcess has no environment argument: go through env(1).
    juce::StringArray full;

    if (environment.size() > 0)
    {
        full.add ("/usr/bin/env");

        for (const auto& key : environment.getAllKeys())
            full.add (key + "=" + environment[key]);
    }

    full.addArray (command);

    juce::ChildProcess process;
    ChildRun result;

    if (! process.start (full, streams))
        return result;

    result.output = process.readAllProcessOutput();
    process.waitForProcessToFinish (120000);
    result.exitCode = (int) process.getExitCode();
    return result;
}
