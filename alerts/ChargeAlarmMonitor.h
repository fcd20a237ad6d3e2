#pragma once

#include "ChargeAlarm.h"

#include <QObject>

class DesktopNotifier;
class Device;
class UserDefaults;

// Watches every reading the device's poll reports and raises the charge alarms at once, so an
// alarm comes within one poll of the crossing whether or not the sample is kept or a window is
// shown. With a notifier the alarm is a desktop notification (a log line when that fails);
// without one (headless) it is a log line.
class ChargeAlarmMonitor : public QObject {
    Q_OBJECT
public:
    ChargeAlarmMonitor(Device& device, UserDefaults& defaults, DesktopNotifier* notifier,
                       QObject* parent = nullptr);

    // Reads the battery and the settings once (also on every level or state change).
    void check();

    static QString summary(ChargeAlarm::Kind kind, int percent);
    static QString body(ChargeAlarm::Kind kind);

signals:
    void alarmRaised(ChargeAlarm::Kind kind, int percent);

private:
    Device& device_;
    UserDefaults& defaults_;
    DesktopNotifier* notifier_;
    ChargeAlarm alarm_;
};
