#include "AmpelioGraphController.h"
#include "CustomCalloutView.h"
#include "DecorationsView.h"
#include "EventGraphObject.h"
#include "FadingLabel.h"
#include "GraphBubbleView.h"
#include "GraphScreen.h"
#include "GraphView.h"
#include "LogHandlerFixture.h"
#include "MainScreen.h"
#include "ScrollView.h"
#include "StoreEvents.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {
class AmpelioGraphControllerTest : public LogHandlerFixture {
protected:
    void SetUp() override {
        MainScreen::setIdiom(UserInterfaceIdiom::Phone);
        MainScreen::setLandscape(false);
        handler = makeHandler();
        controller = std::make_unique<AmpelioGraphController>(*handler);
    }
    void TearDown() override {
        controller.reset();
        MainScreen::setIdiom(UserInterfaceIdiom::Phone);
        MainScreen::setLandscape(false);
    }

    double now() const { return clock.now(); }
    QList<double> dates(const GraphData& data) const {
        QList<double> result;
        for (const GraphDataObjectPtr& object : data)
            result.append(object->valueForKey(QStringLiteral("creationDate")).toDouble());
        return result;
    }
    void showAndWaitForTiles() {
        controller->view()->show();
        controller->graphView()->repaint();
        TiledLayer& layer = controller->graphView()->tiledLayer();
        QSignalSpy idle(&layer, &TiledLayer::idle);
        if (layer.pendingTileCount() > 0) {
            ASSERT_TRUE(idle.wait(5000));
        }
    }

    std::unique_ptr<BatteryLogHandler> handler;
    std::unique_ptr<AmpelioGraphController> controller;
};
} // namespace

TEST_F(AmpelioGraphControllerTest, AnEmptyLogGivesNothing) {
    EXPECT_TRUE(controller->dataFromX(-86400, 0).isEmpty());
}

TEST_F(AmpelioGraphControllerTest, AFullWindowIsThinnedAcrossItsWholeSpan) {
    saveEvent(*handler, now() - 90000, 0.9f, 1);
    for (int i = 0; i < 450; ++i) // a dip to 0.1 among the newest samples
        saveEvent(*handler, now() - 80000 + i * 100, i == 440 ? 0.1f : 0.5f, 1);
    saveEvent(*handler, now() - 1800, 0.4f, 1);

    // Either order of the bounds.
    const GraphData data = controller->dataFromX(-3600, -86400);
    const QList<double> got = dates(data);
    EXPECT_LE(got.size(), 402);
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    EXPECT_EQ(got.first(), now() - 90000);
    EXPECT_EQ(got[1], now() - 80000);
    EXPECT_TRUE(got.contains(now() - 80000 + 440 * 100)); // the dip is drawn
    EXPECT_EQ(got[got.size() - 2], now() - 80000 + 449 * 100);
    EXPECT_EQ(got.last(), now() - 1800);

    // Tiles name their columns: two per column at most, whatever the window holds.
    const GraphData tile = controller->dataFetch()(-3600, -86400, 20);
    EXPECT_LE(tile.size(), 2 + 2 * 20 + 2);
}

TEST_F(AmpelioGraphControllerTest, AnEmptyWindowGivesItsTwoNeighboursAndBoundsAreStrict) {
    saveEvent(*handler, now() - 20000, 0.9f, 1);
    saveEvent(*handler, now() - 10000, 0.8f, 1); // exactly on the older bound
    saveEvent(*handler, now() - 5000, 0.7f, 1);  // exactly on the newer bound
    saveEvent(*handler, now() - 1000, 0.6f, 1);
    EXPECT_EQ(dates(controller->dataFromX(-10000, -5000)),
              (QList<double>{now() - 20000, now() - 1000}));
}

TEST_F(AmpelioGraphControllerTest, FixedAnswersBadgesAndTabItem) {
    EXPECT_EQ(controller->xWholeValueRange(), 31536000.0f);
    EXPECT_EQ(controller->xRange(), 31536000.0f);
    EXPECT_EQ(controller->xDefaultScreenValueRange(), 86400.0f);
    EXPECT_EQ(controller->yRange(QStringLiteral("anything")), 1.0f);
    EXPECT_EQ(controller->xKey(), QStringLiteral("creationDate"));
    EXPECT_EQ(controller->yKeys(), QStringList{QStringLiteral("batteryLevel")});
    EXPECT_EQ(controller->yBottomClearance(), 0.0f);
    EXPECT_EQ(controller->xAxisReversed(), false);
    EXPECT_EQ(controller->supportedInterfaceOrientations(), 30);

    const StateBadgeTable table = controller->stateChangeNewStateBadge().value();
    ASSERT_EQ(table.size(), 1);
    EXPECT_EQ(table.first().attribute, QStringLiteral("batteryState"));
    EXPECT_EQ(table.first().imageForValue.keys(), (QList<double>{1, 2, 3}));
    for (const QImage& badge : table.first().imageForValue) {
        EXPECT_EQ(badge.deviceIndependentSize(), QSizeF(29, 29));
        EXPECT_EQ(badge.devicePixelRatio(), 2.0); // sharp on high-density screens
    }
    EXPECT_NE(controller->imageCharging(), controller->imageFull());

    const TabBarItem item = controller->tabBarItem();
    EXPECT_EQ(item.title, QStringLiteral("Graph"));
    EXPECT_FALSE(item.icon.isNull());
    EXPECT_EQ(item.tag, 0);
}

