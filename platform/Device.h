#pragma once

#include "PowerSource.h"

#include <QObject>
#include <QTimer>

#include <memory>

// The device object: battery level, state and the change notifications. Linux has no battery
// notifications we can rely on everywhere, so while monitoring is enabled the power source is
// polled (every AMPELIO_POLL_SECONDS, default 30) and a signal is emitted for each change.
class Device : public QObject {
    Q_OBJECT
public:
    explicit Device(std::unique_ptr<PowerSource> source, int pollMilliseconds,
                    QObject* parent = nullptr);
    ~Device() override;

    // The process-wide device, on the power source chosen by the environment.
    static Device& current();
    static int pollMillisecondsFromEnvironment();

    PowerSource& powerSource() const { return *source_; }
    // The platform's level: a fraction in 1 % steps, or -1.0 when unknown or not monitoring.
    float batteryLevel() const;
    BatteryState batteryState() const;

    bool isBatteryMonitoringEnabled() const { return monitoring_; }
    void setBatteryMonitoringEnabled(bool enabled);

    // Reads the battery once and emits the signals for what changed since the last reading.
    void poll();

signals:
    void batteryLevelDidChange();
    void batteryStateDidChange();

private:
    std::unique_ptr<PowerSource> source_;
    QTimer pollTimer_;
    bool monitoring_ = false;
    float lastLevel_ = -1.0f;
    float lastAccurateLevel_ = -1.0f;
    BatteryState lastState_ = BatteryStateUnknown;
    bool lastNotCharging_ = false;
};
