#include "StatisticsHandler.h"

#include "BatteryLogHandler.h"
#include "EventStateText.h"
#include "StatisticsRange.h"

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
    const QList<Event> events = handler.getArrayFrom(0, seconds, false);
    // Newest first from the query; the range needs time order.
    for (auto it = events.crbegin(); it != events.crend(); ++it)
        range->updateStatistics(*it);
    return range;
}
