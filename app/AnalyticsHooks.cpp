#include "AnalyticsHooks.h"

#include "Analytics.h"
#include "ApplicationLifecycle.h"
#include "HistoryViewController.h"
#include "StatisticsTableViewController.h"

#include <QString>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <typeinfo>

namespace {
AnalyticsException describeCurrentException() {
    try {
        if (const std::exception_ptr current = std::current_exception())
            std::rethrow_exception(current);
    } catch (const std::exception& exception) {
        return {QString::fromLatin1(typeid(exception).name()), QString::fromUtf8(exception.what()),
                QString()};
    } catch (...) {
        return {QStringLiteral("unknown"), QStringLiteral("an exception of unknown type"), {}};
    }
    return {QStringLiteral("terminate"), QStringLiteral("std::terminate without an exception"), {}};
}

template <typename Screen> void timeVisits(Screen* screen, const QString& name) {
    if (!screen)
        return;
    QObject::connect(screen, &Screen::viewWillAppear, screen,
                     [name] { Analytics::logEvent(name, true); });
    QObject::connect(screen, &Screen::viewDidDisappear, screen,
                     [name] { Analytics::endTimedEvent(name); });
}
} // namespace

void AnalyticsHooks::installUncaughtExceptionHandler() {
    std::set_terminate(&AnalyticsHooks::uncaughtExceptionHandler);
}

void AnalyticsHooks::uncaughtExceptionHandler() {
    static std::atomic_flag reported = ATOMIC_FLAG_INIT;
    // A second thread dying at the same time must not record a second crash.
    if (!reported.test_and_set()) {
        Analytics::logError(QStringLiteral("Uncaught"), QStringLiteral("Crash!"),
                            describeCurrentException());
        Analytics::waitUntilIdle();
    }
    std::abort();
}

void AnalyticsHooks::startSession() {
    Analytics::startSession(QString::fromLatin1(ApiKey));
}

void AnalyticsHooks::attach(ApplicationLifecycle& lifecycle) {
    using L = ApplicationLifecycle;
    QObject::connect(&lifecycle, &L::willResignActive, &lifecycle,
                     [] { Analytics::applicationWillResignActive(); });
    QObject::connect(&lifecycle, &L::didEnterBackground, &lifecycle,
                     [] { Analytics::setApplicationInBackground(true); });
    QObject::connect(&lifecycle, &L::willEnterForeground, &lifecycle, [] {
        Analytics::setApplicationInBackground(false);
        Analytics::applicationWillEnterForeground();
    });
    QObject::connect(&lifecycle, &L::didBecomeActive, &lifecycle,
                     [] { Analytics::applicationDidBecomeActive(); });
    QObject::connect(&lifecycle, &L::willTerminate, &lifecycle, [] { Analytics::endSession(); });
}

void AnalyticsHooks::attachScreens(HistoryViewController* history,
                                   StatisticsTableViewController* statistics) {
    timeVisits(history, QStringLiteral("HistoryView"));
    timeVisits(statistics, QStringLiteral("StatisticsView"));
}
