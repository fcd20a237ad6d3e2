#pragma once

#include "Event.h"

#include <cstdint>
#include <functional>

// A deterministic battery history: discharge at varying rates, plug in at varying levels,
// charge, sit full, unplug. The same parameters always give the same samples.
struct SyntheticHistory {
    double endDate = 0;           // seconds since the epoch of the newest sample
    double days = 30;             // length of the history
    double intervalSeconds = 300; // mean time between samples
    uint64_t seed = 1;

    // Calls the sink with each sample, oldest first. Returns how many there were.
    int64_t generate(const std::function<void(const Event&)>& sink) const;
};

class ManagedObjectContext;
class StatisticsRange;

// Writes the history into the context in batches, feeding each sample to the statistics.
// Returns false when a save failed.
bool writeSyntheticHistory(const SyntheticHistory& history, ManagedObjectContext& context,
                           StatisticsRange* statistics);
