#include "StatisticsHandler.h"

#include "BatteryLogHandler.h"
#include "EventStateText.h"
#include "ManagedObjectContext.h"
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
    ManagedObjectContext* context = handler.managedObjectContext();
    if (!context)
        return range;
    // Every sample of the period, streamed: a month of dense samples is far more than the
    // graph's window limit and must not be held in memory at once. The range takes them in the
    // order they were taken, as the overall totals did: by date alone, samples from before and
    // after a clock set back would interleave into charging and draining steps that never
    // happened.
    const double newer = handler.getFromDate();
    const double older = newer - static_cast<double>(seconds);
    context->forEachTakenBetween(older, newer, [&](const Event& event) {
        range->updateStatistics(event);
        return true;
    });
    return range;
}
