#include "StatisticsTableViewController.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "EventCsvWriter.h"
#include "HealthStore.h"
#include "HealthTrend.h"
#include "HistoryViewController.h"
#include "LogHandlerFixture.h"
#include "ManagedObjectContext.h"
#include "Paths.h"
#include "ReadContext.h"
#include "StatisticsReport.h"
#include "TestSupport.h"
#include "UIDeviceHardware.h"
#include "UserDefaults.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

namespace {
class StatisticsTableViewControllerTest : public LogHandlerFixture {
protected:
    StatisticsTableViewControllerTest() : LogHandlerFixture(1765195200.0) {}
    BatteryLogHandler handler{device, home.dataDir(), defaults};
    UIDeviceHardware hardware{*battery, 320};
    HistoryViewController history{handler};
    StatisticsTableViewController controller{handler, hardware};

    void SetUp() override {
        clock.setTick(0.001);
        battery->table = {
            {PowerSource::Voltage, 3850},         {PowerSource::MaxCapacity, 2000},
            {PowerSource::CurrentCapacity, 1500}, {PowerSource::DesignCapacity, 2200},
            {PowerSource::Amperage, 0},           {PowerSource::InstantAmperage, -350},
            {PowerSource::CycleCount, 87},        {PowerSource::Temperature, 3010}};
        battery->voltage = 3.85;
        battery->currentState = BatteryStateUnplugged;
        controller.setHistoryViewController(&history);
        controller.resize(320, 411);
    }
    void sample(double advance, double charge) {
        clock.advance(advance);
        battery->table.insert(PowerSource::CurrentCapacity, charge);
        handler.addEvent();
    }
    QString mailArgs() const { return home.path() + "/mail-args"; }
    // A stand-in for xdg-email that writes its arguments and the attachment to mailArgs().
    QString installMailProgram() const {
        const QString bin = home.path() + "/bin";
        writeFile(bin + "/xdg-email",
                  QString("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.tmp'\n"
                          "/bin/cat \"$4\" >> '%1.tmp'\n/bin/mv '%1.tmp' '%1'\n")
                      .arg(mailArgs())
                      .toUtf8());
        QFile::setPermissions(bin + "/xdg-email",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return bin;
    }
    // The mail program runs detached; only its file tells us it ran.
    void waitForMailProgram() const {
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(mailArgs()) && waited.elapsed() < 5000)
            QThread::msleep(10);
    }
    QString value(int section, const QString& title) const {
        for (const auto& row : controller.tableView()->sections().at(section).rows)
            if (row.title == title)
                return row.detail;
        return QStringLiteral("<absent>");
    }
};
} // namespace

TEST_F(StatisticsTableViewControllerTest, SevenSectionsWithTheirHeaders) {
    controller.show();
    const auto& sections = controller.tableView()->sections();
    ASSERT_EQ(sections.size(), 7);
    QStringList headers;
    for (const auto& s : sections)
        headers.append(s.header);
    EXPECT_EQ(headers, (QStringList{"Overall", "Last Month", "Last Week", "Last 24 hours",
                                    "Battery Hardware Report", "Export", "Battery Health"}));
    EXPECT_EQ(sections[0].rows.size(), 6) << "the energy row exists: the energy is known";
    EXPECT_EQ(sections[5].rows.at(0).title, "e-mail .csv file");
    EXPECT_EQ(sections[5].rows.at(1).title, "Reload Data");
    EXPECT_EQ(value(4, "Flow from Battery"), " 350 mA");
    EXPECT_EQ(StatisticsTableViewController::titleForHeaderInSection(9), "");
}

