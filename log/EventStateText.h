#pragma once

#include <QString>

// The two ways a sample's state is named: the history list and its CSV export say
// "State: Running from Battery", the statistics and the callout say "on battery". Other
// values name nothing ("").
namespace EventStateText {
QString history(int state);
QString statistics(int state);
// One plain word for tools: "unknown", "discharging", "charging", "full"; "" for other values.
QString plain(int state);
} // namespace EventStateText
