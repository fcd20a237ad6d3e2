#pragma once

#include <cstdint>
#include <vector>

struct BatterySample {
    double date = 0; // seconds since the epoch
    float level = 0; // 0..1
    int state = 0;   // 1 on battery, 2 charging, 3 full
};

// A deterministic battery history for looking at and measuring the graph without a log:
// discharges at varying rates, plugs in at varying levels, charges, sits full, unplugs.
class SyntheticBatteryCurve {
public:
    SyntheticBatteryCurve(double endDate, double days, double intervalSeconds, uint64_t seed = 1);

    const std::vector<BatterySample>& samples() const { return samples_; }
    // Like the log's window query: the last sample before `earlier`, at most `limit` samples
    // strictly between the two, oldest first, and the first sample after `later`.
    std::vector<BatterySample> window(double earlier, double later, int limit = 400) const;

private:
    std::vector<BatterySample> samples_;
};
