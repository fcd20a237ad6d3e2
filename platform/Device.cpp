#include "Device.h"

#include "PowerSourceFactory.h"

Device::Device(std::unique_ptr<PowerSource> source, int pollMilliseconds, QObject* parent)
    : QObject(parent), source_(std::move(source)) {
    pollTimer_.setInterval(pollMilliseconds);
    connect(&pollTimer_, &QTimer::timeout, this, &Device::poll);
}

Device::~Device() = default;

Device& Device::current() {
    static Device* device =
        new Device(PowerSourceFactory::createFromEnvironment(), pollMillisecondsFromEnvironment());
    return *device;
}

int Device::pollMillisecondsFromEnvironment() {
    bool ok = false;
    const double seconds = qEnvironmentVariable("AMPELIO_POLL_SECONDS").toDouble(&ok);
    if (!ok || seconds <= 0)
        return 30000;
    return static_cast<int>(std::max(1.0, seconds * 1000.0));
}

float Device::batteryLevel() const {
    // As on the phone platform, readings are only available while monitoring is on.
    return monitoring_ ? source_->level() : -1.0f;
}

BatteryState Device::batteryState() const {
    return monitoring_ ? source_->state() : BatteryStateUnknown;
}

void Device::setBatteryMonitoringEnabled(bool enabled) {
    if (enabled == monitoring_)
        return;
    monitoring_ = enabled;
    if (enabled) {
        lastLevel_ = source_->level();
        lastAccurateLevel_ = source_->accurateBatteryLevel();
        lastState_ = source_->state();
        lastNotCharging_ = source_->isNotCharging();
        pollTimer_.start();
    } else {
        pollTimer_.stop();
    }
}

void Device::poll() {
    if (!monitoring_)
        return;
    const float level = source_->level();
    const float accurate = source_->accurateBatteryLevel();
    const BatteryState state = source_->state();
    const bool notCharging = source_->isNotCharging();
    // Some drivers update charge_now more often than the rounded capacity; either counts.
    const bool levelChanged = level != lastLevel_ || accurate != lastAccurateLevel_;
    // A charge limit taking hold (or letting go) at full changes the state's text, not its code.
    const bool stateChanged = state != lastState_ || notCharging != lastNotCharging_;
    lastLevel_ = level;
    lastAccurateLevel_ = accurate;
    lastState_ = state;
    lastNotCharging_ = notCharging;
    if (levelChanged)
        emit batteryLevelDidChange();
    if (stateChanged)
        emit batteryStateDidChange();
}
