#include "ChargeAlarm.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QDir>

#include <gtest/gtest.h>

#include <vector>

namespace {
// Feeds a run of levels in one state; returns at which levels an alarm fired.
std::vector<int> firedAt(ChargeAlarm& alarm, const ChargeAlarmSettings& settings,
                         std::initializer_list<int> levels, BatteryState state,
                         bool notCharging = false) {
    std::vector<int> fired;
    for (int level : levels) {
        if (alarm.check(settings, level, state, notCharging))
            fired.push_back(level);
    }
    return fired;
}

ChargeAlarmSettings thresholds(int charge, int drain) {
    ChargeAlarmSettings settings;
    settings.chargePercent = charge;
    settings.drainPercent = drain;
    return settings;
}
} // namespace

TEST(ChargeAlarm, LowFiresOncePerCrossingWithHysteresis) {
    ChargeAlarm alarm;
    const auto settings = thresholds(0, 15);
    EXPECT_EQ(firedAt(alarm, settings, {20, 17, 16, 15, 14, 15, 16, 15, 13}, BatteryStateUnplugged),
              std::vector<int>{15});
    // Charging back by less than the hysteresis and unplugging again is the same crossing.
    EXPECT_TRUE(firedAt(alarm, settings, {16}, BatteryStateCharging).empty());
    EXPECT_TRUE(firedAt(alarm, settings, {16, 15}, BatteryStateUnplugged).empty());
    // Back above threshold + 2 it is armed again.
    EXPECT_TRUE(firedAt(alarm, settings, {17}, BatteryStateCharging).empty());
    EXPECT_EQ(firedAt(alarm, settings, {16, 14}, BatteryStateUnplugged), std::vector<int>{14});
}

TEST(ChargeAlarm, LowOnlyWhileDrainingAndAlreadyLowAtStartCounts) {
    ChargeAlarm alarm;
    const auto settings = thresholds(0, 15);
    // Charging at 10 % needs no warning; unplugging there does, once.
    EXPECT_TRUE(firedAt(alarm, settings, {10, 11}, BatteryStateCharging).empty());
    EXPECT_EQ(firedAt(alarm, settings, {11, 10, 9}, BatteryStateUnplugged), std::vector<int>{11});
    EXPECT_TRUE(firedAt(alarm, settings, {-1}, BatteryStateUnplugged).empty());
}

TEST(ChargeAlarm, ChargedFiresWhileChargingOrHeldByALimit) {
    ChargeAlarm alarm;
    const auto settings = thresholds(80, 0);
    EXPECT_EQ(firedAt(alarm, settings, {70, 79, 80, 81, 80, 81}, BatteryStateCharging),
              std::vector<int>{80});
    EXPECT_TRUE(firedAt(alarm, settings, {79, 85}, BatteryStateUnplugged).empty());
    EXPECT_TRUE(firedAt(alarm, settings, {78}, BatteryStateUnplugged).empty());
    // A charge limit at 80 stops charging there: "Not charging" reached the threshold too.
    EXPECT_EQ(firedAt(alarm, settings, {80}, BatteryStateFull, true), std::vector<int>{80});
    // Off: nothing ever fires.
    ChargeAlarm off;
    EXPECT_TRUE(firedAt(off, thresholds(0, 0), {100, 50, 1}, BatteryStateCharging).empty());
    EXPECT_TRUE(firedAt(off, thresholds(0, 0), {1, 0}, BatteryStateUnplugged).empty());
}

TEST(ChargeAlarmSettings, DefaultsRoundTripAndNonsense) {
    TemporaryHome home;
    UserDefaults defaults(QDir(home.configDir()).filePath(QStringLiteral("Ampelio.ini")));
    ChargeAlarmSettings loaded = ChargeAlarmSettings::load(defaults);
    EXPECT_EQ(loaded.chargePercent, 0);
    EXPECT_EQ(loaded.drainPercent, 15);
    loaded.chargePercent = 80;
    loaded.drainPercent = 0;
    loaded.save(defaults);
    UserDefaults reread(QDir(home.configDir()).filePath(QStringLiteral("Ampelio.ini")));
    EXPECT_EQ(ChargeAlarmSettings::load(reread).chargePercent, 80);
    EXPECT_EQ(ChargeAlarmSettings::load(reread).drainPercent, 0);
    // A hand-edited value out of range keeps the default instead of silencing the alarm.
    reread.setObject(ChargeAlarmSettings::DrainKey, QStringLiteral("lots"));
    reread.setObject(ChargeAlarmSettings::ChargeKey, 180);
    EXPECT_EQ(ChargeAlarmSettings::load(reread).drainPercent, 15);
    EXPECT_EQ(ChargeAlarmSettings::load(reread).chargePercent, 0);
}
