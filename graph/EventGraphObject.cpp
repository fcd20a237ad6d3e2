#include "EventGraphObject.h"

QVariant EventGraphObject::valueForKey(const QString& key) const {
    if (key == QLatin1String("creationDate"))
        return event_.creationDate;
    if (key == QLatin1String("batteryLevel"))
        return event_.batteryLevel;
    if (key == QLatin1String("batteryState"))
        return event_.batteryState;
    return QVariant();
}
