#pragma once

#include "PowerSource.h"

#include <QString>

#include <optional>

class UserDefaults;

// The two thresholds, in whole percent; 0 switches an alarm off.
struct ChargeAlarmSettings {
    static const QString ChargeKey; // "chargeAlarmPercent", default 0 (off); 80 saves the cell
    static const QString DrainKey;  // "drainAlarmPercent", default 15
    static constexpr int SuggestedChargePercent = 80;
    static constexpr int DefaultDrainPercent = 15;

    int chargePercent = 0;
    int drainPercent = DefaultDrainPercent;

    static ChargeAlarmSettings load(const UserDefaults& defaults);
    void save(UserDefaults& defaults) const;
};

// Decides when a threshold is crossed: once per crossing, and again only after the level went
// back past the threshold by Hysteresis points, so a level that wobbles around the threshold
// (or a charger plugged in and out) does not repeat the alarm.
class ChargeAlarm {
public:
    enum Kind { Charged, Low };
    static constexpr int Hysteresis = 2;

    // One reading: the level in percent (as shown, whole numbers) and what the battery does.
    // Returns the alarm that this reading fires, if any.
    std::optional<Kind> check(const ChargeAlarmSettings& settings, int percent, BatteryState state,
                              bool notCharging);

private:
    bool chargedArmed_ = true;
    bool lowArmed_ = true;
};
