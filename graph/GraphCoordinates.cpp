#include "GraphCoordinates.h"

#include "Clock.h"

GraphCoordinates::GraphCoordinates(const GraphGeometry& geometry, const GraphStyle& style)
    : geometry_(geometry), style_(style) {}

float GraphCoordinates::getXCord(const GraphDataObject& object) const {
    return geometry_.xForDate(graphDateSeconds(object.valueForKey(style_.xKey)), Clock::now());
}

float GraphCoordinates::getYCord(const GraphDataObject& object, const QString& key) const {
    return geometry_.yValueToPixels(object.valueForKey(key).toFloat(), style_.yRange(key));
}
