#include "Ampelio_ProAppDelegate.h"
#include "ApplicationLifecycle.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "KeepAliveService.h"
#include "ManagedObjectContext.h"
#include "SimulatedPowerSource.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {
class DelegateTest : public ::testing::Test {
protected:
    FakeClock clock{1.8e9};
    TemporaryHome home;
    Device device{std::make_unique<SimulatedPowerSource>(), 60000};
    KeepAliveService keepAlive;

    std::unique_ptr<UserDefaults> defaults() {
        return std::make_unique<UserDefaults>(home.configDir() + "/Ampelio.ini");
    }
};
} // namespace

TEST_F(DelegateTest, LaunchesRecordTheFirstRunAndCountRuns) {
    {
        auto prefs = defaults();
        Ampelio_ProAppDelegate delegate(device, home.dataDir(), *prefs, keepAlive);
        EXPECT_TRUE(delegate.didFinishLaunchingWithOptions());
        EXPECT_EQ(delegate.batteryLogHandler().range(), 31104000);
    }
    auto first = defaults();
    const QDateTime firstRun = first->objectForKey("firstRun").toDateTime();
    EXPECT_EQ(firstRun.toSecsSinceEpoch(), static_cast<qint64>(clock.now()));
    EXPECT_TRUE(first->boolForKey("backgrounding_enabled"));
    EXPECT_EQ(first->integerForKey("runCount"), 1);

    clock.advance(86400);
    {
        auto prefs = defaults();
        Ampelio_ProAppDelegate delegate(device, home.dataDir(), *prefs, keepAlive);
        delegate.didFinishLaunchingWithOptions();
    }
    auto second = defaults();
    EXPECT_EQ(second->objectForKey("firstRun").toDateTime(), firstRun);
    EXPECT_EQ(second->integerForKey("runCount"), 2);
}

TEST_F(DelegateTest, BackgroundKeepAliveFollowsTheUserChoice) {
    auto prefs = defaults();
    Ampelio_ProAppDelegate delegate(device, home.dataDir(), *prefs, keepAlive);
    delegate.didFinishLaunchingWithOptions();
    delegate.applicationDidBecomeActive();
    ManagedObjectContext* context = delegate.batteryLogHandler().managedObjectContext();
    EXPECT_EQ(context->savedCount(), 1) << "becoming active takes the first sample";

    {
        LogCapture log;
        delegate.applicationDidEnterBackground();
        EXPECT_TRUE(keepAlive.isInstalled());
        EXPECT_DOUBLE_EQ(keepAlive.timeout(), 900.0);
        EXPECT_TRUE(log.contains("Installed keep-alive handler in the background."));

        clock.advance(5 * 3600); // the simulated battery has drained by then
        keepAlive.fire();
        EXPECT_TRUE(log.contains("Running keep-alive handler"));
        EXPECT_EQ(context->savedCount(), 2);
    }

    keepAlive.clearKeepAliveTimeout();
    delegate.alertViewDidDismissWithButtonIndex(0);
    EXPECT_FALSE(defaults()->boolForKey("backgrounding_enabled")) << "written to disk at once";
    LogCapture log;
    delegate.applicationDidEnterBackground();
    EXPECT_FALSE(keepAlive.isInstalled());
    EXPECT_TRUE(log.lines().isEmpty());

    delegate.alertViewDidDismissWithButtonIndex(1);
    EXPECT_TRUE(defaults()->boolForKey("backgrounding_enabled"));
}

TEST_F(DelegateTest, ReturningToTheForegroundSamplesTwiceButKeepsOne) {
    auto prefs = defaults();
    Ampelio_ProAppDelegate delegate(device, home.dataDir(), *prefs, keepAlive);
    delegate.didFinishLaunchingWithOptions();
    delegate.applicationDidBecomeActive();
    clock.advance(3 * 3600);
    delegate.applicationWillEnterForeground();
    delegate.applicationDidBecomeActive();
    EXPECT_EQ(delegate.batteryLogHandler().managedObjectContext()->savedCount(), 2);
}

TEST(KeepAliveService, RefusesShortPeriods) {
    KeepAliveService service;
    EXPECT_FALSE(service.setKeepAliveTimeout(599, [] {}));
    EXPECT_FALSE(service.isInstalled());
    int runs = 0;
    EXPECT_TRUE(service.setKeepAliveTimeout(600, [&] { ++runs; }));
    service.fire();
    EXPECT_EQ(runs, 1);
}

TEST_F(DelegateTest, KeepAliveRunsOnlyInTheBackground) {
    auto prefs = defaults();
    Ampelio_ProAppDelegate delegate(device, home.dataDir(), *prefs, keepAlive);
    ApplicationLifecycle lifecycle;
    delegate.attach(lifecycle);
    lifecycle.launch();
    lifecycle.activate();
    lifecycle.enterBackground();
    EXPECT_TRUE(keepAlive.isInstalled());
    lifecycle.activate();
    EXPECT_FALSE(keepAlive.isInstalled()) << "back in the foreground, the keep-alive stops";
    lifecycle.terminate();
}
