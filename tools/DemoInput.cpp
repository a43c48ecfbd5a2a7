#include "DemoInput.h"

#include <cmath>

namespace
{
constexpr double twoPi = 6.283185307179586;

// Adds a mono voice to both channels with a fixed left/right balance (0 = left, 1 = right).
void addVoice (juce::AudioBuffer<float>& out, int start, const std::vector<float>& voice, float pan)
{
    const float gainLeft = std::cos (pan * 1.5707963f);
    const float gainRight = std::sin (pan * 1.5707963f);
    const int count = juce::jmin ((int) voice.size(), out.getNumSamples() - start);

    for (int i = 0; i < count; ++i)
    {
        out.getWritePointer (0)[start + i] += voice[(size_t) i] * gainLeft;
        out.getWritePointer (1)[start + i] += voice[(size_t) i] * gainRight;
    }
}

std::vector<float> kick (double rate)
{
    std::vector<float> v ((size_t) (0.35 * rate));
    double phase = 0.0;

    for (size_t i = 0; i < v.size(); ++i)
    {
        const double t = (double) i / rate;
        const double frequency = 45.0 + 110.0 * std::exp (-t * 30.0);
        phase += twoPi * frequency / rate;
        v[i] = (float) (0.9 * std::sin (phase) * std::exp (-t * 9.0));
    }

    return v;
}

std::vector<float> snare (double rate, juce::Random& random)
{
    std::vector<float> v ((size_t) (0.25 * rate));

    for (size_t i = 0; i < v.size(); ++i)
    {
        const double t = (double) i / rate;
        const double noise = random.nextFloat() * 2.0 - 1.0;
        const double body = std::sin (twoPi * 190.0 * t);
        v[i] = (float) ((0.45 * noise * std::exp (-t * 18.0)) + 0.35 * body * std::exp (-t * 28.0));
    }

    return v;
}

std::vector<float> hat (double rate, juce::Random& random)
{
    std::vector<float> v ((size_t) (0.06 * rate));
    float previous = 0.0f;

    for (size_t i = 0; i < v.size(); ++i)
    {
        const double t = (double) i / rate;
        const float noise = random.nextFloat() * 2.0f - 1.0f;
        const float bright = noise - previous; // a first difference keeps the top end
        previous = noise;
        v[i] = (float) (0.18 * bright * std::exp (-t * 70.0));
    }

    return v;
}

std::vector<float> pluck (double rate, double frequency, double seconds)
{
    std::vector<float> v ((size_t) (seconds * rate));

    for (size_t i = 0; i < v.size(); ++i)
    {
        const double t = (double) i / rate;
        const double tone = std::sin (twoPi * frequency * t)
                          + 0.5 * std::sin (twoPi * 2.0 * frequency * t) * std::exp (-t * 12.0)
                          + 0.25 * std::sin (twoPi * 3.0 * frequency * t) * std::exp (-t * 20.0);
        const double attack = juce::jmin (1.0, t * 400.0);
        v[i] = (float) (0.22 * tone * attack * std::exp (-t * 5.0));
    }

    return v;
}
} // namespace

juce::AudioBuffer<float> makeDemoInput (double sampleRate, double bpm, int bars)
{
    const double beat = 60.0 / bpm * sampleRate;
    const int beats = 4 * bars;
    juce::AudioBuffer<float> out (2, (int) std::ceil (beats * beat));
    out.clear();

    juce::Random random (20261211);
    const auto kickVoice = kick (sampleRate);
    const auto snareVoice = snare (sampleRate, random);

    // A minor pentatonic line in eighth notes, up over two bars and back down.
    const double line[] = { 220.0, 261.63, 293.66, 329.63, 392.0, 440.0, 523.25, 440.0,
                            392.0, 329.63, 293.66, 261.63, 220.0, 196.0, 220.0, 261.63 };

    for (int eighth = 0; eighth < beats * 2; ++eighth)
    {
        const int start = (int) std::lround (eighth * beat / 2.0);
        const int beatInBar = (eighth / 2) % 4;
        const bool onBeat = eighth % 2 == 0;

        if (onBeat && (beatInBar == 0 || beatInBar == 2))
            addVoice (out, start, kickVoice, 0.5f);

        if (onBeat && (beatInBar == 1 || beatInBar == 3))
            addVoice (out, start, snareVoice, 0.45f);

        addVoice (out, start, hat (sampleRate, random), 0.75f);

        if (eighth % 3 != 2) // a syncopated line: two notes, one rest
            addVoice (out, start, pluck (sampleRate, line[eighth % 16], 0.4), 0.25f);
    }

    return out;
}
