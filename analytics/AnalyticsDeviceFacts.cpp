#include "AnalyticsDeviceFacts.h"

#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsNetworkUtil.h"
#include "Device.h"
#include "Paths.h"
#include "VendorIdentifier.h"

#include <QCryptographicHash>

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

QString AnalyticsDeviceFacts::devicePlatform() const {
    return SystemInfo::machineName();
}

QString AnalyticsDeviceFacts::osVersion() const {
    return SystemInfo::kernelRelease();
}

bool AnalyticsDeviceFacts::isIPad() const {
    return false;
}

double AnalyticsDeviceFacts::screenWidth() const {
    return 320.0;
}

double AnalyticsDeviceFacts::screenHeight() const {
    return 480.0;
}

std::optional<SystemInfo::MemoryStatistics> AnalyticsDeviceFacts::memory() const {
    return SystemInfo::memoryStatistics();
}

float AnalyticsDeviceFacts::total_cpu_usage() const {
    return SystemInfo::processCpuLoad();
}

std::optional<qint64> AnalyticsDeviceFacts::lastBootTime() const {
    return SystemInfo::bootTime();
}

std::optional<SystemInfo::DiskSpace> AnalyticsDeviceFacts::disk(const QString& path,
                                                                int* error) const {
    return SystemInfo::diskSpace(path, error);
}

// The power source is read directly: it answers from any thread, whereas switching the device's
// monitoring on and off would start its poll timer from the analytics thread.
float AnalyticsDeviceFacts::getBatteryLevel() const {
    return Device::current().powerSource().level() * 100.0f;
}

BatteryState AnalyticsDeviceFacts::getBatteryState() const {
    return Device::current().powerSource().state();
}

// There is no advertising identifier on this platform.
QString AnalyticsDeviceFacts::getIdentifierForAdvertiser() const {
    return {};
}

QString AnalyticsDeviceFacts::getIdentifierForVendor() const {
    return VendorIdentifier::identifier(Paths::documentsDirectory());
}

QString AnalyticsDeviceFacts::MACString() const {
    return SystemInfo::primaryHardwareAddress();
}

QByteArray AnalyticsDeviceFacts::getMACUID() const {
    if (!AnalyticsGlobalVariableStorage::sharedInstance().macAddressEnabled())
        return {};
    const QString address = MACString();
    if (address.isEmpty())
        return {};
    return QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1);
}

int AnalyticsDeviceFacts::networkStatus() const {
    return AnalyticsNetworkUtil::instance().networkStatus();
}
