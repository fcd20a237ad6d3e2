#include "StatisticsRange.h"

#include <cmath>

namespace {
// A fall or flat step counts up to just over 12 hours, a rise only below one hour and only when
// it is faster than 5 % per hour; slower or longer steps are gaps in the log, not charging.
constexpr double MaxFallingStepSecs = 43201.0;
constexpr double MaxRaisingStepSecs = 3600.0;
constexpr double MinRaisingRatePerHour = 0.05;
} // namespace

void StatisticsRange::resetStats() {
    lastEvent_.reset();
    loadCycles_ = raisingSum_ = fallingSum_ = raisingSecs_ = fallingSecs_ = 0.0f;
}

float StatisticsRange::calculateSlope(const Event& earlier, const Event& later) {
    const float seconds = static_cast<float>(later.creationDate - earlier.creationDate);
    return (later.batteryLevel - earlier.batteryLevel) / seconds;
}

void StatisticsRange::updateStatistics(const Event& event) {
    const float a = event.batteryLevel;
    if (a < 0.0f || a > 1.0f)
        return;
    // A swapped battery starts afresh: the step between two batteries is neither charge used
    // nor charging. Nor is the step between a sample with its battery and one without (another
    // program's history, or the log from before batteries were recorded): their order taken
    // says nothing of the time between them. Two samples without a battery are an older log.
    if (lastEvent_ && lastEvent_->batteryId != event.batteryId) {
        lastEvent_ = event;
        return;
    }
    if (lastEvent_ && a < lastEvent_->batteryLevel)
        loadCycles_ += lastEvent_->batteryLevel - a;
    if (!lastEvent_) {
        lastEvent_ = event;
        return;
    }
    const double dt = event.creationDate - lastEvent_->creationDate;
    const float r = calculateSlope(*lastEvent_, event) * 3600.0f;
    // A sample dated at or before the previous one (the clock was set back, or the previous
    // record came from a clock that ran ahead) has no usable interval: a negative one would
    // shrink the saved times and flip the averages for good, and one of zero has an infinite
    // rate. Such a step adds no time; its level drop still counts as charge used.
    const bool qualifies =
        dt > 0.0 && ((r <= 0.0f && dt < MaxFallingStepSecs) ||
                     (static_cast<double>(r) > MinRaisingRatePerHour && dt < MaxRaisingStepSecs));
    if (qualifies && std::isfinite(r)) {
        const float weighted = r * static_cast<float>(dt);
        if (r < 0.0f) {
            fallingSum_ += weighted;
            fallingSecs_ = static_cast<float>(static_cast<double>(fallingSecs_) + dt);
        } else if (r > 0.0f) {
            raisingSum_ += weighted;
            raisingSecs_ = static_cast<float>(static_cast<double>(raisingSecs_) + dt);
        }
    }
    lastEvent_ = event;
}

float StatisticsRange::avgRaisingPerSec() const {
    return raisingSecs_ == 0.0f ? 0.0f : raisingSum_ / raisingSecs_;
}

float StatisticsRange::avgFallingPerSec() const {
    return fallingSecs_ == 0.0f ? 0.0f : fallingSum_ / fallingSecs_;
}
