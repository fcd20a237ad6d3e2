#pragma once

#include "Event.h"
#include "GraphDataObject.h"

// A stored battery sample as the graph sees it: "creationDate" (seconds since the epoch),
// "batteryLevel" and "batteryState".
class EventGraphObject : public GraphDataObject {
public:
    explicit EventGraphObject(const Event& event) : event_(event) {}
    const Event& event() const { return event_; }
    QVariant valueForKey(const QString& key) const override;

private:
    Event event_;
};
