#pragma once

#include <QString>

#include <memory>

class BatteryLogHandler;
class StatisticsRange;

// Statistics over fixed periods before the log's reference date, built fresh on each request.
class StatisticsHandler {
public:
    static QString formatBatteryState(int state);
    static std::unique_ptr<StatisticsRange> getLastHour(BatteryLogHandler& handler);
    static std::unique_ptr<StatisticsRange> getLastDay(BatteryLogHandler& handler);
    static std::unique_ptr<StatisticsRange> getLastWeek(BatteryLogHandler& handler);
    static std::unique_ptr<StatisticsRange> getLastMonth(BatteryLogHandler& handler);
    static std::unique_ptr<StatisticsRange> getLastSeconds(int seconds, BatteryLogHandler& handler);
};
