#pragma once

#include "GraphDataObject.h"

#include <QPointF>
#include <QString>

#include <optional>

class GraphCoordinates;

// The drawn point a tap picked: the object, its series and where it is drawn.
struct NearestPoint {
    qsizetype index = -1;
    QPointF location;
    QString key;
};

// The drawn point nearest to `tap` among `data`, over every series, if one lies closer than
// `radius` points; on a tie the earlier series and object win.
std::optional<NearestPoint> findNearestPoint(const GraphCoordinates& coordinates,
                                             const GraphData& data, const QPointF& tap,
                                             double radius = 50.0);
