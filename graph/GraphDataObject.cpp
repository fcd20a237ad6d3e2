#include "GraphDataObject.h"

#include <QDateTime>

double graphDateSeconds(const QVariant& date) {
    if (date.typeId() == QMetaType::QDateTime)
        return static_cast<double>(date.toDateTime().toMSecsSinceEpoch()) / 1000.0;
    return date.toDouble();
}
