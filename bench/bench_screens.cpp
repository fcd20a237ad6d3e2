// The window and the screens on a log of a million samples.
#include "Ampelio_ProAppDelegate.h"
#include "BatteryCatalog.h"
#include "BatteryLogHandler.h"
#include "BudgetReporter.h"
#include "CsvExportCommand.h"
#include "Device.h"
#include "HealthReport.h"
#include "HealthStore.h"
#include "HistoryViewController.h"
#include "LargeLog.h"
#include "MainScreen.h"
#include "MainWindow.h"
#include "SimulatedPowerSource.h"
#include "StatisticsReport.h"
#include "UIDeviceHardware.h"
#include "UserDefaults.h"
#include "WindowedApplication.h"

#include <QApplication>
#include <QListView>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {
struct Log {
    Device device{std::make_unique<SimulatedPowerSource>(), 3600000};
    UserDefaults defaults{largeLog().dir.filePath("Ampelio.ini")};
};

struct Handler : Log {
    BatteryLogHandler handler{device, largeLog().documents(), defaults};
};

void BM_WindowShown(benchmark::State& state) {
    Log log;
    for (auto _ : state) {
        WindowedApplication app(log.device, largeLog().documents(), log.defaults);
        app.lifecycle().launch();
        QApplication::processEvents();
        benchmark::DoNotOptimize(app.window().grab());
        state.PauseTiming();
        app.lifecycle().terminate();
        state.ResumeTiming();
    }
}

// One frame of a window being dragged wider and narrower, across the phone/tablet threshold: the
// resize, the graph's new layout and a repaint, all on the GUI thread (tiles are drawn on their
// own threads; what is not drawn yet shows stretched or empty).
void BM_WindowResize(benchmark::State& state) {
    Log log;
    MainScreen::setWindowSize(QSizeF(MainWindow::MinimumWidth, MainWindow::MinimumHeight));
    {
        WindowedApplication app(log.device, largeLog().documents(), log.defaults);
        app.lifecycle().launch();
        app.window().resize(1000, 700);
        QApplication::processEvents();
        app.window().grab();
        int width = 1000;
        int step = -12;
        for (auto _ : state) {
            width += step;
            if (width < 540 || width > 1200)
                step = -step;
            app.window().resize(width, 700 + (width % 40));
            app.window().repaint();
            QApplication::processEvents();
        }
        app.lifecycle().terminate();
    }
    MainScreen::setWindowSize(QSizeF());
}

void BM_HistoryOpen(benchmark::State& state) {
    Handler log;
    for (auto _ : state) {
        HistoryViewController history(log.handler);
        history.resize(320, 411);
        history.show();
        benchmark::DoNotOptimize(history.grab());
    }
}

void BM_HistoryScrollToLast(benchmark::State& state) {
    Handler log;
    for (auto _ : state) {
        state.PauseTiming();
        HistoryViewController history(log.handler);
        history.resize(320, 411);
        history.show();
        history.grab();
        state.ResumeTiming();
        history.tableView()->scrollToBottom();
        benchmark::DoNotOptimize(history.grab());
    }
}

void BM_UpdateData(benchmark::State& state) {
    Handler log;
    const UIDeviceHardware hardware(log.device.powerSource(), 320);
    StatisticsReport report(log.handler, hardware);
    report.buildRows();
    for (auto _ : state)
        report.updateData();
}

// The Battery Health section of a battery read every day for ten years.
void BM_HealthSectionTenYears(benchmark::State& state) {
    QTemporaryDir home;
    Log log;
    BatteryLogHandler handler(log.device, home.path(), log.defaults);
    HealthStore* health = handler.healthStore();
    const qint64 battery = handler.batteryCatalog()->idFor({QStringLiteral("bench"), {}, {}});
    for (int d = 0; d < 3653; ++d) {
        HealthReading reading{1.5e9 + d * 86400.0,
                              battery,
                              50000.0 - d * 4.0,
                              50000.0,
                              QStringLiteral("mWh"),
                              d / 2,
                              30.0};
        health->add(reading);
    }
    HealthReport report(handler);
    for (auto _ : state)
        report.updateData();
}

long maxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_ExportCsv(benchmark::State& state) {
    const QString file = largeLog().dir.filePath("export.csv");
    const long before = maxRssKb();
    for (auto _ : state)
        CsvExportCommand::run(largeLog().documents(), file);
    state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(LargeLog::Samples) *
                                                           static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
    state.counters["rss_growth_MiB"] = static_cast<double>(maxRssKb() - before) / 1024.0;
}

} // namespace

BENCHMARK(BM_WindowShown)->Repetitions(3)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowResize)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryOpen)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryScrollToLast)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateData)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HealthSectionTenYears)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportCsv)->Repetitions(3)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runBudgetedBenchmarks(
        argc, argv,
        {
            {"window shown after start", "BM_WindowShown", "", 1000e6},
            {"one frame of resizing the window", "BM_WindowResize", "", 16e6},
            {"History tab opened", "BM_HistoryOpen", "", 200e6},
            {"History scrolled to its last row", "BM_HistoryScrollToLast", "", 200e6},
            {"updateData", "BM_UpdateData", "", 50e6},
            {"Battery Health of ten years of daily readings", "BM_HealthSectionTenYears", "", 20e6},
            {"--export-csv of a million lines (200,000 lines/s)", "BM_ExportCsv", "", 5000e6},
        },
        [] { largeLog(); });
}
