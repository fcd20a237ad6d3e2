// Writes a deterministic synthetic battery history into an Ampelio log, for demonstrations and
// for benchmarks on logs of realistic size.
#include "SyntheticHistory.h"

#include "Clock.h"
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "Paths.h"
#include "StatisticsFile.h"
#include "StatisticsRange.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a deterministic synthetic battery history into an Ampelio log."));
    parser.addHelpOption();
    const QCommandLineOption daysOption(QStringLiteral("days"),
                                        QStringLiteral("Length in days (default 30)."),
                                        QStringLiteral("N"), QStringLiteral("30"));
    const QCommandLineOption intervalOption(
        QStringLiteral("interval"), QStringLiteral("Mean seconds between samples (default 300)."),
        QStringLiteral("SECONDS"), QStringLiteral("300"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Random seed (default 1)."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption endOption(
        QStringLiteral("end"),
        QStringLiteral("Date of the newest sample, seconds since the epoch (default now)."),
        QStringLiteral("EPOCH"));
    const QCommandLineOption dirOption(
        QStringLiteral("dir"), QStringLiteral("Data directory (default the application's)."),
        QStringLiteral("DIR"));
    const QCommandLineOption appendOption(
        QStringLiteral("append"), QStringLiteral("Add to a log that already holds samples."));
    parser.addOptions({daysOption, intervalOption, seedOption, endOption, dirOption, appendOption});
    parser.process(app);

    SyntheticHistory history;
    history.days = parser.value(daysOption).toDouble();
    history.intervalSeconds = parser.value(intervalOption).toDouble();
    history.seed = parser.value(seedOption).toULongLong();
    history.endDate = parser.isSet(endOption) ? parser.value(endOption).toDouble() : Clock::now();
    if (history.days <= 0 || history.intervalSeconds < 1) {
        std::fputs("--days must be above 0 and --interval at least 1\n", stderr);
        return 2;
    }

    const QString dir =
        parser.isSet(dirOption) ? parser.value(dirOption) : Paths::documentsDirectory();
    QDir().mkpath(dir);
    EventStore store(Paths::storePath(dir));
    if (!store.hasStore()) {
        std::fprintf(stderr, "Couldn't open the log in %s: %s\n", qPrintable(dir),
                     qPrintable(store.openError().description));
        return 1;
    }
    ManagedObjectContext context(store);
    if (context.savedCount() > 0 && !parser.isSet(appendOption)) {
        std::fprintf(stderr, "The log in %s already holds samples; pass --append to add to it.\n",
                     qPrintable(dir));
        return 1;
    }
    StatisticsRange statistics;
    const QString statisticsPath = Paths::statisticsPath(dir);
    if (parser.isSet(appendOption))
        StatisticsFile::read(statisticsPath, statistics);
    if (!writeSyntheticHistory(history, context, &statistics)) {
        std::fputs("Writing the history failed\n", stderr);
        return 1;
    }
    StatisticsFile::write(statisticsPath, statistics);
    std::printf("%lld samples in %s\n", static_cast<long long>(context.savedCount()),
                qPrintable(dir));
    return 0;
}
