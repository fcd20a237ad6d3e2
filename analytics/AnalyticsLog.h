#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The analytics client's one process-wide log level (default 1). Each message carries a
// threshold: shown from level 1, from level 2 (debug), or only at exactly level 3 (verbose).
class AnalyticsLog {
public:
    enum Threshold { AtLeast1 = 1, AtLeast2 = 2, Exactly3 = 3 };

    static int level();
    static void setLevel(int level);
    static bool enabled(Threshold threshold);
    static void write(const QString& message);

    // The texts that stand for a date, a value or "none" in the messages.
    static QString describeDate(std::optional<double> secondsSinceEpoch);
    static QString describe(const QVariant& value);
};

// Formats the message only when the level shows it: some messages sit in per-event loops.
#define ANALYTICS_LOG(threshold, ...)                                                              \
    do {                                                                                           \
        if (AnalyticsLog::enabled(AnalyticsLog::threshold))                                        \
            AnalyticsLog::write(QString::asprintf(__VA_ARGS__));                                   \
    } while (0)
