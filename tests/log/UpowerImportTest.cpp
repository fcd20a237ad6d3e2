#include "UpowerImport.h"
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {
class UpowerImportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString upower() const { return dir.filePath("upower"); }
    EventStore store{dir.filePath("Locations.sqlite")};
    ManagedObjectContext context{store};

    QList<Event> all() {
        return context.executeFetchRequest({std::nullopt, std::nullopt, true, 0});
    }
};
} // namespace

TEST_F(UpowerImportTest, StatesLevelsAndBadLines) {
    writeFile(upower() + "/history-charge-a.dat",
              "1000\t80.0\tdischarging\n"
              "1060\t60.0\tcharging\n"
              "1120\t70.0\tpending-charge\n"
              "1180\t100\tfully-charged\n"
              "1240\t50\tempty\n"
              "1300\t40\tunknown\n"
              "1360\t140\tcharging\n" // above 100 %
              "1420\tnan\tcharging\n" // not a number
              "1480\t40\tsideways\n"  // no such state
              "1540\t40\n"            // a field short
              "\n");
    EXPECT_TRUE(UpowerImport::hasHistory(upower()));
    const UpowerImport::Result result = UpowerImport::run(context, upower());
    EXPECT_EQ(result.chargeLines, 10);
    EXPECT_EQ(result.badLines, 4);
    EXPECT_EQ(result.taken, 6);
    const QList<Event> events = all();
    ASSERT_EQ(events.size(), 6);
    EXPECT_EQ(events[0], (Event{events[0].objectId, 1000, 0.8f, 1, false, 0}));
    EXPECT_EQ(events[1].batteryState, 2);
    EXPECT_EQ(events[2].batteryState, 3);
    EXPECT_TRUE(events[2].notCharging) << "plugged in and held: a charge limit";
    EXPECT_FALSE(events[3].notCharging);
    EXPECT_EQ(events[4].batteryState, 1) << "empty is still running from battery";
    EXPECT_EQ(events[5].batteryState, 0);
}

TEST_F(UpowerImportTest, MergesWithTheLogThroughTheDropRule) {
    // The log already holds a sample at 1000 s and one at 5000 s.
    context.insertNewEvent(1000.5, 0.80f, 1);
    context.insertNewEvent(5000.0, 0.50f, 1);
    ASSERT_TRUE(context.save(nullptr));
    writeFile(upower() + "/history-charge-b.dat", "1000\t80\tdischarging\n"   // held already
                                                  "2000\t78\tdischarging\n"   // adds nothing
                                                  "3000\t70\tdischarging\n"   // kept
                                                  "4000\t60\tdischarging\n"   // kept
                                                  "5001\t48\tdischarging\n"); // near 0.50: dropped
    writeFile(upower() + "/history-rate-a.dat", "3000\t7.5\tdischarging\nbad\n");
    const UpowerImport::Result result = UpowerImport::run(context, upower());
    EXPECT_EQ(result.files, 2);
    EXPECT_EQ(result.rateLines, 1);
    EXPECT_EQ(result.badLines, 1);
    EXPECT_EQ(result.duplicates, 1);
    EXPECT_EQ(result.dropped, 2);
    EXPECT_EQ(result.taken, 2);
    QList<double> dates;
    for (const Event& e : all())
        dates.append(e.creationDate);
    EXPECT_EQ(dates, (QList<double>{1000.5, 3000, 4000, 5000}));
    EXPECT_TRUE(UpowerImport::summary(result, "/u").startsWith("Took 2 of 5 samples from /u"));

    const UpowerImport::Result again = UpowerImport::run(context, upower());
    EXPECT_EQ(again.taken, 0) << "nothing twice";
    EXPECT_EQ(all().size(), 4);
}

TEST_F(UpowerImportTest, UnreadableFilesAreNamedAndLoseNothingElse) {
    writeFile(upower() + "/history-charge-a.dat", "1000\t80\tdischarging\n");
    writeFile(upower() + "/history-charge-b.dat", "2000\t50\tdischarging\n");
    QFile::setPermissions(upower() + "/history-charge-b.dat", QFileDevice::Permissions());
    const UpowerImport::Result result = UpowerImport::run(context, upower());
    if (::geteuid() != 0) {
        ASSERT_EQ(result.errors.size(), 1);
        EXPECT_TRUE(result.errors[0].contains("history-charge-b.dat"));
    }
    EXPECT_GE(result.taken, 1);
    EXPECT_FALSE(UpowerImport::hasHistory(dir.filePath("nowhere")));
}

// One history per battery: interleaved, two batteries' levels would read as a sawtooth, so the
// battery in use (the newest history) is taken and the others are named in the summary.
TEST_F(UpowerImportTest, OnlyTheNewestBatterysHistoryIsTaken) {
    writeFile(upower() + "/history-charge-old.dat",
              "1000\t95\tdischarging\n1060\t90\tdischarging\n1120\t85\tdischarging\n");
    writeFile(upower() + "/history-charge-new.dat",
              "1030\t40\tdischarging\n1090\t30\tdischarging\n1150\t20\tdischarging\n");
    const UpowerImport::Result result = UpowerImport::run(context, upower());
    EXPECT_EQ(result.otherBatteries, 1);
    EXPECT_EQ(result.taken, 3);
    QList<float> levels;
    for (const Event& e : all())
        levels.append(e.batteryLevel);
    EXPECT_EQ(levels, (QList<float>{0.4f, 0.3f, 0.2f}));
    EXPECT_TRUE(UpowerImport::summary(result, upower()).contains("1 other batteries"));
}
