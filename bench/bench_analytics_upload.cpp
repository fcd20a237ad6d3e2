// The analytics client as the application meets it: the cost of its calls on the GUI thread,
// of starting it at launch, and the delivery of a backlog of stored reports to a local collector.
#include "Analytics.h"
#include "AnalyticsDataSender.h"
#include "AnalyticsImpl.h"
#include "AnalyticsNetworkUtil.h"
#include "BudgetReporter.h"
#include "ReportCollector.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

namespace {
const QString ApiKey = QStringLiteral("QZ7HNM4TKD9WB2XRLC6V");
constexpr int Backlog = 50;

ReportCollector* collector = nullptr;

void silence(QtMsgType, const QMessageLogContext&, const QString&) {}

qsizetype storedBlocks() {
    qsizetype count = -1;
    AnalyticsImpl::instance().queue().sync([&] {
        if (auto* sender = AnalyticsDataSender::instance())
            count =
                sender->dataIndex().notSentBlocksForDataKey(AnalyticsDataSender::dataKey()).size() +
                sender->runningTasks().size();
    });
    return count;
}

bool processEventsUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A running client whose reports all reach the collector.
void restart() {
    Analytics::shutdown();
    collector->setStatus(200);
    Analytics::startSession(ApiKey);
    processEventsUntil([] { return storedBlocks() == 0; }, 5000);
}

void BM_StartSession(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Analytics::shutdown();
        state.ResumeTiming();
        Analytics::startSession(ApiKey);
    }
    restart();
}

void BM_LogTimedEvent(benchmark::State& state) {
    restart();
    for (auto _ : state)
        Analytics::logEvent(QStringLiteral("HistoryView"), true);
    Analytics::waitUntilIdle();
}

void BM_EndTimedEvent(benchmark::State& state) {
    restart();
    for (auto _ : state)
        Analytics::endTimedEvent(QStringLiteral("HistoryView"));
    Analytics::waitUntilIdle();
}

// 50 refused reports wait on disk; then the collector accepts and the network returns.
void BM_DeliverBacklogOf50(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Analytics::shutdown();
        collector->setStatus(500);
        Analytics::startSession(ApiKey);
        for (int i = 1; i < Backlog; ++i)
            Analytics::pauseSession();
        const bool waiting = processEventsUntil(
            [] {
                qsizetype running = -1;
                AnalyticsImpl::instance().queue().sync(
                    [&] { running = AnalyticsDataSender::instance()->runningTasks().size(); });
                return running == 0 && storedBlocks() == Backlog;
            },
            10000);
        if (!waiting)
            state.SkipWithError("the backlog of 50 refused reports was not built");
        collector->setStatus(200);
        state.ResumeTiming();
        AnalyticsNetworkUtil::instance().updateNetworkStatus(
            AnalyticsNetworkUtil::ReachableViaWiFi);
        if (!processEventsUntil([] { return storedBlocks() == 0; }, 10000))
            state.SkipWithError("the backlog was not delivered within 10 s");
    }
}
} // namespace

BENCHMARK(BM_StartSession)->Repetitions(5)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogTimedEvent)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EndTimedEvent)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeliverBacklogOf50)->Repetitions(3)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(silence);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + QStringLiteral("/cache")));
    qputenv("AMPELIO_KEYCHAIN", "file");
    ReportCollector local;
    if (!local.listen())
        return 2;
    collector = &local;
    qputenv("AMPELIO_ANALYTICS_URL", local.url().toUtf8());

    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const int failures = reporter.check({
        {"starting the client at launch", "BM_StartSession", "", 20e6},
        {"logEvent:timed: on the GUI thread", "BM_LogTimedEvent", "", 1e6},
        {"endTimedEvent:withParameters: on the GUI thread", "BM_EndTimedEvent", "", 1e6},
        {"delivering 50 waiting reports", "BM_DeliverBacklogOf50", "", 5e9},
    });
    Analytics::shutdown();
    benchmark::Shutdown();
    return failures == 0 ? 0 : 1;
}
