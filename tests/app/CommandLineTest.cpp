// Runs the real executable against a sysfs-format battery and watches what it logs.
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

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
    EXPECT_TRUE(exporter.readAllStandardError().contains("Couldn't write"));
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
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitCode(), 0);
    QFile file(data() + "/Ampelio/Locations.sqlite");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);
}

namespace {
// Rows of one column whose pixel is the curve's dark grey (not the white ground, the light grid
// lines or a coloured badge).
QList<int> curveRows(const QImage& image, int x, int top, int bottom) {
    QList<int> rows;
    for (int y = top; y < bottom; ++y) {
        const QColor c = image.pixelColor(x, y);
        const bool grey = std::abs(c.red() - c.green()) < 12 && std::abs(c.green() - c.blue()) < 12;
        if (grey && c.value() > 40 && c.value() < 170)
            rows.append(y);
    }
    return rows;
}

// Whether the tab bar is drawn along the bottom, with the given one of its three tabs lit.
bool tabBarShows(const QImage& image, int selected) {
    const int top = image.height() - 49;
    int dark = 0;
    for (int x = 0; x < image.width(); x += 4)
        dark += image.pixelColor(x, image.height() - 2).value() < 40 ? 1 : 0;
    if (dark < image.width() / 4 * 9 / 10)
        return false;
    const int third = image.width() / 3;
    for (int tab = 0; tab < 3; ++tab) {
        int lit = 0;
        for (int y = top; y < image.height(); ++y)
            for (int x = tab * third; x < (tab + 1) * third; ++x) {
                const QColor c = image.pixelColor(x, y);
                lit += c.blue() > 200 && c.red() < 140 ? 1 : 0;
            }
        if ((lit > 20) != (tab == selected))
            return false;
    }
    return true;
}
} // namespace

TEST_F(CommandLineTest, ScreenshotsShowTheCurveAndTheTabBarOnEveryTab) {
    setBattery("Discharging", 50);
    {
        // Two days at half charge: a flat curve at one known height.
        QDir().mkpath(data() + "/Ampelio");
        EventStore store(data() + "/Ampelio/Locations.sqlite");
        ManagedObjectContext context(store);
        const double now = QDateTime::currentSecsSinceEpoch();
        for (int i = 288; i >= 1; --i)
            context.insertNewEvent(now - 600.0 * i, 0.5f, 1);
        ASSERT_TRUE(context.save(nullptr));
    }
    QProcess app;
    app.setProcessEnvironment(environment());
    const QString dir = root.filePath("shots");
    app.start(AMPELIO_BINARY, {"--screenshot", dir});
    ASSERT_TRUE(app.waitForFinished(30000));
    EXPECT_EQ(app.exitCode(), 0) << app.readAllStandardError().constData();
    const char* const tabs[] = {"graph", "history", "statistics"};
    for (int tab = 0; tab < 3; ++tab) {
        const QImage image(dir + "/" + tabs[tab] + ".png");
        ASSERT_EQ(image.size(), QSize(320, 480)) << tabs[tab];
        EXPECT_TRUE(tabBarShows(image, tab)) << tabs[tab];
    }

    // Level 0.5 lies halfway up the graph (the 50 % line, at y 219.5 below the status strip):
    // the curve runs along it from the left edge to now, and only there.
    const QImage graph(dir + "/graph.png");
    for (int x : {30, 90, 185}) {
        const QList<int> rows = curveRows(graph, x, 40, 340);
        ASSERT_FALSE(rows.isEmpty()) << "no curve at x " << x;
        EXPECT_GE(rows.first(), 210) << "x " << x;
        EXPECT_LE(rows.last(), 229) << "x " << x;
        EXPECT_GE(rows.size(), 3) << "x " << x;
    }
    EXPECT_TRUE(curveRows(graph, 260, 40, 340).isEmpty()) << "nothing is drawn in the future";
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
