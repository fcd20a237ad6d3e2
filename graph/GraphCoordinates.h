#pragma once

#include "GraphDataObject.h"
#include "GraphGeometry.h"
#include "GraphStyle.h"

// Where a data object is drawn: the geometry plus what the data source says about its keys.
// Both are values, so a copy may travel to a drawing thread.
class GraphCoordinates {
public:
    GraphCoordinates(const GraphGeometry& geometry, const GraphStyle& style);

    const GraphGeometry& geometry() const { return geometry_; }
    const GraphStyle& style() const { return style_; }
    // The current time is read at every call, so the curve follows the present.
    float getXCord(const GraphDataObject& object) const;
    float getYCord(const GraphDataObject& object, const QString& key) const;

private:
    GraphGeometry geometry_;
    GraphStyle style_;
};
