#include "SyntheticHistory.h"

#include "ManagedObjectContext.h"
#include "StatisticsRange.h"

#include <algorithm>
#include <cmath>
#include <random>

int64_t SyntheticHistory::generate(const std::function<void(const Event&)>& sink) const {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double start = endDate - days * 86400.0;

    int state = 1;
    double level = 0.9;
    double ratePerHour = -0.08;
    double plugLevel = 0.3;
    double fullUntil = 0;
    int64_t count = 0;
    for (double t = start; t <= endDate;) {
        sink(Event{0, t, static_cast<float>(std::round(level * 100.0) / 100.0), state});
        ++count;
        const double step = intervalSeconds * (0.9 + 0.2 * unit(rng));
        t += step;
        switch (state) {
        case 1: // on battery
            level += ratePerHour * step / 3600.0;
            if (level <= plugLevel) {
                state = 2;
                ratePerHour = 0.3 + 0.3 * unit(rng);
            }
            break;
        case 2: // charging
            level += ratePerHour * step / 3600.0;
            if (level >= 1.0) {
                level = 1.0;
                state = 3;
                fullUntil = t + 3600.0 * (1.0 + 7.0 * unit(rng));
            }
            break;
        default: // full
            if (t >= fullUntil) {
                state = 1;
                ratePerHour = -(0.04 + 0.08 * unit(rng));
                plugLevel = 0.15 + 0.25 * unit(rng);
            }
            break;
        }
        level = std::clamp(level, 0.0, 1.0);
    }
    return count;
}

bool writeSyntheticHistory(const SyntheticHistory& history, ManagedObjectContext& context,
                           StatisticsRange* statistics) {
    constexpr int BatchSize = 10000;
    int pending = 0;
    bool ok = true;
    history.generate([&](const Event& event) {
        if (!ok)
            return;
        context.insertNewEvent(event.creationDate, event.batteryLevel, event.batteryState);
        if (statistics)
            statistics->updateStatistics(event);
        if (++pending == BatchSize) {
            ok = context.save(nullptr);
            pending = 0;
        }
    });
    return ok && context.save(nullptr);
}
