#include "ChargeTimeTracker.h"

#include "Clock.h"
#include "Device.h"

ChargeTimeTracker::ChargeTimeTracker(Device& device, QObject* parent)
    : QObject(parent), device_(device) {
    connect(&device_, &Device::batteryLevelDidChange, this, &ChargeTimeTracker::update);
    connect(&device_, &Device::batteryStateDidChange, this, &ChargeTimeTracker::update);
    update();
}

void ChargeTimeTracker::update() {
    estimator_.addReading(ChargeReading::from(device_.powerSource(), Clock::now()));
    const ChargeTimeEstimate next = estimator_.estimate();
    const bool changed = next.text() != estimate_.text();
    estimate_ = next;
    if (changed)
        emit estimateChanged(estimate_.text());
}
