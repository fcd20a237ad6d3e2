#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a signal on the event loop, so the application leaves through
// its terminate path (saving what is pending) instead of dying mid-way.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers at the first call; call it first thing in main, so a signal that
    // comes while the application starts is kept for the event loop instead of killing it.
    static bool install();
    // Back to the default action, for the short commands that have no event loop to stop.
    static void uninstall();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};
