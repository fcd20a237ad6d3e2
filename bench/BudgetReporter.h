#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>
#include <cstdio>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Prints the usual console report, keeps each benchmark's median real time, and checks the
// budgets afterwards: an absolute bound, or a ratio against a baseline measured in the same run.
class BudgetReporter : public benchmark::ConsoleReporter {
public:
    struct Budget {
        std::string description;
        std::string benchmark;
        std::string baseline; // empty: an absolute bound in nanoseconds
        double limit;
    };

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[run.run_name.function_name] =
                    run.GetAdjustedRealTime() * nanosPerUnit(run.time_unit);
        }
    }

    // Returns the number of budgets exceeded.
    int check(const std::vector<Budget>& budgets) const {
        int failures = 0;
        std::printf("\nBudgets (medians):\n");
        for (const Budget& b : budgets) {
            const auto value = medians_.find(b.benchmark);
            if (value == medians_.end()) {
                std::printf("  SKIP %s (not run)\n", b.description.c_str());
                continue;
            }
            if (b.baseline.empty()) {
                const bool ok = value->second <= b.limit;
                failures += ok ? 0 : 1;
                std::printf("  %s %s: %.3f ms (limit %.3f ms)\n", ok ? "PASS" : "FAIL",
                            b.description.c_str(), value->second / 1e6, b.limit / 1e6);
                continue;
            }
            const auto base = medians_.find(b.baseline);
            if (base == medians_.end()) {
                std::printf("  SKIP %s (baseline not run)\n", b.description.c_str());
                continue;
            }
            const double ratio = value->second / base->second;
            const bool ok = ratio <= b.limit;
            failures += ok ? 0 : 1;
            std::printf("  %s %s: %.3f ms vs %.3f ms = %.2fx (limit %.1fx)\n", ok ? "PASS" : "FAIL",
                        b.description.c_str(), value->second / 1e6, base->second / 1e6, ratio,
                        b.limit);
        }
        return failures;
    }

private:
    static double nanosPerUnit(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1.0;
        case benchmark::kMicrosecond:
            return 1e3;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kSecond:
            return 1e9;
        }
        return 1.0;
    }

    std::map<std::string, double> medians_;
};

// The common main of the budgeted benchmarks: quiets the application's log lines, prepares the
// fixture, runs what the command line selects and checks the budgets (and any extra check).
// Returns the process exit status.
inline int runBudgetedBenchmarks(int& argc, char** argv,
                                 const std::vector<BudgetReporter::Budget>& budgets,
                                 const std::function<void()>& prepare = {},
                                 const std::function<bool()>& extraChecks = {}) {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    benchmark::Initialize(&argc, argv);
    if (prepare)
        prepare();
    BudgetReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    int failures = reporter.check(budgets);
    if (extraChecks && !extraChecks())
        ++failures;
    benchmark::Shutdown();
    return failures == 0 ? 0 : 1;
}
