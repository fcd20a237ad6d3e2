#include "HistoryViewController.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "HistoryListModel.h"
#include "LogHandlerFixture.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {
class HistoryViewControllerTest : public LogHandlerFixture {
protected:
    HistoryViewControllerTest() : LogHandlerFixture(1765195200.0) {} // 2025-12-08 12:00 UTC
    BatteryLogHandler handler{device, home.dataDir(), defaults};
    HistoryViewController controller{handler};

    void SetUp() override { controller.resize(320, 411); }
    void store(double age, float level, int state) {
        handler.managedObjectContext()->insertNewEvent(clock.now() - age, level, state);
        handler.managedObjectContext()->save(nullptr);
    }
};
} // namespace

TEST_F(HistoryViewControllerTest, ExportsTheWholeLogNewestFirst) {
    EXPECT_EQ(controller.csvData(), "Time,State,Level\n") << "before the view was ever shown";
    store(120, 0.5f, 1);
    store(60, 1.0f, 3);
    store(0, 0.25f, 5);
    const QStringList lines = controller.csvData().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[1].endsWith(",,0.25")) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[2].endsWith(",State: Battery Full,1.00")) << qPrintable(lines[2]);
    EXPECT_TRUE(lines[3].startsWith("\"12/8/25, 11:58")) << qPrintable(lines[3]);
    EXPECT_EQ(lines[4], "");
}

TEST_F(HistoryViewControllerTest, AddButtonTakesASampleThatAppearsAtTheTop) {
    controller.show();
    HistoryListModel* model = controller.model();
    ASSERT_NE(model, nullptr);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    battery->platformLevel = 0.6f;
    battery->currentState = BatteryStateUnplugged;
    controller.addButton()->click();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 0);
    EXPECT_EQ(model->data(model->index(0), HistoryListModel::DetailTextRole).toString(),
              "Charge: 60%  State: Running from Battery");
    clock.advance(60);
    controller.addButton()->click(); // nothing changed: dropped, the list stays
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(model->rowCount(), 1);
}

TEST_F(HistoryViewControllerTest, EditTogglesAndRowsAre45High) {
    controller.show();
    controller.editButton()->click();
    EXPECT_EQ(controller.editButton()->text(), "Done");
    controller.editButton()->click();
    EXPECT_EQ(controller.editButton()->text(), "Edit");
    store(10, 0.5f, 1);
    controller.model()->reload();
    EXPECT_EQ(controller.tableView()->sizeHintForRow(0), 45);
}

// Edit mode deletes through the log: the row goes, the graph hears of it, and the sample stays
// gone when the log is opened again. Outside edit mode neither the control's place nor the
// Delete key removes anything.
TEST_F(HistoryViewControllerTest, EditModeDeletesSamplesForGood) {
    store(180, 0.7f, 1);
    store(120, 0.6f, 1);
    store(60, 0.5f, 1);
    controller.show();
    HistoryListModel* model = controller.model();
    ASSERT_EQ(model->rowCount(), 3);
    QListView* list = controller.tableView();
    QSignalSpy deleted(&handler, &BatteryLogHandler::dataDeleted);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      controller.deleteControlRect(1).center());
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(model->rowCount(), 3) << "not editing: nothing is deleted";

    controller.editButton()->click();
    ASSERT_TRUE(controller.isEditing());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      controller.deleteControlRect(1).center());
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_FLOAT_EQ(model->eventAt(0).batteryLevel, 0.5f);
    EXPECT_FLOAT_EQ(model->eventAt(1).batteryLevel, 0.7f) << "the middle sample went";

    list->setCurrentIndex(model->index(0));
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_FLOAT_EQ(model->eventAt(0).batteryLevel, 0.7f);
    EXPECT_EQ(list->currentIndex().row(), 0) << "the selection moves to the next sample";

    BatteryLogHandler reopened(device, home.dataDir(), defaults);
    EXPECT_EQ(reopened.managedObjectContext()->savedCount(), 1);
}

TEST_F(HistoryViewControllerTest, AddingSaysWhetherASampleWasAdded) {
    controller.show();
    QSignalSpy messages(&controller, &HistoryViewController::statusMessage);
    battery->platformLevel = 0.6f;
    battery->currentState = BatteryStateUnplugged;
    controller.addButton()->click();
    clock.advance(60);
    controller.addButton()->click();
    ASSERT_EQ(messages.count(), 2);
    EXPECT_EQ(messages.at(0).at(0).toString(), "Sample added");
    EXPECT_EQ(messages.at(1).at(0).toString(), "Level and state unchanged; nothing to add");
}

// A file the user picked gets the same bytes as the mail attachment, and a place that cannot
// be written is reported rather than taken for a success.
TEST_F(HistoryViewControllerTest, SavesTheCsvToAFileOrSaysWhyNot) {
    store(60, 0.5f, 1);
    const QString path = home.dataDir() + "/export.csv";
    QString error;
    ASSERT_TRUE(controller.saveCsv(path, &error)) << qPrintable(error);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), controller.csvData());
    EXPECT_FALSE(controller.saveCsv(home.dataDir() + "/no/such/folder/export.csv", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(HistoryViewControllerTest, Screenshot) {
    for (int i = 0; i < 12; ++i)
        store(600.0 * i, 1.0f - 0.05f * static_cast<float>(i), i < 3 ? 2 : 1);
    controller.show();
    const QImage image = controller.grab().toImage();
    ASSERT_EQ(image.size(), QSize(320, 411));
    // Below the 44-point title bar, every 45-point row carries its black date line.
    for (int row = 0; row < 8; ++row) {
        int dark = 0;
        for (int y = 44 + 45 * row; y < 44 + 45 * row + 25; ++y)
            for (int x = 10; x < 200; ++x)
                dark += image.pixelColor(x, y).value() < 60 ? 1 : 0;
        EXPECT_GT(dark, 100) << "row " << row;
    }
    saveScreenshot(image, "history");
}
