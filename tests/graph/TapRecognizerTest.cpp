#include "TapRecognizer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {
class TapRecognizerTest : public ::testing::Test {
protected:
    TapRecognizer taps;
    QSignalSpy single{&taps, &TapRecognizer::singleTap};
    QSignalSpy doubles{&taps, &TapRecognizer::doubleTap};
    QSignalSpy twoFinger{&taps, &TapRecognizer::twoFingerTap};

    void tap(QPointF at, int count) {
        taps.touchesBegan(1);
        taps.touchesEnded({Touch{at, count}}, 1);
    }
};
} // namespace

TEST_F(TapRecognizerTest, SingleTapIsReportedAfterTheDelay) {
    tap(QPointF(10, 20), 1);
    EXPECT_TRUE(taps.singleTapPending());
    EXPECT_EQ(single.count(), 0);
    EXPECT_TRUE(single.wait(2000));
    EXPECT_EQ(taps.tapLocation(), QPointF(10, 20));
}

TEST_F(TapRecognizerTest, QuickDoubleTapCancelsTheSingleTap) {
    tap(QPointF(10, 20), 1);
    tap(QPointF(12, 21), 2);
    EXPECT_FALSE(taps.singleTapPending());
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(taps.tapLocation(), QPointF(12, 21));
    EXPECT_FALSE(single.wait(TapRecognizer::singleTapDelayMs + 100));
}

TEST_F(TapRecognizerTest, TripleTapReportsNothingMore) {
    tap(QPointF(10, 20), 3);
    EXPECT_FALSE(taps.singleTapPending());
    EXPECT_EQ(doubles.count(), 0);
}

TEST_F(TapRecognizerTest, TwoFingersLiftedTogetherTapAtTheirMidpoint) {
    taps.touchesBegan(2);
    EXPECT_TRUE(taps.multipleTouches());
    taps.touchesEnded({Touch{QPointF(10, 10), 1}, Touch{QPointF(30, 50), 1}}, 2);
    ASSERT_EQ(twoFinger.count(), 1);
    EXPECT_EQ(taps.tapLocation(), QPointF(20, 30));
    EXPECT_FALSE(taps.multipleTouches());
    EXPECT_EQ(single.count() + doubles.count(), 0);
    EXPECT_FALSE(taps.singleTapPending());
}

TEST_F(TapRecognizerTest, TwoFingersLiftedOneAfterTheOtherTapAtTheMidpointOfTheLifts) {
    taps.touchesBegan(1);
    taps.touchesBegan(2);
    taps.touchesEnded({Touch{QPointF(10, 10), 1}}, 2);
    EXPECT_EQ(twoFinger.count(), 0);
    taps.touchesEnded({Touch{QPointF(50, 30), 1}}, 1);
    ASSERT_EQ(twoFinger.count(), 1);
    EXPECT_EQ(taps.tapLocation(), QPointF(30, 20));
}

TEST_F(TapRecognizerTest, FirstFingerTappingTwiceRulesOutTheTwoFingerTap) {
    taps.touchesBegan(2);
    taps.touchesEnded({Touch{QPointF(10, 10), 2}}, 2);
    taps.touchesEnded({Touch{QPointF(50, 30), 1}}, 1);
    EXPECT_EQ(twoFinger.count(), 0);
    EXPECT_TRUE(taps.twoFingerTapIsPossible()); // ready for the next gesture
}

TEST_F(TapRecognizerTest, ThreeFingersGiveNoTapUntilANewGestureStarts) {
    taps.touchesBegan(3);
    EXPECT_FALSE(taps.twoFingerTapIsPossible());
    taps.touchesEnded({Touch{QPointF(1, 1), 1}}, 3);
    taps.touchesEnded({Touch{QPointF(2, 2), 1}, Touch{QPointF(3, 3), 1}}, 2);
    EXPECT_EQ(twoFinger.count(), 0);
    EXPECT_EQ(single.count() + doubles.count(), 0);
    taps.touchesBegan(2);
    taps.touchesEnded({Touch{QPointF(0, 0), 1}, Touch{QPointF(4, 4), 1}}, 2);
    EXPECT_EQ(twoFinger.count(), 1);
}

TEST_F(TapRecognizerTest, CancelledTouchesResetTheState) {
    taps.touchesBegan(3);
    taps.touchesCancelled();
    EXPECT_TRUE(taps.twoFingerTapIsPossible());
    EXPECT_FALSE(taps.multipleTouches());
    tap(QPointF(5, 5), 1);
    EXPECT_TRUE(taps.singleTapPending());
}
