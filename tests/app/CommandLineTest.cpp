// Runs the real executable against a sysfs-format battery and watches what it logs.
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {
class CommandLineTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString supply() const { return root.filePath("supply"); }
    QString data() const { return root.filePath("data"); }

    void SetUp() override { setBattery("Discharging", 80); }

    void setBattery(const char* status, int percent) {
        writeFile(supply() + "/BAT0/type", "Battery\n");
        writeFile(supply() + "/BAT0/status", QByteArray(status) + "\n");
        writeFile(supply() + "/BAT0/capacity", QByteArray::number(percent) + "\n");
        writeFile(supply() + "/BAT0/charge_full", "4000000\n");
        writeFile(supply() + "/BAT0/charge_now", QByteArray::number(percent * 40000) + "\n");
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("AMPELIO_POWER_SUPPLY_DIR", supply());
        env.insert("AMPELIO_POLL_SECONDS", "1");
        env.insert("XDG_DATA_HOME", data());
        env.insert("XDG_CONFIG_HOME", root.filePath("config"));
        env.insert("LC_ALL", "en_US.UTF-8");
        env.insert("TZ", "UTC");
        return env;
    }

    // Reads the merged output until a line containing the text appears, or the deadline passes.
    static bool waitForLine(QProcess& process, QString& seen, const QString& text, int ms,
                            int times = 1) {
        QElapsedTimer timer;
        timer.start();
        while (seen.count(text) < times) {
            const int left = ms - static_cast<int>(timer.elapsed());
            if (left <= 0 || !process.waitForReadyRead(left))
                return seen.count(text) >= times;
            seen += QString::fromUtf8(process.readAll());
        }
        return true;
    }

    QString exportCsv() const {
        QProcess exporter;
        exporter.setProcessEnvironment(environment());
        exporter.start(AMPELIO_BINARY, {"--export-csv"});
        exporter.waitForFinished(10000);
        EXPECT_EQ(exporter.exitCode(), 0) << exporter.readAllStandardError().constData();
        return QString::fromUtf8(exporter.readAllStandardOutput());
    }
};
} // namespace

TEST_F(CommandLineTest, LogsSamplesAsTheBatteryChangesAndSavesOnTerm) {
    QProcess app;
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.setProcessEnvironment(environment());
    app.start(AMPELIO_BINARY, {"--headless"});
    ASSERT_TRUE(app.waitForStarted());
    QString seen;
    ASSERT_TRUE(waitForLine(app, seen, "Logging batLevel: 0.800000", 15000)) << qPrintable(seen);
    ASSERT_TRUE(waitForLine(app, seen, "Installed keep-alive handler", 15000)) << qPrintable(seen);

    setBattery("Discharging", 78); // too small a step: dropped
    setBattery("Discharging", 75);
    ASSERT_TRUE(waitForLine(app, seen, "Logging batLevel: 0.750000", 15000)) << qPrintable(seen);
    setBattery("Charging", 75);
    ASSERT_TRUE(waitForLine(app, seen, "Logging batLevel: 0.750000", 15000, 2)) << qPrintable(seen);

    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    seen += QString::fromUtf8(app.readAll());
    EXPECT_EQ(seen.count("Logging batLevel"), 3) << qPrintable(seen);

    EXPECT_TRUE(QFile::exists(data() + "/Ampelio/Locations.sqlite"));
    EXPECT_TRUE(QFile::exists(data() + "/Ampelio/Statistics.plist"));
    const QStringList lines = exportCsv().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Time,State,Level");
    EXPECT_TRUE(lines[1].endsWith(",State: Battery Charging,0.75")) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[3].endsWith(",State: Running from Battery,0.80")) << qPrintable(lines[3]);
}

TEST_F(CommandLineTest, ExportWritesAFileAndReportsFailures) {
    const QString file = root.filePath("out.csv");
    QProcess exporter;
    exporter.setProcessEnvironment(environment());
    exporter.start(AMPELIO_BINARY, {"--export-csv", file});
    ASSERT_TRUE(exporter.waitForFinished(10000));
    EXPECT_EQ(exporter.exitCode(), 0);
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), "Time,State,Level\n") << "an empty log exports the header alone";
    EXPECT_FALSE(QFile::exists(data() + "/Ampelio/Locations.sqlite")) << "exporting creates no log";

    exporter.start(AMPELIO_BINARY, {"--export-csv", root.filePath("missing/dir/out.csv")});
    ASSERT_TRUE(exporter.waitForFinished(10000));
    EXPECT_NE(exporter.exitCode(), 0);
    EXPECT_TRUE(exporter.readAllStandardError().contains("out.csv failed: No such file"));
    writeFile(data() + "/Ampelio/Locations.sqlite", QByteArray(4096, 'z'));
    const QString damagedExport = root.filePath("damaged.csv");
    exporter.start(AMPELIO_BINARY, {"--export-csv", damagedExport});
    ASSERT_TRUE(exporter.waitForFinished(10000));
    EXPECT_NE(exporter.exitCode(), 0) << "a log that cannot be read is no empty export";
    EXPECT_FALSE(QFile::exists(damagedExport));
}

