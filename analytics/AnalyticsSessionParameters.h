#pragma once

#include <QMap>
#include <QString>

// The device measurements a session carries: phase 0 when the record is created, phase 1 when
// it is finished. Later values replace earlier ones of the same key.
class AnalyticsSessionParameters {
public:
    enum Phase { Start = 0, End = 1 };

    static void collect(int phase, QMap<QString, QString>& parameters);
};
