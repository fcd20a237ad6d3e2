#pragma once

#include "AnalyticsDeviceFacts.h"
#include "AnalyticsSession.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>

// Device facts that never change, so that reports come out the same on every machine.
class FixedDeviceFacts : public AnalyticsDeviceFacts {
public:
    QString devicePlatform() const override { return QStringLiteral("TestPhone1,1"); }
    QString osVersion() const override { return QStringLiteral("6.1.0"); }
    bool isIPad() const override { return tablet; }
    double screenWidth() const override { return 320.7; }
    double screenHeight() const override { return 480.2; }
    std::optional<SystemInfo::MemoryStatistics> memory() const override;
    float total_cpu_usage() const override { return 12.5f; }
    std::optional<qint64> lastBootTime() const override { return 1799990000; }
    std::optional<SystemInfo::DiskSpace> disk(const QString&, int*) const override;
    float getBatteryLevel() const override { return 75.0f; }
    BatteryState getBatteryState() const override { return BatteryStateCharging; }
    QString getIdentifierForAdvertiser() const override { return {}; }
    QString getIdentifierForVendor() const override { return vendor; }
    QString MACString() const override { return QStringLiteral("02:00:5E:10:00:01"); }
    int networkStatus() const override { return 2; }

    bool tablet = false;
    QString vendor = QStringLiteral("6F1C2D3E-4A5B-4C6D-8E7F-90A1B2C3D4E5");
};

// A fresh data directory, a fake clock at 2027-01-15 08:00:00 UTC, fixed device facts, the
// keychain in a file, counters and settings at their defaults, and every report captured.
class AnalyticsTest : public ::testing::Test {
protected:
    static constexpr double START = 1800000000.0;
    static inline const QString KEY = QStringLiteral("QZ7HNM4TKD9WB2XRLC6V");

    AnalyticsTest();
    ~AnalyticsTest() override;

    std::unique_ptr<AnalyticsSession> newSession(const QString& apiKey = KEY);
    FixedDeviceFacts& facts() { return *facts_; }

    TemporaryHome home;
    FakeClock clock{START};
    QList<QByteArray> sentReports;

private:
    FixedDeviceFacts* facts_ = nullptr;
    QByteArray oldCache_;
};

QByteArray hex(const char* spaced);
