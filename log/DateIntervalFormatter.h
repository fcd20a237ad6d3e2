#pragma once

#include <QString>

// Durations as short English texts with one unit; the sign of the argument is ignored.
class DateIntervalFormatter {
public:
    // Whole numbers: minutes cut, hours, days and weeks to the nearest (halves up).
    static QString formatRelativeTime(double seconds);
    // One decimal from hours upwards.
    static QString formatDetailledRelativeTime(double seconds);
};