TEST_F(StatisticsTableViewControllerTest, NewSamplesUpdateAShowingScreenAndResetAHiddenOne) {
    controller.show();
    sample(0, 1600);
    sample(1800, 1400); // 0.8 -> 0.7 in half an hour
    // The screen hears of a sample before the overall totals take it, so the periods read
    // from the log are current and the overall column catches up at the next update.
    EXPECT_EQ(value(3, "Time Draining"), "30 minutes");
    EXPECT_EQ(value(3, "Average Full Drain"), "5.0 hours");
    EXPECT_EQ(value(0, "Time Draining"), "0 seconds");
    controller.didSelectRow(StatisticsTableViewController::ExportSection, 1); // Reload Data
    EXPECT_EQ(value(0, "Time Draining"), "30 minutes");

    controller.hide();
    sample(1800, 1200);
    EXPECT_FALSE(controller.isViewLoaded()) << "a hidden screen drops its rows";
    controller.show();
    EXPECT_EQ(value(0, "Time Draining"), "1.0 hours");

    sample(1800, 1000);
    controller.didSelectRow(0, 0); // outside the export section: nothing
    EXPECT_EQ(value(0, "Time Draining"), "1.0 hours");
}

TEST_F(StatisticsTableViewControllerTest, MailsTheLogThroughXdgEmail) {
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(installMailProgram()));

    battery->table.insert(PowerSource::CurrentCapacity, 1000);
    handler.addEvent();
    controller.show();
    controller.didSelectRow(StatisticsTableViewController::ExportSection, 0);
    waitForMailProgram();
    qputenv("PATH", oldPath);

    QFile args(mailArgs());
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(args.readAll()).split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], "--subject");
    EXPECT_EQ(lines[1], "Ampelio .csv export.");
    EXPECT_EQ(lines[2], "--attach");
    EXPECT_TRUE(lines[3].endsWith("/ampelio.csv"));
    EXPECT_EQ(lines[4], "Time,State,Level");
    EXPECT_EQ(lines[5], "\"12/8/25, 12:00 PM\",State: Running from Battery,0.50")
        << "Unicode spaces of the locale become plain ones";
    // The attachment has the bytes of `ampelio --export-csv`, which writes the same records
    // through the same writer from a read-only context on the store file.
    QFile attachment(lines[3]);
    ASSERT_TRUE(attachment.open(QIODevice::ReadOnly));
    QBuffer exported;
    exported.open(QIODevice::WriteOnly);
    ReadContext log(Paths::storePath(home.dataDir()));
    ASSERT_TRUE(EventCsvWriter::write(exported, &log));
    const QByteArray mailed = attachment.readAll();
    EXPECT_EQ(mailed, exported.data());
    EXPECT_TRUE(std::all_of(mailed.cbegin(), mailed.cend(), [](char c) { return c > 0; }))
        << "plain ASCII for an en_US log";
    QFile::remove(lines[3]);
    QDir().rmdir(QFileInfo(lines[3]).path());
}

TEST_F(StatisticsTableViewControllerTest, WithoutAMailProgramTheExportDoesNothing) {
    const QString bin = installMailProgram(); // present, but not where the export looks
    const QString temp = home.path() + "/tmp";
    QDir().mkpath(temp);
    const QByteArray oldPath = qgetenv("PATH");
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("PATH", QFile::encodeName(home.path() + "/empty"));
    qputenv("TMPDIR", QFile::encodeName(temp));
    controller.show();
    {
        LogCapture log;
        controller.didSelectRow(StatisticsTableViewController::ExportSection, 0);
        QThread::msleep(200);
        EXPECT_TRUE(log.lines().isEmpty()) << qPrintable(log.lines().join('\n'));
    }
    EXPECT_TRUE(QDir(temp).isEmpty()) << "no attachment was written";
    EXPECT_FALSE(QFile::exists(mailArgs())) << "no mail program was started";

    // The same row does mail once a mail program is on the PATH: the test above is not empty.
    qputenv("PATH", QFile::encodeName(bin));
    controller.didSelectRow(StatisticsTableViewController::ExportSection, 0);
    waitForMailProgram();
    qputenv("PATH", oldPath);
    qputenv("TMPDIR", oldTemp);
    EXPECT_TRUE(QFile::exists(mailArgs()));
    EXPECT_FALSE(QDir(temp).isEmpty());
}

