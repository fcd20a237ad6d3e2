#include "SystemInfo.h"

#include <QDir>
#include <QFile>

#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {
std::optional<QByteArray> readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// One "Key:   1234 kB" line of /proc/meminfo, in bytes.
std::optional<quint64> meminfoValue(const QList<QByteArray>& lines, const QByteArray& key) {
    for (const QByteArray& line : lines) {
        if (!line.startsWith(key + ':'))
            continue;
        const QList<QByteArray> parts = line.mid(key.size() + 1).simplified().split(' ');
        bool ok = false;
        const quint64 value = parts.value(0).toULongLong(&ok);
        if (!ok)
            return std::nullopt;
        return parts.value(1) == "kB" ? value * 1024 : value;
    }
    return std::nullopt;
}

// Per-mille of processor time a thread used since it started, as the phone platform reports it.
std::optional<int> threadUsage(const QByteArray& stat, double uptime, double ticksPerSecond) {
    // The command name may contain spaces and parentheses; the fields start after the last ")".
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(close + 2).simplified().split(' ');
    // fields[0] is the state (field 3 of proc(5)); utime, stime and starttime are 14, 15 and 22.
    if (fields.size() < 20)
        return std::nullopt;
    if (fields[0] == "I")
        return 0;
    bool ok1 = false, ok2 = false, ok3 = false;
    const double busy = (fields[11].toDouble(&ok1) + fields[12].toDouble(&ok2)) / ticksPerSecond;
    const double started = fields[19].toDouble(&ok3) / ticksPerSecond;
    if (!ok1 || !ok2 || !ok3)
        return std::nullopt;
    const double lifetime = uptime - started;
    if (lifetime <= 0)
        return 0;
    return std::clamp(static_cast<int>(busy / lifetime * 1000.0), 0, 1000);
}

QString formatHardwareAddress(const QByteArray& text) {
    const QList<QByteArray> parts = text.trimmed().split(':');
    if (parts.size() != 6)
        return {};
    QStringList bytes;
    bool nonZero = false;
    for (const QByteArray& part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 16);
        if (!ok || value > 0xFF)
            return {};
        nonZero = nonZero || value != 0;
        bytes.append(QString::asprintf("%02X", value));
    }
    return nonZero ? bytes.join(QLatin1Char(':')) : QString();
}

QString ethernetAddress(const QString& netRoot, const QString& interface) {
    const QString dir = netRoot + QLatin1Char('/') + interface;
    // ARPHRD_ETHER; wireless interfaces report it too.
    if (readAll(dir + QStringLiteral("/type")).value_or(QByteArray()).trimmed() != "1")
        return {};
    return formatHardwareAddress(readAll(dir + QStringLiteral("/address")).value_or(QByteArray()));
}

QString defaultRouteInterface(const QString& routePath) {
    const QList<QByteArray> lines = readAll(routePath).value_or(QByteArray()).split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 2 && fields[1] == "00000000")
            return QString::fromUtf8(fields[0]);
    }
    return {};
}
} // namespace

QString SystemInfo::machineName() {
    utsname names{};
    return ::uname(&names) == 0 ? QString::fromUtf8(names.machine) : QString();
}

QString SystemInfo::kernelRelease() {
    utsname names{};
    return ::uname(&names) == 0 ? QString::fromUtf8(names.release) : QString();
}

std::optional<SystemInfo::MemoryStatistics>
SystemInfo::memoryStatistics(const QString& meminfoPath) {
    const auto text = readAll(meminfoPath);
    return text ? parseMeminfo(*text) : std::nullopt;
}

std::optional<SystemInfo::MemoryStatistics> SystemInfo::parseMeminfo(const QByteArray& text) {
    const QList<QByteArray> lines = text.split('\n');
    const auto free = meminfoValue(lines, "MemFree");
    const auto active = meminfoValue(lines, "Active");
    const auto inactive = meminfoValue(lines, "Inactive");
    if (!free || !active || !inactive)
        return std::nullopt;
    MemoryStatistics stats;
    stats.free = *free;
    stats.active = *active;
    stats.inactive = *inactive;
    for (const char* key : {"Unevictable", "KernelStack", "PageTables", "SUnreclaim"})
        stats.wired += meminfoValue(lines, key).value_or(0);
    return stats;
}

float SystemInfo::processCpuLoad(const QString& procRoot) {
    bool ok = false;
    const auto uptimeText = readAll(procRoot + QStringLiteral("/uptime"));
    const double uptime = uptimeText ? uptimeText->split(' ').value(0).toDouble(&ok) : 0.0;
    const QDir tasks(procRoot + QStringLiteral("/self/task"));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (!ok || threads.isEmpty())
        return -1.0f;
    const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    float load = 0.0f;
    for (const QString& thread : threads) {
        const auto stat = readAll(tasks.filePath(thread + QStringLiteral("/stat")));
        const auto usage = stat ? threadUsage(*stat, uptime, ticks) : std::nullopt;
        if (!usage)
            return -1.0f;
        load += static_cast<float>(*usage) / 1000.0f * 100.0f;
    }
    return load;
}

std::optional<qint64> SystemInfo::bootTime(const QString& statPath) {
    const QList<QByteArray> lines = readAll(statPath).value_or(QByteArray()).split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith("btime "))
            continue;
        bool ok = false;
        const qint64 value = line.mid(6).trimmed().toLongLong(&ok);
        if (ok)
            return value;
    }
    return std::nullopt;
}

std::optional<SystemInfo::DiskSpace> SystemInfo::diskSpace(const QString& path, int* error) {
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(path).constData(), &fs) != 0) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    DiskSpace space;
    space.total = static_cast<quint64>(fs.f_blocks) * fs.f_frsize;
    space.free = static_cast<quint64>(fs.f_bavail) * fs.f_frsize;
    return space;
}

QString SystemInfo::primaryHardwareAddress(const QString& netRoot, const QString& routePath) {
    const QString routed = defaultRouteInterface(routePath);
    if (!routed.isEmpty()) {
        const QString address = ethernetAddress(netRoot, routed);
        if (!address.isEmpty())
            return address;
    }
    const QStringList interfaces =
        QDir(netRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& interface : interfaces) {
        const QString address = ethernetAddress(netRoot, interface);
        if (!address.isEmpty())
            return address;
    }
    return {};
}
