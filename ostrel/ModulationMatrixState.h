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

    ModulationMatrixState (juce::AudioProcessor* owner, int rowCount);

    /** The rows as attributes of one "Matrix" element: Row0source,
        Row0sourceName, Row0dest, Row0destName, Row0enabled, Row0modAmt,
        Row0index, then row 1 and so on. */
    std::unique_ptr<juce::XmlElement> getStateAsXml() const;

    /** Routes a row. Both names real: the row is enabled with the given
        indices; a destination of "---": disabled and zeroed. The names are
        stored either way. Row must be below the number of rows. */
    void setRow (int row, int source, int destination, const juce::String& sourceName, const juce::String& destinationName);

    /** Clears a row's destination and disables it. */
    void setDestinationForRow (int row, int unused, const juce::String& destinationName);

    /** Reads the rows from the "Matrix" child of a state document's root;
        without one, the current rows are announced again. */
    void loadFromXml (const juce::XmlElement& root);

    juce::AudioProcessor* processor = nullptr;
    std::unique_ptr<juce::StringArray> sourceNames = std::make_unique<juce::StringArray>();
    std::unique_ptr<juce::StringArray> destinationNames = std::make_unique<juce::StringArray>();
    juce::Array<Listener*> listeners;
    juce::OwnedArray<Row> rows;
    int numRows = 0;
};

} // namespace ostrel
