#pragma once

#include "Event.h"

#include <QString>

// The two ways a sample's state is named: the history list and its CSV export say
// "State: Running from Battery", the statistics and the callout say "on battery". Other
// values name nothing ("").
namespace EventStateText {
QString history(int state);
QString statistics(int state);
// One plain word for tools: "unknown", "discharging", "charging", "full"; "" for other values.
QString plain(int state);
// The same for a stored sample: a full state held by a charge limit reads "Not charging".
QString history(const Event& event);
QString statistics(const Event& event);
QString plain(const Event& event);
} // namespace EventStateText
