#pragma once

#include <QString>

#include <optional>

// Facts about this machine and process, read from the kernel. Every reader takes the location of
// its source so tests can point it at fixture files.
class SystemInfo {
public:
    // Memory in bytes, split the way the phone platform's virtual-memory statistics are.
    struct MemoryStatistics {
        quint64 free = 0;
        quint64 active = 0;
        quint64 inactive = 0;
        // Memory the kernel cannot page out: unevictable pages, kernel stacks, page tables and
        // unreclaimable slab.
        quint64 wired = 0;
    };

    struct DiskSpace {
        quint64 total = 0;
        quint64 free = 0;
    };

    // The kernel's machine name (uname), e.g. "x86_64".
    static QString machineName();
    // The kernel release (uname), e.g. "6.1.0-18-amd64".
    static QString kernelRelease();

    static std::optional<MemoryStatistics>
    memoryStatistics(const QString& meminfoPath = QStringLiteral("/proc/meminfo"));
    static std::optional<MemoryStatistics> parseMeminfo(const QByteArray& text);

    // This process's processor load in percent: the sum over its threads of each thread's share
    // of processor time since it started. -1 when a thread cannot be read.
    static float processCpuLoad(const QString& procRoot = QStringLiteral("/proc"));

    // Seconds since 1970 of the last boot ("btime" of /proc/stat).
    static std::optional<qint64> bootTime(const QString& statPath = QStringLiteral("/proc/stat"));

    // Size and space available to this user of the file system holding path; error gets errno.
    static std::optional<DiskSpace> diskSpace(const QString& path, int* error = nullptr);

    // The hardware address of the primary network interface as "AA:BB:CC:DD:EE:FF": the Ethernet
    // interface of the default route, else the first Ethernet interface by name. Empty if none.
    static QString
    primaryHardwareAddress(const QString& netRoot = QStringLiteral("/sys/class/net"),
                           const QString& routePath = QStringLiteral("/proc/net/route"));
};
