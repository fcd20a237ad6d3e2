#include "LargeLog.h"

#include "Clock.h"
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "StatisticsFile.h"
#include "StatisticsRange.h"
#include "SyntheticHistory.h"

#include <cstdio>

namespace {
void write(LargeLog& log, long long samples) {
    std::fprintf(stderr, "Writing %lld synthetic samples...\n", samples);
    EventStore store(log.database());
    ManagedObjectContext context(store);
    SyntheticHistory history;
    history.endDate = log.end;
    history.days = LargeLog::Days;
    history.intervalSeconds = LargeLog::Days * 86400.0 / static_cast<double>(samples);
    StatisticsRange statistics;
    writeSyntheticHistory(history, context, &statistics);
    StatisticsFile::write(Paths::statisticsPath(log.documents()), statistics);
    std::fprintf(stderr, "%lld samples written\n", static_cast<long long>(context.savedCount()));
    const double now = log.end + 1.0;
    Clock::setSource([now] { return now; });
}
} // namespace

LargeLog& largeLog() {
    static LargeLog instance;
    static LargeLog* log = [] {
        write(instance, LargeLog::Samples);
        return &instance;
    }();
    return *log;
}

LargeLog& decadeLog() {
    static LargeLog instance;
    static LargeLog* log = [] {
        write(instance, DecadeSamples);
        return &instance;
    }();
    return *log;
}
