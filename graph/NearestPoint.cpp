#include "NearestPoint.h"

#include "GraphCoordinates.h"

#include <cmath>

std::optional<NearestPoint> findNearestPoint(const GraphCoordinates& coordinates,
                                             const GraphData& data, const QPointF& tap,
                                             double radius) {
    std::optional<NearestPoint> best;
    double bestDistance = std::ldexp(1.0, 63);
    for (const GraphSeriesStyle& series : coordinates.style().series) {
        const QString& key = series.key;
        for (qsizetype j = 0; j < data.size(); ++j) {
            if (!isDrawnValue(data[j]->valueForKey(key)))
                continue; // an unknown level is not drawn, so it cannot be tapped
            const double x = coordinates.getXCord(*data[j]);
            const double y = coordinates.getYCord(*data[j], key);
            const double d =
                std::sqrt((x - tap.x()) * (x - tap.x()) + (y - tap.y()) * (y - tap.y()));
            if (d < radius && d < bestDistance) {
                best = NearestPoint{j, QPointF(x, y), key};
                bestDistance = d;
            }
        }
    }
    return best;
}
