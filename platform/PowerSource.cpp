#include "PowerSource.h"

#include <QStringList>

#include <algorithm>

namespace {
constexpr float MaxPlausibleOvercharge = 1.2f;
}

// Each key is spelled as its name, so a key and its text cannot drift apart.
#define AMPELIO_POWER_SOURCE_KEY(name) const QString PowerSource::name = QStringLiteral(#name)

// Charge in mAh and the electrical readings, as every battery reports them.
AMPELIO_POWER_SOURCE_KEY(CurrentCapacity);
AMPELIO_POWER_SOURCE_KEY(MaxCapacity);
AMPELIO_POWER_SOURCE_KEY(DesignCapacity);
AMPELIO_POWER_SOURCE_KEY(Voltage);
AMPELIO_POWER_SOURCE_KEY(BootVoltage);
AMPELIO_POWER_SOURCE_KEY(Amperage);
AMPELIO_POWER_SOURCE_KEY(InstantAmperage);
AMPELIO_POWER_SOURCE_KEY(CycleCount);
AMPELIO_POWER_SOURCE_KEY(Temperature);

// Energy in mWh and power in mW, from batteries that count in energy.
AMPELIO_POWER_SOURCE_KEY(CurrentEnergy);
AMPELIO_POWER_SOURCE_KEY(MaxEnergy);
AMPELIO_POWER_SOURCE_KEY(DesignEnergy);
AMPELIO_POWER_SOURCE_KEY(Power);

#undef AMPELIO_POWER_SOURCE_KEY

float PowerSource::batteryData(const QString& key) const {
    return static_cast<float>(find(properties(), key).value_or(-1.0));
}

std::optional<double> PowerSource::find(const Properties& table, const QString& key) {
    const auto it = table.constFind(key);
    return it == table.constEnd() ? std::nullopt : std::optional<double>(*it);
}

float PowerSource::accurateBatteryLevel() const {
    return BatteryReading{{}, {}, properties(), -1.0f, BatteryStateUnknown, false}.accurateLevel();
}

float BatteryReading::accurateLevel() const {
    const PowerSource::Properties& table = properties;
    using K = PowerSource;
    auto current = table.constFind(K::CurrentCapacity);
    auto max = table.constFind(K::MaxCapacity);
    // An energy battery without a design voltage still knows its level as energy over energy.
    if (current == table.constEnd() || max == table.constEnd()) {
        current = table.constFind(K::CurrentEnergy);
        max = table.constFind(K::MaxEnergy);
    }
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
    const QString last =
        !serial.isEmpty() || designCapacity < 0 ? serial : QString::number(designCapacity, 'f', 0);
    return QStringList{manufacturer, model, last}.join(QLatin1Char('/'));
}

QList<BatteryReading> PowerSource::batteries() const {
    return {BatteryReading{name(), identity(), properties(), level(), state(), isNotCharging()}};
}

float PowerSource::combinedBatteryLevel() const {
    const QList<BatteryReading> all = batteries();
    return all.size() > 1 ? combinedLevel(all) : accurateBatteryLevel();
}

// Total over total: a nearly empty small battery beside a full large one is mostly full, as
// both the kernel's and the desktop's indicators show it. Energy is summed where every battery
// reports it (it adds up across cells of different voltage), else charge; a battery that
// reports neither makes the total unknown.
float PowerSource::combinedLevel(const QList<BatteryReading>& batteries) {
    if (batteries.isEmpty())
        return -1.0f;
    if (batteries.size() == 1)
        return batteries.first().accurateLevel();
    const auto total = [&](const QString& nowKey, const QString& fullKey) -> float {
        double now = 0.0;
        double full = 0.0;
        for (const BatteryReading& b : batteries) {
            if (!b.properties.contains(nowKey) || !b.properties.contains(fullKey))
                return -1.0f;
            // A full capacity of exactly 100 is a battery that reports in percent.
            if (fullKey == MaxCapacity && b.properties.value(fullKey) == 100.0)
                return -1.0f;
            now += b.properties.value(nowKey);
            full += b.properties.value(fullKey);
        }
        if (full <= 0.0)
            return -1.0f;
        const double level = now / full;
        return level > MaxPlausibleOvercharge ? -1.0f : static_cast<float>(std::min(level, 1.0));
    };
    const float byEnergy = total(CurrentEnergy, MaxEnergy);
    return byEnergy >= 0.0f ? byEnergy : total(CurrentCapacity, MaxCapacity);
}
