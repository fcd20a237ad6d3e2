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

// Both forms cut seconds and minutes to whole numbers.
QString belowAnHour(double x) {
    if (x < Minute)
        return QString::asprintf("%d seconds", wholePart(x));
    return QString::asprintf("%d minutes", wholePart(x / Minute));
}
} // namespace

QString DateIntervalFormatter::formatRelativeTime(double seconds) {
    const double x = std::fabs(seconds);
    if (x < Hour)
        return belowAnHour(x);
    if (x < Day)
        return QString::asprintf("%d hours", wholePart((x + Hour / 2) / Hour));
    if (x < Week)
        return QString::asprintf("%d days", wholePart((x + Day / 2) / Day));
    return QString::asprintf("%d weeks", wholePart((x + Week / 2) / Week));
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
