#include "DemoGraphController.h"
#include "GraphView.h"
#include "MainScreen.h"
#include "ScrollView.h"
#include "TestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {
constexpr double kNow = 1.8e9;

class ScrollingGraphViewControllerTest : public ::testing::Test {
protected:
    FakeClock clock{kNow};
    std::shared_ptr<SyntheticBatteryCurve> curve =
        std::make_shared<SyntheticBatteryCurve>(kNow - 60, 3, 600);

    void SetUp() override {
        MainScreen::setIdiom(UserInterfaceIdiom::Phone);
        MainScreen::setLandscape(false);
    }
    void TearDown() override { SetUp(); }

    std::unique_ptr<DemoGraphController> make(bool reversed = false) {
        auto controller = std::make_unique<DemoGraphController>(
            curve, DemoGraphController::Options{false, reversed, false});
        controller->view();
        return controller;
    }
};
} // namespace

TEST_F(ScrollingGraphViewControllerTest, PhoneOpensAtTheRightEndOfAYear) {
    auto c = make();
    EXPECT_EQ(c->scrollView()->contentSize(), QSizeF(116800, 416));
    EXPECT_EQ(c->scrollView()->contentOffset(), QPointF(116480, 0));
    EXPECT_EQ(c->graphView()->frame(), QRectF(0, 0, 116800, 416));
    EXPECT_EQ(c->scrollView()->geometry(), QRect(0, 0, 320, 416));
    EXPECT_EQ(c->view()->geometry(), QRect(0, 0, 320, 416));
    EXPECT_FLOAT_EQ(c->scrollView()->minimumZoomScale(), 0.03125f);
    EXPECT_FLOAT_EQ(c->scrollView()->maximumZoomScale(), 32.1f);
    EXPECT_EQ(c->graphView()->parentWidget(), c->scrollView());
    EXPECT_EQ(c->scrollView()->parentWidget(), c->view()); // above the background
}

TEST_F(ScrollingGraphViewControllerTest, ReversedGraphOpensAtTheLeftEnd) {
    auto c = make(true);
    EXPECT_TRUE(c->graphView()->REVERSED());
    EXPECT_EQ(c->scrollView()->contentOffset(), QPointF(0, 0));
}

TEST_F(ScrollingGraphViewControllerTest, TabletLayoutFollowsTheOrientation) {
    MainScreen::setIdiom(UserInterfaceIdiom::Pad);
    auto c = make();
    EXPECT_EQ(c->graphView()->frame().height(), 960);
    EXPECT_EQ(c->scrollView()->geometry(), QRect(0, 0, 768, 960));
    c->graphView()->tiledLayer().threadPool().waitForDone();
    const quint64 generation = c->graphView()->tiledLayer().generation();
    MainScreen::setLandscape(true);
    c->didRotateFromInterfaceOrientation();
    EXPECT_EQ(c->graphView()->frame().height(), 704);
    EXPECT_EQ(c->scrollView()->geometry(), QRect(0, 0, 1024, 704));
    EXPECT_EQ(c->view()->geometry(), QRect(0, 0, 1024, 704));
    EXPECT_GT(c->graphView()->tiledLayer().generation(), generation); // tiles discarded
    EXPECT_EQ(c->graphView()->tiledLayer().cachedTileCount(), 0);
}

TEST_F(ScrollingGraphViewControllerTest, RefreshDelayIsFivePointsOfGraphWidth) {
    auto c = make();
    EXPECT_DOUBLE_EQ(c->updateTimerDelaySeconds(), 1350.0);
    EXPECT_TRUE(c->updateTimerActive());
    c->scrollViewDidEndZooming(c->scrollView(), c->graphView(), 2.0f);
    EXPECT_DOUBLE_EQ(c->updateTimerDelaySeconds(), 675.0);
    c->stopUpdateTimer();
    EXPECT_FALSE(c->updateTimerActive());
    c->updateGraph(); // off screen: only re-arms
    EXPECT_TRUE(c->updateTimerActive());
}

TEST_F(ScrollingGraphViewControllerTest, ShowingStartsTheTimerAndHidingStopsIt) {
    auto c = make();
    c->stopUpdateTimer();
    c->view()->show();
    EXPECT_TRUE(c->updateTimerActive());
    c->view()->hide();
    EXPECT_FALSE(c->updateTimerActive());
}

TEST_F(ScrollingGraphViewControllerTest, FoldingAPinchKeepsNowInPlace) {
    auto c = make();
    ScrollView* scroll = c->scrollView();
    scroll->setZoomScale(2.0f);
    const QPointF before = scroll->contentOffset();
    c->scrollViewDidEndZooming(scroll, c->graphView(), scroll->zoomScale());
    EXPECT_FLOAT_EQ(scroll->zoomScale(), 1.0f);
    EXPECT_FLOAT_EQ(scroll->minimumZoomScale(), 0.015625f);
    EXPECT_FLOAT_EQ(scroll->maximumZoomScale(), 16.05f);
    EXPECT_FLOAT_EQ(c->graphView()->zoomScale(), 2.0f);
    EXPECT_EQ(c->graphView()->frame(), QRectF(0, 0, 233600, 416));
    EXPECT_EQ(c->graphView()->transform(), QTransform());
    EXPECT_EQ(scroll->contentSize(), QSizeF(233600, 416));
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x(), before.x() + 120);
    EXPECT_FALSE(c->amZooming());
}

