#include "ChargeTimeEstimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {
constexpr double Poll = 30.0;
constexpr double Capacity = 4000.0; // mAh

ChargeReading reading(double t, float level, BatteryState state = BatteryStateUnplugged,
                      std::optional<double> amperage = std::nullopt) {
    ChargeReading r;
    r.time = t;
    r.level = level;
    r.state = state;
    r.instantAmperage = amperage;
    if (amperage)
        r.maxCapacity = Capacity;
    return r;
}

// A laptop draining from 95 % under a load that drifts slowly and jumps at every poll, as
// a real one does: readings every 30 s, charge in whole mAh (or the level in whole percent
// for batteries that report only that).
struct Drain {
    std::vector<ChargeReading> readings;
    double emptyAt = 0.0;
};

Drain syntheticDrain(unsigned seed, bool reportsCurrent, bool wholePercent) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-0.4, 0.4);
    Drain drain;
    double charge = 0.95 * Capacity;
    double t = 0.0;
    while (charge > 0) {
        const double mean = 800.0 * (1.0 + 0.15 * std::sin(t / 5400.0 * 2 * M_PI));
        const double draw = mean * (1.0 + jitter(random));
        float level = static_cast<float>(std::round(charge) / Capacity);
        if (wholePercent)
            level = static_cast<float>(std::round(charge / Capacity * 100.0) / 100.0);
        drain.readings.push_back(reading(t, level, BatteryStateUnplugged,
                                         reportsCurrent ? std::optional(-draw) : std::nullopt));
        charge -= draw * Poll / 3600.0;
        t += Poll;
    }
    drain.emptyAt = t;
    return drain;
}

// Replays the drain through a fresh estimator; the median relative error of time-to-empty over
// every reading after the first ten minutes (a missing estimate counts as a total miss).
double medianErrorAfterTenMinutes(const Drain& drain) {
    ChargeTimeEstimator estimator;
    std::vector<double> errors;
    for (const ChargeReading& r : drain.readings) {
        estimator.addReading(r);
        const double truth = drain.emptyAt - r.time;
        // The last minutes are a few polls from the end; relative errors there say nothing.
        if (r.time < 600.0 || truth < 600.0)
            continue;
        const ChargeTimeEstimate e = estimator.estimate();
        errors.push_back(e.kind == ChargeTimeEstimate::ToEmpty ? std::abs(e.seconds - truth) / truth
                                                               : 1.0);
    }
    std::sort(errors.begin(), errors.end());
    return errors.empty() ? 1.0 : errors[errors.size() / 2];
}
} // namespace

TEST(ChargeTimeEstimator, ReplayedDrainsStayWithinFifteenPercent) {
    for (unsigned seed : {1u, 2u, 3u, 42u}) {
        SCOPED_TRACE(seed);
        EXPECT_LE(medianErrorAfterTenMinutes(syntheticDrain(seed, true, false)), 0.15)
            << "from the reported current";
        EXPECT_LE(medianErrorAfterTenMinutes(syntheticDrain(seed, false, false)), 0.15)
            << "from the slope of the charge";
        EXPECT_LE(medianErrorAfterTenMinutes(syntheticDrain(seed, false, true)), 0.15)
            << "from the slope of whole percents";
    }
}

TEST(ChargeTimeEstimator, SlopeNeedsFiveMinutesOfHistory) {
    ChargeTimeEstimator estimator;
    estimator.addReading(reading(0, 0.50f));
    estimator.addReading(reading(120, 0.49f));
    EXPECT_EQ(estimator.estimate().kind, ChargeTimeEstimate::None);
    estimator.addReading(reading(360, 0.47f));
    const ChargeTimeEstimate e = estimator.estimate();
    ASSERT_EQ(e.kind, ChargeTimeEstimate::ToEmpty);
    // 3 % in 6 minutes: 0.47 lasts about 56 minutes.
    EXPECT_NEAR(e.seconds, 0.47 / (0.03 / 360.0), 120.0);
    EXPECT_EQ(e.text().right(5), QStringLiteral(" left"));
}