TEST_F(AmpelioGraphControllerTest, EveryScrollReportsTheVisibleWindow) {
    controller->view();
    // A 320-point phone at the right end at zoom 1: content 116800, offset 116480.
    EXPECT_EQ(handler->visibleBeginDate(), 54000);
    EXPECT_EQ(handler->visibleEndDate(), -32400);
    EXPECT_TRUE(handler->fromDateIsNow());

    ScrollView* scroll = controller->scrollView();
    QSignalSpy announced(controller.get(), &AmpelioGraphController::visibleRangeChanged);
    scroll->setContentOffset(QPointF(116480 - 320, 0));
    EXPECT_EQ(handler->visibleBeginDate(), 140400);
    EXPECT_EQ(handler->visibleEndDate(), 54000);
    ASSERT_EQ(announced.size(), 1);
    EXPECT_EQ(announced.first(), (QVariantList{140400, 54000}));
    EXPECT_EQ(controller->visibleBeginAge(), 140400);
    EXPECT_EQ(controller->visibleEndAge(), 54000);

    controller->setAmZooming(true); // folding a zoom in: not reported
    scroll->setContentOffset(QPointF(1000, 0));
    EXPECT_EQ(handler->visibleBeginDate(), 140400);
    EXPECT_EQ(announced.size(), 1);
    controller->setAmZooming(false);
}

TEST_F(AmpelioGraphControllerTest, TheTimeLabelsSitOverTheBackgroundUnderTheGraph) {
    QWidget* root = controller->view();
    DecorationsView* labels = controller->decorationsView();
    ASSERT_TRUE(labels);
    EXPECT_EQ(labels->parentWidget(), root);
    EXPECT_EQ(labels->geometry(), QRect(0, 0, 320, 416));
    const QObjectList children = root->children();
    EXPECT_LT(children.indexOf(labels), children.indexOf(controller->scrollView()));
    EXPECT_EQ(labels->lastNHoursLabel()->text(), QStringLiteral("Last 1 day"));
}

TEST_F(AmpelioGraphControllerTest, ANewSampleRedrawsTheGraphAndTheLabels) {
    showAndWaitForTiles();
    const quint64 generation = controller->graphView()->tiledLayer().generation();
    controller->scrollView()->setContentOffset(QPointF(116480 - 320, 0));
    handler->setVisibleRange(86400, 0); // so that the labels have something new to show
    battery->setCharge(500, 1000);
    battery->currentState = BatteryStateUnplugged;
    handler->addEvent();
    EXPECT_GT(controller->graphView()->tiledLayer().generation(), generation);
    EXPECT_EQ(controller->decorationsView()->rangeLabel()->text(), QStringLiteral("1 day"));
    EXPECT_EQ(controller->decorationsView()->lastNHoursLabel()->text(),
              QStringLiteral("Last 1 day"));
}

TEST_F(AmpelioGraphControllerTest, ALogOutlivingTheScreenNoLongerCallsIt) {
    controller->view();
    controller.reset();
    handler->dataChanged(0); // would reach a destroyed controller and overlay
    SUCCEED();
}

TEST_F(AmpelioGraphControllerTest, TilesReadTheStoreFileNotTheLog) {
    saveEvent(*handler, now() - 600, 0.5f, 1);
    controller->view();
    const auto fetch = [this] { return controller->dataFromX(-3600, 0); };
    handler.reset(); // what a tile reads is fixed when the screen is built
    EXPECT_EQ(dates(fetch()), QList<double>{now() - 600});
    controller.reset();
}

TEST_F(AmpelioGraphControllerTest, TappingADrawnSampleOpensItsCalloutOnTheGraph) {
    battery->setCharge(700, 1400);
    saveEvent(*handler, now() - 7200, 1.0f, 3);
    saveEvent(*handler, now() - 5400, 0.9f, 1);
    const Event tapped = saveEvent(*handler, now() - 3600, 0.5f, 1);
    controller->view();
    GraphView* graph = controller->graphView();
    const EventGraphObject drawn(tapped);
    const QPointF at(graph->getXCord(drawn), graph->getYCord(drawn, "batteryLevel"));
    graph->touchesEnded({Touch{at + QPointF(3, 4), 1}}, 1);
    graph->handleSingleTap();

    const QList<CustomCalloutView*> callouts = graph->findChildren<CustomCalloutView*>();
    ASSERT_EQ(callouts.size(), 1);
    EXPECT_EQ(callouts.first()->location(), QRectF(at, QSizeF(230, 160)));
    const GraphBubbleView* bubble = callouts.first()->findChild<GraphBubbleView*>();
    ASSERT_TRUE(bubble);
    EXPECT_EQ(bubble->headerLabel()->text(), QStringLiteral("50.0% Battery"));
    EXPECT_TRUE(bubble->subHeader()->text().endsWith(QStringLiteral("Charge:  700 mAh")));
    EXPECT_EQ(bubble->contentValuesLabel()->text(),
              QStringLiteral("\n30 minutes \n-80.0% per hour"));
}

