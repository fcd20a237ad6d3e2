#include "SystemInfo.h"
#include "TestSupport.h"
#include "VendorIdentifier.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

TEST(SystemInfo, MeminfoValuesAreBytesAndMayPassFourGiB) {
    const auto stats = SystemInfo::parseMeminfo("MemTotal:       16000000 kB\n"
                                                "MemFree:         6291456 kB\n"
                                                "Active:          8388608 kB\n"
                                                "Inactive:        1048576 kB\n"
                                                "Unevictable:         100 kB\n"
                                                "KernelStack:         200 kB\n"
                                                "PageTables:          300 kB\n"
                                                "SUnreclaim:          400 kB\n");
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->free, 6442450944ull);
    EXPECT_EQ(stats->active, 8589934592ull);
    EXPECT_EQ(stats->inactive, 1073741824ull);
    EXPECT_EQ(stats->wired, 1000ull * 1024);
    EXPECT_FALSE(SystemInfo::parseMeminfo("MemFree: 1 kB\n"));
}

TEST(SystemInfo, BootTimeComesFromProcStat) {
    QTemporaryDir dir;
    writeFile(dir.filePath("stat"), "cpu  1 2 3\nbtime 1799990000\nprocesses 5\n");
    EXPECT_EQ(SystemInfo::bootTime(dir.filePath("stat")), 1799990000);
    writeFile(dir.filePath("stat"), "cpu  1 2 3\n");
    EXPECT_FALSE(SystemInfo::bootTime(dir.filePath("stat")));
    EXPECT_TRUE(SystemInfo::bootTime()) << "this machine's own";
}

TEST(SystemInfo, ProcessLoadSumsTheBusyShareOfEachThread) {
    QTemporaryDir dir;
    const long ticks = ::sysconf(_SC_CLK_TCK);
    writeFile(dir.filePath("uptime"), "1000.00 1900.00\n");
    // Started at 900 s, so 100 s old: 25 s busy is 25 %, and a name with ") (" cannot confuse it.
    const QByteArray rest = " 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
    writeFile(dir.filePath("self/task/1/stat"),
              "1 (odd) (name) S 0 0 0 0 0 0 0 0 0 0 " + QByteArray::number(20 * ticks) + " " +
                  QByteArray::number(5 * ticks) + " 0 0 0 0 0 0 " +
                  QByteArray::number(900 * ticks) + rest);
    writeFile(dir.filePath("self/task/2/stat"), "2 (idle) S 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 " +
                                                    QByteArray::number(900 * ticks) + rest);
    EXPECT_FLOAT_EQ(SystemInfo::processCpuLoad(dir.path()), 25.0f);

    writeFile(dir.filePath("self/task/3/stat"), "broken");
    EXPECT_FLOAT_EQ(SystemInfo::processCpuLoad(dir.path()), -1.0f);
    EXPECT_GE(SystemInfo::processCpuLoad(), 0.0f) << "this process's own";
}

TEST(SystemInfo, ThePrimaryInterfaceIsTheOneOfTheDefaultRoute) {
    QTemporaryDir dir;
    const QString net = dir.filePath("net");
    writeFile(net + "/lo/type", "772\n");
    writeFile(net + "/lo/address", "00:00:00:00:00:00\n");
    writeFile(net + "/eth0/type", "1\n");
    writeFile(net + "/eth0/address", "02:00:5e:10:00:01\n");
    writeFile(net + "/wlan0/type", "1\n");
    writeFile(net + "/wlan0/address", "a4:b1:c2:d3:e4:f5\n");
    writeFile(dir.filePath("route"), "Iface\tDestination\tGateway\n"
                                     "wlan0\t0000A8C0\t00000000\n"
                                     "wlan0\t00000000\t0100A8C0\n");
    EXPECT_EQ(SystemInfo::primaryHardwareAddress(net, dir.filePath("route")),
              QStringLiteral("A4:B1:C2:D3:E4:F5"));
    EXPECT_EQ(SystemInfo::primaryHardwareAddress(net, dir.filePath("none")),
              QStringLiteral("02:00:5E:10:00:01"))
        << "without a default route, the first Ethernet interface by name";
    writeFile(net + "/eth0/address", "00:00:00:00:00:00\n");
    writeFile(net + "/wlan0/type", "772\n");
    EXPECT_EQ(SystemInfo::primaryHardwareAddress(net, dir.filePath("none")), QString());
}

TEST(SystemInfo, DiskSpaceOfAnExistingAndAMissingDirectory) {
    QTemporaryDir dir;
    const auto space = SystemInfo::diskSpace(dir.path());
    ASSERT_TRUE(space);
    EXPECT_GT(space->total, 0u);
    EXPECT_LE(space->free, space->total);
    int error = 0;
    EXPECT_FALSE(SystemInfo::diskSpace(dir.filePath("missing/deeper"), &error));
    EXPECT_EQ(error, ENOENT);
}

TEST(VendorIdentifierTest, StaysTheSameForTheInstallation) {
    QTemporaryDir dir;
    const QString first = VendorIdentifier::identifier(dir.path());
    EXPECT_EQ(first.size(), 36);
    EXPECT_EQ(first, first.toUpper());
    EXPECT_EQ(VendorIdentifier::identifier(dir.path()), first);
    EXPECT_FALSE(QFileInfo(dir.filePath(".identifierForVendor")).permissions() &
                 QFileDevice::ReadOther);
    writeFile(dir.filePath(".identifierForVendor"), "damaged");
    EXPECT_NE(VendorIdentifier::identifier(dir.path()), first);
}
