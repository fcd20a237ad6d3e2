#include "Ampelio_ProAppDelegate.h"

#include "AmpelioGraphController.h"
#include "AnalyticsHooks.h"
#include "ApplicationLifecycle.h"
#include "BatteryLogHandler.h"
#include "ChargeServices.h"
#include "Clock.h"
#include "HistoryViewController.h"
#include "KeepAliveService.h"
#include "LogCategories.h"
#include "StatisticsTableViewController.h"
#include "UserDefaults.h"

#include <QDateTime>
#include <QWidget>

namespace {
const QString FirstRunKey = QStringLiteral("firstRun");
const QString RunCountKey = QStringLiteral("runCount");
const QString BackgroundingKey = QStringLiteral("backgrounding_enabled");
} // namespace

Ampelio_ProAppDelegate::Ampelio_ProAppDelegate(Device& device, QString documentsDirectory,
                                               UserDefaults& defaults, KeepAliveService& keepAlive,
                                               QObject* parent, StoreAccess access)
    : QObject(parent), documentsDirectory_(std::move(documentsDirectory)), defaults_(defaults),
      keepAlive_(keepAlive), batteryLogHandler_(std::make_unique<BatteryLogHandler>(
                                 device, documentsDirectory_, defaults, nullptr, access)),
      chargeServices_(std::make_unique<ChargeServices>(device, *batteryLogHandler_, defaults,
                                                       access == StoreAccess::ReadOnly)) {}

Ampelio_ProAppDelegate::~Ampelio_ProAppDelegate() = default;

void Ampelio_ProAppDelegate::attach(ApplicationLifecycle& lifecycle) {
    using L = ApplicationLifecycle;
    connect(&lifecycle, &L::didFinishLaunching, this,
            &Ampelio_ProAppDelegate::didFinishLaunchingWithOptions);
    connect(&lifecycle, &L::didBecomeActive, this,
            &Ampelio_ProAppDelegate::applicationDidBecomeActive);
    connect(&lifecycle, &L::willResignActive, this,
            &Ampelio_ProAppDelegate::applicationWillResignActive);
    connect(&lifecycle, &L::didEnterBackground, this,
            &Ampelio_ProAppDelegate::applicationDidEnterBackground);
    connect(&lifecycle, &L::willEnterForeground, this,
            &Ampelio_ProAppDelegate::applicationWillEnterForeground);
    connect(&lifecycle, &L::willTerminate, this, &Ampelio_ProAppDelegate::applicationWillTerminate);
    // The keep-alive belongs to the background: the platform stops it on the way back.
    connect(&lifecycle, &L::willEnterForeground, &keepAlive_,
            &KeepAliveService::clearKeepAliveTimeout);
    AnalyticsHooks::attach(lifecycle);
}

bool Ampelio_ProAppDelegate::didFinishLaunchingWithOptions() {
    AnalyticsHooks::installUncaughtExceptionHandler();
    AnalyticsHooks::startSession(defaults_);
    batteryLogHandler_->startMonitoring();
    AnalyticsHooks::attachScreens(history_, statistics_);
    batteryLogHandler_->setRange(LogRangeSeconds);
    if (window_)
        window_->show();
    updateLaunchDefaults();
    return true;
}

void Ampelio_ProAppDelegate::updateLaunchDefaults() {
    if (!defaults_.objectForKey(FirstRunKey).isValid()) {
        defaults_.setObject(FirstRunKey, QDateTime::fromMSecsSinceEpoch(
                                             static_cast<qint64>(Clock::now() * 1000.0), Qt::UTC));
        defaults_.setObject(BackgroundingKey, true);
    }
    defaults_.setObject(RunCountKey, defaults_.integerForKey(RunCountKey) + 1);
    defaults_.synchronize();
}

void Ampelio_ProAppDelegate::applicationWillResignActive() {
    if (graphViewcontroller_)
        graphViewcontroller_->stopUpdateTimer();
}

void Ampelio_ProAppDelegate::applicationDidEnterBackground() {
    if (!defaults_.boolForKey(BackgroundingKey))
        return;
    const bool installed = keepAlive_.setKeepAliveTimeout(KeepAliveTimeout, [this] {
        qCInfo(lcApp, "Running keep-alive handler");
        batteryLogHandler_->addEvent();
    });
    if (installed)
        qCInfo(lcApp, "Installed keep-alive handler in the background.");
    else
        qCInfo(lcApp, "Failed to install keep-alive handler");
    if (graphViewcontroller_)
        graphViewcontroller_->stopUpdateTimer();
}

void Ampelio_ProAppDelegate::applicationWillEnterForeground() {
    if (graphViewcontroller_)
        graphViewcontroller_->setupUpdateTimer();
    batteryLogHandler_->addEvent();
}

void Ampelio_ProAppDelegate::applicationDidBecomeActive() {
    if (graphViewcontroller_)
        graphViewcontroller_->setupUpdateTimer();
    batteryLogHandler_->addEvent();
}

void Ampelio_ProAppDelegate::applicationWillTerminate() {
    batteryLogHandler_->cleanUp();
}

void Ampelio_ProAppDelegate::alertViewDidDismissWithButtonIndex(int buttonIndex) {
    defaults_.setObject(BackgroundingKey, buttonIndex == 1);
    defaults_.synchronize();
}
