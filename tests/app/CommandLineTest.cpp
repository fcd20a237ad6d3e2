// Runs the real executable against a sysfs-format battery and watches what it logs.
#include "CommandLineFixture.h"
#include "DateIntervalFormatter.h"
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

TEST_F(CommandLineTest, LogsSamplesAsTheBatteryChangesAndSavesOnTerm) {
    QProcess app;
    QString seen;
    ASSERT_TRUE(startLogging(app, seen, "Logging batLevel: 0.800000")) << qPrintable(seen);

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
    startHeadless(app);
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
    EXPECT_EQ(exportCsv().count('\n'), 289)
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
    startWithWindow(app, {"--verbose"});
    QString seen;
    ASSERT_TRUE(waitForLine(app, seen, "Logging batLevel: 0.800000", 15000)) << qPrintable(seen);
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_EQ(exportCsv().count('\n'), 2) << "the sample taken at launch is in the log";
}

// The window's terminal shows warnings only: the sample is taken and logged, but not printed.
TEST_F(CommandLineTest, TheWindowIsQuietByDefault) {
    QProcess app;
    startWithWindow(app, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return exportCsv().count('\n') == 2; }, 15000));
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    const QString output = QString::fromUtf8(app.readAll());
    EXPECT_FALSE(output.contains("Logging batLevel")) << qPrintable(output);
    EXPECT_FALSE(output.contains("keep-alive")) << qPrintable(output);
}

// The autostart run: no window, straight to the background, logging until told to stop.
TEST_F(CommandLineTest, BackgroundStartsWithoutTheWindowAndLogs) {
    QProcess app;
    startWithWindow(app, {"--background", "--verbose"});
    QString seen;
    ASSERT_TRUE(waitForLine(app, seen, "Installed keep-alive handler in the background", 15000))
        << qPrintable(seen);
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitCode(), 0);
    EXPECT_TRUE(seen.contains("Logging batLevel")) << "a sample at launch, as headless";
    EXPECT_EQ(exportCsv().count('\n'), 2);
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

TEST_F(CommandLineTest, ExitStatusesAndOneLineMessages) {
    const Result help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--export-csv <FILE>")) << qPrintable(help.out);
    const Result version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("ampelio %1\n").arg(AMPELIO_VERSION));

    for (const QStringList& arguments :
         {QStringList{"--frobnicate", "/tmp/x"}, QStringList{"--screenshot"},
          QStringList{"--headless", "--report"}, QStringList{"--idiom", "desk"}}) {
        const Result refused = run(arguments);
        EXPECT_EQ(refused.exitCode, 2) << qPrintable(arguments.join(' '));
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(refused.err.count('\n'), 1) << qPrintable(refused.err);
        EXPECT_TRUE(refused.err.startsWith("ampelio: ") && refused.err.contains(arguments[0]))
            << "names the option: " << qPrintable(refused.err);
        EXPECT_TRUE(refused.err.contains("ampelio --help")) << "says where to look";
    }
    EXPECT_FALSE(QFile::exists(data() + "/Ampelio")) << "refused and --help runs create nothing";

    const Result failed = run({"--export-csv", root.filePath("missing/out.csv")});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(root.filePath("missing/out.csv"))) << qPrintable(failed.err);
    writeFile(root.filePath("plain"), "not a folder");
    const Result noFolder = run({"--screenshot", root.filePath("plain/shots")});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_TRUE(noFolder.err.contains("Couldn't create the folder " + root.filePath("plain/shots")))
        << qPrintable(noFolder.err);
}

