#include "AmpelioGraphController.h"
#include "CustomCalloutView.h"
#include "EventGraphObject.h"
#include "FakeGraphSource.h"
#include "GraphView.h"
#include "LogHandlerFixture.h"
#include "MainScreen.h"
#include "ManagedObjectContext.h"
#include "ScrollView.h"
#include "StoreEvents.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {
// A year of samples every 10 minutes: a charge cycle a day, discharging from full to 20 %
// over 20 hours, then charging for 4; the state follows.
struct YearOfCycles {
    QList<Event> events;
    explicit YearOfCycles(double now) {
        for (double t = now - 365 * 86400.0; t < now; t += 600) {
            const double hour = std::fmod(t - now + 400 * 86400.0, 86400.0) / 3600.0;
            const bool charging = hour >= 20;
            const double level = charging ? 0.2 + (hour - 20) * 0.2 : 1.0 - hour * 0.04;
            events.append(Event{0, t, static_cast<float>(level), charging ? 2 : 1});
        }
    }
    void save(BatteryLogHandler& handler) const {
        ManagedObjectContext* context = handler.managedObjectContext();
        for (const Event& e : events)
            context->insertNewEvent(e.creationDate, e.batteryLevel, e.batteryState);
        context->save(nullptr);
    }
};

class GraphAtEveryScaleTest : public LogHandlerFixture {
protected:
    void SetUp() override {
        MainScreen::setIdiom(UserInterfaceIdiom::Phone);
        handler = makeHandler();
        controller = std::make_unique<AmpelioGraphController>(*handler);
        controller->view();
    }
    void TearDown() override { controller.reset(); }

    GraphView& graph() { return *controller->graphView(); }
    ScrollView& scroll() { return *controller->scrollView(); }
    void foldZoom(float scale) { controller->scrollViewDidEndZooming(&scroll(), &graph(), scale); }
    // The window after a 1-point scroll there and back: what the log should have been told.
    std::pair<int, int> settledWindow() {
        const QPointF at = scroll().contentOffset();
        scroll().setContentOffset(at + QPointF(1, 0));
        scroll().setContentOffset(at);
        return {handler->visibleBeginDate(), handler->visibleEndDate()};
    }

    std::unique_ptr<BatteryLogHandler> handler;
    std::unique_ptr<AmpelioGraphController> controller;
};
} // namespace

