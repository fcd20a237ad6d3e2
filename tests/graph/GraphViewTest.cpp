#include "GraphView.h"
#include "FakeGraphSource.h"
#include "MainScreen.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

#include <gtest/gtest.h>

namespace {
// The tile of the graph whose left edge is at x.
QRectF tileAt(qreal x) {
    return QRectF(x, 0, GraphView::tileWidth, GraphView::tileHeight);
}

constexpr double kNow = 1.8e9;

class GraphViewTest : public ::testing::Test {
protected:
    FakeClock clock{kNow};
    FakeGraphSource source;
    GraphView view{QRectF(0, 0, 3200, 416)};

    void SetUp() override { view.setGraphDelegate(&source); }

    QImage renderTile(const QRectF& clip) { return ::renderTile(view, clip); }
};

int alphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

// Rows in one column whose pixels are drawn at all.
QList<int> paintedRows(const QImage& image, int x, int fromRow, int toRow) {
    QList<int> rows;
    for (int y = fromRow; y <= toRow; ++y)
        if (alphaAt(image, x, y) > 64)
            rows.append(y);
    return rows;
}
} // namespace

TEST_F(GraphViewTest, MapsTimeWithNowBeforeTheFutureMargin) {
    EXPECT_FLOAT_EQ(view.pixelsToSecsFactor(), 270.0f);
    EXPECT_FLOAT_EQ(view.secsToOriginPixels(0), 3080.0f);
    EXPECT_FLOAT_EQ(view.secsToOriginPixels(-2700), 3070.0f);
    EXPECT_FLOAT_EQ(view.pixelsToOriginSecs(3080), 0.0f);
    EXPECT_FLOAT_EQ(view.pixelsToSecs(3200), 0.0f);
    EXPECT_FLOAT_EQ(view.secsToPixels(-270), 3199.0f);
}

TEST_F(GraphViewTest, ReversedPutsNowNearTheLeftAndThePastToTheRight) {
    view.setREVERSED(true);
    EXPECT_FLOAT_EQ(view.pixelOffset(), 0.0f);
    EXPECT_FLOAT_EQ(view.secsToOriginPixels(0), 120.0f);
    EXPECT_FLOAT_EQ(view.secsToOriginPixels(-2700), 130.0f);
    EXPECT_FLOAT_EQ(view.pixelsToOriginSecs(130), -2700.0f);
}

TEST_F(GraphViewTest, MapsValuesBetweenTheBottomMarginAndTheTop) {
    EXPECT_FLOAT_EQ(view.yValueToPixels(0, 1), 379.0f);
    EXPECT_FLOAT_EQ(view.yValueToPixels(1, 1), 20.0f);
    EXPECT_FLOAT_EQ(view.yValueToPixels(50, 100), 199.5f);
    source.clearance = 10.0f;
    EXPECT_FLOAT_EQ(view.yValueToPixels(0, 1), 369.0f);
    EXPECT_FLOAT_EQ(view.yValueToPixels(1, 1), 20.0f);
}

TEST_F(GraphViewTest, XCoordinateFollowsTheCurrentTime) {
    source.add(kNow - 2700, 0.5f);
    EXPECT_FLOAT_EQ(view.getXCord(*source.data[0]), 3070.0f);
    clock.advance(2700);
    EXPECT_FLOAT_EQ(view.getXCord(*source.data[0]), 3060.0f);
    EXPECT_FLOAT_EQ(view.getYCord(*source.data[0], "level"), 199.5f);
}

TEST_F(GraphViewTest, SecondsOnScreenFollowZoom) {
    EXPECT_FLOAT_EQ(view.secondsOnScreen(), 86400.0f);
    view.setZoomScale(0.5f);
    EXPECT_FLOAT_EQ(view.secondsOnScreen(), 172800.0f);
}

TEST_F(GraphViewTest, TransformKeepsOnlyTheHorizontalScaleAndDropsSubviews) {
    QPointer<QLabel> callout = new QLabel(QStringLiteral("callout"), &view);
    view.setTransform(QTransform::fromScale(3, 3));
    EXPECT_DOUBLE_EQ(view.transform().m11(), 3.0);
    EXPECT_DOUBLE_EQ(view.transform().m22(), 1.0);
    EXPECT_DOUBLE_EQ(view.transform().dx(), 0.0);
    EXPECT_EQ(view.frame().size(), QSizeF(9600, 416));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(callout.isNull());
}

TEST_F(GraphViewTest, SizeThatFitsScalesTheDefaultWidthOnly) {
    MainScreen::setIdiom(UserInterfaceIdiom::Phone);
    EXPECT_EQ(GraphView::defaultSize(86400), QSizeF(320, 396));
    source.range = 31536000;
    view.setZoomScale(2);
    EXPECT_EQ(view.sizeThatFits(), QSizeF(233600, 396));
}

