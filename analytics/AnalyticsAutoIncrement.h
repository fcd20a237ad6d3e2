#pragma once

#include <QHash>

#include <mutex>

// Hands out ids per counter kind; ids restart at 1 whenever a new session begins.
class AnalyticsAutoIncrement {
public:
    enum Kind { Errors = 1, Events = 2 };

    static AnalyticsAutoIncrement& instance();

    qint64 nextCountFor(int kind);
    void resetAll();

private:
    std::mutex mutex_;
    QHash<int, qint64> counts_;
};
