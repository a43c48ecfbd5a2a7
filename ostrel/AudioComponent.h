#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace ostrel
{

/** Base of the library's DSP components.

    A component processes samples in place. The block forms fall back on the
    per-sample form, so a simple component only overrides process (float).
    Components are owned as members and never deleted through this base, so
    the destructor is protected and not virtual.
*/
class AudioComponent
{
public:
    AudioComponent() = default;
    AudioComponent (const AudioComponent&) = default;
    AudioComponent& operator= (const AudioComponent&) = default;

    /** One input sample in, one output sample out; the base gives silence. */
    virtual float process (float input);

    /** Generator form without input; the base gives silence. */
    virtual float process();

    /** Mono block in place, sample by sample through process (float). */
    virtual void process (float* samples, int numSamples);

    /** Stereo block in place: for each index the left, then the right sample. */
    virtual void process (float* left, float* right, int numSamples);

    /** One channel goes to the mono form, two to the stereo form; any other
        channel count is left alone. */
    virtual void process (juce::AudioBuffer<float>& buffer);

    /** Stores the sample rate (through setSampleRate), block size and channel count. */
    virtual void prepare (double newSampleRate, int newBlockSize, int newNumChannels);

    virtual void setSampleRate (double newSampleRate);

    double sampleRate = 44100.0;
    int blockSize = 0;
    int numChannels = 2;

protected:
    ~AudioComponent() = default;
};

} // namespace ostrel
