#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a signal on the event loop, so the application leaves through
// its terminate path (saving what is pending) instead of dying mid-way.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};
