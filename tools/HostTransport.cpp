#include "HostTransport.h"

juce::Optional<juce::AudioPlayHead::PositionInfo> HostTransport::getPosition() const
{
    if (! available)
        return {};

    PositionInfo info;

    if (tempoKnown)
        info.setBpm (bpm);

    info.setTimeSignature (TimeSignature { numerator, denominator });
    info.setTimeInSamples (timeInSamples);

    if (sampleRate > 0.0)
    {
        const double seconds = static_cast<double> (timeInSamples) / sampleRate;
        info.setTimeInSeconds (seconds);

        if (tempoKnown)
            info.setPpqPosition (seconds * bpm / 60.0);
    }

    info.setIsPlaying (playing);
    return info;
}
