#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace ostrel
{

/** Modulation routing: rows that connect a source to a destination with an
    amount. Every change happens under the processor's callback lock. */
class ModulationMatrixState
{
public:
    struct Row
    {
        bool enabled = false;
        juce::String sourceName = "---";
        juce::String destinationName = "---";
        int source = 0;
        int destination = 0;
        int index = 0;
        float amount = 0.0f;
        int appliedDestination = 0;
    };

    class Listener
    {
    public:
        virtual void rowChanged (Row& row, bool fromUser) = 0;
        virtual void sourceChanged (int source, bool inUse, bool rowEnabled) = 0;
        virtual void destinationChanged (int) {}
        virtual void matrixAboutToLoad() = 0;
        virtual void rowApplied (Row& row) = 0;

    protected:
        ~Listener() = default;
    };

    ModulationMatrixState (juce::AudioProcessor* owner, int rowCount)
        : processor (owner), numRows (juce::jmax (0, rowCount))
    {
        for (int i = 0; i < numRows; ++i)
            rows.add (new Row())->index = i;
    }

    juce::AudioProcessor* processor = nullptr;
    std::unique_ptr<juce::StringArray> sourceNames = std::make_unique<juce::StringArray>();
    std::unique_ptr<juce::StringArray> destinationNames = std::make_unique<juce::StringArray>();
    juce::Array<Listener*> listeners;
    juce::OwnedArray<Row> rows;
    int numRows = 0;
};

} // namespace ostrel
