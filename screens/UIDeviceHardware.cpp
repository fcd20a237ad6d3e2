#include "UIDeviceHardware.h"

#include "LogCategories.h"
#include "PowerSource.h"

#include <QDir>
#include <QFile>

#include <sys/statvfs.h>
#include <sys/utsname.h>

#include <algorithm>
#include <limits>

namespace {
QString readTrimmed(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.read(4096)).trimmed();
}

// A value from /proc/meminfo in bytes, or 0.
quint64 meminfoBytes(const char* key) {
    QFile f(QStringLiteral("/proc/meminfo"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    // Files under /proc have no size, so atEnd() holds before the first read: read them whole.
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toULongLong() * 1024;
    }
    return 0;
}

uint32_t clamp32(quint64 value) {
    return static_cast<uint32_t>(std::min<quint64>(value, std::numeric_limits<uint32_t>::max()));
}

// The interface that carries the default route, else the first one with a hardware address.
QString primaryInterface(const QString& netDir) {
    QFile route(QStringLiteral("/proc/net/route"));
    if (route.open(QIODevice::ReadOnly)) {
        route.readLine(); // header
        while (!route.atEnd()) {
            const QList<QByteArray> fields = route.readLine().simplified().split(' ');
            if (fields.size() > 1 && fields[1] == "00000000" &&
                QDir(netDir + '/' + fields[0]).exists())
                return QString::fromUtf8(fields[0]);
        }
    }
    const QStringList names =
        QDir(netDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& name : names) {
        const QString address = readTrimmed(netDir + '/' + name + QStringLiteral("/address"));
        if (name != QLatin1String("lo") && !address.isEmpty() &&
            address != QLatin1String("00:00:00:00:00:00"))
            return name;
    }
    return {};
}

struct DiskSpace {
    double total = 0;
    double free = 0;
};

DiskSpace homeDiskSpace() {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(QDir::homePath()).constData(), &info) != 0)
        return {};
    const double block = static_cast<double>(info.f_frsize);
    return {block * static_cast<double>(info.f_blocks), block * static_cast<double>(info.f_bavail)};
}
} // namespace

UIDeviceHardware::UIDeviceHardware(PowerSource& powerSource, std::optional<double> mainScreenWidth)
    : powerSource_(powerSource), mainScreenWidth_(mainScreenWidth) {}

QString UIDeviceHardware::getSysInfoByName(const char* name) {
    const QByteArray key(name);
    if (key == "hw.machine") {
        struct utsname uts {};
        return ::uname(&uts) == 0 ? QString::fromUtf8(uts.machine) : QString();
    }
    if (key == "hw.model")
        return readTrimmed(QStringLiteral("/sys/class/dmi/id/product_name"));
    return {};
}

uint32_t UIDeviceHardware::getSysInfo(unsigned identifier) {
    switch (identifier) {
    case 15: // CPU frequency in Hz; cpufreq reports kHz
        return clamp32(
            readTrimmed(QStringLiteral("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"))
                .toULongLong() *
            1000);
    case 5:
        return clamp32(meminfoBytes("MemTotal"));
    case 6:
        return clamp32(meminfoBytes("MemAvailable"));
    case 1:
        return clamp32(readTrimmed(QStringLiteral("/proc/sys/net/core/rmem_max")).toULongLong());
    default: // the bus frequency and anything else Linux does not expose
        return 0;
    }
}

double UIDeviceHardware::totalDiskSpace() const {
    return homeDiskSpace().total;
}

double UIDeviceHardware::freeDiskSpace() const {
    return homeDiskSpace().free;
}

std::optional<QString> UIDeviceHardware::macaddress() const {
    const QString netDir = QStringLiteral("/sys/class/net");
    const QString name = primaryInterface(netDir);
    if (name.isEmpty()) {
        qCInfo(lcScreens, "Error: if_nametoindex error");
        return std::nullopt;
    }
    QString address = readTrimmed(netDir + '/' + name + QStringLiteral("/address"));
    address.remove(QLatin1Char(':'));
    if (address.size() != 12)
        return std::nullopt;
    return address.toUpper();
}

