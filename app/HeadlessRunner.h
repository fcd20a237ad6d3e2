#pragma once

#include "ApplicationLifecycle.h"
#include "TerminationSignals.h"

#include <QObject>

class Ampelio_ProAppDelegate;

// Runs the application without a window: it launches, becomes active, goes to the background
// and logs until SIGINT or SIGTERM, which runs the terminate path.
class HeadlessRunner : public QObject {
    Q_OBJECT
public:
    explicit HeadlessRunner(Ampelio_ProAppDelegate& delegate, QObject* parent = nullptr);
    // Stops analytics: its thread must not outlive the objects it reads.
    ~HeadlessRunner() override;

    // Drives the lifecycle and the event loop; returns the process exit status.
    int run();

private:
    void terminate();

    Ampelio_ProAppDelegate& delegate_;
    ApplicationLifecycle lifecycle_;
    TerminationSignals signals_;
};
