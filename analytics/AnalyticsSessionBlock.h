#pragma once

#include <QByteArray>

class AnalyticsSession;

// The session block of the report: one session record, serialised in the order the collector
// reads it.
class AnalyticsSessionBlock {
public:
    static QByteArray build(const AnalyticsSession& session);
};
