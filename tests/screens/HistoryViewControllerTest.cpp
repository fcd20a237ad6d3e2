#include "HistoryViewController.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "HistoryListModel.h"
#include "LogHandlerFixture.h"
#include "ManagedObjectContext.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <QListView>
#include <QPushButton>
#include <QSignalSpy>

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
