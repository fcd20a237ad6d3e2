// The battery graph screen on a log of a million samples over ten years: one data-source call
// for a day, the details of a tapped sample, and every tile's call while scrolling a year.
#include "AmpelioGraphController.h"
#include "BatteryLogHandler.h"
#include "BudgetReporter.h"
#include "Clock.h"
#include "Device.h"
#include "EventStore.h"
#include "GraphGeometry.h"
#include "GraphView.h"
#include "LargeLog.h"
#include "ManagedObjectContext.h"
#include "PointClickedView.h"
#include "SimulatedPowerSource.h"
#include "SyntheticHistory.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr double MaxTileCallMs = 5.0;
double slowestTileCallMs = 0; // over every run of BM_ScrollYearTiles

struct Screen {
    Device device{std::make_unique<SimulatedPowerSource>(), 3600000};
    UserDefaults defaults{largeLog().dir.filePath("Ampelio.ini")};
    BatteryLogHandler handler{device, largeLog().documents(), defaults};
    AmpelioGraphController controller{handler};
};

// A day's window, a different one each time, as tiles across the last year ask for them.
void BM_DataSourceOneDay(benchmark::State& state) {
    Screen screen;
    float back = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(screen.controller.dataFromX(-back - 86400, -back));
        back = back >= 31536000 - 86400 ? 0 : back + 86400;
    }
}

// Search, data range and texts for a sample in the middle of the last year.
void BM_TapSelection(benchmark::State& state) {
    Screen screen;
    const QList<Event> around = screen.handler.getArrayFrom(180 * 86400, 181 * 86400, false);
    const Event tapped = around.first();
    PointClickedView selection;
    selection.setLogHandler(&screen.handler);
    for (auto _ : state)
        benchmark::DoNotOptimize(selection.describeSelection(tapped));
}

// Every tile of the year at zoom 1 asks for its window, as the renderer does; the slowest call
// is what a user could notice.
void BM_ScrollYearTiles(benchmark::State& state) {
    Screen screen;
    GraphGeometry g;
    g.width = 116800;
    g.height = 416;
    g.xRange = screen.controller.xRange();
    double slowest = 0;
    int tiles = 0;
    for (auto _ : state) {
        for (float x = 0; x < g.width; x += GraphView::tileWidth) {
            const float from = g.pixelsToOriginSecs(x - 12);
            const float to = g.pixelsToOriginSecs(x + GraphView::tileWidth + 12);
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(screen.controller.dataFromX(from, to));
            slowest = std::max(slowest, std::chrono::duration<double, std::milli>(
                                            std::chrono::steady_clock::now() - start)
                                            .count());
            ++tiles;
        }
    }
    state.counters["tiles"] = tiles;
    state.counters["slowest_ms"] = slowest;
    slowestTileCallMs = std::max(slowestTileCallMs, slowest);
}

} // namespace

BENCHMARK(BM_DataSourceOneDay)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TapSelection)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollYearTiles)->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return runBudgetedBenchmarks(
        argc, argv,
        {
            {"one day from the data source, with its context", "BM_DataSourceOneDay", "", 2e6},
            {"a tap's search, data range and texts", "BM_TapSelection", "", 20e6},
        },
        [] { largeLog(); },
        [] {
            const bool tilesOk = slowestTileCallMs < MaxTileCallMs;
            std::printf(
                "  %s slowest tile call scrolling a year at zoom 1: %.3f ms (limit %.3f ms)\n",
                tilesOk ? "PASS" : "FAIL", slowestTileCallMs, MaxTileCallMs);
            return tilesOk;
        });
}
