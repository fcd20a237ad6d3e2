#include "ChargeAlarmMonitor.h"
#include "DesktopNotifier.h"
#include "Device.h"
#include "FakeNotificationServer.h"
#include "FakePowerSource.h"
#include "PrivateSessionBus.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {
class NotificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.isRunning()) << "dbus-daemon did not start";
        auto source = std::make_unique<FakePowerSource>();
        battery_ = source.get();
        battery_->currentState = BatteryStateUnplugged;
        battery_->setCharge(2000, 4000);
        // The poll timer never fires on its own here; the test polls.
        device_ = std::make_unique<Device>(std::move(source), 3600 * 1000);
        device_->setBatteryMonitoringEnabled(true);
        defaults_ = std::make_unique<UserDefaults>(
            QDir(home_.configDir()).filePath(QStringLiteral("Ampelio.ini")));
    }

    // The battery at this percentage, as the next poll sees it.
    void pollAt(int percent, BatteryState state = BatteryStateUnplugged) {
        battery_->setCharge(percent * 40.0, 4000);
        battery_->currentState = state;
        device_->poll();
    }

    TemporaryHome home_;
    PrivateSessionBus bus_;
    FakePowerSource* battery_ = nullptr;
    std::unique_ptr<Device> device_;
    std::unique_ptr<UserDefaults> defaults_;
};
} // namespace

TEST_F(NotificationTest, LowAlarmIsOneCriticalNotificationUpdatedInPlace) {
    FakeNotificationServer server;
    ASSERT_TRUE(server.registerOn(bus_.connect(QStringLiteral("server"))));
    DesktopNotifier notifier(bus_.connect(QStringLiteral("client")));
    ChargeAlarmMonitor monitor(*device_, *defaults_, &notifier);
    QSignalSpy notified(&server, &FakeNotificationServer::notified);
    QSignalSpy shown(&notifier, &DesktopNotifier::shown);

    pollAt(17);
    pollAt(16);
    // The poll that sees the crossing raises the alarm; nothing waits for a sample or a paint.
    QSignalSpy raised(&monitor, &ChargeAlarmMonitor::alarmRaised);
    pollAt(15);
    EXPECT_EQ(raised.count(), 1);
    // Shown: the server's id is back with the notifier.
    ASSERT_TRUE(shown.wait(10000));
    pollAt(14);
    pollAt(13);
    ASSERT_EQ(server.calls.size(), 1);
    const FakeNotificationServer::Call first = server.calls.first();
    EXPECT_EQ(first.summary, QStringLiteral("Battery low: 15 %"));
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(),
              QStringLiteral("ampelio"));
    const QVariant urgency = first.hints.value(QStringLiteral("urgency"));
    EXPECT_EQ(urgency.metaType(), QMetaType::fromType<uchar>()) << "urgency must be a byte";
    EXPECT_EQ(urgency.toInt(), 2);

    // Charged back past the hysteresis, then drained again: the same notification is replaced.
    pollAt(18, BatteryStateCharging);
    pollAt(15);
    ASSERT_TRUE(notified.wait(10000));
    ASSERT_EQ(server.calls.size(), 2);
    EXPECT_EQ(server.calls[1].replacesId, first.id);
}

// The server names a notification only in its answer: texts sent before it answers must replace
// the first notification, not open more of them, and the newest text must be the one shown.
TEST_F(NotificationTest, TextsSentBeforeTheAnswerReplaceTheFirstNotification) {
    FakeNotificationServer server;
    ASSERT_TRUE(server.registerOn(bus_.connect(QStringLiteral("server"))));
    DesktopNotifier notifier(bus_.connect(QStringLiteral("client")));
    QSignalSpy shown(&notifier, &DesktopNotifier::shown);
    notifier.notify(0, QStringLiteral("Battery low: 15 %"), QString(), DesktopNotifier::Critical);
    notifier.notify(0, QStringLiteral("Battery low: 14 %"), QString(), DesktopNotifier::Critical);
    notifier.notify(0, QStringLiteral("Battery low: 13 %"), QString(), DesktopNotifier::Critical);
    notifier.notify(1, QStringLiteral("Battery charged: 80 %"), QString(), DesktopNotifier::Normal);
    while (shown.count() < 3)
        ASSERT_TRUE(shown.wait(10000));
    ASSERT_EQ(server.calls.size(), 3) << "the 14 % text was outdated before it could be sent";
    QList<FakeNotificationServer::Call> low;
    for (const auto& call : server.calls) {
        if (call.summary.startsWith(QStringLiteral("Battery low")))
            low.append(call);
    }
    ASSERT_EQ(low.size(), 2);
    EXPECT_EQ(low[1].summary, QStringLiteral("Battery low: 13 %"));
    EXPECT_EQ(low[1].replacesId, low[0].id);
    EXPECT_EQ(low[1].id, low[0].id) << "one notification on the desktop";
}

TEST_F(NotificationTest, ChargedAlarmIsNormalUrgencyAndSeparateFromTheLowOne) {
    FakeNotificationServer server;
    ASSERT_TRUE(server.registerOn(bus_.connect(QStringLiteral("server"))));
    ChargeAlarmSettings settings;
    settings.chargePercent = 80;
    settings.save(*defaults_);
    DesktopNotifier notifier(bus_.connect(QStringLiteral("client")));
    ChargeAlarmMonitor monitor(*device_, *defaults_, &notifier);
    QSignalSpy notified(&server, &FakeNotificationServer::notified);

    pollAt(10);
    ASSERT_TRUE(notified.wait(10000));
    pollAt(79, BatteryStateCharging);
    pollAt(80, BatteryStateCharging);
    ASSERT_TRUE(notified.wait(10000));
    ASSERT_EQ(server.calls.size(), 2);
    EXPECT_EQ(server.calls[1].summary, QStringLiteral("Battery charged to 80 %"));
    EXPECT_EQ(server.calls[1].hints.value(QStringLiteral("urgency")).toInt(), 1);
    // Its own slot: it must not replace the low-battery notification.
    EXPECT_EQ(server.calls[1].replacesId, 0u);
}

TEST_F(NotificationTest, WithoutAServerTheAlarmIsALogLine) {
    LogCapture log;
    DesktopNotifier notifier(bus_.connect(QStringLiteral("client")));
    ChargeAlarmMonitor monitor(*device_, *defaults_, &notifier);
    QSignalSpy failed(&notifier, &DesktopNotifier::failed);
    pollAt(14);
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_TRUE(log.contains(QStringLiteral("Battery low: 14 %")));
    EXPECT_TRUE(log.contains(QStringLiteral("no desktop notification")));
}

TEST_F(NotificationTest, HeadlessTheAlarmIsALogLineAtOnce) {
    LogCapture log;
    ChargeAlarmMonitor monitor(*device_, *defaults_, nullptr);
    pollAt(15);
    EXPECT_EQ(log.count(QStringLiteral("Battery low: 15 %")), 1);
    pollAt(14);
    EXPECT_EQ(log.count(QStringLiteral("Battery low")), 1);
}