// Esc on the graph screen closes an open callout; with none open the key goes on to the window.
TEST_F(AmpelioGraphControllerTest, EscapeClosesTheOpenCallout) {
    const Event tapped = saveEvent(*handler, now() - 3600, 0.5f, 1);
    GraphScreen screen(*handler);
    GraphView* graph = screen.controller().graphView();
    const EventGraphObject drawn(tapped);
    const QPointF at(graph->getXCord(drawn), graph->getYCord(drawn, "batteryLevel"));
    graph->touchesEnded({Touch{at, 1}}, 1);
    graph->handleSingleTap();
    const QList<CustomCalloutView*> callouts = graph->findChildren<CustomCalloutView*>();
    ASSERT_EQ(callouts.size(), 1);
    ASSERT_TRUE(callouts.first()->isOpen());

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&screen, &escape);
    EXPECT_TRUE(escape.isAccepted());
    EXPECT_FALSE(callouts.first()->isOpen());
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&screen, &again);
    EXPECT_FALSE(again.isAccepted());
}

TEST_F(AmpelioGraphControllerTest, AReversedGraphReportsItsWindowFromTheLeftEnd) {
    defaults.setObject(QStringLiteral("xAxisLeftOrigin"), true);
    controller->view();
    EXPECT_TRUE(controller->graphView()->REVERSED());
    EXPECT_EQ(controller->scrollView()->contentOffset(), QPointF(0, 0));
    EXPECT_EQ(handler->visibleBeginDate(), -32400);
    EXPECT_EQ(handler->visibleEndDate(), 54000);
    EXPECT_TRUE(handler->fromDateIsNow());
}

TEST_F(AmpelioGraphControllerTest, RotatingATabletRefitsTheTimeLabels) {
    MainScreen::setIdiom(UserInterfaceIdiom::Pad);
    controller->view();
    EXPECT_EQ(controller->decorationsView()->geometry(), QRect(0, 0, 768, 960));
    MainScreen::setLandscape(true);
    controller->didRotateFromInterfaceOrientation();
    EXPECT_EQ(controller->decorationsView()->geometry(), QRect(0, 0, 1024, 704));
    EXPECT_EQ(controller->decorationsView()->fromTimeLabel()->geometry(), QRect(20, 484, 280, 200));
}

// Tiles read the saved log through contexts of their own: they finish while the main context
// is locked, never see its unsaved samples, and draw while the GUI thread keeps inserting.
TEST_F(AmpelioGraphControllerTest, TileThreadsNeverTouchTheMainContext) {
    for (int i = 0; i < 200; ++i)
        saveEvent(*handler, now() - 86400 + i * 400, 0.5f + 0.002f * static_cast<float>(i % 100),
                  1 + i % 3);
    showAndWaitForTiles();

    ManagedObjectContext* context = handler->managedObjectContext();
    context->insertNewEvent(now() - 30, 0.1f, 1); // pending, unsaved
    context->lock();
    TiledLayer& layer = controller->graphView()->tiledLayer();
    QSignalSpy idle(&layer, &TiledLayer::idle);
    controller->graphView()->setNeedsDisplay();
    controller->graphView()->repaint();
    EXPECT_TRUE(idle.wait(5000));
    const GraphFetch fetch = controller->dataFetch();
    const QFuture<GraphData> recent = QtConcurrent::run([fetch] { return fetch(-60, 0, 0); });
    EXPECT_EQ(dates(recent.result()), QList<double>{now() - 86400 + 199 * 400});
    context->unlock();
    context->save(nullptr);

    // Writers and tile threads at once.
    QFuture<void> readers = QtConcurrent::run([this, fetch] {
        for (int i = 0; i < 200; ++i) {
            const QList<double> got = dates(fetch(-86400, 0, 0));
            ASSERT_TRUE(std::is_sorted(got.begin(), got.end()));
        }
    });
    for (int i = 0; i < 100; ++i) {
        saveEvent(*handler, now() - 20 + i * 0.1, 0.2f, 2);
        if (i % 10 == 0) {
            controller->graphView()->setNeedsDisplay();
            controller->graphView()->repaint();
        }
    }
    readers.waitForFinished();
    if (layer.pendingTileCount() > 0) {
        EXPECT_TRUE(idle.wait(5000));
    }
    EXPECT_EQ(controller->dataFromX(-30, 0).size(), 1 + 100);
}
