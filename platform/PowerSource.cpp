#include "PowerSource.h"

#include <QStringList>

#include <algorithm>

namespace {
constexpr float MaxPlausibleOvercharge = 1.2f;
}

const QString PowerSource::CurrentCapacity = QStringLiteral("CurrentCapacity");
const QString PowerSource::MaxCapacity = QStringLiteral("MaxCapacity");
const QString PowerSource::DesignCapacity = QStringLiteral("DesignCapacity");
const QString PowerSource::Voltage = QStringLiteral("Voltage");
const QString PowerSource::BootVoltage = QStringLiteral("BootVoltage");
const QString PowerSource::Amperage = QStringLiteral("Amperage");
const QString PowerSource::InstantAmperage = QStringLiteral("InstantAmperage");
const QString PowerSource::CycleCount = QStringLiteral("CycleCount");
const QString PowerSource::Temperature = QStringLiteral("Temperature");

float PowerSource::batteryData(const QString& key) const {
    const Properties table = properties();
    const auto it = table.constFind(key);
    return it == table.constEnd() ? -1.0f : static_cast<float>(it.value());
}

float PowerSource::accurateBatteryLevel() const {
    const Properties table = properties();
    const auto current = table.constFind(CurrentCapacity);
    const auto max = table.constFind(MaxCapacity);
    if (current == table.constEnd() || max == table.constEnd())
        return -1.0f;
    const float c = static_cast<float>(current.value());
    const float m = static_cast<float>(max.value());
    // A reported value of exactly -1 means "unknown" to every reader of the table. A full-charge
    // capacity of zero (seen on broken firmware) would give an infinite level, so it counts as
    // unknown too and the caller falls back to the platform's level.
    if (c == -1.0f || m == -1.0f || m <= 0.0f)
        return -1.0f;
    const float level = c / m;
    // Batteries often report a little more than their full-charge capacity when full; that is
    // a full battery, not 103 %. Far above full the reading itself is broken.
    if (level > MaxPlausibleOvercharge)
        return -1.0f;
    return std::min(level, 1.0f);
}

QString BatteryIdentity::key() const {
    const QString last = !serial.isEmpty() || designCapacity < 0
                             ? serial
                             : QString::number(designCapacity, 'f', 0);
    return QStringList{manufacturer, model, last}.join(QLatin1Char('/'));
}
