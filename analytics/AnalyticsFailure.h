#pragma once

#include <QString>

// What callers report as an exception: its name, its reason and any further information.
struct AnalyticsException {
    QString name;
    QString reason;
    QString userInfo;
};

// What callers report as an error object.
struct AnalyticsErrorObject {
    QString domain;
    qint64 code = 0;
    QString localizedDescription;
    QString localizedFailureReason;
    QString userInfo;
};
