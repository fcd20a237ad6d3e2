#include "WindowSampler.h"

#include <QMap>

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr double kStart = 1.8e9;

// A day of samples every `interval` seconds: a charge cycle every 6 hours, the state
// following the direction, and unknown levels now and then.
QList<Event> dayOfSamples(double interval) {
    QList<Event> events;
    qint64 id = 1;
    for (double t = 0; t < 86400; t += interval) {
        const double phase = std::fmod(t, 21600.0) / 21600.0;
        const bool charging = phase >= 0.75;
        float level = charging ? static_cast<float>(0.2 + (phase - 0.75) * 3.2)
                               : static_cast<float>(1.0 - phase);
        if (static_cast<qint64>(t / interval) % 997 == 500)
            level = -1.0f;
        events.append(Event{id++, kStart + t, level, charging ? 2 : 1});
    }
    return events;
}

QList<Event> sampled(const QList<Event>& events, int columns, int whole = 0) {
    WindowSampler sampler(kStart, kStart + 86400, columns, whole);
    for (const Event& e : events)
        sampler.add(e);
    return sampler.take();
}

int columnOf(const Event& e, int columns) {
    return static_cast<int>(std::floor((e.creationDate - kStart) / 86400.0 * columns));
}

// The lowest and highest known level of each column.
QMap<int, std::pair<float, float>> spans(const QList<Event>& events, int columns) {
    QMap<int, std::pair<float, float>> result;
    for (const Event& e : events) {
        if (e.batteryLevel < 0)
            continue;
        const int c = columnOf(e, columns);
        auto it = result.find(c);
        if (it == result.end())
            result.insert(c, {e.batteryLevel, e.batteryLevel});
        else
            *it = {std::min(it->first, e.batteryLevel), std::max(it->second, e.batteryLevel)};
    }
    return result;
}

QList<double> stateChanges(const QList<Event>& events) {
    QList<double> dates;
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (i == 0 || events[i].batteryState != events[i - 1].batteryState)
            dates.append(events[i].creationDate);
    }
    return dates;
}
} // namespace

TEST(WindowSampler, ASparseWindowComesBackWhole) {
    const QList<Event> events = dayOfSamples(600);
    EXPECT_EQ(sampled(events, 10, 400), events);
    EXPECT_EQ(sampled({}, 10, 400), QList<Event>());
}

TEST(WindowSampler, ADenseWindowKeepsEachColumnsRangeChangesAndEnds) {
    const QList<Event> events = dayOfSamples(10); // 8640 samples into 280 columns
    const QList<Event> kept = sampled(events, 280, 400);
    EXPECT_LE(kept.size(), 280 * 2 + 4 * 3 + 2 + 10);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(), [](const Event& a, const Event& b) {
        return a.creationDate < b.creationDate;
    }));
    EXPECT_EQ(kept.first(), events.first());
    EXPECT_EQ(kept.last(), events.last());
    EXPECT_EQ(spans(kept, 280), spans(events, 280));
    EXPECT_EQ(stateChanges(kept), stateChanges(events));
    // Every unknown level is kept, so the line breaks there.
    int unknown = 0;
    for (const Event& e : events)
        unknown += e.batteryLevel < 0 ? 1 : 0;
    int keptUnknown = 0;
    for (const Event& e : kept)
        keptUnknown += e.batteryLevel < 0 ? 1 : 0;
    EXPECT_GT(unknown, 0);
    EXPECT_EQ(keptUnknown, unknown);
}

TEST(WindowSampler, AFlappingStateIsBoundedPerColumn) {
    QList<Event> events;
    for (int i = 0; i < 1000; ++i)
        events.append(Event{i + 1, kStart + i, 0.5f, 1 + i % 2});
    const QList<Event> kept = sampled(events, 1);
    EXPECT_LE(kept.size(), WindowSampler::maxMarksPerColumn + 2);
    EXPECT_EQ(kept.last(), events.last());
}
