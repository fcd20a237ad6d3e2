// Writing the fleet metrics file, which happens after every kept sample on the GUI thread.
#include "AtomicFile.h"
#include "BatteryLogHandler.h"
#include "BatteryMetrics.h"
#include "BudgetReporter.h"
#include "ChargeTimeTracker.h"
#include "Device.h"
#include "MetricsTextfileWriter.h"
#include "PrometheusTextfile.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {
// A battery reporting every figure the file holds.
class FullBattery : public PowerSource {
public:
    QString name() const override { return QStringLiteral("bench"); }
    Properties properties() const override {
        return {{CurrentCapacity, 3000.0}, {MaxCapacity, 4000.0}, {DesignCapacity, 5000.0},
                {CycleCount, 321.0},       {Temperature, 2950.0}, {InstantAmperage, -1200.0},
                {Voltage, 11400.0}};
    }
    float level() const override { return 0.75f; }
    BatteryState state() const override { return BatteryStateUnplugged; }
    BatteryIdentity identity() const override {
        return {QStringLiteral("SMP"), QStringLiteral("5B10W13930"), QStringLiteral("1234"), 5000};
    }
};

struct Setup {
    QTemporaryDir dir;
    Device device{std::make_unique<FullBattery>(), 3600000};
    UserDefaults defaults{dir.filePath("Ampelio.ini")};
    BatteryLogHandler log{device, dir.filePath("data"), defaults};
    ChargeTimeTracker times{device};
    QString textfiles = dir.filePath("textfile");
    Setup() { QDir().mkpath(textfiles); }
};

Setup& setup() {
    static Setup s;
    return s;
}

// The floor: the same bytes through the same atomic replace, without gathering the figures.
void BM_BaselineAtomicReplace(benchmark::State& state) {
    const QByteArray text = PrometheusTextfile::format(
        BatteryMetrics::read(setup().device.powerSource(), setup().times.estimate(), 1000));
    const QString path = setup().textfiles + "/baseline.prom";
    for (auto _ : state) {
        AtomicFile file(path);
        file.setPermissions(0644);
        file.setDurable(false);
        benchmark::DoNotOptimize(file.open() && file.write(text) && file.commit());
    }
}

void BM_WriteMetricsFile(benchmark::State& state) {
    MetricsTextfileWriter writer(setup().log, setup().device.powerSource(), &setup().times,
                                 setup().textfiles);
    for (auto _ : state)
        benchmark::DoNotOptimize(writer.write());
}
} // namespace

BENCHMARK(BM_BaselineAtomicReplace)->Repetitions(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteMetricsFile)->Repetitions(3)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return runBudgetedBenchmarks(
        argc, argv,
        {
            {"metrics file written per sample", "BM_WriteMetricsFile", "", 1e6},
            {"gathering the figures costs little beside the write", "BM_WriteMetricsFile",
             "BM_BaselineAtomicReplace", 2.0},
        },
        [] { setup(); });
}
