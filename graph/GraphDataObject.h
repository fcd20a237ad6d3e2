#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

// One data object of a graph: its attributes are looked up by name. The time stamp attribute
// holds a QDateTime or a double (seconds since the epoch); values are numbers.
class GraphDataObject {
public:
    virtual ~GraphDataObject() = default;
    virtual QVariant valueForKey(const QString& key) const = 0;
};

// Shared, so a data source may hand out objects that stay valid while a tile is drawn.
using GraphDataObjectPtr = std::shared_ptr<const GraphDataObject>;
using GraphData = QList<GraphDataObjectPtr>;

// Seconds since the epoch of a time stamp attribute.
double graphDateSeconds(const QVariant& date);

// Values below zero (the log's -1 for an unknown level) and non-numbers are drawn nowhere.
inline bool isDrawnValue(const QVariant& value) {
    return value.toFloat() >= 0.0f;
}
