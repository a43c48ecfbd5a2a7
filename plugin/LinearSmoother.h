#pragma once

#include <cmath>
#include <limits>

/** A value that moves to a new target in equal single-precision steps over a
    fixed number of samples. A small helper of the processor's mix stage. */
struct LinearSmoother
{
    float current = 0.0f;
    float target = 0.0f;
    float step = 0.0f;
    int countdown = 0;
    int rampSamples = 0;

    float getNextValue() noexcept
    {
        if (countdown > 0)
        {
            --countdown;
            current += step;
            return current;
        }

        return target;
    }

    void setTargetValue (float newTarget) noexcept
    {
        if (newTarget == target)
            return;

        target = newTarget;
        countdown = rampSamples;

        if (countdown <= 0)
            current = newTarget;
        else
            step = (newTarget - current) / static_cast<float> (countdown);
    }

    /** Sets the ramp length to floor (seconds x rate) samples and ends any
        running ramp; current is left where it stood. */
    void prepare (double sampleRate, double rampSeconds) noexcept
    {
        const double samples = std::floor (rampSeconds * sampleRate);
        rampSamples = samples >= 1.0 ? static_cast<int> (std::fmin (samples, static_cast<double> (std::numeric_limits<int>::max())))
                                     : 0;
        countdown = 0;
    }
};
