#pragma once

#include <QString>

class BatteryCatalog;
class HealthStore;
class QIODevice;

// The health readings as comma-separated text, one line per reading, by battery and oldest
// first: time (ISO 8601, UTC), battery, full and design capacity with their unit, health in
// percent, cycles, temperature, and whether the trend left the reading out as an outlier.
class HealthCsvWriter {
public:
    static const QString Header;
    // False when the readings could not be read or the output not written.
    static bool write(QIODevice& out, HealthStore& health, BatteryCatalog& catalog);
};
