#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The built-in demo input: four bars of a short drum-and-pluck phrase in
    4/4 at the given tempo, stereo. Kick, snare and hi-hat mark the beats and
    a plucked line walks up and down a minor scale, so every segment has sharp
    attacks and decays that sound and look clearly different reversed.
    The same arguments always give the same samples. */
juce::AudioBuffer<float> makeDemoInput (double sampleRate, double bpm, int bars = 4);
