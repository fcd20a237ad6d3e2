#include "DateIntervalFormatter.h"

#include <cmath>
#include <limits>

namespace {
constexpr double Minute = 60.0;
constexpr double Hour = 3600.0;
constexpr double Day = 86400.0;
constexpr double Week = 604800.0;

// The whole part as a 32-bit integer; values beyond its range saturate instead of wrapping.
int wholePart(double value) {
    if (!(value < static_cast<double>(std::numeric_limits<int>::max())))
        return std::isnan(value) ? 0 : std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// "1 day", not "1 days"; every other count takes the plural.
QString count(int n, const char* unit) {
    return QString::asprintf(n == 1 ? "%d %s" : "%d %ss", n, unit);
}

// Both forms cut seconds and minutes to whole numbers.
QString belowAnHour(double x) {
    if (x < Minute)
        return count(wholePart(x), "second");
    return count(wholePart(x / Minute), "minute");
}
} // namespace

QString DateIntervalFormatter::formatRelativeTime(double seconds) {
    const double x = std::fabs(seconds);
    if (x < Hour)
        return belowAnHour(x);
    if (x < Day)
        return count(wholePart((x + Hour / 2) / Hour), "hour");
    if (x < Week)
        return count(wholePart((x + Day / 2) / Day), "day");
    return count(wholePart((x + Week / 2) / Week), "week");
}

QString DateIntervalFormatter::formatDetailledRelativeTime(double seconds) {
    const double x = std::fabs(seconds);
    if (x < Hour)
        return belowAnHour(x);
    if (x < Day)
        return QString::asprintf("%1.1f hours", static_cast<double>(static_cast<float>(x / Hour)));
    if (x < Week)
        return QString::asprintf("%1.1f days", static_cast<double>(static_cast<float>(x / Day)));
    return QString::asprintf("%1.1f weeks", static_cast<double>(static_cast<float>(x / Week)));
}
