#pragma once

#include <QString>

class StatisticsRange;

// The running totals as an XML property list of five real numbers.
class StatisticsFile {
public:
    enum class Damaged { MoveAside, Leave };

    // Loads the five totals into the range. Returns false (and logs why) when there is no
    // readable property list; a damaged file (unparsable, beyond the size and nesting limits,
    // totals that are not finite numbers) is then moved aside so the next write cannot
    // destroy what it held and no later start parses it again.
    static bool read(const QString& path, StatisticsRange& range,
                     Damaged damaged = Damaged::MoveAside);
    // Writes the five totals atomically; on failure logs and leaves the old file in place.
    static bool write(const QString& path, const StatisticsRange& range);
};
