#include "ChargeAlarm.h"

#include "UserDefaults.h"

const QString ChargeAlarmSettings::ChargeKey = QStringLiteral("chargeAlarmPercent");
const QString ChargeAlarmSettings::DrainKey = QStringLiteral("drainAlarmPercent");

namespace {
int percentSetting(const UserDefaults& defaults, const QString& key, int fallback) {
    bool ok = false;
    const int value = defaults.objectForKey(key).toInt(&ok);
    // A hand-edited file with nonsense keeps the default rather than an alarm that never fires.
    return ok && value >= 0 && value <= 100 ? value : fallback;
}
} // namespace

ChargeAlarmSettings ChargeAlarmSettings::load(const UserDefaults& defaults) {
    ChargeAlarmSettings settings;
    settings.chargePercent = percentSetting(defaults, ChargeKey, 0);
    settings.drainPercent = percentSetting(defaults, DrainKey, DefaultDrainPercent);
    return settings;
}

void ChargeAlarmSettings::save(UserDefaults& defaults) const {
    defaults.setObject(ChargeKey, chargePercent);
    defaults.setObject(DrainKey, drainPercent);
    defaults.synchronize();
}

std::optional<ChargeAlarm::Kind> ChargeAlarm::check(const ChargeAlarmSettings& settings,
                                                    int percent, BatteryState state,
                                                    bool notCharging) {
    if (percent < 0)
        return std::nullopt;
    std::optional<Kind> fired;
    if (settings.chargePercent > 0) {
        // A charge limit that stops at the threshold ("Not charging") reached it as well.
        const bool charging = state == BatteryStateCharging || notCharging;
        if (percent <= settings.chargePercent - Hysteresis)
            chargedArmed_ = true;
        else if (chargedArmed_ && charging && percent >= settings.chargePercent) {
            chargedArmed_ = false;
            fired = Charged;
        }
    }
    if (settings.drainPercent > 0) {
        if (percent >= settings.drainPercent + Hysteresis)
            lowArmed_ = true;
        else if (lowArmed_ && state == BatteryStateUnplugged && percent <= settings.drainPercent) {
            lowArmed_ = false;
            fired = Low;
        }
    }
    return fired;
}
