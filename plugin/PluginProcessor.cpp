#include "PluginProcessor.h"

#include <cmath>
#include <cstdint>

#include "ostrel/NumberText.h"

namespace
{
constexpr double loopBarChoices[] = { 0.125, 0.25, 0.5, 1.0, 2.0, 4.0 };

// Points the effect at a position for as long as this object lives.
struct ScopedPosition
{
    ScopedPosition (ReverseEffect& e, juce::AudioPlayHead::CurrentPositionInfo& p) : effect (e) { effect.positionInfo = &p; }
    ~ScopedPosition() { effect.positionInfo = nullptr; }
    ReverseEffect& effect;
};
} // namespace

CorvaneLoopAudioProcessor::CorvaneLoopAudioProcessor()
    : ostrel::ExoAudioProcessor (BusesProperties()
                                     .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                     .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    const juce::StringArray loopChoices { "1/8 Bar", "1/4 Bar", "1/2 Bar", "1 Bar", "2 Bars", "4 Bars" };

    pluginState.pluginFolderName = "Reverse";

    pluginState.addAudioParameter (new ostrel::OnOffParameter (REVERSE, "Reverse", 1.0f, 0.0f, 1.0f, 0.0f));

    // The declared default 0 lies below the minimum: Fade starts at 0.01.
    pluginState.addAudioParameter (new ostrel::PercentParameter (FADE, "Fade", 0.0f, 0.01f, 1.0f, 0.0f));
    pluginState.getParameter (FADE)->showOptionsMenu = false;

    pluginState.addAudioParameter (new ostrel::MixParameter (MIX, "Dry/Wet", 1.0f, 0.0f, 1.0f, 0.01f));
    pluginState.getParameter (MIX)->showOptionsMenu = false;

    pluginState.addAudioParameter (new ostrel::ExoAudioParameter (LOOP, "Loop", 1.0f, 0.0f, 5.0f, 1.0f));
    auto* loop = pluginState.getParameter (LOOP);
    loop->choices = loopChoices;
    loop->hasChoices = true;

    // Each callback runs once now with the default, leaving the plug-in on,
    // fully wet, with quarter-bar segments and the shortest fade.
    pluginState.bindToFunction (REVERSE, [this] (float v) { reverseChanged (v); });
    pluginState.bindToFunction (FADE, [this] (float v) { fadeChanged (v); });
    pluginState.bindToFunction (MIX, [this] (float v) { mixChanged (v); });
    pluginState.bindToFunction (LOOP, [this] (float v) { loopChanged (v); });
}

CorvaneLoopAudioProcessor::~CorvaneLoopAudioProcessor() = default;

//==============================================================================
void CorvaneLoopAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    reverse.prepare (sampleRate, samplesPerBlock, 2);

    mixSmoother.prepare (sampleRate, 0.04);
    mixSmoother.current = mixSmoother.target;

    onOffSmoother.prepare (sampleRate, 0.004);
}

void CorvaneLoopAudioProcessor::releaseResources()
{
}

int CorvaneLoopAudioProcessor::computeSegmentLength (double bpm, int timeSigDenominator, double bars,
                                                      double sampleRate, int capacity) noexcept
{
    if (! (std::isfinite (bpm) && bpm > 0.0) || capacity < 1)
        return 0;

    const double a = timeSigDenominator * bars;
    const double b = 60.0 / bpm;
    const double length = b * a * sampleRate;

    if (! (length >= 1.0))
        return 0;

    if (length >= static_cast<double> (capacity))
        return capacity;

    return static_cast<int> (static_cast<int64_t> (length));
}

juce::AudioPlayHead::CurrentPositionInfo CorvaneLoopAudioProcessor::toCurrentPositionInfo (const juce::AudioPlayHead::PositionInfo& position)
{
    juce::AudioPlayHead::CurrentPositionInfo info;
    info.bpm = position.getBpm().orFallback (0.0);

    if (const auto signature = position.getTimeSignature())
    {
        info.timeSigNumerator = signature->numerator;
        info.timeSigDenominator = signature->denominator;
    }

    info.timeInSamples = position.getTimeInSamples().orFallback (0);
    info.isPlaying = position.getIsPlaying() || position.getIsRecording();
    info.isRecording = position.getIsRecording();
    return info;
}

void CorvaneLoopAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    auto* hostPlayHead = getPlayHead();

    if (hostPlayHead == nullptr)
        return;

    const auto hostPosition = hostPlayHead->getPosition();

    if (! hostPosition.hasValue())
        return;

    auto position = toCurrentPositionInfo (*hostPosition);
    const ScopedPosition scopedPosition (reverse, position);

    if (! position.isPlaying)
        return;

    const int length = computeSegmentLength (position.bpm, position.timeSigDenominator, loopBars,
                                             getSampleRate(), reverse.getCapacity());

    if (length < 1 || buffer.getNumChannels() < 2)
        return;

    reverse.segmentLength = length;

    const int numSamples = buffer.getNumSamples();

    if (numSamples <= 0)
    {
        reverse.process (wetLeft.data(), wetRight.data(), 0);
        return;
    }

    float* left = buffer.getWritePointer (0);
    float* right = buffer.getWritePointer (1);
    const auto start = static_cast<uint64_t> (position.timeInSamples);

    for (int offset = 0; offset < numSamples; offset += maxPieceSize)
    {
        position.timeInSamples = static_cast<juce::int64> (start + static_cast<uint64_t> (offset));
        processPiece (left + offset, right + offset, juce::jmin (maxPieceSize, numSamples - offset));
    }
}

void CorvaneLoopAudioProcessor::processPiece (float* left, float* right, int numSamples)
{
    std::copy (left, left + numSamples, wetLeft.begin());
    std::copy (right, right + numSamples, wetRight.begin());

    reverse.process (wetLeft.data(), wetRight.data(), numSamples);

    for (int i = 0; i < numSamples; ++i)
    {
        const float g = onOffSmoother.getNextValue();
        const float m = mixSmoother.getNextValue();

        const float wetL = wetLeft[(size_t) i] * m + left[i] * (1.0f - m);
        wetLeft[(size_t) i] = wetL;
        const float wetR = wetRight[(size_t) i] * m + right[i] * (1.0f - m);
        wetRight[(size_t) i] = wetR;

        left[i] = wetL * g + left[i] * (1.0f - g);
        right[i] = g * wetR + (1.0f - g) * right[i];
    }
}

//==============================================================================
void CorvaneLoopAudioProcessor::reverseChanged (float value)
{
    const juce::ScopedLock lock (getCallbackLock());
    onOffSmoother.setTargetValue ((float) ostrel::roundHalfEven (value));
}

void CorvaneLoopAudioProcessor::fadeChanged (float value)
{
    reverse.fade.store (value * 0.5f, std::memory_order_relaxed);
}

void CorvaneLoopAudioProcessor::mixChanged (float value)
{
    const juce::ScopedLock lock (getCallbackLock());
    mixSmoother.setTargetValue (value);
}

void CorvaneLoopAudioProcessor::loopChanged (float value)
{
    const juce::ScopedLock lock (getCallbackLock());
    const double choice = ostrel::roundHalfEven (value);

    if (choice >= 0.0 && choice <= 5.0)
        loopBars = loopBarChoices[static_cast<int> (choice)];
}

bool CorvaneLoopAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainInputChannelSet() == juce::AudioChannelSet::stereo()
        && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

//==============================================================================
juce::AudioProcessorEditor* CorvaneLoopAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

const juce::String CorvaneLoopAudioProcessor::getProgramName (int) { return {}; }

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new CorvaneLoopAudioProcessor();
}
