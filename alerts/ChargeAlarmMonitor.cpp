#include "ChargeAlarmMonitor.h"

#include "DesktopNotifier.h"
#include "Device.h"
#include "LogCategories.h"

#include <cmath>

ChargeAlarmMonitor::ChargeAlarmMonitor(Device& device, UserDefaults& defaults,
                                       DesktopNotifier* notifier, QObject* parent)
    : QObject(parent), device_(device), defaults_(defaults), notifier_(notifier) {
    connect(&device_, &Device::batteryLevelDidChange, this, &ChargeAlarmMonitor::check);
    connect(&device_, &Device::batteryStateDidChange, this, &ChargeAlarmMonitor::check);
    if (notifier_) {
        connect(notifier_, &DesktopNotifier::failed, this,
                [](int, const QString& summary, const QString& body, const QString& error) {
                    qCInfo(lcAlerts, "%s. %s (no desktop notification: %s)", qPrintable(summary),
                           qPrintable(body), qPrintable(error));
                });
    }
}

QString ChargeAlarmMonitor::summary(ChargeAlarm::Kind kind, int percent) {
    return kind == ChargeAlarm::Charged ? QStringLiteral("Battery charged to %1 %").arg(percent)
                                        : QStringLiteral("Battery low: %1 %").arg(percent);
}

QString ChargeAlarmMonitor::body(ChargeAlarm::Kind kind) {
    return kind == ChargeAlarm::Charged ? QStringLiteral("Unplug the charger to spare the cell.")
                                        : QStringLiteral("Plug in the charger.");
}

void ChargeAlarmMonitor::check() {
    const PowerSource& source = device_.powerSource();
    float level = source.combinedBatteryLevel();
    if (level < 0)
        level = source.level();
    // The level as the status strip shows it, so the alarm agrees with what the user sees.
    const int percent = level < 0 ? -1 : static_cast<int>(std::lround(level * 100.0));
    const auto fired = alarm_.check(ChargeAlarmSettings::load(defaults_), percent, source.state(),
                                    source.isNotCharging());
    if (!fired)
        return;
    emit alarmRaised(*fired, percent);
    const QString title = summary(*fired, percent);
    if (!notifier_) {
        qCInfo(lcAlerts, "%s. %s", qPrintable(title), qPrintable(body(*fired)));
        return;
    }
    notifier_->notify(*fired, title, body(*fired),
                      *fired == ChargeAlarm::Low ? DesktopNotifier::Critical
                                                 : DesktopNotifier::Normal);
}
