#include "HistoryListModel.h"
#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {
class HistoryListModelTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    EventStore store{dir.filePath("Locations.sqlite")};
    ManagedObjectContext context{store};

    void addSaved(std::initializer_list<double> dates) {
        for (double t : dates)
            context.insertNewEvent(t, 0.5f, 1);
        context.save(nullptr);
    }
    static QList<double> dates(const HistoryListModel& model) {
        QList<double> out;
        for (int row = 0; row < model.rowCount(); ++row)
            out.append(model.eventAt(row).creationDate);
        return out;
    }
};
} // namespace

TEST_F(HistoryListModelTest, RowTextsInTheUserLocale) {
    context.insertNewEvent(1765195200.0, 0.85f, 1); // 2025-12-08 12:00 UTC
    context.insertNewEvent(1765195260.0, 1.0f, 5);
    context.insertNewEvent(1765195320.0, -1.0f, 0);
    context.save(nullptr);
    HistoryListModel model(context);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(2)).toString().left(12), "Dec 8, 2025,");
    EXPECT_EQ(model.data(model.index(2), HistoryListModel::DetailTextRole).toString(),
              "Charge: 85%  State: Running from Battery");
    EXPECT_EQ(model.data(model.index(1), HistoryListModel::DetailTextRole).toString(),
              "Charge: 100%  ")
        << "an unknown state has an empty text";
    EXPECT_EQ(model.data(model.index(0), HistoryListModel::DetailTextRole).toString(),
              "Charge: unknown  State: Unknown")
        << "an unknown level is no charge of -100%";
}

TEST_F(HistoryListModelTest, FollowsSavesByPositionWithoutResetting) {
    addSaved({100, 200, 300});
    HistoryListModel model(context);
    LogCapture log;
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);

    addSaved({400});
    ASSERT_EQ(inserts.count(), 1);
    EXPECT_EQ(inserts.at(0).at(1).toInt(), 0) << "a new sample arrives at the top";
    EXPECT_GE(model.millisecondsSinceInserted(0), 0);
    EXPECT_EQ(model.millisecondsSinceInserted(1), -1);

    const Event withdrawn = context.insertNewEvent(500, 0.1f, 1);
    context.deleteObject(withdrawn);
    context.save(nullptr);
    EXPECT_EQ(inserts.count(), 1) << "a withdrawn sample never shows";

    // Delete two and insert one in the middle in a single save.
    context.deleteObject(model.eventAt(1)); // 300
    context.deleteObject(model.eventAt(3)); // 100
    context.insertNewEvent(250, 0.2f, 2);
    context.save(nullptr);
    EXPECT_EQ(removals.count(), 2);
    EXPECT_EQ(removals.at(0).at(1).toInt(), 3) << "removed from the bottom up";
    EXPECT_EQ(removals.at(1).at(1).toInt(), 1);
    EXPECT_EQ(inserts.last().at(1).toInt(), 1);
    EXPECT_EQ(dates(model), (QList<double>{400, 250, 200}));
    EXPECT_EQ(resets.count(), 0);
    EXPECT_FALSE(log.contains("FAIL!")) << qPrintable(log.lines().join('\n'));
}

TEST_F(HistoryListModelTest, PagesThroughALargeLogInAnyOrder) {
    for (int i = 0; i < 5000; ++i)
        context.insertNewEvent(1000.0 + (i / 3), 0.5f, 1); // equal dates in threes
    context.save(nullptr);
    HistoryListModel model(context);
    ASSERT_EQ(model.rowCount(), 5000);
    const QList<Event> truth = context.savedPage(0, 5000);

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> row(0, 4999);
    for (int i = 0; i < 300; ++i) {
        const int r = row(rng);
        ASSERT_EQ(model.eventAt(r).objectId, truth[r].objectId) << "row " << r;
    }
    for (int r = 4999; r >= 4900; --r) // scrolling upwards from the bottom
        ASSERT_EQ(model.eventAt(r).objectId, truth[r].objectId) << "row " << r;
    for (int r = 2000; r < 2100; ++r) // and downwards
        ASSERT_EQ(model.eventAt(r).objectId, truth[r].objectId) << "row " << r;
    EXPECT_EQ(model.eventAt(5000).objectId, 0) << "out of range";
}
