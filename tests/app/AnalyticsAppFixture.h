#pragma once

#include "Analytics.h"
#include "AnalyticsDataSender.h"
#include "AnalyticsImpl.h"
#include "AnalyticsSession.h"
#include "Device.h"
#include "KeepAliveService.h"
#include "ReportCollector.h"
#include "SimulatedPowerSource.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The application's analytics against a collector on 127.0.0.1, in a fresh home, on a fake
// clock. The client is shut down around each test so every test starts it anew.
class AnalyticsAppTest : public ::testing::Test {
protected:
    static inline const QString KEY = QStringLiteral("QZ7HNM4TKD9WB2XRLC6V");

    AnalyticsAppTest() {
        Analytics::shutdown();
        qputenv("AMPELIO_KEYCHAIN", "file");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + QStringLiteral("/cache")));
        EXPECT_TRUE(collector.listen());
        qputenv("AMPELIO_ANALYTICS_URL", collector.url().toUtf8());
    }
    ~AnalyticsAppTest() override {
        Analytics::shutdown();
        qunsetenv("AMPELIO_ANALYTICS_URL");
    }

    std::unique_ptr<UserDefaults> defaults() {
        return std::make_unique<UserDefaults>(home.configDir() + "/Ampelio.ini");
    }

    // Waits until the collector holds this many reports.
    bool waitForReports(int count, int ms = 5000) {
        return QTest::qWaitFor([&] { return collector.reports().size() >= count; }, ms);
    }

    // Runs on the work queue while the test waits.
    template <typename Query> auto onQueue(Query query) {
        decltype(query()) result{};
        AnalyticsImpl::instance().queue().sync([&] { result = query(); });
        return result;
    }
    qsizetype storedBlocks() {
        return onQueue([] {
            auto* sender = AnalyticsDataSender::instance();
            return sender ? sender->dataIndex()
                                .notSentBlocksForDataKey(AnalyticsDataSender::dataKey())
                                .size()
                          : qsizetype(-1);
        });
    }
    qsizetype runningUploads() {
        return onQueue([] {
            auto* sender = AnalyticsDataSender::instance();
            return sender ? sender->runningTasks().size() : qsizetype(-1);
        });
    }
    // Waits until no upload runs and the given number of blocks is left.
    bool waitForIdleSender(qsizetype blocks = 0, int ms = 5000) {
        return QTest::qWaitFor([&] { return runningUploads() == 0 && storedBlocks() == blocks; },
                               ms);
    }
    QJsonArray sessionsOf(int report) const {
        return collector.reports().at(report).value(QStringLiteral("sessions")).toArray();
    }

    TemporaryHome home;
    FakeClock clock{1.8e9};
    Device device{std::make_unique<SimulatedPowerSource>(), 60000};
    KeepAliveService keepAlive;
    ReportCollector collector;
};
