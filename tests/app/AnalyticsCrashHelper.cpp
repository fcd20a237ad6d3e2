// Starts the analytics client as the application does and dies of an uncaught exception, on
// the main thread or, with "queue", on the analytics work queue.
#include "AnalyticsHooks.h"
#include "AnalyticsImpl.h"
#include "UserDefaults.h"

#include <QCoreApplication>

#include <stdexcept>

int main(int argc, char* argv[]) {
    qSetMessagePattern(QStringLiteral("%{message}"));
    QCoreApplication app(argc, argv);
    AnalyticsHooks::installUncaughtExceptionHandler();
    AnalyticsHooks::startSession(UserDefaults::standard());
    if (app.arguments().contains(QStringLiteral("queue"))) {
        AnalyticsImpl::instance().queue().async([] { throw std::runtime_error("queue failure"); });
        return QCoreApplication::exec();
    }
    throw std::runtime_error("nothing catches this");
}