TEST_F(StatisticsTableViewControllerTest, Screenshot) {
    sample(0, 1600);
    sample(1800, 1400);
    controller.show();
    const QImage image = controller.grab().toImage();
    ASSERT_EQ(image.size(), QSize(320, 411));
    // Titles in black on the left, values in the detail blue on the right, below the title bar.
    const auto count = [&image](int x0, int x1, auto&& is) {
        int n = 0;
        for (int y = 44; y < image.height(); ++y)
            for (int x = x0; x < x1; ++x)
                n += is(image.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    EXPECT_GT(count(10, 160, [](const QColor& c) { return c.value() < 60; }), 500) << "row titles";
    EXPECT_GT(
        count(200, 310, [](const QColor& c) { return c.blue() > c.red() + 40 && c.value() < 220; }),
        200)
        << "row values";
    saveScreenshot(image, "statistics");
    controller.tableView()->verticalScrollBar()->setValue(
        controller.tableView()->verticalScrollBar()->maximum());
    saveScreenshot(controller.grab().toImage(), "statistics-bottom");
}

TEST_F(StatisticsTableViewControllerTest, ALogOutlivingTheScreenNoLongerCallsIt) {
    auto* shortLived = new StatisticsTableViewController(handler, hardware);
    shortLived->show();
    delete shortLived;
    sample(60, 1200); // would reach freed memory through a raw listener
    EXPECT_EQ(handler.managedObjectContext()->savedCount(), 1);
}

TEST_F(StatisticsTableViewControllerTest, BatteryHealthFollowsTheExport) {
    handler.recordHealth(); // 2000 of 2200 mAh, 87 cycles
    HealthStore* health = handler.healthStore();
    ASSERT_TRUE(health);
    const QList<HealthReading> first = health->readings(1);
    ASSERT_EQ(first.size(), 1);
    // Half a year before it, losing a point a month from 100 %.
    for (int d = 1; d <= 182; ++d) {
        HealthReading earlier = first.first();
        earlier.date -= d * 86400.0;
        earlier.full = 2200.0 * (2000.0 / 2200.0 + d / HealthTrend::MonthDays / 100.0);
        health->add(earlier);
    }
    controller.show();
    const auto& sections = controller.tableView()->sections();
    ASSERT_EQ(sections.size(), 7);
    const auto& section = sections[StatisticsTableViewController::HealthSection];
    EXPECT_EQ(section.header, "Battery Health");
    QStringList texts;
    for (const auto& row : section.rows)
        texts.append(row.title + "=" + row.detail);
    ASSERT_EQ(texts.size(), 5) << qPrintable(texts.join(" | "));
    EXPECT_EQ(texts[0], "Health=90.9%");
    EXPECT_EQ(texts[1], "Change per Month=-1.00%");
    EXPECT_EQ(texts[2], "Cycle Count=87 cycles");
    EXPECT_TRUE(texts[3].startsWith("80% Expected=")) << qPrintable(texts[3]);
    EXPECT_FALSE(texts[3].contains("not in sight"));
}

// The device screens keep their two export rows; the desktop window adds "Save .csv file...".
// Without a mail program the mail row says so instead of doing nothing.
TEST_F(StatisticsTableViewControllerTest, ExportRowsAndAMissingMailProgram) {
    controller.show();
    const auto exportRows = [this] {
        return controller.tableView()
            ->sections()
            .value(StatisticsTableViewController::ExportSection)
            .rows;
    };
    EXPECT_EQ(exportRows().size(), 2);
    controller.setOffersSaveRow(true);
    controller.reloadData();
    ASSERT_EQ(exportRows().size(), 3);
    EXPECT_EQ(exportRows()[2].title, "Save .csv file...");

    QSignalSpy messages(&controller, &StatisticsTableViewController::statusMessage);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", home.path().toUtf8()); // no xdg-email there
    controller.didSelectRow(StatisticsTableViewController::ExportSection, 0);
    qputenv("PATH", path);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.at(0).at(0).toString().startsWith("No mail program found"));
}