// The JSON report is the text report's figures as numbers: every text is the number formatted
// as the text report formats it, and a figure the text leaves out is absent from the JSON.
TEST_F(CommandLineTest, JsonReportHoldsTheTextReportsFigures) {
    writeFile(supply() + "/BAT0/voltage_now", "3850000\n");
    writeFile(supply() + "/BAT0/voltage_min_design", "3700000\n");
    writeFile(supply() + "/BAT0/charge_full_design", "5000000\n");
    writeFile(supply() + "/BAT0/current_now", "400000\n");
    writeFile(supply() + "/BAT0/cycle_count", "321\n");
    // Two stretches of history far from the edges of the periods, so that both runs see the
    // same samples in each period: two to four days ago, and the last half day but an hour.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QString dir = data() + "/Ampelio";
    ASSERT_EQ(
        run({"--dir", dir, "--days", "2", "--end", QString::number(now - 2 * 86400)}, AMPELIO_SEED)
            .exitCode,
        0);
    ASSERT_EQ(run({"--dir", dir, "--days", "0.5", "--end", QString::number(now - 3600), "--append"},
                  AMPELIO_SEED)
                  .exitCode,
              0);

    const Result text = run({"--report"});
    ASSERT_EQ(text.exitCode, 0) << qPrintable(text.err);
    const Result json = run({"--json", "--report"});
    ASSERT_EQ(json.exitCode, 0) << qPrintable(json.err);
    QJsonParseError error;
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(json.out);

    // The text's sections: title -> its lines "label value", each label padded to 26.
    QHash<QString, QStringList> sections;
    for (const QString& block : text.out.split("\n\n")) {
        QStringList lines = block.split('\n', Qt::SkipEmptyParts);
        if (!lines.isEmpty())
            sections.insert(lines.takeFirst(), lines);
    }
    const auto line = [](const char* label, const QString& value) {
        return QStringLiteral("  %1 %2").arg(QLatin1String(label), -26).arg(value);
    };
    const auto number = [](const QJsonObject& object, const char* key) {
        return object.value(QLatin1String(key)).toDouble();
    };

    struct PeriodRow {
        const char* label;
        const char* key;
        QString (*text)(double);
    };
    const PeriodRow periodRows[] = {
        {"Load Cycles", "load_cycles", [](double v) { return QString::asprintf("%3.1f", v); }},
        {"Time Charging", "time_charging_s", DateIntervalFormatter::formatDetailledRelativeTime},
        {"Time Draining", "time_draining_s", DateIntervalFormatter::formatDetailledRelativeTime},
        {"Average Full Charge", "average_full_charge_s",
         DateIntervalFormatter::formatDetailledRelativeTime},
        {"Average Full Drain", "average_full_drain_s",
         DateIntervalFormatter::formatDetailledRelativeTime},
        {"Batt. Watt hours", "energy_wh",
         [](double v) { return QString::asprintf("%5.2f Wh", v); }},
    };
    const QStringList periods = {"Overall", "Last Month", "Last Week", "Last 24 hours"};
    const QStringList keys = {"overall", "last_month", "last_week", "last_24_hours"};
    const QJsonObject periodsJson = report.value("periods").toObject();
    ASSERT_EQ(periodsJson.keys().size(), 4);
    for (qsizetype k = 0; k < periods.size(); ++k) {
        const QJsonObject period = periodsJson.value(keys[k]).toObject();
        QStringList expected;
        for (const PeriodRow& row : periodRows)
            expected.append(line(row.label, period.contains(QLatin1String(row.key))
                                                ? row.text(number(period, row.key))
                                                : QString()));
        EXPECT_EQ(sections.value(periods[k]), expected) << qPrintable(periods[k]);
    }
    EXPECT_GT(number(periodsJson.value("last_week").toObject(), "load_cycles"),
              number(periodsJson.value("last_24_hours").toObject(), "load_cycles"))
        << "the periods differ";

    struct HardwareRow {
        const char* label;
        const char* key;
        const char* format;
    };
    const HardwareRow hardwareRows[] = {
        {"Voltage", "voltage_v", "%2.2f V"},
        {"Current Capacity", "current_capacity_mah", "%4.0f mAh"},
        {"Max Capacity", "max_capacity_mah", "%4.0f mAh"},
        {"Design Capacity", "design_capacity_mah", "%4.0f mAh"},
        {"Charge", "charge_percent", "%2.2f%%"},
        {"Health", "health_percent", "%2.2f%%"},
        {"conn. Charger Capacity", "charger_capacity_ma", "%4.0f mA"},
        {"Flow to Battery", "flow_to_battery_ma", "%4.0f mA"},
        {"Flow from Battery", "flow_from_battery_ma", "%4.0f mA"},
        {"Current Power Use", "power_use_ma", "%4.0f mA"},
        {"Current Power Use", "power_use_w", "%2.2f W"},
        {"Boot Voltage", "boot_voltage_v", "%2.2f V"},
        {"Cycle Count", "cycle_count", "%2.0f cycles"},
        {"Temperature", "temperature_c", "%2.1f C"},
    };
    const QJsonObject hardware = report.value("hardware").toObject();
    QStringList expected;
    qsizetype known = 0;
    for (const HardwareRow& row : hardwareRows) {
        if (!hardware.contains(QLatin1String(row.key)))
            continue;
        ++known;
        EXPECT_TRUE(hardware.value(QLatin1String(row.key)).isDouble()) << row.key;
        expected.append(line(row.label, QString::asprintf(row.format, number(hardware, row.key))));
    }
    EXPECT_EQ(known, hardware.size()) << "no key outside the text report";
    EXPECT_GE(known, 8);
    EXPECT_EQ(sections.value("Battery Hardware Report"), expected) << qPrintable(text.out);
    EXPECT_FALSE(hardware.contains("temperature_c")) << "the battery reports no temperature";
    EXPECT_FALSE(hardware.contains("boot_voltage_v"));
    EXPECT_EQ(number(hardware, "cycle_count"), 321);
    EXPECT_EQ(number(hardware, "voltage_v"), 3.85);
    EXPECT_EQ(number(hardware, "flow_from_battery_ma"), 400);
    EXPECT_TRUE(
        text.out.endsWith("\nPower source: " + report.value("power_source").toString() + "\n"));
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
