#include "ScrollView.h"
#include "ZoomableView.h"

#include <QNativeGestureEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// Records the touches the scroll view hands to its content.
class RecordingView : public ZoomableView {
public:
    using ZoomableView::ZoomableView;
    QStringList log;
    void touchesBegan(const TouchList& began, int all) override {
        log.append(QString::asprintf("began %d/%d", int(began.size()), all));
    }
    void touchesEnded(const TouchList& ended, int all) override {
        log.append(QString::asprintf("ended %d/%d tap %d at %.0f,%.0f", int(ended.size()), all,
                                     ended[0].tapCount, ended[0].location.x(),
                                     ended[0].location.y()));
    }
    void touchesCancelled() override { log.append("cancelled"); }
};

class ScrollViewTest : public ::testing::Test {
protected:
    ScrollView scroll{QRectF(0, 0, 320, 416)};
    RecordingView* content = new RecordingView(QRectF(0, 0, 3200, 416));

    void SetUp() override {
        scroll.setZoomView(content);
        scroll.setContentSize(QSizeF(3200, 416));
        scroll.setMinimumZoomScale(0.25f);
        scroll.setMaximumZoomScale(4.0f);
        scroll.setContentOffset(QPointF(1000, 0));
        scroll.show();
    }
};
} // namespace

TEST_F(ScrollViewTest, OffsetMovesTheContentAndNotifies) {
    QSignalSpy scrolled(&scroll, &ScrollView::didScroll);
    scroll.setContentOffset(QPointF(1200, 0));
    EXPECT_EQ(scrolled.count(), 1);
    EXPECT_EQ(content->pos(), QPoint(-1200, 0));
    scroll.setContentOffset(QPointF(1200, 0));
    EXPECT_EQ(scrolled.count(), 1); // no change, no notification
}

TEST_F(ScrollViewTest, ZoomToRectFillsTheViewAndCentresTheRectangle) {
    QSignalSpy ended(&scroll, &ScrollView::didEndZooming);
    scroll.zoomToRect(QRectF(1100, 104, 160, 208), false);
    EXPECT_FLOAT_EQ(scroll.zoomScale(), 2.0f);
    EXPECT_EQ(scroll.contentSize(), QSizeF(6400, 832));
    EXPECT_EQ(scroll.contentOffset(), QPointF(2200, 208));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_FLOAT_EQ(ended.first().at(1).toFloat(), 2.0f);
}

TEST_F(ScrollViewTest, ZoomStaysWithinItsLimits) {
    scroll.zoomToRect(QRectF(1100, 104, 16, 20), false);
    EXPECT_FLOAT_EQ(scroll.zoomScale(), 4.0f);
    scroll.zoomAbout(0.01f, QPointF(160, 208));
    EXPECT_FLOAT_EQ(scroll.zoomScale(), 0.25f);
}

TEST_F(ScrollViewTest, CtrlWheelZoomsAboutThePointerAndEndsWhenTheWheelRests) {
    QSignalSpy ended(&scroll, &ScrollView::didEndZooming);
    const QPointF pointer(100, 200);
    const QPointF underPointer = QPointF(1000, 0) + pointer;
    QWheelEvent wheel(pointer, scroll.mapToGlobal(pointer), QPoint(), QPoint(0, 480), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&scroll, &wheel);
    EXPECT_FLOAT_EQ(scroll.zoomScale(), 2.0f);
    EXPECT_NEAR(scroll.contentOffset().x() + pointer.x(), underPointer.x() * 2, 0.01);
    EXPECT_EQ(ended.count(), 0);
    ASSERT_TRUE(ended.wait(2000));
    EXPECT_FLOAT_EQ(ended.first().at(1).toFloat(), 2.0f);
}

