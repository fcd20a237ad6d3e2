#include "AnalyticsSessionParameters.h"

#include "AnalyticsDeviceFacts.h"
#include "AnalyticsLog.h"
#include "Paths.h"

namespace {
QString unsignedText(quint64 value) {
    return QString::asprintf("%llu", static_cast<unsigned long long>(value));
}

// A failed reading counts as no memory at all rather than as a guess.
SystemInfo::MemoryStatistics memory(const AnalyticsDeviceFacts& facts) {
    const auto stats = facts.memory();
    if (!stats)
        ANALYTICS_LOG(AtLeast2, "Failed to fetch vm statistics");
    return stats.value_or(SystemInfo::MemoryStatistics());
}

SystemInfo::DiskSpace disk(const AnalyticsDeviceFacts& facts) {
    int error = 0;
    const auto space = facts.disk(Paths::documentsDirectory(), &error);
    if (!space) {
        ANALYTICS_LOG(AtLeast2, "Error Obtaining System Memory Info: Domain = %s, Code = %ld",
                      "NSPOSIXErrorDomain", static_cast<long>(error));
        return {};
    }
    ANALYTICS_LOG(AtLeast2, "Memory Capacity of %llu MiB",
                  static_cast<unsigned long long>(space->total >> 20));
    ANALYTICS_LOG(AtLeast2, "%llu MiB Free memory available.",
                  static_cast<unsigned long long>(space->free >> 20));
    return *space;
}

qint64 bootTime(const AnalyticsDeviceFacts& facts) {
    const auto seconds = facts.lastBootTime();
    if (!seconds)
        ANALYTICS_LOG(AtLeast2, "Failed to get last boot time");
    return seconds.value_or(0);
}
} // namespace

void AnalyticsSessionParameters::collect(int phase, QMap<QString, QString>& parameters) {
    const AnalyticsDeviceFacts& facts = AnalyticsDeviceFacts::current();
    const QString suffix = phase == Start ? QStringLiteral(".start") : QStringLiteral(".end");

    const SystemInfo::MemoryStatistics mem = memory(facts);
    // Summed in 64 bits: each value alone may pass 4 GiB on this platform.
    parameters.insert(QStringLiteral("memory.total"),
                      unsignedText(mem.free + mem.active + mem.inactive + mem.wired));
    parameters.insert(QStringLiteral("memory.used.wired") + suffix, unsignedText(mem.wired));
    parameters.insert(QStringLiteral("memory.used.active") + suffix, unsignedText(mem.active));
    parameters.insert(QStringLiteral("memory.used.inactive") + suffix, unsignedText(mem.inactive));
    parameters.insert(QStringLiteral("cpu.load") + suffix,
                      QString::asprintf("%f", static_cast<double>(facts.total_cpu_usage())));
    parameters.insert(QStringLiteral("boot.time"),
                      QString::asprintf("%ld", static_cast<long>(bootTime(facts))));

    const SystemInfo::DiskSpace space = disk(facts);
    parameters.insert(QStringLiteral("disk.size.total"), unsignedText(space.total));
    parameters.insert(QStringLiteral("disk.size.used"),
                      unsignedText(space.total >= space.free ? space.total - space.free : 0));

    parameters.insert(QStringLiteral("battery.remaining") + suffix,
                      QString::asprintf("%f", static_cast<double>(facts.getBatteryLevel())));
    parameters.insert(
        QStringLiteral("battery.charging") + suffix,
        QString::asprintf("%d", facts.getBatteryState() == BatteryStateCharging ? 1 : 0));
}
