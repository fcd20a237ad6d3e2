#pragma once

#include "Event.h"

// Whether a new sample adds nothing to the log after `previous`: the level moved by less than
// 0.05, it is not the first time at exactly full, and the state is the same (a full battery
// that starts charging again or reports an unknown state counts as unchanged).
bool shouldDropSample(const Event& previous, const Event& sample);