TEST_F(ScrollViewTest, WheelScrollsAlongTimeWithinTheContent) {
    QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(content, &down);
    EXPECT_EQ(scroll.contentOffset(), QPointF(1040, 0));
    QWheelEvent sideways(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(120, 0), Qt::NoButton,
                         Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(content, &sideways);
    EXPECT_EQ(scroll.contentOffset(), QPointF(1000, 0));
    scroll.setContentOffset(QPointF(2870, 0));
    QCoreApplication::sendEvent(content, &down);
    EXPECT_EQ(scroll.contentOffset(), QPointF(2880, 0));
}

TEST_F(ScrollViewTest, ClicksBecomeTapsInContentCoordinates) {
    QTest::mouseClick(content, Qt::LeftButton, {}, QPoint(1050, 100));
    // The second click of a double click, as Qt delivers it.
    QTest::mousePress(content, Qt::LeftButton, {}, QPoint(1050, 100));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(1050, 100),
                    content->mapToGlobal(QPointF(1050, 100)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(content, &dbl);
    QTest::mouseRelease(content, Qt::LeftButton, {}, QPoint(1050, 100));
    EXPECT_EQ(content->log, (QStringList{"began 1/1", "ended 1/1 tap 1 at 1050,100", "began 1/1",
                                         "ended 1/1 tap 2 at 1050,100"}));
}

TEST_F(ScrollViewTest, RightClickIsATwoFingerTap) {
    QTest::mouseClick(content, Qt::RightButton, {}, QPoint(1050, 100));
    EXPECT_EQ(content->log, (QStringList{"began 2/2", "ended 2/2 tap 1 at 1050,100"}));
}

TEST_F(ScrollViewTest, DragScrollsAndCancelsTheTap) {
    QTest::mousePress(content, Qt::LeftButton, {}, QPoint(1100, 100));
    QTest::mouseMove(content, QPoint(1060, 100));
    QTest::mouseRelease(content, Qt::LeftButton, {}, QPoint(1060, 100));
    EXPECT_EQ(content->log, (QStringList{"began 1/1", "cancelled"}));
    EXPECT_EQ(scroll.contentOffset(), QPointF(1040, 0));
}

namespace {
QPointingDevice* touchScreen() {
    static QPointingDevice* device = QTest::createTouchDevice();
    return device;
}
} // namespace

TEST_F(ScrollViewTest, FingerTapReachesTheContentAsATouch) {
    QTest::touchEvent(&scroll, touchScreen()).press(0, QPoint(50, 100));
    QTest::touchEvent(&scroll, touchScreen()).release(0, QPoint(50, 100));
    EXPECT_EQ(content->log, (QStringList{"began 1/1", "ended 1/1 tap 1 at 1050,100"}));
}

TEST_F(ScrollViewTest, FingerPanScrollsAndCancelsTheTap) {
    QTest::touchEvent(&scroll, touchScreen()).press(0, QPoint(200, 100));
    QTest::touchEvent(&scroll, touchScreen()).move(0, QPoint(150, 100));
    QTest::touchEvent(&scroll, touchScreen()).move(0, QPoint(120, 100));
    QTest::touchEvent(&scroll, touchScreen()).release(0, QPoint(120, 100));
    EXPECT_EQ(content->log, (QStringList{"began 1/1", "cancelled"}));
    EXPECT_EQ(scroll.contentOffset(), QPointF(1080, 0));
}

TEST_F(ScrollViewTest, PinchZoomsBetweenTheFingersAndReportsTheEnd) {
    QSignalSpy ended(&scroll, &ScrollView::didEndZooming);
    QTest::touchEvent(&scroll, touchScreen()).press(0, QPoint(100, 200)).press(1, QPoint(200, 200));
    QTest::touchEvent(&scroll, touchScreen()).move(0, QPoint(75, 200)).move(1, QPoint(225, 200));
    QTest::touchEvent(&scroll, touchScreen()).move(0, QPoint(50, 200)).move(1, QPoint(250, 200));
    EXPECT_FLOAT_EQ(scroll.zoomScale(), 2.0f);
    EXPECT_EQ(ended.count(), 0);
    QTest::touchEvent(&scroll, touchScreen())
        .release(0, QPoint(50, 200))
        .release(1, QPoint(250, 200));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_FLOAT_EQ(ended.first().at(1).toFloat(), 2.0f);
    EXPECT_EQ(content->log.first(), "began 2/2");
}

TEST_F(ScrollViewTest, TouchpadPinchZoomsAndEndsWithTheGesture) {
    QSignalSpy ended(&scroll, &ScrollView::didEndZooming);
    const QPointF at(160, 208);
    const QPointF global = scroll.mapToGlobal(at);
    auto gesture = [&](Qt::NativeGestureType type, qreal value) {
        QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, at, at, global,
                                  value, QPointF());
        QCoreApplication::sendEvent(&scroll, &event);
    };
    gesture(Qt::BeginNativeGesture, 0);
    gesture(Qt::ZoomNativeGesture, 0.5);
    gesture(Qt::ZoomNativeGesture, 1.0 / 3);
    EXPECT_FLOAT_EQ(scroll.zoomScale(), 2.0f);
    EXPECT_EQ(ended.count(), 0);
    gesture(Qt::EndNativeGesture, 0);
    ASSERT_EQ(ended.count(), 1);
}
