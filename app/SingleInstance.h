#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// One logger per user and data directory: a lock file held for the life of the process decides
// who logs, and a later start asks the running instance to show its window (over a local socket
// in the user's runtime directory) instead of logging every sample twice.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& dataDirectory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process may log: it holds the lock (or no lock can be had at all, in which
    // case logging wins over refusing to start).
    bool acquire();
    // Asks the running instance to show itself; false when none answered.
    bool handOverToRunningInstance();
    // Starts answering later starts; returns false when that is not possible.
    bool listen();

signals:
    void showRequested();

private:
    QString lockPath_;
    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
