#include "StatisticsHandler.h"

#include "BatteryLogHandler.h"
#include "EventStateText.h"
#include "StatisticsRange.h"

#include <algorithm>
#include <limits>

namespace {
// Sorts records in the order they were taken, whatever their dates: row ids grow with every
// save, and records still pending (negative ids, counting down) come after every saved one.
qint64 takenOrder(const Event& event) {
    constexpr qint64 Pending = std::numeric_limits<qint64>::max() / 2;
    return event.objectId >= 0 ? event.objectId : Pending - event.objectId;
}
} // namespace

QString StatisticsHandler::formatBatteryState(int state) {
    return EventStateText::statistics(state);
}

std::unique_ptr<StatisticsRange> StatisticsHandler::getLastHour(BatteryLogHandler& handler) {
    return getLastSeconds(3600, handler);
}

std::unique_ptr<StatisticsRange> StatisticsHandler::getLastDay(BatteryLogHandler& handler) {
    return getLastSeconds(86400, handler);
}

std::unique_ptr<StatisticsRange> StatisticsHandler::getLastWeek(BatteryLogHandler& handler) {
    return getLastSeconds(604800, handler);
}

std::unique_ptr<StatisticsRange> StatisticsHandler::getLastMonth(BatteryLogHandler& handler) {
    return getLastSeconds(2592000, handler);
}

std::unique_ptr<StatisticsRange> StatisticsHandler::getLastSeconds(int seconds,
                                                                   BatteryLogHandler& handler) {
    auto range = std::make_unique<StatisticsRange>();
    QList<Event> events = handler.getArrayFrom(0, seconds, false);
    // The range takes the samples in the order they were taken, as the overall totals did. By
    // date alone, samples from before and after a clock set back would interleave into charging
    // and draining steps that never happened.
    std::sort(events.begin(), events.end(),
              [](const Event& a, const Event& b) { return takenOrder(a) < takenOrder(b); });
    for (const Event& event : events)
        range->updateStatistics(event);
    return range;
}
