// Starts the analytics client as the application does and dies of an uncaught exception.
#include "AnalyticsHooks.h"

#include <QCoreApplication>

#include <stdexcept>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    AnalyticsHooks::installUncaughtExceptionHandler();
    AnalyticsHooks::startSession();
    throw std::runtime_error("nothing catches this");
}
