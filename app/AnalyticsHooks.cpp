#include "AnalyticsHooks.h"

#include "Analytics.h"
#include "ApplicationLifecycle.h"
#include "HistoryViewController.h"
#include "StatisticsTableViewController.h"
#include "UserDefaults.h"

#include <QString>

#include <cxxabi.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>
#include <typeinfo>

namespace {
// The type as a developer writes it ("std::runtime_error"), not the ABI's "St13runtime_error".
QString readableTypeName(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const QString name = status == 0 && demangled ? QString::fromLatin1(demangled)
                                                  : QString::fromLatin1(type.name());
    std::free(demangled);
    return name;
}

AnalyticsException describeCurrentException() {
    try {
        if (const std::exception_ptr current = std::current_exception())
            std::rethrow_exception(current);
    } catch (const std::exception& exception) {
        return {readableTypeName(typeid(exception)), QString::fromUtf8(exception.what()),
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
    static std::atomic<bool> stored{false};
    // A second thread dying at the same time must not record a second crash, nor end the
    // process while the first is still storing its record.
    if (!reported.test_and_set()) {
        Analytics::logError(QStringLiteral("Uncaught"), QStringLiteral("Crash!"),
                            describeCurrentException());
        Analytics::waitUntilIdle();
        stored = true;
    } else {
        // Bounded: the second thread may be the one the first is waiting for.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!stored && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::abort();
}

bool AnalyticsHooks::sharingForcedOff() {
    return qEnvironmentVariable("AMPELIO_ANALYTICS")
               .compare(QLatin1String("off"), Qt::CaseInsensitive) == 0;
}

bool AnalyticsHooks::sharingChosen(const UserDefaults& defaults) {
    const QVariant stored = defaults.objectForKey(QString::fromLatin1(SharingKey));
    return !sharingForcedOff() && (!stored.isValid() || stored.toBool());
}

void AnalyticsHooks::startSession(const UserDefaults& defaults) {
    const bool share = sharingChosen(defaults);
    Analytics::setEnabled(share);
    if (share)
        Analytics::startSession(QString::fromLatin1(ApiKey));
}

void AnalyticsHooks::setSharing(UserDefaults& defaults, bool share) {
    defaults.setObject(QString::fromLatin1(SharingKey), share);
    defaults.synchronize();
    if (sharingChosen(defaults) != Analytics::isEnabled())
        startSession(defaults);
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