TEST_F(ScrollingGraphViewControllerTest, FoldingAPinchOnAReversedGraphMovesTheOtherWay) {
    auto c = make(true);
    ScrollView* scroll = c->scrollView();
    scroll->setContentOffset(QPointF(5000, 0));
    scroll->setZoomScale(2.0f);
    const QPointF before = scroll->contentOffset();
    c->scrollViewDidEndZooming(scroll, c->graphView(), scroll->zoomScale());
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x(), before.x() - 120);
}

TEST_F(ScrollingGraphViewControllerTest, ScrollNotificationsDuringFoldingSeeAmZooming) {
    auto c = make();
    QList<bool> seen;
    QObject::connect(c->scrollView(), &ScrollView::didScroll, [&] { seen.append(c->amZooming()); });
    c->scrollViewDidEndZooming(c->scrollView(), c->graphView(), 1.5f);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_FALSE(seen.contains(false));
}

TEST_F(ScrollingGraphViewControllerTest, ZoomIsClampedToTheOverallLimits) {
    auto c = make();
    c->scrollViewDidEndZooming(c->scrollView(), c->graphView(), 64.0f);
    EXPECT_FLOAT_EQ(c->graphView()->zoomScale(), 32.1f);
    EXPECT_FLOAT_EQ(c->scrollView()->maximumZoomScale(), 1.0f);
    c->scrollViewDidEndZooming(c->scrollView(), c->graphView(), 1.0f / 4096);
    EXPECT_FLOAT_EQ(c->graphView()->zoomScale(), 0.03125f);
    EXPECT_FLOAT_EQ(c->scrollView()->minimumZoomScale(), 1.0f);
}

TEST_F(ScrollingGraphViewControllerTest, ClampedZoomStillKeepsNowWhereItWasOnScreen) {
    auto c = make();
    c->scrollViewDidEndZooming(c->scrollView(), c->graphView(), 16.0f);
    ScrollView* scroll = c->scrollView();
    GraphView* graph = c->graphView();
    // A pinch that overshoots the limit: the graph only grows from 16 to 32.1.
    graph->setTransform(QTransform::fromScale(4, 4));
    scroll->setContentSize(graph->frame().size());
    const double nowInPinch = graph->secsToOriginPixels(0) * 4;
    scroll->setContentOffset(QPointF(nowInPinch - 200, 0));
    c->scrollViewDidEndZooming(scroll, graph, 4.0f);
    EXPECT_FLOAT_EQ(graph->zoomScale(), 32.1f);
    EXPECT_NEAR(graph->secsToOriginPixels(0) - scroll->contentOffset().x(), 200, 0.5);
}

TEST_F(ScrollingGraphViewControllerTest, ZoomRectangleIsCentredOnTheTap) {
    auto c = make();
    EXPECT_EQ(c->zoomRectForScale(2.0f, QPointF(1000, 200)), QRectF(920, 96, 160, 208));
    EXPECT_EQ(c->zoomRectForScale(0.5f, QPointF(1000, 200)), QRectF(680, -216, 640, 832));
}

TEST_F(ScrollingGraphViewControllerTest, DoubleTapZoomsInAndTwoFingerTapZoomsOut) {
    auto c = make();
    QSignalSpy ended(c->scrollView(), &ScrollView::didEndZooming);
    c->gotDoubleTapAtPoint(QPointF(116000, 200));
    EXPECT_TRUE(c->scrollView()->isZoomAnimating());
    ASSERT_TRUE(ended.wait(2000));
    EXPECT_FLOAT_EQ(c->graphView()->zoomScale(), 2.0f);
    c->gotTwoFingerTapAtPoint(QPointF(232000, 200));
    ASSERT_TRUE(ended.wait(2000));
    EXPECT_FLOAT_EQ(c->graphView()->zoomScale(), 1.0f);
}

TEST_F(ScrollingGraphViewControllerTest, ShownGraphDrawsItsTilesInPlaceOverTheGrid) {
    auto c = make();
    TiledLayer& layer = c->graphView()->tiledLayer();
    QSignalSpy idle(&layer, &TiledLayer::idle);
    c->view()->grab(); // the first paint schedules the visible tiles
    ASSERT_TRUE(idle.wait(5000));
    const QImage screen = c->view()->grab().toImage();
    // The newest sample, a minute old, sits just left of "now" at 320 - 120 = 200.
    const float level = curve->samples().back().level;
    const int y = static_cast<int>(379 - level * 359);
    EXPECT_LT(screen.pixelColor(199, y).red(), 140) << "curve at " << y;
    EXPECT_EQ(screen.pixelColor(230, y), screen.pixelColor(300, y)) << "nothing beyond now";
    // The tick of "now" is a long one: from 409 up to 402.
    EXPECT_LT(screen.pixelColor(200, 403).red(), 230);
    EXPECT_EQ(screen.pixelColor(206, 403).red(), 255);
}

TEST_F(ScrollingGraphViewControllerTest, GraphWithoutATimeScaleIsNotRedrawnInABusyLoop) {
    struct NoRange : DemoGraphController {
        using DemoGraphController::DemoGraphController;
        float xRange() const override { return 0; }
    };
    NoRange c(curve, {});
    c.view();
    EXPECT_DOUBLE_EQ(c.updateTimerDelaySeconds(), 0.0);
    EXPECT_FALSE(c.updateTimerActive());
}
