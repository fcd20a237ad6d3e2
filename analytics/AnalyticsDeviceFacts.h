#pragma once

#include "PowerSource.h"
#include "SystemInfo.h"

#include <QString>

#include <memory>
#include <optional>

// The device and environment facts that reports carry. The default reads this Linux machine;
// tests install fixed facts so reports come out byte for byte the same.
class AnalyticsDeviceFacts {
public:
    virtual ~AnalyticsDeviceFacts() = default;

    static AnalyticsDeviceFacts& current();
    // Installs other facts; nullptr restores the machine's own.
    static void setCurrent(std::unique_ptr<AnalyticsDeviceFacts> facts);

    virtual QString devicePlatform() const;
    virtual QString osVersion() const;
    virtual bool isIPad() const;
    // The emulated screen in points: the phone's 320 x 480 unless the application says otherwise.
    virtual double screenWidth() const;
    virtual double screenHeight() const;

    virtual std::optional<SystemInfo::MemoryStatistics> memory() const;
    virtual float total_cpu_usage() const;
    virtual std::optional<qint64> lastBootTime() const;
    virtual std::optional<SystemInfo::DiskSpace> disk(const QString& path, int* error) const;
    // The level in percent: the fraction 0 to 1, or -1 when unknown, times 100.
    virtual float getBatteryLevel() const;
    virtual BatteryState getBatteryState() const;

    // Empty when the identifier is not available.
    virtual QString getIdentifierForAdvertiser() const;
    virtual QString getIdentifierForVendor() const;
    virtual QString MACString() const;
    // SHA-1 of the hardware address text, when that identifier is allowed and available.
    QByteArray getMACUID() const;
    // 0 no connection, 2 Wi-Fi, 3 cellular.
    virtual int networkStatus() const;
};
