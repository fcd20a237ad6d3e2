// Graph drawing costs: one tile against plain QPainter strokes of as many segments, a phone
// screen of tiles from a cold cache, the GUI thread's share of a paint, and the memory the tile
// cache holds across a sweep of every zoom.
#include "Clock.h"
#include "DemoGraphController.h"
#include "GraphView.h"
#include "ScrollView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <vector>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

namespace {
const double kNow = Clock::now();
const QRectF kTile(116800 - 120 - 256, 0, 256, 411); // the tile that ends at "now"

std::shared_ptr<SyntheticBatteryCurve> curve(double interval) {
    return std::make_shared<SyntheticBatteryCurve>(kNow - 60, 30, interval);
}

QImage tileImage() {
    QImage image(kTile.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-kTile.topLeft());
    painter.setClipRect(kTile);
}

// Points per tile: a day across 320 points holds `perDay` samples. 580 a day fills the 400 cap.
double intervalFor(int perDay) {
    return 86400.0 / perDay;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The same number of segments stroked straight into an image: the floor for any tile.
QPainterPath baselinePath(const GraphView& view, const GraphData& data) {
    QPainterPath path;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const QPointF p(view.getXCord(*data[i]), view.getYCord(*data[i], "batteryLevel"));
        i == 0 ? path.moveTo(p) : path.lineTo(p);
    }
    return path;
}

// One tile, with the baseline measured between its iterations; reports both medians and
// their ratio.
void BM_GraphTile(benchmark::State& state) {
    DemoGraphController source(curve(intervalFor(static_cast<int>(state.range(0)))), {});
    GraphView view(QRectF(0, 0, 116800, 416));
    view.setGraphDelegate(&source);
    const GraphData data = source.dataFromX(view.pixelsToOriginSecs(kTile.left() - 12),
                                            view.pixelsToOriginSecs(kTile.right() + 12));
    const QPainterPath path = baselinePath(view, data);
    const QPen pen(QColor::fromRgbF(0.3f, 0.3f, 0.3f, 0.7f), 5.0);
    QImage image = tileImage();
    std::vector<double> tile;
    std::vector<double> baseline;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        {
            image.fill(Qt::transparent);
            QPainter painter(&image);
            prepare(painter);
            view.drawLayer(painter);
        }
        const auto middle = std::chrono::steady_clock::now();
        state.PauseTiming();
        const auto baseStart = std::chrono::steady_clock::now();
        {
            image.fill(Qt::transparent);
            QPainter painter(&image);
            prepare(painter);
            painter.strokePath(path, pen);
        }
        const auto end = std::chrono::steady_clock::now();
        state.ResumeTiming();
        tile.push_back(std::chrono::duration<double, std::milli>(middle - start).count());
        baseline.push_back(std::chrono::duration<double, std::milli>(end - baseStart).count());
    }
    state.counters["points"] = static_cast<double>(data.size());
    state.counters["tile_ms"] = median(tile);
    state.counters["baseline_ms"] = median(baseline);
    state.counters["ratio"] = median(tile) / median(baseline);
}
BENCHMARK(BM_GraphTile)->Arg(300)->Arg(580)->Unit(benchmark::kMillisecond);

struct ShownGraph {
    DemoGraphController controller{curve(intervalFor(580)), {}};
    ShownGraph() {
        QWidget* view = controller.view();
        view->show();
        while (!view->windowHandle() || !view->windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    GraphView& graph() { return *controller.graphView(); }
    TiledLayer& layer() { return graph().tiledLayer(); }
    void waitForTiles() {
        while (layer().pendingTileCount() > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
};

// From discarding the cache to every visible tile being on screen.
void BM_PhoneScreenColdCache(benchmark::State& state) {
    ShownGraph shown;
    for (auto _ : state) {
        shown.graph().clearTileCache();
        shown.graph().repaint();
        shown.waitForTiles();
    }
    state.counters["tiles"] = shown.layer().cachedTileCount();
}
BENCHMARK(BM_PhoneScreenColdCache)->Unit(benchmark::kMillisecond)->UseRealTime();

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The GUI thread's part of a paint: with every tile pending (arg 0) or cached (arg 1). The
// longest single paint is reported too, since the budget is on every paint: as wall time, which
// includes being preempted by the tile workers or other processes, and as the GUI thread's own
// processor time.
void BM_GuiPaint(benchmark::State& state) {
    ShownGraph shown;
    const bool cached = state.range(0) == 1;
    shown.graph().repaint();
    shown.waitForTiles();
    double longest = 0;
    double longestCpu = 0;
    for (auto _ : state) {
        if (!cached) {
            state.PauseTiming();
            shown.waitForTiles();
            shown.graph().clearTileCache();
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        shown.graph().repaint();
        longestCpu = std::max(longestCpu, threadCpuMs() - cpuStart);
        longest = std::max(longest, std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
    }
    shown.waitForTiles();
    state.counters["longest_ms"] = longest;
    state.counters["longest_cpu_ms"] = longestCpu;
}
BENCHMARK(BM_GuiPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Folds zooms from 1/32 up to 32 and back, drawing each screen, and reports the most memory
// the tile cache held at any step.
void BM_ZoomSweepCacheMemory(benchmark::State& state) {
    ShownGraph shown;
    qint64 peak = 0;
    for (auto _ : state) {
        std::vector<float> scales;
        scales.push_back(1.0f / 32);
        for (int i = 0; i < 10; ++i)
            scales.push_back(2.0f);
        for (int i = 0; i < 10; ++i)
            scales.push_back(0.5f);
        for (const float scale : scales) {
            shown.controller.scrollViewDidEndZooming(shown.controller.scrollView(), &shown.graph(),
                                                     scale);
            // Look around a little at each zoom, as a user would.
            for (int step = 0; step < 8; ++step) {
                ScrollView* scroll = shown.controller.scrollView();
                scroll->setContentOffset(scroll->contentOffset() - QPointF(300, 0));
                shown.graph().repaint();
                shown.waitForTiles();
                peak = std::max(peak, shown.layer().cachedBytes());
            }
        }
    }
    state.counters["peak_cache_MiB"] = static_cast<double>(peak) / (1024.0 * 1024.0);
    state.counters["limit_MiB"] =
        static_cast<double>(shown.layer().cacheLimitBytes()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ZoomSweepCacheMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
