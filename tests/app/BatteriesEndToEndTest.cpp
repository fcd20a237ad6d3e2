// The real executable on a laptop with two energy-reporting batteries, and the import of the
// power daemon's history.
#include "BatteryLogHandler.h"
#include "CommandLineFixture.h"
#include "Device.h"
#include "ManagedObjectContext.h"
#include "SysfsPowerSource.h"
#include "UpowerImportOffer.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>

namespace {
class BatteriesEndToEndTest : public CommandLineTest {
protected:
    void SetUp() override {
        energyBattery("BAT0", "A-1", 30, 40);
        energyBattery("BAT1", "B-1", 10, 40);
    }

    void energyBattery(const char* name, const char* serial, int nowWh, int fullWh) {
        const QString dir = supply() + '/' + QLatin1String(name);
        writeFile(dir + "/type", "Battery\n");
        writeFile(dir + "/status", "Discharging\n");
        writeFile(dir + "/manufacturer", "SMP\n");
        writeFile(dir + "/model_name", "L20M3P71\n");
        writeFile(dir + "/serial_number", QByteArray(serial) + "\n");
        writeFile(dir + "/energy_now", QByteArray::number(nowWh * 1000000) + "\n");
        writeFile(dir + "/energy_full", QByteArray::number(fullWh * 1000000) + "\n");
        writeFile(dir + "/energy_full_design", "50000000\n");
        writeFile(dir + "/power_now", "6000000\n");
        writeFile(dir + "/cycle_count", "100\n");
    }
};
} // namespace

TEST_F(BatteriesEndToEndTest, TwoBatteriesOneSwappedMidRun) {
    QProcess app;
    QString seen;
    // 40 of 80 Wh together.
    ASSERT_TRUE(startLogging(app, seen, "Logging batLevel: 0.500000")) << qPrintable(seen);

    // The second battery is swapped for a fuller, more worn one: 30 + 30 of 40 + 35 Wh.
    energyBattery("BAT1", "C-2", 30, 35);
    ASSERT_TRUE(waitForLine(app, seen, "Logging batLevel: 0.800000", 15000)) << qPrintable(seen);
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(app.exitCode(), 0);
    seen += QString::fromUtf8(app.readAll());
    EXPECT_EQ(seen.count("New battery in the log"), 5)
        << "three cells and two sets" << qPrintable(seen);

    const QStringList lines = exportCsv().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << qPrintable(lines.join('\n'));
    EXPECT_TRUE(lines[1].endsWith(",State: Running from Battery,0.80")) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[2].endsWith(",State: Running from Battery,0.50")) << qPrintable(lines[2]);

    const Result report = run({"--report"});
    ASSERT_EQ(report.exitCode, 0) << qPrintable(report.err);
    const QString hardware =
        report.out.section("Battery Hardware Report", 1).section("Battery Health", 0, 0);
    EXPECT_TRUE(hardware.contains(QRegularExpression("Combined Charge +80.00%")))
        << qPrintable(hardware);
    EXPECT_TRUE(hardware.contains(QRegularExpression(
        "L20M3P71 \\(BAT1\\)\\s+Current Energy +30.00 Wh\\s+Full Energy +35.00 Wh")))
        << qPrintable(hardware);
    const QString health = report.out.section("Battery Health", 1);
    EXPECT_EQ(health.count(QRegularExpression("Health +\\d")), 3)
        << "the old battery stays" << qPrintable(health);
    EXPECT_TRUE(health.contains("[SMP/L20M3P71/B-1]")) << qPrintable(health);
    EXPECT_TRUE(health.contains(QRegularExpression("Health +70.0%"))) << qPrintable(health);

    const Result json = run({"--report", "--json"});
    ASSERT_EQ(json.exitCode, 0) << qPrintable(json.err);
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    const QJsonObject healthFigures = object["health"].toObject();
    EXPECT_EQ(healthFigures.size(), 3) << qPrintable(json.out);
    EXPECT_DOUBLE_EQ(healthFigures["L20M3P71 (BAT0)"].toObject()["health_percent"].toDouble(),
                     80.0);
    EXPECT_DOUBLE_EQ(object["hardware"].toObject()["combined_charge_percent"].toDouble(), 80.0);

    const Result csv = run({"--export-csv", "--health"});
    ASSERT_EQ(csv.exitCode, 0) << qPrintable(csv.err);
    const QStringList readings = csv.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(readings.size(), 4) << qPrintable(csv.out);
    EXPECT_EQ(readings[0], "Time,Battery,Full,Design,Unit,Health,Cycles,Temperature,Flagged");
    EXPECT_TRUE(readings[3].endsWith(",L20M3P71 (BAT1),35000,50000,mWh,70.00,100,,no"))
        << qPrintable(readings[3]);
}

