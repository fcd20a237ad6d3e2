#pragma once

#include <QString>

class StatisticsRange;

// The running totals as an XML property list of five real numbers.
class StatisticsFile {
public:
    // Loads the five totals into the range. Returns false (and logs why) when there is no
    // readable property list; a damaged file is then moved aside so the next write cannot
    // destroy what it held.
    static bool read(const QString& path, StatisticsRange& range);
    // Writes the five totals atomically; on failure logs and leaves the old file in place.
    static bool write(const QString& path, const StatisticsRange& range);
};
