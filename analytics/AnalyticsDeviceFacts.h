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

    virtual QString model() const;
    virtual QString osVersion() const;
    virtual bool isTablet() const;
    // The emulated screen in points: the phone's 320 x 480 unless the application says otherwise.
    virtual double screenWidth() const;
    virtual double screenHeight() const;

    virtual std::optional<MemoryStatistics> memory() const;
    virtual float cpuLoad() const;
    virtual std::optional<qint64> bootTime() const;
    virtual std::optional<DiskSpace> disk(const QString& path, int* error) const;
    // The level as a fraction, -1 when unknown.
    virtual float batteryLevel() const;
    virtual BatteryState batteryState() const;

    // Empty when the identifier is not available.
    virtual QString advertisingIdentifier() const;
    virtual QString vendorIdentifier() const;
    virtual QString hardwareAddress() const;
    // 0 no connection, 2 Wi-Fi, 3 cellular.
    virtual int networkStatus() const;
};
