#include "ModulationMatrixState.h"

#include "ListenerWalk.h"
#include "NumberText.h"

namespace ostrel
{

namespace
{
juce::String rowPrefix (int row) { return "Row" + juce::String (row); }

} // namespace

ModulationMatrixState::ModulationMatrixState (juce::AudioProcessor* owner, int rowCount)
    : processor (owner), numRows (juce::jmax (0, rowCount))
{
    for (int i = 0; i < numRows; ++i)
        rows.add (new Row())->index = i;
}

std::unique_ptr<juce::XmlElement> ModulationMatrixState::getStateAsXml() const
{
    auto matrix = std::make_unique<juce::XmlElement> ("Matrix");

    for (int i = 0; i < numRows; ++i)
    {
        const auto& row = *rows[i];
        const auto p = rowPrefix (i);
        matrix->setAttribute (p + "source", juce::String (row.source));
        matrix->setAttribute (p + "sourceName", row.sourceName);
        matrix->setAttribute (p + "dest", juce::String (row.destination));
        matrix->setAttribute (p + "destName", row.destinationName);
        matrix->setAttribute (p + "enabled", row.enabled ? "1" : "0");
        matrix->setAttribute (p + "modAmt", numberText (row.amount, 20));
        matrix->setAttribute (p + "index", juce::String (row.index));
    }

    return matrix;
}

void ModulationMatrixState::setRow (int rowNumber, int source, int destination,
                                    const juce::String& sourceName, const juce::String& destinationName)
{
    if (! juce::isPositiveAndBelow (rowNumber, rows.size()))
        return;

    const juce::ScopedLock sl (processor->getCallbackLock());
    auto& row = *rows[rowNumber];

    if (sourceName != "---" && destinationName != "---")
    {
        row.enabled = true;
        row.source = source;
        row.destination = destination;
    }
    else if (destinationName == "---")
    {
        row.enabled = false;
        row.source = row.destination = 0;
    }

    row.index = rowNumber;
    row.sourceName = sourceName;
    row.destinationName = destinationName;

    bool inUse = false;

    if (source >= 1)
        for (int i = 0; i < juce::jmin (numRows, rows.size()); ++i)
            inUse = inUse || rows[i]->source == source;

    forEachListenerLastFirst (listeners, [&] (Listener* l) { l->sourceChanged (source, inUse, row.enabled); });
    forEachListenerLastFirst (listeners, [&] (Listener* l) { l->rowChanged (row, true); });
    forEachListenerLastFirst (listeners, [&] (Listener* l) { l->rowApplied (row); });

    row.appliedDestination = destination;
}

void ModulationMatrixState::setDestinationForRow (int rowNumber, int, const juce::String& destinationName)
{
    if (! juce::isPositiveAndBelow (rowNumber, rows.size()))
        return;

    const juce::ScopedLock sl (processor->getCallbackLock());
    auto& row = *rows[rowNumber];
    row.destination = 0;
    row.destinationName = destinationName;
    row.index = rowNumber;
    row.enabled = false;

    forEachListenerLastFirst (listeners, [&] (Listener* l) { l->rowChanged (row, true); });
    forEachListenerLastFirst (listeners, [&] (Listener* l) { l->rowApplied (row); });

    row.appliedDestination = 0;
}

void ModulationMatrixState::loadFromXml (const juce::XmlElement& root)
{
    const juce::XmlElement* matrix = nullptr;

    for (auto* child : root.getChildIterator())
        if (child->getTagName().equalsIgnoreCase ("Matrix"))
        {
            matrix = child;
            break;
        }

    std::unique_ptr<juce::XmlElement> current;

    if (matrix == nullptr)
    {
        current = getStateAsXml();
        matrix = current.get();
    }

    const juce::ScopedLock sl (processor->getCallbackLock());

    forEachListenerLastFirst (listeners, [] (Listener* l) { l->matrixAboutToLoad(); });

    for (int i = 0; i < juce::jmin (numRows, rows.size()); ++i)
    {
        auto& row = *rows[i];
        const auto p = rowPrefix (i);

        if (matrix->hasAttribute (p + "source"))     row.source = readInteger (matrix->getStringAttribute (p + "source"));
        if (matrix->hasAttribute (p + "sourceName")) row.sourceName = matrix->getStringAttribute (p + "sourceName");
        if (matrix->hasAttribute (p + "dest"))       row.destination = readInteger (matrix->getStringAttribute (p + "dest"));
        if (matrix->hasAttribute (p + "destName"))   row.destinationName = matrix->getStringAttribute (p + "destName");
        if (matrix->hasAttribute (p + "enabled"))    row.enabled = matrix->getBoolAttribute (p + "enabled");
        if (matrix->hasAttribute (p + "modAmt"))     row.amount = (float) matrix->getStringAttribute (p + "modAmt").getDoubleValue();

        row.index = i;
        row.appliedDestination = row.destination;
        forEachListenerLastFirst (listeners, [&row] (Listener* l) { l->rowChanged (row, false); });
    }
}

} // namespace ostrel
