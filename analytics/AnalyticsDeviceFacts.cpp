#include "AnalyticsDeviceFacts.h"

#include "Device.h"
#include "Paths.h"
#include "VendorIdentifier.h"

namespace {
std::unique_ptr<AnalyticsDeviceFacts>& installed() {
    static std::unique_ptr<AnalyticsDeviceFacts> facts = std::make_unique<AnalyticsDeviceFacts>();
    return facts;
}
} // namespace

AnalyticsDeviceFacts& AnalyticsDeviceFacts::current() {
    return *installed();
}

void AnalyticsDeviceFacts::setCurrent(std::unique_ptr<AnalyticsDeviceFacts> facts) {
    installed() = facts ? std::move(facts) : std::make_unique<AnalyticsDeviceFacts>();
}

QString AnalyticsDeviceFacts::model() const {
    return SystemInfo::machineName();
}

QString AnalyticsDeviceFacts::osVersion() const {
    return SystemInfo::kernelRelease();
}

bool AnalyticsDeviceFacts::isTablet() const {
    return false;
}

double AnalyticsDeviceFacts::screenWidth() const {
    return 320.0;
}

double AnalyticsDeviceFacts::screenHeight() const {
    return 480.0;
}

std::optional<MemoryStatistics> AnalyticsDeviceFacts::memory() const {
    return SystemInfo::memoryStatistics();
}

float AnalyticsDeviceFacts::cpuLoad() const {
    return SystemInfo::processCpuLoad();
}

std::optional<qint64> AnalyticsDeviceFacts::bootTime() const {
    return SystemInfo::bootTime();
}

std::optional<DiskSpace> AnalyticsDeviceFacts::disk(const QString& path, int* error) const {
    return SystemInfo::diskSpace(path, error);
}

// The power source is read directly: it answers from any thread, whereas switching the device's
// monitoring on and off would start its poll timer from the analytics thread.
float AnalyticsDeviceFacts::batteryLevel() const {
    return Device::current().powerSource().level();
}

BatteryState AnalyticsDeviceFacts::batteryState() const {
    return Device::current().powerSource().state();
}

// There is no advertising identifier on this platform.
QString AnalyticsDeviceFacts::advertisingIdentifier() const {
    return {};
}

QString AnalyticsDeviceFacts::vendorIdentifier() const {
    return VendorIdentifier::identifier(Paths::documentsDirectory());
}

QString AnalyticsDeviceFacts::hardwareAddress() const {
    return SystemInfo::primaryHardwareAddress();
}

int AnalyticsDeviceFacts::networkStatus() const {
    return 0;
}
