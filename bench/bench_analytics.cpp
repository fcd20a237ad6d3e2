// The analytics client's hot paths: building a full report, the checksum, and storing the
// current record after an error.
#include "AnalyticsReportBuilder.h"
#include "AnalyticsSession.h"
#include "AnalyticsSessionStore.h"
#include "AnalyticsUtil.h"
#include "BudgetReporter.h"
#include "Clock.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>
#include <random>
#include <vector>

namespace {
const QString ApiKey = QStringLiteral("QZ7HNM4TKD9WB2XRLC6V");
constexpr int SavedSessions = 50;
constexpr int EventsPerSession = 1000;

struct Fixture {
    QTemporaryDir home;
    double now = 1.8e9;
    std::vector<std::unique_ptr<AnalyticsSession>> sessions;
    QList<AnalyticsReportBuilder::Item> blocks;
    QList<AnalyticsReportBuilder::Item> records;
};

// A full session: the most events one session keeps, each with two parameters.
std::unique_ptr<AnalyticsSession> fullSession(Fixture& f) {
    auto session = std::make_unique<AnalyticsSession>(ApiKey, QStringLiteral("1.0"), f.now);
    for (int i = 0; i < EventsPerSession; ++i) {
        f.now += 0.5;
        session->recordEvent(
            i % 2 ? QStringLiteral("HistoryView") : QStringLiteral("StatisticsView"),
            {{QStringLiteral("row"), i}, {QStringLiteral("source"), QStringLiteral("bench")}});
    }
    session->finishSession();
    return session;
}

Fixture& fixture() {
    static Fixture* f = [] {
        auto* fx = new Fixture;
        qputenv("XDG_DATA_HOME", QFile::encodeName(fx->home.path()));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(fx->home.path()));
        qputenv("AMPELIO_KEYCHAIN", "file");
        Clock::setSource([fx] { return fx->now; });
        for (int i = 0; i < SavedSessions; ++i) {
            fx->sessions.push_back(fullSession(*fx));
            fx->blocks.append(*fx->sessions.back()->data());
            fx->records.append(fx->sessions.back().get());
        }
        return fx;
    }();
    return *f;
}

void BM_ReportOf50SavedBlocks(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(AnalyticsReportBuilder::dataForSessions(*f.sessions[0], f.blocks));
}

void BM_ReportOf50SessionRecords(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            AnalyticsReportBuilder::dataForSessions(*f.sessions[0], f.records));
}

void BM_ChecksumOfOneMiB(benchmark::State& state) {
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char& byte : buffer)
        byte = static_cast<char>(random());
    for (auto _ : state)
        benchmark::DoNotOptimize(AnalyticsUtil::dataChecksum(buffer));
    state.SetBytesProcessed(state.iterations() * buffer.size());
}

// A session as this application makes them: screen visits and a few errors.
void BM_StoreRecordAfterError(benchmark::State& state) {
    Fixture& f = fixture();
    AnalyticsSession session(ApiKey, QStringLiteral("1.0"), f.now);
    for (int i = 0; i < 50; ++i) {
        session.recordEvent(QStringLiteral("HistoryView"), {}, true);
        session.endTimedEvent(QStringLiteral("HistoryView"), {});
    }
    for (auto _ : state)
        session.recordError(QStringLiteral("bench"), QStringLiteral("message"),
                            std::optional<AnalyticsException>(), QByteArray());
}

// The worst case: a session holding the most events it may keep.
void BM_StoreFullRecordAfterError(benchmark::State& state) {
    Fixture& f = fixture();
    AnalyticsSession& session = *f.sessions[0];
    for (auto _ : state)
        session.recordError(QStringLiteral("bench"), QStringLiteral("message"),
                            std::optional<AnalyticsException>(), QByteArray());
}

// Quiet the log lines of the client; the report is what matters here.
void silence(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

BENCHMARK(BM_ReportOf50SavedBlocks)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportOf50SessionRecords)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChecksumOfOneMiB)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreRecordAfterError)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreFullRecordAfterError)->Repetitions(5)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(silence);
    benchmark::Initialize(&argc, argv);
    fixture();
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const int failures = reporter.check({
        {"report of 50 saved sessions of 1,000 events", "BM_ReportOf50SavedBlocks", "", 20e6},
        // 1 MiB at 300 MB/s.
        {"CRC-32 at 300 MB/s or more", "BM_ChecksumOfOneMiB", "", 1048576.0 / 300e6 * 1e9},
        {"storing a record of 50 events after an error", "BM_StoreRecordAfterError", "", 2e6},
    });
    benchmark::Shutdown();
    return failures == 0 ? 0 : 1;
}
