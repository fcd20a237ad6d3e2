#include "HealthTrend.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr int MaxFitPoints = 400; // 80k pairs: the median slope stays well below a millisecond
constexpr double MaxProjectionDays = 50 * 365.25;

double median(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1)
        return *middle;
    const double upper = *middle;
    const double lower = *std::max_element(values.begin(), middle);
    return (lower + upper) / 2.0;
}
} // namespace

HealthTrend HealthTrend::compute(const QList<HealthReading>& readings) {
    HealthTrend trend;
    for (const HealthReading& reading : readings) {
        const auto percent = reading.healthPercent();
        if (!percent || !std::isfinite(*percent))
            continue;
        trend.points_.append({reading.date, *percent, false});
        if (reading.cycles)
            trend.cycles_ = reading.cycles;
    }
    trend.flagOutliers();
    for (auto it = trend.points_.crbegin(); it != trend.points_.crend(); ++it) {
        if (!it->flagged) {
            trend.current_ = it->percent;
            trend.lastDate_ = it->date;
            break;
        }
    }
    trend.fit();
    return trend;
}

// Against the median of the neighbours, not the previous reading: a single bad first reading
// would otherwise make every good one after it look like a jump.
void HealthTrend::flagOutliers() {
    const qsizetype n = points_.size();
    std::vector<double> around;
    for (qsizetype i = 0; i < n; ++i) {
        Point& point = points_[i];
        if (point.percent > 100.0) {
            point.flagged = true;
            continue;
        }
        around.clear();
        for (qsizetype j = std::max<qsizetype>(0, i - NeighbourCount);
             j <= std::min(n - 1, i + NeighbourCount); ++j) {
            if (points_[j].percent <= 100.0)
                around.push_back(points_[j].percent);
        }
        if (around.size() >= 3 && std::fabs(point.percent - median(around)) > MaxJumpPercent)
            point.flagged = true;
    }
    flagged_ = static_cast<int>(
        std::count_if(points_.cbegin(), points_.cend(), [](const Point& p) { return p.flagged; }));
}

// Theil-Sen: the median of the slopes between all pairs of readings, and the median of what
// each reading says the line's height is. Half the readings would have to be wrong to pull it.
void HealthTrend::fit() {
    if (!lastDate_)
        return;
    std::vector<const Point*> used;
    for (const Point& point : points_) {
        if (!point.flagged && point.date >= *lastDate_ - FitDays * DaySeconds &&
            point.date <= *lastDate_)
            used.push_back(&point);
    }
    if (used.size() < 2 || (used.back()->date - used.front()->date) / DaySeconds < MinFitDays)
        return;
    if (used.size() > MaxFitPoints) {
        std::vector<const Point*> thinned;
        const double step = static_cast<double>(used.size() - 1) / (MaxFitPoints - 1);
        for (int k = 0; k < MaxFitPoints; ++k)
            thinned.push_back(used[static_cast<size_t>(std::lround(k * step))]);
        used.swap(thinned);
    }
    const auto days = [this](const Point* p) { return (p->date - *lastDate_) / DaySeconds; };
    std::vector<double> slopes;
    slopes.reserve(used.size() * (used.size() - 1) / 2);
    for (size_t i = 0; i < used.size(); ++i) {
        for (size_t j = i + 1; j < used.size(); ++j) {
            const double dt = days(used[j]) - days(used[i]);
            if (dt > 0.0)
                slopes.push_back((used[j]->percent - used[i]->percent) / dt);
        }
    }
    if (slopes.empty())
        return;
    slopePerDay_ = median(slopes);
    std::vector<double> heights;
    for (const Point* p : used)
        heights.push_back(p->percent - slopePerDay_ * days(p));
    intercept_ = median(heights);
    perMonth_ = slopePerDay_ * MonthDays;
}

std::optional<HealthTrend::Projection> HealthTrend::projectedDate(double percent) const {
    if (!lastDate_ || !current_)
        return std::nullopt;
    if (*current_ <= percent)
        return Projection{*lastDate_, true};
    if (!perMonth_ || slopePerDay_ >= 0.0)
        return std::nullopt;
    const double days = (percent - intercept_) / slopePerDay_;
    if (days > MaxProjectionDays)
        return std::nullopt;
    return Projection{*lastDate_ + std::max(0.0, days) * DaySeconds, false};
}
