#pragma once

#include "HealthReading.h"

#include <QList>

#include <optional>

// How a battery wears: its health now, the change per month and when it will reach 80 % and
// 70 % of its design capacity, from a straight line fitted robustly (the median of the slopes
// between pairs of readings) to the last year of readings. Readings above 100 % or far from
// their neighbours (a firmware glitch, a recalibration jump) are flagged and left out.
class HealthTrend {
public:
    static constexpr double DaySeconds = 86400.0;
    static constexpr double MonthDays = 30.436875; // a Gregorian month on average
    // A reading further than this from the median of its neighbours is flagged.
    static constexpr double MaxJumpPercent = 5.0;
    // Readings this many on each side make a reading's neighbourhood (about a day either way
    // with daily readings, so a single bad day cannot hide).
    static constexpr int NeighbourCount = 3;
    // The line is fitted to this much history: wear is not linear over a battery's life.
    static constexpr double FitDays = 365.0;
    // Below this span a slope says more about noise than about wear.
    static constexpr double MinFitDays = 14.0;

    struct Point {
        double date;
        double percent;
        bool flagged;
    };
    // A projected date, or the knowledge that the level was already reached.
    struct Projection {
        double date = 0.0;
        bool alreadyReached = false;
    };

    // Readings of one battery, oldest first.
    static HealthTrend compute(const QList<HealthReading>& readings);

    const QList<Point>& points() const { return points_; }
    int flaggedCount() const { return flagged_; }
    std::optional<double> currentPercent() const { return current_; }
    // Percentage points per month; negative while the battery wears.
    std::optional<double> changePerMonth() const { return perMonth_; }
    std::optional<int> cycles() const { return cycles_; }
    std::optional<double> lastDate() const { return lastDate_; }
    // When the fitted line reaches the percentage; none while it does not fall (or not within
    // fifty years).
    std::optional<Projection> projectedDate(double percent) const;

private:
    void flagOutliers();
    void fit();

    QList<Point> points_;
    int flagged_ = 0;
    std::optional<double> current_;
    std::optional<double> perMonth_;
    std::optional<int> cycles_;
    std::optional<double> lastDate_;
    double slopePerDay_ = 0.0;
    double intercept_ = 0.0; // percent at lastDate_
};
