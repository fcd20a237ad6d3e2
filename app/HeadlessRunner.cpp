#include "HeadlessRunner.h"

#include "Ampelio_ProAppDelegate.h"
#include "Analytics.h"
#include "BatteryLogHandler.h"

#include <QCoreApplication>

HeadlessRunner::HeadlessRunner(Ampelio_ProAppDelegate& delegate, QObject* parent)
    : QObject(parent), delegate_(delegate) {
    connect(&signals_, &TerminationSignals::terminationRequested, this, &HeadlessRunner::terminate);
}

HeadlessRunner::~HeadlessRunner() {
    Analytics::shutdown();
}

int HeadlessRunner::run() {
    Analytics::setHeadless(true);
    delegate_.attach(lifecycle_);
    lifecycle_.launch();
    lifecycle_.activate();
    lifecycle_.enterBackground();
    return QCoreApplication::exec();
}

void HeadlessRunner::terminate() {
    lifecycle_.terminate();
    // Samples that never reached the log make the run a failure for whoever started it.
    QCoreApplication::exit(delegate_.batteryLogHandler().unsavedSamples() > 0 ? 1 : 0);
}
