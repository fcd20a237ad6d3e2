#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// The real prometheus-node-exporter with only its textfile collector, on a free port of
// 127.0.0.1, serving the files of one directory. Stopped when the object goes.
class NodeExporter {
public:
    explicit NodeExporter(const QString& textfileDirectory);
    ~NodeExporter();

    bool isListening() const { return port_ != 0; }
    // What the exporter logged, for failure messages.
    QByteArray log() const { return log_; }
    // GET /metrics; empty on failure.
    QByteArray scrape();

private:
    QProcess process_;
    quint16 port_ = 0;
    QByteArray log_;
};