UIDeviceHardware::PlatformType
UIDeviceHardware::platformTypeFor(const QString& p, std::optional<double> screenWidth) {
    if (p == QLatin1String("iFPGA"))
        return IFPGA;
    if (p == QLatin1String("iPhone1,1"))
        return IPhone1G;
    if (p == QLatin1String("iPhone1,2"))
        return IPhone3G;
    if (p.startsWith(QLatin1String("iPhone2")))
        return IPhone3GS;
    if (p.startsWith(QLatin1String("iPhone3")))
        return IPhone4;
    if (p.startsWith(QLatin1String("iPhone4")))
        return IPhone5;
    static const std::pair<const char*, PlatformType> exact[] = {
        {"iPod1,1", IPod1G}, {"iPod2,1", IPod2G}, {"iPod3,1", IPod3G},       {"iPod4,1", IPod4G},
        {"iPad1,1", IPad1G}, {"iPad2,1", IPad2G}, {"AppleTV2,1", AppleTV2G},
    };
    for (const auto& [identifier, type] : exact) {
        if (p == QLatin1String(identifier))
            return type;
    }
    if (p.startsWith(QLatin1String("iPhone")))
        return UnknownIPhone;
    if (p.startsWith(QLatin1String("iPod")))
        return UnknownIPod;
    if (p.startsWith(QLatin1String("iPad")))
        return UnknownIPad;
    if (p.endsWith(QLatin1String("86")) || p == QLatin1String("x86_64"))
        return screenWidth && *screenWidth >= 768 ? SimulatorTablet : SimulatorPhone;
    return UnknownPlatform;
}

QString UIDeviceHardware::platformStringFor(PlatformType type) {
    static const char* const names[] = {"Unknown iOS device",
                                        "iPhone Simulator",
                                        "iPhone Simulator",
                                        "iPad Simulator",
                                        "iPhone 1G",
                                        "iPhone 3G",
                                        "iPhone 3GS",
                                        "iPhone 4",
                                        "iPhone 5",
                                        "iPod touch 1G",
                                        "iPod touch 2G",
                                        "iPod touch 3G",
                                        "iPod touch 4G",
                                        "iPad 1G",
                                        "iPad 2G",
                                        "Apple TV 2G",
                                        "Unknown iPhone",
                                        "Unknown iPod",
                                        "Unknown iOS device",
                                        "iFPGA"};
    return QString::fromLatin1(names[type]);
}

QString UIDeviceHardware::platformCodeFor(PlatformType type) {
    static const char* const codes[] = {"Unknown iOS device",
                                        "iPhone Simulator",
                                        "Unknown iOS device",
                                        "Unknown iOS device",
                                        "M68",
                                        "N82",
                                        "N88",
                                        "N89",
                                        "Unknown iPhone",
                                        "N45",
                                        "N72",
                                        "N18",
                                        "N80",
                                        "K48",
                                        "Unknown iPad",
                                        "K66",
                                        "Unknown iPhone",
                                        "Unknown iPod",
                                        "Unknown iPad",
                                        "Unknown iOS device"};
    return QString::fromLatin1(codes[type]);
}

std::optional<double> UIDeviceHardware::batterymAFor(const QString& p) {
    if (p == QLatin1String("iPhone1,1"))
        return 1400.0;
    if (p == QLatin1String("iPhone1,2"))
        return 1150.0;
    if (p.startsWith(QLatin1String("iPhone2")))
        return 1219.0;
    if (p.startsWith(QLatin1String("iPhone3")))
        return 1420.0;
    static const std::pair<const char*, double> exact[] = {
        {"iPod1,1", 580.0}, {"iPod2,1", 739.0},  {"iPod3,1", 789.0},
        {"iPod4,1", 930.0}, {"iPad1,1", 6613.0}, {"iPad2,1", 6613.0},
    };
    for (const auto& [identifier, capacity] : exact) {
        if (p == QLatin1String(identifier))
            return capacity;
    }
    return std::nullopt;
}

std::optional<double> UIDeviceHardware::batteryVFor(const QString& p) {
    if (p.startsWith(QLatin1String("iPad2,1")))
        return 3.8;
    if (p.startsWith(QLatin1String("iPad")))
        return 3.75;
    if (p.startsWith(QLatin1String("iPhone")) || p.startsWith(QLatin1String("iPod")))
        return 3.7;
    return std::nullopt;
}

std::optional<double> UIDeviceHardware::batteryV() const {
    if (const auto fromModel = batteryVFor(platform()))
        return fromModel;
    return powerSource_.designVoltage();
}

std::optional<double> UIDeviceHardware::batteryWh() const {
    std::optional<double> capacity = batterymA();
    const float m = batteryData(PowerSource::MaxCapacity);
    if (m != -1.0f && m != 100.0f)
        capacity = static_cast<double>(m);
    const std::optional<double> voltage = batteryV();
    if (!capacity || !voltage)
        return std::nullopt;
    return *voltage * *capacity;
}

float UIDeviceHardware::batteryData(const QString& key) const {
    return powerSource_.batteryData(key);
}

float UIDeviceHardware::accurateBatteryLevel() const {
    return powerSource_.accurateBatteryLevel();
}
