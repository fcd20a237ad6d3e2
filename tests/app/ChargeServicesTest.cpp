// Charge alarms, the time estimate and the metrics file in the real executable and the dialog.
#include "AlarmsDialog.h"
#include "ChargeAlarm.h"
#include "MetricsTextfileWriter.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {
class ChargeServicesTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString supply() const { return root.filePath("supply"); }
    QString metrics() const { return root.filePath("textfile"); }

    void SetUp() override {
        QDir().mkpath(metrics());
        setBattery("Discharging", 20);
    }

    // A sysfs battery drawing 1 A from 4000 mAh.
    void setBattery(const char* status, int percent) {
        writeFiles(supply(), {{"BAT0/type", "Battery\n"},
                              {"BAT0/charge_full", "4000000\n"},
                              {"BAT0/current_now", "1000000\n"}});
        writeFile(supply() + "/BAT0/status", QByteArray(status) + "\n");
        writeFile(supply() + "/BAT0/capacity", QByteArray::number(percent) + "\n");
        writeFile(supply() + "/BAT0/charge_now", QByteArray::number(percent * 40000) + "\n");
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("AMPELIO_POWER_SUPPLY_DIR", supply());
        env.insert("AMPELIO_POLL_SECONDS", "1");
        env.insert("XDG_DATA_HOME", root.filePath("data"));
        env.insert("XDG_CONFIG_HOME", root.filePath("config"));
        env.insert("LC_ALL", "en_US.UTF-8");
        env.insert("TZ", "UTC");
        return env;
    }

    static bool waitFor(QProcess& process, QString& seen, const QString& text) {
        QElapsedTimer timer;
        timer.start();
        while (!seen.contains(text) && timer.elapsed() < 15000) {
            if (process.waitForReadyRead(1000))
                seen += QString::fromUtf8(process.readAll());
        }
        return seen.contains(text);
    }

    QString run(const QStringList& arguments, int* exitCode = nullptr) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(AMPELIO_BINARY, arguments);
        process.waitForFinished(20000);
        if (exitCode)
            *exitCode = process.exitCode();
        return QString::fromUtf8(process.readAll());
    }
};
} // namespace

TEST_F(ChargeServicesTest, HeadlessLogsTheLowAlarmAndKeepsTheMetricsFile) {
    QProcess app;
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.setProcessEnvironment(environment());
    app.start(AMPELIO_BINARY, {"--headless", "--metrics-textfile", metrics()});
    ASSERT_TRUE(app.waitForStarted());
    QString seen;
    ASSERT_TRUE(waitFor(app, seen, "Logging batLevel: 0.200000")) << qPrintable(seen);
    ASSERT_TRUE(waitFor(app, seen, "Installed keep-alive handler")) << qPrintable(seen);
    setBattery("Discharging", 14);
    // Headless there is no desktop to notify: the alarm is a line, from the poll that saw 14 %.
    ASSERT_TRUE(waitFor(app, seen, "Battery low: 14 %")) << qPrintable(seen);
    ASSERT_TRUE(waitFor(app, seen, "Logging batLevel: 0.140000")) << qPrintable(seen);
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(5000));
    EXPECT_EQ(seen.count("Battery low"), 1);

    QFile prom(metrics() + "/ampelio.prom");
    ASSERT_TRUE(prom.open(QIODevice::ReadOnly));
    const QByteArray text = prom.readAll();
    EXPECT_TRUE(text.contains("ampelio_samples_logged_total{model=\"\",serial=\"\"} 2\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("ampelio_battery_level_percent{model=\"\",serial=\"\"} 14\n"));
    // 560 mAh at 1 A.
    EXPECT_TRUE(
        text.contains("ampelio_battery_time_to_empty_seconds{model=\"\",serial=\"\"} 2016\n"))
        << text.constData();

    const QString report = run({"--report"});
    EXPECT_TRUE(report.contains("Time to empty: 0:34")) << qPrintable(report);
    const QStringList csv = run({"--export-csv", "--iso"}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 3);
    EXPECT_EQ(csv[0], "time,state,level_percent");
    EXPECT_TRUE(csv[1].endsWith("Z,discharging,14.00")) << qPrintable(csv[1]);
}

TEST_F(ChargeServicesTest, AMetricsFolderThatCannotBeWrittenIsAnErrorAtTheStart) {
    int status = -1;
    const QString out =
        run({"--headless", "--metrics-textfile", root.filePath("missing")}, &status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(out.contains("is not a folder you can write to")) << qPrintable(out);
    EXPECT_FALSE(QFile::exists(root.filePath("data/Ampelio/Locations.sqlite")));
}

TEST(AlarmsDialog, SavesTheAlarmsAndTheMetricsFolder) {
    TemporaryHome home;
    UserDefaults defaults(home.configDir() + "/Ampelio.ini");
    AlarmsDialog dialog(defaults);
    auto* charge = dialog.findChildren<QCheckBox*>().value(0);
    const auto boxes = dialog.findChildren<QSpinBox*>();
    ASSERT_TRUE(charge && boxes.size() == 2);
    // Off by default, with the suggested 80 % ready; the low alarm on at 15 %.
    EXPECT_FALSE(charge->isChecked());
    EXPECT_EQ(boxes[0]->value(), 80);
    EXPECT_EQ(boxes[1]->value(), 15);
    saveScreenshot(dialog.grab().toImage(), "alarms-dialog");
    charge->setChecked(true);
    boxes[1]->setValue(10);
    dialog.findChild<QLineEdit*>()->setText(" /srv/textfile ");
    dialog.save();
    const ChargeAlarmSettings saved = ChargeAlarmSettings::load(defaults);
    EXPECT_EQ(saved.chargePercent, 80);
    EXPECT_EQ(saved.drainPercent, 10);
    EXPECT_EQ(defaults.objectForKey(MetricsTextfileWriter::DirectoryKey).toString(),
              "/srv/textfile");
}
