#pragma once

#include "PowerSource.h"

#include <QString>

#include <deque>
#include <optional>

// One look at the battery, as the estimator needs it.
struct ChargeReading {
    double time = 0.0;   // seconds since the epoch
    float level = -1.0f; // fraction 0..1, -1 unknown
    BatteryState state = BatteryStateUnknown;
    bool notCharging = false;
    // Current into the battery (mA, negative while draining) and the full-charge capacity (mAh);
    // absent when the battery does not report them.
    std::optional<double> instantAmperage;
    std::optional<double> maxCapacity;

    // The reading of a power source now: accurate level, state and the current it reports.
    static ChargeReading from(const PowerSource& source, double time);
};

// How long until the battery is full or empty, or nothing worth showing.
struct ChargeTimeEstimate {
    enum Kind { None, ToEmpty, ToFull };
    Kind kind = None;
    double seconds = 0.0;

    // "2:05 left", "0:40 to full", or an em dash when there is no estimate.
    QString text() const;
    // "2:05" or the em dash, for tables that name the direction themselves.
    QString duration() const;
    // The em dash that stands for no estimate; short displays leave it out.
    static QString none() { return QStringLiteral("\u2014"); }
};

// Time to full or empty from the recent rate: the mean current the battery reports over the
// window where it reports one, else the least-squares slope of the levels in the window. The
// history starts afresh whenever the state changes, so a drain is never measured across a charge.
// No estimate while full, held by a charge limit, at a rate below MinRatePerHour, or beyond
// MaxSeconds: a figure like "1639 h" says nothing.
class ChargeTimeEstimator {
public:
    static constexpr double DefaultWindowSeconds = 20 * 60;
    // A slope over less time than this is mostly the level's rounding.
    static constexpr double MinSlopeSpanSeconds = 5 * 60;
    static constexpr double MinRatePerHour = 0.005; // 0.5 % per hour
    static constexpr double MaxSeconds = 48 * 3600;

    explicit ChargeTimeEstimator(double windowSeconds = DefaultWindowSeconds);

    void addReading(const ChargeReading& reading);
    void clear() { readings_.clear(); }
    ChargeTimeEstimate estimate() const;
    // Level fraction per second (negative while draining), when enough is known for one.
    std::optional<double> rate() const;

private:
    std::optional<double> rateFromCurrent() const;
    std::optional<double> rateFromSlope() const;

    double window_;
    std::deque<ChargeReading> readings_;
};