// Zoomed out to a month a screen, every pixel column of a tile spans the levels its samples
// reach, and every state change of the tile's window is among the drawn samples.
TEST_F(GraphAtEveryScaleTest, AZoomedOutYearShowsEveryCycle) {
    const YearOfCycles year(clock.now());
    year.save(*handler);
    foldZoom(1.0f / 32);
    ASSERT_FLOAT_EQ(graph().zoomScale(), 1.0f / 32);
    const QRectF clip(1536, 0, GraphView::tileWidth, GraphView::tileHeight);
    const QImage tile = renderTile(graph(), clip);
    int columnsChecked = 0;
    for (int x = 0; x < tile.width(); ++x) {
        const double from = clock.now() + graph().pixelsToOriginSecs(clip.x() + x);
        const double to = clock.now() + graph().pixelsToOriginSecs(clip.x() + x + 1);
        float low = 2;
        float high = -1;
        for (const Event& e : year.events) {
            if (e.creationDate >= from && e.creationDate < to) {
                low = std::min(low, e.batteryLevel);
                high = std::max(high, e.batteryLevel);
            }
        }
        if (high < 0)
            continue;
        int top = tile.height();
        int bottom = -1;
        for (int y = 0; y < tile.height(); ++y) {
            if (qAlpha(tile.pixel(x, y)) > 64) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        const float yHigh = graph().yValueToPixels(high, 1.0f);
        const float yLow = graph().yValueToPixels(low, 1.0f);
        ASSERT_LE(top, yHigh + 3) << "column " << x;
        ASSERT_GE(bottom, yLow - 3) << "column " << x;
        ++columnsChecked;
    }
    EXPECT_GT(columnsChecked, 250);

    const float fromSecs = graph().pixelsToOriginSecs(clip.left());
    const float toSecs = graph().pixelsToOriginSecs(clip.right());
    const GraphData drawn = controller->dataFetch()(fromSecs, toSecs, 256);
    QList<double> drawnDates;
    for (const GraphDataObjectPtr& object : drawn)
        drawnDates.append(object->valueForKey(QStringLiteral("creationDate")).toDouble());
    int changes = 0;
    for (qsizetype i = 1; i < year.events.size(); ++i) {
        const Event& e = year.events[i];
        if (e.creationDate <= clock.now() + fromSecs || e.creationDate >= clock.now() + toSecs ||
            e.batteryState == year.events[i - 1].batteryState)
            continue;
        EXPECT_TRUE(drawnDates.contains(e.creationDate)) << "state change at " << e.creationDate;
        ++changes;
    }
    EXPECT_GT(changes, 40); // two a day over the tile's month
}

TEST_F(GraphAtEveryScaleTest, TheLogLearnsTheFinalWindowOfEveryZoom) {
    for (const float scale : {0.5f, 4.0f, 1.0f / 64, 10000.0f}) { // the last two are clamped
        SCOPED_TRACE(scale);
        QSignalSpy announced(controller.get(), &AmpelioGraphController::visibleRangeChanged);
        foldZoom(scale);
        EXPECT_FALSE(announced.isEmpty());
        const std::pair<int, int> reported{handler->visibleBeginDate(), handler->visibleEndDate()};
        EXPECT_EQ(reported, settledWindow());
    }
    // A double tap animates a zoom and folds it at its end.
    controller->gotDoubleTapAtPoint(QPointF(graph().boundsSize().width() - 200, 200));
    ASSERT_TRUE(scroll().isZoomAnimating());
    QSignalSpy ended(&scroll(), &ScrollView::didEndZooming);
    ASSERT_TRUE(ended.wait(2000));
    const std::pair<int, int> reported{handler->visibleBeginDate(), handler->visibleEndDate()};
    EXPECT_EQ(reported, settledWindow());
}

TEST_F(GraphAtEveryScaleTest, MidZoomTheWindowCountsTheScaledMarginBeyondNow) {
    scroll().zoomAbout(0.5f, QPointF(160, 200));
    const std::pair<int, int> live{handler->visibleBeginDate(), handler->visibleEndDate()};
    scroll().endZooming();
    // The fold changes the picture's scale, not what it shows.
    const std::pair<int, int> folded = settledWindow();
    EXPECT_NEAR(folded.first, live.first, 1200);
    EXPECT_NEAR(folded.second, live.second, 1200);
}

TEST_F(GraphAtEveryScaleTest, TilesKeepComingDuringAPinchOutwards) {
    QWidget* root = controller->view();
    root->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(root));
    graph().repaint();
    TiledLayer& layer = graph().tiledLayer();
    QSignalSpy idle(&layer, &TiledLayer::idle);
    if (layer.pendingTileCount() > 0) {
        ASSERT_TRUE(idle.wait(5000));
    }
    const int before = layer.cachedTileCount();
    scroll().zoomAbout(0.25f, QPointF(160, 200)); // mid-pinch: four times as much on screen
    graph().repaint();
    EXPECT_GT(layer.pendingTileCount(), 0);
    ASSERT_TRUE(idle.wait(5000));
    EXPECT_GT(layer.cachedTileCount(), before);
}

TEST_F(GraphAtEveryScaleTest, ATouchTapOnTheCalloutClosesItAndOpensNoOther) {
    saveEvent(*handler, clock.now() - 7200, 0.8f, 1);
    const Event tapped = saveEvent(*handler, clock.now() - 3600, 0.5f, 1);
    const EventGraphObject drawn(tapped);
    const QPointF at(graph().getXCord(drawn), graph().getYCord(drawn, "batteryLevel"));
    const auto tap = [&](const QPointF& point) {
        graph().touchesEnded({Touch{point, 1}}, 1);
        graph().handleSingleTap();
    };
    const auto open = [&] {
        int n = 0;
        for (CustomCalloutView* c : graph().findChildren<CustomCalloutView*>())
            n += c->isOpen() ? 1 : 0;
        return n;
    };
    tap(at);
    ASSERT_EQ(open(), 1);
    CustomCalloutView* callout = graph().findChild<CustomCalloutView*>();
    tap(callout->frame().center()); // on the bubble, over the samples
    EXPECT_EQ(open(), 0);
    EXPECT_EQ(graph().findChildren<CustomCalloutView*>().size(), 1);

    tap(at);
    ASSERT_EQ(open(), 1);
    tap(at + QPointF(-150, 100)); // elsewhere, far from any sample
    EXPECT_EQ(open(), 0);
}
