#pragma once

#include "GraphDataObject.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QStringList>

#include <functional>
#include <optional>

class GraphDelegate;

// Badge images for the values of one attribute; a badge is drawn where the value changes.
struct StateBadges {
    QString attribute;
    QMap<double, QImage> imageForValue;
};
// Ordered, because only the first attribute is used.
using StateBadgeTable = QList<StateBadges>;

// How one series is drawn.
struct GraphSeriesStyle {
    QString key;
    float yRange = 1.0f;
    QColor color;
    bool bars = false;
    float lineWidth = 5.0f;
};

// Everything a tile needs to know of the data source but the data, taken on the GUI thread so
// that drawing threads never call the delegate.
struct GraphStyle {
    QString xKey;
    QList<GraphSeriesStyle> series; // in the order of the source's keys
    std::optional<StateBadges> badges;

    static GraphStyle of(const GraphDelegate& source);
    float yRange(const QString& key) const;
};

// The objects between two times (seconds relative to now, either order), oldest first, with
// one neighbour on each side. `columns` is the number of point columns the window is drawn
// across, so that a source may thin a dense window to what those columns can show; 0 asks for
// the window as stored. Must be safe on any thread: it may hold values, never the delegate.
using GraphFetch = std::function<GraphData(float fromSecs, float toSecs, int columns)>;
