#include "DropRule.h"

#include "PowerSource.h"

#include <cmath>

namespace {
constexpr double MinLevelStep = 0.05;
}

bool shouldDropSample(const Event& previous, const Event& sample) {
    // Another battery starts a series of its own; its first sample is always kept. Samples
    // from before batteries were told apart (0) belong to whichever battery follows.
    if (previous.batteryId != 0 && sample.batteryId != 0 && previous.batteryId != sample.batteryId)
        return false;
    // The difference is taken in single precision and compared in double, as stored.
    const float difference = std::fabs(sample.batteryLevel - previous.batteryLevel);
    const bool smallStep = static_cast<double>(difference) < MinLevelStep;
    const bool notNewlyFull = sample.batteryLevel != 1.0f || previous.batteryLevel == 1.0f;
    const bool sameState =
        sample.batteryState == previous.batteryState ||
        (previous.batteryState == BatteryStateFull && sample.batteryState != BatteryStateUnplugged);
    return smallStep && notNewlyFull && sameState;
}