TEST_F(GraphViewTest, EmptyWindowLogsAndLeavesTheTileEmpty) {
    LogCapture log;
    const QImage tile = renderTile(tileAt(2944));
    ASSERT_TRUE(log.lines().contains(QStringLiteral("No record in dataSource\n\n")));
    for (int y = 0; y < tile.height(); ++y)
        for (int x = 0; x < tile.width(); ++x)
            ASSERT_EQ(alphaAt(tile, x, y), 0) << x << "," << y;
}

TEST_F(GraphViewTest, TileAsksForItsOwnWindowPlusTwelvePointsEachSide) {
    renderTile(tileAt(2816));
    const auto windows = source.windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_FLOAT_EQ(windows[0].first, view.pixelsToOriginSecs(2816 - 12));
    EXPECT_FLOAT_EQ(windows[0].second, view.pixelsToOriginSecs(2816 + GraphView::tileWidth + 12));
}

TEST_F(GraphViewTest, SingleObjectDrawsOnlyItsDot) {
    source.add(kNow - 27000, 0.5f); // x = 2980, y = 199.5
    const QImage tile = renderTile(tileAt(2944));
    EXPECT_GT(alphaAt(tile, 36, 199), 128); // the centre, inside the stroked ring
    EXPECT_GT(alphaAt(tile, 36 + 4, 199), 128);
    EXPECT_EQ(alphaAt(tile, 36 + 8, 199), 0); // ring radius 3 plus half of width 5
    EXPECT_EQ(alphaAt(tile, 36 - 8, 199), 0);
    EXPECT_EQ(alphaAt(tile, 36, 199 - 8), 0);
}

TEST_F(GraphViewTest, LineIsStrokedFiveWideWhateverTheLineSize) {
    source.add(kNow - 54000, 0.5f); // x = 2880
    source.add(kNow - 27000, 0.5f); // x = 2980
    const QImage tile = renderTile(tileAt(2816));
    const QList<int> rows = paintedRows(tile, 2930 - 2816, 150, 250);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.size(), 5) << rows.first() << ".." << rows.last();
    EXPECT_NEAR((rows.first() + rows.last()) / 2.0, 199.5, 1.0);
}

TEST_F(GraphViewTest, BarStyleDrawsVerticalBarsFromTheZeroLine) {
    source.type = 1;
    source.add(kNow - 27000, 0.5f); // x = 2980
    const QImage tile = renderTile(tileAt(2944));
    const QList<int> rows = paintedRows(tile, 36, 150, 390);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.first(), 199); // half of it: the bar ends at 199.5
    EXPECT_EQ(rows.last(), 378);
    EXPECT_EQ(rows.size(), 378 - 199 + 1);
    EXPECT_EQ(alphaAt(tile, 36 + 3, 300), 0); // 4 points wide by default
    EXPECT_GT(alphaAt(tile, 36 + 1, 300), 128);
}

TEST_F(GraphViewTest, BadgesAreCentredOnTheirPointsAndOnlyWhereTheStateChanges) {
    source.badges = StateBadgeTable{
        {QStringLiteral("state"), {{1.0, solidImage(Qt::red)}, {2.0, solidImage(Qt::blue)}}}};
    source.add(kNow - 54000, 0.5f, 1);           // first object: always a change, x = 2880
    source.add(kNow - 40500, 0.5f, 1);           // same state: no badge, x = 2930
    source.add(kNow - 27000, 0.25f, 2);          // x = 2980, y = 289.25
    source.add(kNow - 13500, 0.25f, QVariant()); // no value: no image, x = 3030
    const QImage tile = renderTile(tileAt(2816));
    auto isRed = [&](int x, int y) { return tile.pixelColor(x - 2816, y) == QColor(Qt::red); };
    auto isBlue = [&](int x, int y) { return tile.pixelColor(x - 2816, y) == QColor(Qt::blue); };
    // 29 points from x - 14.5 to x + 14.5.
    EXPECT_TRUE(isRed(2866, 186) && isRed(2893, 213));
    EXPECT_FALSE(isRed(2864, 199) || isRed(2896, 199) || isRed(2880, 183));
    EXPECT_FALSE(isRed(2930, 199));
    EXPECT_TRUE(isBlue(2966, 276) && isBlue(2993, 302));
    EXPECT_FALSE(isBlue(2964, 289) || isBlue(2996, 289));
}

TEST_F(GraphViewTest, HourTicksAtZoomOneWithLongerOnesEverySixHours) {
    source.add(kNow - 54000, 0.5f);
    const QImage tile = renderTile(tileAt(2944));
    // Now (x 3080) is a multiple of 6 hours: from 409 up to 402. An hour earlier: up to 404.
    EXPECT_EQ(paintedRows(tile, 3080 - 2944, 395, 410),
              (QList<int>{402, 403, 404, 405, 406, 407, 408}));
    const int hourBefore = static_cast<int>(3080 - 3600 / 270.0f) - 2944; // x 3066.67
    const QList<int> shortTick = paintedRows(tile, hourBefore, 395, 410);
    ASSERT_FALSE(shortTick.isEmpty());
    EXPECT_EQ(shortTick.first(), 404);
    EXPECT_EQ(shortTick.last(), 408);
    EXPECT_EQ(paintedRows(tile, 3080 - 2944 - 6, 395, 410), QList<int>{});
}