TEST(ChargeTimeEstimator, ChargingCountsToFullFromTheCurrent) {
    ChargeTimeEstimator estimator;
    estimator.addReading(reading(0, 0.60f, BatteryStateCharging, 2000.0));
    const ChargeTimeEstimate e = estimator.estimate();
    ASSERT_EQ(e.kind, ChargeTimeEstimate::ToFull);
    // 40 % of 4000 mAh at 2 A: 48 minutes.
    EXPECT_NEAR(e.seconds, 48 * 60, 1.0);
    EXPECT_EQ(e.text(), QStringLiteral("0:48 to full"));
}

TEST(ChargeTimeEstimator, NoFigureWhereNoneIsHonest) {
    const auto only = [](const ChargeReading& r) {
        ChargeTimeEstimator estimator;
        estimator.addReading(r);
        return estimator.estimate();
    };
    EXPECT_EQ(only(reading(0, 1.0f, BatteryStateFull, 0.0)).text(), QStringLiteral("\u2014"));
    ChargeReading limited = reading(0, 0.8f, BatteryStateFull, -1.0);
    limited.notCharging = true;
    EXPECT_EQ(only(limited).kind, ChargeTimeEstimate::None);
    // 10 mA from 4000 mAh: 0.25 %/h, below what a sensor tells apart from idle.
    EXPECT_EQ(only(reading(0, 0.8f, BatteryStateUnplugged, -10.0)).kind, ChargeTimeEstimate::None);
    // 50 mA: 0.8 x 4000 / 50 = 64 hours, beyond the 48-hour bound.
    EXPECT_EQ(only(reading(0, 0.8f, BatteryStateUnplugged, -50.0)).kind, ChargeTimeEstimate::None);
    EXPECT_EQ(only(reading(0, 0.8f, BatteryStateUnplugged, -100.0)).kind,
              ChargeTimeEstimate::ToEmpty);
    // Current still flowing in just after unplugging is no drain.
    EXPECT_EQ(only(reading(0, 0.8f, BatteryStateUnplugged, 500.0)).kind, ChargeTimeEstimate::None);
    EXPECT_EQ(only(reading(0, 0.8f, BatteryStateUnknown, -500.0)).kind, ChargeTimeEstimate::None);
    EXPECT_EQ(only(reading(0, -1.0f, BatteryStateUnplugged, -500.0)).kind,
              ChargeTimeEstimate::None);
}

TEST(ChargeTimeEstimator, ANewStateStartsANewCurve) {
    ChargeTimeEstimator estimator;
    estimator.addReading(reading(0, 0.50f, BatteryStateCharging));
    estimator.addReading(reading(600, 0.60f, BatteryStateCharging));
    ASSERT_EQ(estimator.estimate().kind, ChargeTimeEstimate::ToFull);
    // Unplugged: the charging slope must not be read as a drain, nor mixed into one.
    estimator.addReading(reading(660, 0.60f));
    EXPECT_EQ(estimator.estimate().kind, ChargeTimeEstimate::None);
    estimator.addReading(reading(960, 0.58f));
    const ChargeTimeEstimate e = estimator.estimate();
    ASSERT_EQ(e.kind, ChargeTimeEstimate::ToEmpty);
    EXPECT_NEAR(e.seconds, 0.58 / (0.02 / 300.0), 60.0);
}

TEST(ChargeTimeEstimator, OldReadingsLeaveTheWindow) {
    ChargeTimeEstimator estimator(600);
    // A fast drain an hour ago, then a slow one: only the recent rate counts.
    estimator.addReading(reading(0, 0.90f));
    estimator.addReading(reading(600, 0.80f));
    for (int i = 0; i <= 20; ++i)
        estimator.addReading(reading(3600 + i * 60, 0.80f - 0.001f * static_cast<float>(i)));
    const ChargeTimeEstimate e = estimator.estimate();
    ASSERT_EQ(e.kind, ChargeTimeEstimate::ToEmpty);
    EXPECT_NEAR(e.seconds, 0.78 / (0.001 / 60.0), 600.0);
}
