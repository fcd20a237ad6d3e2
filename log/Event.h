#pragma once

#include <QtGlobal>

// One stored battery sample. Records are values: copies handed out by a context describe the
// record as it was read and are never changed after insertion.
struct Event {
    // The record's identity in its store: the row id once saved, negative while only pending.
    qint64 objectId = 0;
    // Absolute time, seconds since the Unix epoch.
    double creationDate = 0.0;
    // Charge as a fraction 0..1, -1.0 when no source knew it.
    float batteryLevel = -1.0f;
    // 0 unknown, 1 running from battery, 2 charging, 3 full.
    int batteryState = 0;
    // State 3 held by a charge limit below full (the kernel's "Not charging"), kept beside the
    // state so logs that stored it as 3 read the same.
    bool notCharging = false;
    // The battery (or set of batteries) the sample came from, a row of the log's battery
    // table; 0 for samples taken before batteries were told apart.
    qint64 batteryId = 0;

    friend bool operator==(const Event&, const Event&) = default;
};