TEST_F(BatteriesEndToEndTest, ImportsThePowerDaemonsHistoryOnce) {
    const QString upower = root.filePath("upower");
    const qint64 start = QDateTime::currentSecsSinceEpoch() - 7 * 86400;
    QByteArray charge;
    QByteArray rate;
    for (int i = 0; i < 100; ++i) {
        charge += QByteArray::number(start + i * 600) + '\t' + QByteArray::number(90 - i / 2) +
                  "\tdischarging\n";
        rate += QByteArray::number(start + i * 600) + "\t7.5\tdischarging\n";
    }
    charge += "garbage line\n";
    writeFile(upower + "/history-charge-L20M3P71-50-A1.dat", charge);
    writeFile(upower + "/history-rate-L20M3P71-50-A1.dat", rate);

    const Result first = run({"--import-upower", upower});
    ASSERT_EQ(first.exitCode, 0) << qPrintable(first.err);
    // 90 % down to 41 %: one sample in every five percent is kept, as the drop rule says.
    EXPECT_TRUE(first.out.startsWith("Took 10 of 101 samples")) << qPrintable(first.out);
    EXPECT_TRUE(first.out.contains("1 unreadable lines")) << qPrintable(first.out);
    const Result again = run({"--import-upower", upower});
    EXPECT_TRUE(again.out.startsWith("Took 0 of 101 samples")) << qPrintable(again.out);
    EXPECT_TRUE(again.out.contains("10 already in the log")) << qPrintable(again.out);
    const QStringList lines = exportCsv().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 11);
    EXPECT_TRUE(lines[10].endsWith(",State: Running from Battery,0.90")) << qPrintable(lines[10]);

    const Result missing = run({"--import-upower", root.filePath("nowhere")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("does not exist")) << qPrintable(missing.err);

    // A headless first start mentions the history instead of asking.
    QProcess app;
    app.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = environment();
    env.insert("AMPELIO_UPOWER_DIR", upower);
    app.setProcessEnvironment(env);
    app.start(AMPELIO_BINARY, {"--headless"});
    QString seen;
    EXPECT_TRUE(waitForLine(app, seen, "ampelio --import-upower", 15000)) << qPrintable(seen);
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
}

// The window asks once; a yes imports into the running log, whose listeners hear of it.
TEST(UpowerImportOffer, TheWindowAsksOnceAndImportsOnYes) {
    FakeClock clock;
    TemporaryHome home;
    QTemporaryDir upower;
    writeFile(upower.filePath("history-charge-a.dat"), "1000\t80\tdischarging\n"
                                                       "2000\t60\tdischarging\n");
    qputenv("AMPELIO_UPOWER_DIR", upower.path().toUtf8());
    Device device(std::make_unique<SysfsPowerSource>(home.path() + "/none"), 60000);
    UserDefaults defaults(home.configDir() + "/Ampelio.ini");
    BatteryLogHandler log(device, home.dataDir(), defaults);
    QWidget window;
    int changes = 0;
    QObject::connect(&log, &BatteryLogHandler::dataChanged, [&changes](int) { ++changes; });
    int questions = 0;
    // Answers each box that comes up: Yes to the question, OK to the summary.
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&questions] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            questions += box->button(QMessageBox::Yes) ? 1 : 0;
            box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)->click()
                                          : box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start();
    UpowerImportOffer::offer(log, defaults, &window);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(log.managedObjectContext()->savedCount(), 2);
    EXPECT_EQ(changes, 1);
    UpowerImportOffer::offer(log, defaults, &window);
    EXPECT_EQ(questions, 1) << "asked once";
    qunsetenv("AMPELIO_UPOWER_DIR");
}
