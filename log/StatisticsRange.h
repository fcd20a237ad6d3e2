#pragma once

#include "Event.h"

#include <optional>

// Running charge totals over samples fed in time order. The sums carry a factor of 3600, so the
// two averages are level fractions per hour despite their names.
class StatisticsRange {
public:
    StatisticsRange() { resetStats(); }

    void resetStats();
    void updateStatistics(const Event& event);

    // (later level - earlier level) / (seconds between them): level fraction per second.
    static float calculateSlope(const Event& earlier, const Event& later);
    float avgRaisingPerSec() const;
    float avgFallingPerSec() const;

    const std::optional<Event>& lastEvent() const { return lastEvent_; }
    void setLastEvent(std::optional<Event> event) { lastEvent_ = std::move(event); }
    float loadCycles() const { return loadCycles_; }
    void setLoadCycles(float v) { loadCycles_ = v; }
    float raisingSum() const { return raisingSum_; }
    void setRaisingSum(float v) { raisingSum_ = v; }
    float fallingSum() const { return fallingSum_; }
    void setFallingSum(float v) { fallingSum_ = v; }
    float raisingSecs() const { return raisingSecs_; }
    void setRaisingSecs(float v) { raisingSecs_ = v; }
    float fallingSecs() const { return fallingSecs_; }
    void setFallingSecs(float v) { fallingSecs_ = v; }

private:
    std::optional<Event> lastEvent_;
    float loadCycles_ = 0;
    float raisingSum_ = 0;
    float fallingSum_ = 0;
    float raisingSecs_ = 0;
    float fallingSecs_ = 0;
};