TEST_F(CommandLineTest, DamagedStoreIsReportedAndKept) {
    const QByteArray garbage(4096, 'z');
    writeFile(data() + "/Ampelio/Locations.sqlite", garbage);
    QProcess app;
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.setProcessEnvironment(environment());
    app.start(AMPELIO_BINARY, {"--headless"});
    QString seen;
    ASSERT_TRUE(waitForLine(app, seen, "Logging batLevel", 15000)) << qPrintable(seen);
    EXPECT_TRUE(seen.contains("Unresolved error")) << qPrintable(seen);
    EXPECT_TRUE(seen.contains("Error: Couldn't open the datastore.")) << qPrintable(seen);
    // The alert names what is wrong and where.
    EXPECT_TRUE(seen.contains("Refused the log: it is not a database\n" + data() +
                              "/Ampelio/Locations.sqlite"))
        << qPrintable(seen);
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    seen += QString::fromUtf8(app.readAll());
    EXPECT_EQ(app.exitCode(), 1) << "samples were lost";
    EXPECT_TRUE(seen.contains("samples could not be saved to " + data())) << qPrintable(seen);
    QFile file(data() + "/Ampelio/Locations.sqlite");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

TEST_F(CommandLineTest, ScreenshotsRenderEveryTabAtTheScreenSize) {
    QProcess app;
    app.setProcessEnvironment(environment());
    const QString dir = root.filePath("shots");
    app.start(AMPELIO_BINARY, {"--screenshot", dir});
    ASSERT_TRUE(app.waitForFinished(30000));
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().constData();
    for (const char* tab : {"graph", "history", "statistics"}) {
        const QImage image(dir + "/" + tab + ".png");
        EXPECT_EQ(image.size(), QSize(320, 480)) << tab;
    }
    EXPECT_FALSE(QFile::exists(data() + "/Ampelio/Locations.sqlite"))
        << "pictures add no sample to the log of a logger that may be running";
}

TEST_F(CommandLineTest, ReportPrintsTheTablesAndRejectsUnknownOptions) {
    QProcess app;
    app.setProcessEnvironment(environment());
    app.start(AMPELIO_BINARY, {"--report"});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitCode(), 0);
    const QString out = QString::fromUtf8(app.readAllStandardOutput());
    EXPECT_TRUE(out.contains("Last 24 hours\n")) << qPrintable(out);
    EXPECT_TRUE(out.contains("Charge                     80.00%")) << qPrintable(out);

    app.start(AMPELIO_BINARY, {"--frobnicate"});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitCode(), 2);
}

TEST_F(CommandLineTest, WindowedApplicationLeavesThroughItsTerminatePathOnTerm) {
    QProcess app;
    app.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = environment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(env);
    app.start(AMPELIO_BINARY, {});
    QString seen;
    ASSERT_TRUE(waitForLine(app, seen, "Logging batLevel: 0.800000", 15000)) << qPrintable(seen);
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_EQ(exportCsv().count('\n'), 2) << "the sample taken at launch is in the log";
}

TEST_F(CommandLineTest, ASecondStartHandsOverToTheRunningLogger) {
    QProcess first;
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.setProcessEnvironment(environment());
    first.start(AMPELIO_BINARY, {"--headless"});
    QString seen;
    ASSERT_TRUE(waitForLine(first, seen, "Installed keep-alive handler", 15000))
        << qPrintable(seen);

    QProcess second;
    second.setProcessEnvironment(environment());
    second.start(AMPELIO_BINARY, {"--headless"});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("already running"));

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(5000));
    EXPECT_EQ(exportCsv().count('\n'), 2) << "only the first instance logged";
}

namespace {
// Name, size and modification time of every file below the directory.
QStringList snapshot(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files << QStringLiteral("%1 %2 %3")
                     .arg(info.filePath())
                     .arg(info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch());
    }
    files.sort();
    return files;
}

void storeSamples(const QString& path, int count) {
    QDir().mkpath(QFileInfo(path).path());
    EventStore store(path);
    ManagedObjectContext context(store);
    for (int i = 0; i < count; ++i)
        context.insertNewEvent(1.7e9 + i * 60.0, 0.5f, 1);
    ASSERT_TRUE(context.save(nullptr));
}
} // namespace