TEST_F(GraphViewTest, DayTicksAtHalfZoomSitAtWholeDaysInEveryTile) {
    view.setZoomScale(0.5f);
    source.range = 8640000; // 2700 seconds per point: a day is 32 points
    source.add(kNow - 8640000, 0.5f);
    // Two tiles whose left edges fall at different hours of the day.
    for (const qreal left : {2944.0, 2816.0 - 100}) {
        const QImage tile = renderTile(tileAt(left));
        for (int day = 0; day <= 7; ++day) {
            const int x = static_cast<int>(3080 - day * 32) - static_cast<int>(left);
            if (x < 1 || x >= 255)
                continue;
            const QList<int> rows = paintedRows(tile, x, 395, 410);
            ASSERT_FALSE(rows.isEmpty()) << "day " << day << " tile " << left;
            EXPECT_EQ(rows.first(), day == 0 || day == 7 ? 402 : 404) << "day " << day;
            EXPECT_EQ(paintedRows(tile, x + 16, 395, 410), QList<int>{}) << "half a day";
        }
    }
}

TEST_F(GraphViewTest, SingleTapSelectsTheNearestPointWithinFiftyPoints) {
    TapLog taps;
    taps.listen(view);
    source.add(kNow - 27000, 0.5f); // (2980, 199.5)
    source.add(kNow - 21600, 0.5f); // (3000, 199.5)
    view.touchesEnded({Touch{QPointF(2995, 199.5), 1}}, 1);
    view.handleSingleTap();
    ASSERT_EQ(taps.taps.size(), 1);
    EXPECT_EQ(taps.taps[0].first, "single");
    ASSERT_EQ(source.selected.size(), 1u);
    EXPECT_EQ(source.selected[0].object, source.data[1]);
    EXPECT_EQ(source.selected[0].location, QPointF(3000, 199.5));
    EXPECT_EQ(source.selected[0].key, "level");
}

TEST_F(GraphViewTest, PointExactlyFiftyPointsAwayIsNotSelected) {
    source.add(kNow - 27000, 0.5f); // (2980, 199.5)
    view.touchesEnded({Touch{QPointF(2980, 149.5), 1}}, 1);
    view.handleSingleTap();
    EXPECT_TRUE(source.selected.empty());
    view.touchesEnded({Touch{QPointF(2980, 149.75), 1}}, 1);
    view.handleSingleTap();
    EXPECT_EQ(source.selected.size(), 1u);
}

TEST_F(GraphViewTest, SharpTurnsOfAReversedLineAreBevelledNotSpiked) {
    view.setREVERSED(true);
    source.add(kNow - 27000, 0.5f);   // x = 220
    source.add(kNow - 13500, 0.501f); // x = 170: the line comes in from the right, the dot's
                                      // link leaves to the right again
    const QImage tile = renderTile(tileAt(0));
    EXPECT_GT(alphaAt(tile, 166, 199), 128); // the dot
    EXPECT_EQ(alphaAt(tile, 160, 199), 0);   // no mitre spike out of it
    EXPECT_EQ(alphaAt(tile, 150, 199), 0);
}

TEST_F(GraphViewTest, GraphWithoutATimeScaleDrawsNothing) {
    source.range = 0;
    source.add(kNow - 27000, 0.5f);
    const QImage tile = renderTile(tileAt(2944));
    EXPECT_TRUE(source.windows().empty());
    EXPECT_EQ(tile, [&] {
        QImage empty(tile.size(), tile.format());
        empty.fill(Qt::transparent);
        return empty;
    }());
}

TEST_F(GraphViewTest, AnUnknownLevelBreaksTheLineInsteadOfPlunging) {
    source.add(kNow - 27000, 0.5f);  // x 2980
    source.add(kNow - 21600, -1.0f); // x 3000: no level known
    source.add(kNow - 16200, 0.5f);  // x 3020
    const QImage tile = renderTile(tileAt(2944));
    EXPECT_GT(alphaAt(tile, 36, 199), 128); // both known samples have their dots
    EXPECT_GT(alphaAt(tile, 76, 199), 128);
    EXPECT_EQ(alphaAt(tile, 46, 199), 0); // but no line runs through the gap
    EXPECT_EQ(alphaAt(tile, 66, 199), 0);
    EXPECT_EQ(alphaAt(tile, 56, 199), 0);
    // Nothing under the plot, down to the time ticks.
    EXPECT_TRUE(paintedRows(tile, 56, 210, 395).isEmpty());

    // Where the unknown sample would be drawn (y 738, off the plot) nothing can be tapped.
    view.touchesEnded({Touch{QPointF(3000, 730), 1}}, 1);
    view.handleSingleTap();
    EXPECT_TRUE(source.selected.empty());
}
