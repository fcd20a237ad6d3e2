// The battery log's hot paths on a log of a million samples over ten years.
#include "BatteryLogHandler.h"
#include "BudgetReporter.h"
#include "Clock.h"
#include "Device.h"
#include "EventStore.h"
#include "LargeLog.h"
#include "ManagedObjectContext.h"
#include "StatisticsFile.h"
#include "StatisticsHandler.h"
#include "StatisticsRange.h"
#include "SyntheticHistory.h"
#include "UpowerImport.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

namespace {
// A battery that swings between two levels, so every sample is kept.
class AlternatingBattery : public PowerSource {
public:
    QString name() const override { return QStringLiteral("bench"); }
    Properties properties() const override {
        flip_ = !flip_;
        return {{CurrentCapacity, flip_ ? 800.0 : 200.0}, {MaxCapacity, 1000.0}};
    }
    float level() const override { return -1.0f; }
    BatteryState state() const override { return BatteryStateUnplugged; }

private:
    mutable bool flip_ = false;
};

struct HandlerSetup {
    Device device{std::make_unique<AlternatingBattery>(), 3600000};
    UserDefaults defaults{largeLog().dir.filePath("Ampelio.ini")};
    BatteryLogHandler handler{device, largeLog().documents(), defaults};
};

void BM_BaselineInsertCommitAndAtomicWrite(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(largeLog().database()).constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(
        db, "INSERT INTO events (creation_date, battery_level, battery_state) VALUES (?1, ?2, ?3)",
        -1, &insert, nullptr);
    const QByteArray payload(300, 'x');
    const QString file = largeLog().dir.filePath("baseline.bin");
    double t = largeLog().end + 10.0;
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_bind_double(insert, 1, t += 1.0);
        sqlite3_bind_double(insert, 2, 0.5);
        sqlite3_bind_int(insert, 3, 1);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        QSaveFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(payload);
        out.commit();
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

void BM_AddEvent(benchmark::State& state) {
    HandlerSetup setup;
    for (auto _ : state)
        setup.handler.addEvent();
}

void BM_GetArrayDay(benchmark::State& state) {
    HandlerSetup setup;
    for (auto _ : state)
        benchmark::DoNotOptimize(setup.handler.getArrayFrom(0, 86400));
}

void BM_GetLastMonth(benchmark::State& state) {
    HandlerSetup setup;
    for (auto _ : state)
        benchmark::DoNotOptimize(StatisticsHandler::getLastMonth(setup.handler));
}

void BM_OpenStoreAndLoadStatistics(benchmark::State& state) {
    largeLog();
    for (auto _ : state) {
        HandlerSetup setup;
        benchmark::DoNotOptimize(setup.handler.statisticsRange().loadCycles());
    }
}

// A sample a minute: "Last Month" covers 43,200 samples, every one of them read.
struct DecadeSetup {
    Device device{std::make_unique<AlternatingBattery>(), 3600000};
    UserDefaults defaults{decadeLog().dir.filePath("Ampelio.ini")};
    BatteryLogHandler handler{device, decadeLog().documents(), defaults};
};

void BM_DecadeLastMonth(benchmark::State& state) {
    DecadeSetup setup;
    for (auto _ : state)
        benchmark::DoNotOptimize(StatisticsHandler::getLastMonth(setup.handler));
}

// The overall totals come from the statistics file, so opening 5.26M rows costs what opening
// a million does.
void BM_DecadeOpenStoreAndLoadStatistics(benchmark::State& state) {
    decadeLog();
    for (auto _ : state) {
        DecadeSetup setup;
        benchmark::DoNotOptimize(setup.handler.statisticsRange().loadCycles());
    }
}

} // namespace

BENCHMARK(BM_DecadeLastMonth)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecadeOpenStoreAndLoadStatistics)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineInsertCommitAndAtomicWrite)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddEvent)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetArrayDay)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetLastMonth)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenStoreAndLoadStatistics)->Repetitions(5)->Unit(benchmark::kMillisecond);

// Seven days of the power daemon's history at its own pace (a line a minute in each of the
// charge and rate files): about 20,000 lines, imported into an empty log.
void BM_ImportUpowerWeek(benchmark::State& state) {
    QTemporaryDir upower;
    QByteArray charge;
    QByteArray rate;
    const qint64 start = 1.7e9;
    for (int i = 0; i < 7 * 1440; ++i) {
        const QByteArray time = QByteArray::number(start + i * 60) + '\t';
        // Drains over five hours, charges in one, again and again.
        const int minute = i % 360;
        const double percent = minute < 300 ? 100.0 - minute * 0.3 : 10.0 + (minute - 300) * 1.5;
        charge += time + QByteArray::number(percent, 'f', 1) +
                  (minute < 300 ? "\tdischarging\n" : "\tcharging\n");
        rate += time + "7.5\tdischarging\n";
    }
    QFile chargeFile(upower.filePath("history-charge-bench.dat"));
    QFile rateFile(upower.filePath("history-rate-bench.dat"));
    if (!chargeFile.open(QIODevice::WriteOnly) || !rateFile.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write the history files");
    chargeFile.write(charge);
    rateFile.write(rate);
    chargeFile.close();
    rateFile.close();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir documents;
        {
            EventStore store(Paths::storePath(documents.path()));
            ManagedObjectContext context(store);
            state.ResumeTiming();
            const UpowerImport::Result result = UpowerImport::run(context, upower.path());
            benchmark::DoNotOptimize(result.taken);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportUpowerWeek)->Repetitions(3)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return runBudgetedBenchmarks(
        argc, argv,
        {
            {"addEvent vs insert-and-commit + atomic write", "BM_AddEvent",
             "BM_BaselineInsertCommitAndAtomicWrite", 3.0},
            {"getArrayFrom:0 endSecs:86400", "BM_GetArrayDay", "", 1e6},
            {"getLastMonth:", "BM_GetLastMonth", "", 10e6},
            {"open store + load statistics", "BM_OpenStoreAndLoadStatistics", "", 50e6},
            {"Last Month over 43,200 samples", "BM_DecadeLastMonth", "", 15e6},
            {"open store + load statistics, 5.26M rows", "BM_DecadeOpenStoreAndLoadStatistics", "",
             50e6},
            {"--import-upower of 20,160 history lines", "BM_ImportUpowerWeek", "", 1000e6},
        },
        [] { largeLog(); });
}
