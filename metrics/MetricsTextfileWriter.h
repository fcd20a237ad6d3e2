#pragma once

#include <QObject>
#include <QString>

class BatteryLogHandler;
class ChargeTimeTracker;
class PowerSource;

// Keeps DIR/ampelio.prom current for the node exporter's textfile collector: rewritten after
// every kept sample (and once at the start), replaced atomically so a scrape never reads half a
// file, and readable by the exporter's own user.
class MetricsTextfileWriter : public QObject {
    Q_OBJECT
public:
    // The setting in Ampelio.ini; the command line's --metrics-textfile wins over it.
    static const QString DirectoryKey; // "metricsTextfileDirectory"

    MetricsTextfileWriter(BatteryLogHandler& log, PowerSource& source,
                          const ChargeTimeTracker* times, QString directory,
                          QObject* parent = nullptr);

    QString directory() const { return directory_; }
    QString path() const;
    // Writes the file now; false (one log line, the old file kept) when it could not.
    bool write();

private:
    void sampleKept();

    BatteryLogHandler& log_;
    PowerSource& source_;
    const ChargeTimeTracker* times_;
    QString directory_;
    qint64 samples_ = 0;
    bool failing_ = false;
};