TEST_F(CommandLineTest, ReportAndExportAreReadOnly) {
    QProcess app;
    app.setProcessEnvironment(environment());
    app.start(AMPELIO_BINARY, {"--report"});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(app.readAllStandardOutput().startsWith("No battery log yet\n"));
    EXPECT_EQ(exportCsv(), "Time,State,Level\n");
    EXPECT_TRUE(snapshot(data()).isEmpty()) << qPrintable(snapshot(data()).join('\n'));

    storeSamples(data() + "/Ampelio/Locations.sqlite", 20);
    writeFile(data() + "/Ampelio/Statistics.plist", "not a property list");
    const QStringList before = snapshot(data());
    QThread::msleep(20); // a rewrite would show in the times
    app.start(AMPELIO_BINARY, {"--report"});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().constData();
    EXPECT_FALSE(app.readAllStandardOutput().contains("No battery log yet"));
    EXPECT_EQ(exportCsv().count('\n'), 21);
    EXPECT_EQ(snapshot(data()), before) << "not even the damaged statistics are moved aside";
}

TEST_F(CommandLineTest, FailedWritesExitNonZeroAndKeepTheOldExport) {
    storeSamples(data() + "/Ampelio/Locations.sqlite", 2000);
    QProcess app;
    app.setProcessEnvironment(environment());
    app.start(AMPELIO_BINARY, {"--export-csv", "/dev/full"});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitCode(), 1);
    EXPECT_TRUE(app.readAllStandardError().contains("No space left on device"));
    for (const QStringList& args : {QStringList{"--export-csv"}, QStringList{"--report"}}) {
        app.setStandardOutputFile("/dev/full");
        app.start(AMPELIO_BINARY, args);
        ASSERT_TRUE(app.waitForFinished(10000));
        EXPECT_EQ(app.exitCode(), 1) << qPrintable(args.join(' '));
    }

    // A nearly full disk: 4 KiB per file, where the export takes about 60 KiB.
    const QString file = root.filePath("old.csv");
    writeFile(file, "the previous export\n");
    QProcess limited;
    limited.setProcessEnvironment(environment());
    limited.start("sh", {"-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" --export-csv \"$1\"",
                         AMPELIO_BINARY, file});
    ASSERT_TRUE(limited.waitForFinished(10000));
    EXPECT_EQ(limited.exitCode(), 1);
    EXPECT_TRUE(limited.readAllStandardError().contains("old.csv failed: File too large"));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "the previous export\n");
    EXPECT_EQ(QDir(root.path()).entryList({"old.csv*"}), QStringList{"old.csv"});
}

TEST_F(CommandLineTest, UnusableLogsAreNamedWithTheReasonAndFailTheCommands) {
    writeFile(data() + "/Ampelio/Locations.sqlite", QByteArray(4096, 'z'));
    for (const char* option : {"--report", "--export-csv"}) {
        QProcess app;
        app.setProcessEnvironment(environment());
        app.start(AMPELIO_BINARY, {option});
        ASSERT_TRUE(app.waitForFinished(10000));
        EXPECT_EQ(app.exitCode(), 1) << option;
        EXPECT_EQ(app.readAllStandardError(),
                  "Couldn't read the log " + data().toUtf8() +
                      "/Ampelio/Locations.sqlite: it is not a database\n")
            << option;
    }
}

TEST_F(CommandLineTest, OneTermTakesTheTerminatePathFromTheFirstMoment) {
    for (const QString& mode : {QStringLiteral("--headless"), QString()}) {
        QProcess app;
        app.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(env);
        app.start(AMPELIO_BINARY, mode.isEmpty() ? QStringList() : QStringList{mode});
        ASSERT_TRUE(app.waitForStarted());
        // The signal goes as soon as the process handles it, long before its window or store.
        const QString status = QStringLiteral("/proc/%1/status").arg(app.processId());
        QElapsedTimer timer;
        timer.start();
        bool handled = false;
        while (!handled && timer.elapsed() < 10000) {
            QFile file(status);
            if (file.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : file.readAll().split('\n')) {
                    if (line.startsWith("SigCgt:"))
                        handled =
                            (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
                }
            }
        }
        ASSERT_TRUE(handled);
        ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
        ASSERT_TRUE(app.waitForFinished(10000)) << qPrintable(mode);
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << qPrintable(mode);
        EXPECT_EQ(app.exitCode(), 0) << qPrintable(mode);
        EXPECT_FALSE(app.readAll().contains("in the background; start it again"));
    }
}

TEST_F(CommandLineTest, WithoutAHomeTheRootDirectoryIsRefused) {
    QProcessEnvironment env = environment();
    env.remove("HOME");
    env.remove("XDG_DATA_HOME");
    env.remove("XDG_CONFIG_HOME");
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(AMPELIO_BINARY, {"--headless"});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_EQ(app.exitCode(), 1);
    EXPECT_TRUE(app.readAllStandardError().contains("Neither HOME nor XDG_DATA_HOME"));
}
