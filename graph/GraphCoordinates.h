#pragma once

#include "GraphDataObject.h"
#include "GraphGeometry.h"

class GraphDelegate;

// Where a data object is drawn: the geometry plus what the data source says about its keys.
class GraphCoordinates {
public:
    GraphCoordinates(const GraphGeometry& geometry, const GraphDelegate& source);

    const GraphGeometry& geometry() const { return geometry_; }
    const GraphDelegate& source() const { return source_; }
    // The current time is read at every call, so the curve follows the present.
    float getXCord(const GraphDataObject& object) const;
    float getYCord(const GraphDataObject& object, const QString& key) const;

private:
    GraphGeometry geometry_;
    const GraphDelegate& source_;
    QString xKey_;
};
