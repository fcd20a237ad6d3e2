#include "GraphCoordinates.h"

#include "Clock.h"
#include "GraphDelegate.h"

GraphCoordinates::GraphCoordinates(const GraphGeometry& geometry, const GraphDelegate& source)
    : geometry_(geometry), source_(source), xKey_(source.xKey()) {}

float GraphCoordinates::getXCord(const GraphDataObject& object) const {
    return geometry_.xForDate(graphDateSeconds(object.valueForKey(xKey_)), Clock::now());
}

float GraphCoordinates::getYCord(const GraphDataObject& object, const QString& key) const {
    return geometry_.yValueToPixels(object.valueForKey(key).toFloat(), source_.yRange(key));
}
