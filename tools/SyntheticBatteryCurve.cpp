#include "SyntheticBatteryCurve.h"

#include <algorithm>
#include <cmath>

namespace {
// splitmix64: small, fast and the same everywhere.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    double uniform(double lo, double hi) {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        return lo + (hi - lo) * static_cast<double>(z >> 11) / static_cast<double>(1ULL << 53);
    }

private:
    uint64_t state_;
};

struct Phase {
    int state;
    double ratePerHour; // level change per hour while in this phase
    double untilLevel;  // the phase ends at this level ...
    double maxSeconds;  // ... or after this long
};

Phase nextPhase(int state, Random& random) {
    switch (state) {
    case 1: // on battery until plugged in
        return {2, random.uniform(0.25, 0.45), 1.0, 86400};
    case 2: // charging until full
        return {3, 0.0, 1.0, random.uniform(3600, 4 * 3600)};
    default: // full until unplugged
        return {1, -random.uniform(0.03, 0.14), random.uniform(0.08, 0.4), 86400 * 3};
    }
}
} // namespace

SyntheticBatteryCurve::SyntheticBatteryCurve(double endDate, double days, double intervalSeconds,
                                             uint64_t seed) {
    Random random(seed);
    double t = endDate - days * 86400.0;
    double level = 0.8;
    Phase phase{1, -0.08, 0.3, 86400};
    double phaseStart = t;
    while (t <= endDate) {
        const float rounded =
            static_cast<float>(std::round(std::clamp(level, 0.0, 1.0) * 100) / 100);
        samples_.push_back({t, rounded, phase.state});
        const double step = intervalSeconds * random.uniform(0.6, 1.4);
        t += step;
        level += phase.ratePerHour * step / 3600.0;
        const bool reached = (phase.ratePerHour < 0 && level <= phase.untilLevel) ||
                             (phase.ratePerHour > 0 && level >= phase.untilLevel);
        if (reached || t - phaseStart >= phase.maxSeconds) {
            level = std::clamp(level, 0.0, 1.0);
            phase = nextPhase(phase.state, random);
            phaseStart = t;
        }
    }
}

std::vector<BatterySample> SyntheticBatteryCurve::window(double earlier, double later,
                                                         int limit) const {
    const auto byDate = [](const BatterySample& s, double d) { return s.date < d; };
    const auto first = std::lower_bound(samples_.begin(), samples_.end(), earlier, byDate);
    std::vector<BatterySample> result;
    if (first != samples_.begin())
        result.push_back(*(first - 1));
    auto it = first;
    if (it != samples_.end() && it->date == earlier)
        ++it;
    int inside = 0;
    for (; it != samples_.end() && it->date < later && inside < limit; ++it, ++inside)
        result.push_back(*it);
    const auto after =
        std::upper_bound(samples_.begin(), samples_.end(), later,
                         [](double d, const BatterySample& s) { return d < s.date; });
    if (after != samples_.end())
        result.push_back(*after);
    return result;
}
