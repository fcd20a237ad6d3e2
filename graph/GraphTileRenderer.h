#pragma once

#include "GraphCoordinates.h"

#include <QList>
#include <QPointF>

class QPainter;

// Draws one tile of the graph: the series, their state badges and the time ticks that fall
// into the painter's clip rectangle (in graph coordinates). Holds only values and the fetch
// function, so it is safe on any thread.
class GraphTileRenderer {
public:
    GraphTileRenderer(const GraphCoordinates& coordinates, GraphFetch fetch);
    void draw(QPainter& painter) const;

    static constexpr float tileOverlap = 12.0f; // points fetched beyond each side of the tile
    static constexpr float badgeSize = 29.0f;

private:
    void drawSeries(QPainter& painter, const GraphData& data, const GraphSeriesStyle& series) const;
    void drawBars(QPainter& painter, const QList<QPointF>& points) const;
    void drawDottedLine(QPainter& painter, const QList<QPointF>& points) const;
    void drawBadges(QPainter& painter, const GraphData& data, const QString& key) const;
    void drawTicks(QPainter& painter, float fromSecs, float toSecs) const;

    GraphCoordinates coordinates_;
    GraphFetch fetch_;
};
