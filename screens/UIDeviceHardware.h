#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class PowerSource;

// What the device knows about its hardware: model identifier and names, system limits, the
// primary network interface's address and, above all, the battery.
class UIDeviceHardware {
public:
    enum PlatformType {
        UnknownPlatform = 0,
        SimulatorGeneric = 1,
        SimulatorPhone = 2,
        SimulatorTablet = 3,
        IPhone1G = 4,
        IPhone3G = 5,
        IPhone3GS = 6,
        IPhone4 = 7,
        IPhone5 = 8,
        IPod1G = 9,
        IPod2G = 10,
        IPod3G = 11,
        IPod4G = 12,
        IPad1G = 13,
        IPad2G = 14,
        AppleTV2G = 15,
        UnknownIPhone = 16,
        UnknownIPod = 17,
        UnknownIPad = 18,
        IFPGA = 19,
    };

    // mainScreenWidth: the emulated screen's width in points, none without a screen.
    UIDeviceHardware(PowerSource& powerSource, std::optional<double> mainScreenWidth);

    // System values: "hw.machine" is the kernel's machine name, "hw.model" the DMI product name.
    static QString getSysInfoByName(const char* name);
    QString platform() const { return getSysInfoByName("hw.machine"); }
    QString hwmodel() const { return getSysInfoByName("hw.model"); }
    static uint32_t getSysInfo(unsigned identifier);
    uint32_t cpuFrequency() const { return getSysInfo(15); }
    uint32_t busFrequency() const { return getSysInfo(14); }
    uint32_t totalMemory() const { return getSysInfo(5); }
    uint32_t userMemory() const { return getSysInfo(6); }
    uint32_t maxSocketBufferSize() const { return getSysInfo(1); }
    double totalDiskSpace() const;
    double freeDiskSpace() const;

    PlatformType platformType() const { return platformTypeFor(platform(), mainScreenWidth_); }
    QString platformString() const { return platformStringFor(platformType()); }
    QString platformCode() const { return platformCodeFor(platformType()); }
    // Twelve upper-case hex digits of the primary interface's hardware address.
    std::optional<QString> macaddress() const;

    std::optional<double> batterymA() const { return batterymAFor(platform()); }
    // The model table's nominal voltage, else the battery's own design voltage.
    std::optional<double> batteryV() const;
    // Volts times mAh: milliwatt-hours.
    std::optional<double> batteryWh() const;
    float batteryData(const QString& key) const;
    float accurateBatteryLevel() const;
    PowerSource& powerSource() const { return powerSource_; }

    static PlatformType platformTypeFor(const QString& identifier,
                                        std::optional<double> screenWidth);
    static QString platformStringFor(PlatformType type);
    static QString platformCodeFor(PlatformType type);
    static std::optional<double> batterymAFor(const QString& identifier);
    static std::optional<double> batteryVFor(const QString& identifier);

private:
    PowerSource& powerSource_;
    std::optional<double> mainScreenWidth_;
};
