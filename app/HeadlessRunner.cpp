#include "HeadlessRunner.h"

#include "Ampelio_ProAppDelegate.h"
#include "Analytics.h"

#include <QCoreApplication>

HeadlessRunner::HeadlessRunner(Ampelio_ProAppDelegate& delegate, QObject* parent)
    : QObject(parent), delegate_(delegate) {
    connect(&signals_, &TerminationSignals::terminationRequested, this, &HeadlessRunner::terminate);
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
    QCoreApplication::exit(0);
}
