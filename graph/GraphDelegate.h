#pragma once

#include "GraphStyle.h"

#include <QPointF>

#include <optional>

// The graph's data source, called on the GUI thread only. Tiles are drawn on other threads from
// values taken from it: a GraphStyle and the fetch function it hands out. Optional operations
// answer std::nullopt when not implemented, and the graph applies its default.
class GraphDelegate {
public:
    virtual ~GraphDelegate() = default;

    // Seconds represented by the whole width of the graph.
    virtual float xRange() const = 0;
    // The value drawn at the top of the plot for a series; 0 is at the bottom.
    virtual float yRange(const QString& key) const = 0;
    virtual QString xKey() const = 0;
    virtual QStringList yKeys() const = 0;
    // Objects between two times (seconds relative to now, either order), oldest first; may
    // include one neighbour on each side.
    virtual GraphData dataFromX(float fromSecs, float toSecs) const {
        return dataFetch()(fromSecs, toSecs, 0);
    }
    // The fetch that tiles and taps use; it must not refer back to the delegate.
    virtual GraphFetch dataFetch() const = 0;

    virtual std::optional<QColor> lineColor(const QString&) const { return std::nullopt; }
    // 1 draws vertical bars, anything else a line with dots.
    virtual std::optional<int> lineType(const QString&) const { return std::nullopt; }
    virtual std::optional<float> lineSize(const QString&) const { return std::nullopt; }
    virtual std::optional<bool> xAxisReversed() const { return std::nullopt; }
    // Extra margin under the plot, added to the fixed one.
    virtual std::optional<float> yBottomClearance() const { return std::nullopt; }
    virtual std::optional<StateBadgeTable> stateChangeNewStateBadge() const { return std::nullopt; }
    // A single tap picked this object of this series, drawn at this point (GUI thread).
    virtual void objectSelected(const GraphDataObjectPtr&, const QPointF&, const QString&) {}
};
