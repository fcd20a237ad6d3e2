#include "DecorationsView.h"
#include "FadingLabel.h"
#include "LogHandlerFixture.h"
#include "MainScreen.h"

#include <gtest/gtest.h>

namespace {
class DecorationsViewTest : public LogHandlerFixture {
protected:
    void SetUp() override {
        MainScreen::setIdiom(UserInterfaceIdiom::Phone);
        handler = makeHandler();
        view = std::make_unique<DecorationsView>(QRectF(0, 0, 320, 416), *handler);
    }
    void TearDown() override { MainScreen::setIdiom(UserInterfaceIdiom::Phone); }

    // Scrolls to a window given by the ages of its left and right edges.
    void showWindow(int left, int right) {
        handler->setVisibleRange(left, right);
        view->updateTimeLabels();
    }
    FadingLabel& caption() { return *view->lastNHoursLabel(); }
    FadingLabel& from() { return *view->fromTimeLabel(); }
    FadingLabel& to() { return *view->toTimeLabel(); }

    std::unique_ptr<BatteryLogHandler> handler;
    std::unique_ptr<DecorationsView> view;
};
} // namespace

TEST_F(DecorationsViewTest, LabelsFollowThePhoneAndTabletLayouts) {
    EXPECT_EQ(from().geometry(), QRect(20, 291, 140, 100));
    EXPECT_EQ(to().geometry(), QRect(160, 291, 140, 100));
    EXPECT_EQ(caption().geometry(), QRect(30, 291, 260, 100));
    EXPECT_EQ(view->rangeLabel()->geometry(), QRect(30, 387, 260, 15));
    EXPECT_EQ(from().font().pixelSize(), 20);
    EXPECT_EQ(view->rangeLabel()->font().pixelSize(), 14);
    EXPECT_TRUE(from().alignment() & Qt::AlignLeft);
    EXPECT_TRUE(to().alignment() & Qt::AlignRight);
    EXPECT_TRUE(from().wordWrap());
    EXPECT_TRUE(view->testAttribute(Qt::WA_TransparentForMouseEvents)) << "taps reach the graph";

    MainScreen::setIdiom(UserInterfaceIdiom::Pad);
    DecorationsView tablet(QRectF(0, 0, 768, 960), *handler);
    EXPECT_EQ(tablet.fromTimeLabel()->geometry(), QRect(20, 740, 280, 200));
    EXPECT_EQ(tablet.toTimeLabel()->geometry(), QRect(468, 740, 280, 200));
    EXPECT_EQ(tablet.lastNHoursLabel()->geometry(), QRect(30, 760, 708, 100));
    EXPECT_EQ(tablet.rangeLabel()->geometry(), QRect(30, 931, 708, 15));
    EXPECT_EQ(tablet.fromTimeLabel()->font().pixelSize(), 30);
}

TEST_F(DecorationsViewTest, PresentThenPastThenPresent) {
    showWindow(86401, 1); // start from the past: the caption hidden, no dimming pending
    view->fadeTimer().stop();
    showWindow(54000, -32400); // the right end of the graph
    EXPECT_EQ(view->rangeLabel()->text(), QStringLiteral("1 days"));
    EXPECT_EQ(caption().text(), QStringLiteral("Last 1 days"));
    EXPECT_EQ(caption().alpha(), 1.0);
    EXPECT_EQ(caption().animation().duration(), 1000);
    EXPECT_EQ(from().alpha(), 0.0);
    EXPECT_EQ(to().alpha(), 0.0);
    EXPECT_EQ(from().animationName(), QStringLiteral("hide fromToLabel"));
    EXPECT_EQ(from().animation().duration(), 500);
    EXPECT_FALSE(view->fadeTimer().isActive());

    showWindow(140400, 54000); // one screen back
    // Reference 1.8e9 is Friday 15 January 2027, 08:00 UTC.
    EXPECT_TRUE(from().text().startsWith(QStringLiteral("Wed\nJan 13\n5:00")));
    EXPECT_TRUE(from().text().endsWith(QStringLiteral("PM")));
    EXPECT_TRUE(to().text().startsWith(QStringLiteral("Thu\nJan 14\n5:00")));
    EXPECT_EQ(caption().alpha(), 0.0);
    EXPECT_EQ(caption().animationName(), QStringLiteral("hide nowLabel"));
    EXPECT_EQ(caption().animation().duration(), 500);
    EXPECT_EQ(from().alpha(), 1.0);
    EXPECT_EQ(to().alpha(), 1.0);
    EXPECT_EQ(from().animationName(), QStringLiteral("fromToLabel"));
    EXPECT_EQ(from().animation().duration(), 1000);
    ASSERT_TRUE(view->fadeTimer().isActive());
    EXPECT_EQ(view->fadeTimer().interval(), 500);

    view->fadeFromToLabel(); // what the timer runs
    EXPECT_EQ(from().alpha(), 0.2);
    EXPECT_EQ(to().alpha(), 0.2);
    EXPECT_EQ(from().animation().duration(), 2000);

    showWindow(140000, 53600); // dimmed: brighten again and dim later
    EXPECT_EQ(from().alpha(), 1.0);
    EXPECT_TRUE(view->fadeTimer().isActive());

    view->fadeFromToLabel();
    view->fadeFromToLabel(); // already dim: nothing more
    EXPECT_EQ(from().alpha(), 0.2);

    showWindow(54000, -32400);
    EXPECT_EQ(caption().alpha(), 1.0);
    EXPECT_EQ(caption().animationName(), QStringLiteral("show nowLabel"));
    EXPECT_EQ(from().alpha(), 0.0);
    EXPECT_EQ(from().animationName(), QStringLiteral("hide fromToLabel"));
}

TEST_F(DecorationsViewTest, AnUpdateWhileBrightNeitherReanimatesNorMovesTheDimming) {
    showWindow(140400, 54000);
    view->fadeTimer().stop(); // stands for a dimming that is still pending
    const qint64 played = from().animation().currentTime();
    showWindow(140300, 53900);
    EXPECT_FALSE(view->fadeTimer().isActive());
    EXPECT_EQ(from().alpha(), 1.0);
    EXPECT_GE(from().animation().currentTime(), played);
    EXPECT_TRUE(from().text().startsWith(QStringLiteral("Wed\nJan 13\n5:01")));
}

TEST_F(DecorationsViewTest, SixHoursToThePresentReadAsSixHoursEitherWay) {
    showWindow(21600, 0);
    EXPECT_EQ(view->rangeLabel()->text(), QStringLiteral("6 hours"));
    EXPECT_EQ(caption().text(), QStringLiteral("Last 6 hours"));

    defaults.setObject(QStringLiteral("xAxisLeftOrigin"), true);
    showWindow(0, 21600);
    EXPECT_EQ(view->rangeLabel()->text(), QStringLiteral("6 hours"));
    EXPECT_EQ(caption().text(), QStringLiteral("Last 6 hours"));
}
