#include "LargeLog.h"

#include "Clock.h"
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "StatisticsFile.h"
#include "StatisticsRange.h"
#include "SyntheticHistory.h"

#include <cstdio>

LargeLog& largeLog() {
    static LargeLog instance;
    static LargeLog* log = [] {
        std::fprintf(stderr, "Writing %lld synthetic samples...\n", LargeLog::Samples);
        EventStore store(instance.database());
        ManagedObjectContext context(store);
        SyntheticHistory history;
        history.endDate = instance.end;
        history.days = LargeLog::Days;
        history.intervalSeconds = LargeLog::Days * 86400.0 / static_cast<double>(LargeLog::Samples);
        StatisticsRange statistics;
        writeSyntheticHistory(history, context, &statistics);
        StatisticsFile::write(Paths::statisticsPath(instance.documents()), statistics);
        std::fprintf(stderr, "%lld samples written\n",
                     static_cast<long long>(context.savedCount()));
        Clock::setSource([] { return instance.end + 1.0; });
        return &instance;
    }();
    return *log;
}
