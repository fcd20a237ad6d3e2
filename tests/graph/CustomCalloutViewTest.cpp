#include "CustomCalloutView.h"
#include "GraphBubbleView.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {
class CustomCalloutViewTest : public ::testing::Test {
protected:
    QWidget root;
    void SetUp() override { root.resize(320, 416); }

    // Shows a callout for a tap at `point`, its pop-in still at the start.
    CustomCalloutView* tapAt(const QPointF& point) {
        auto* callout = new CustomCalloutView(&root, QRectF(point, QSizeF(230, 160)));
        callout->display();
        return callout;
    }
    static void finish(CustomCalloutView* callout) {
        while (!callout->runningAnimation().isEmpty())
            callout->completeAnimation();
    }
    static float scaleOf(const CustomCalloutView* callout) {
        return static_cast<float>(callout->transform().m11());
    }
};
} // namespace

TEST_F(CustomCalloutViewTest, ATapWithRoomAboveGetsABubbleAboveThePoint) {
    CustomCalloutView* callout = tapAt(QPointF(160, 180));
    EXPECT_FALSE(callout->bubbleUpsideDown());
    EXPECT_EQ(callout->parentWidget(), &root);
    EXPECT_EQ(callout->frame(), QRectF(45, 0, 230, 180));
    EXPECT_EQ(callout->contentView()->geometry().size(), QSize(210, 160));
    EXPECT_EQ(callout->contentView()->pos() - callout->mapFromParent(QPoint(45, 0)), QPoint(10, 3));
    const QPainterPath path = callout->bubblePath();
    EXPECT_EQ(path.boundingRect(), QRectF(7.5, 0.5, 215, 174)); // arrow tip at 174.5
    EXPECT_TRUE(path.contains(QPointF(115, 172)));              // inside the arrow
    EXPECT_FALSE(path.contains(QPointF(100, 172)));
}

TEST_F(CustomCalloutViewTest, ATapNearTheTopGetsABubbleHangingBelow) {
    CustomCalloutView* callout = tapAt(QPointF(160, 179));
    EXPECT_TRUE(callout->bubbleUpsideDown());
    // The tip ends 5.5 below the point, as far as it ends above it the other way up, so
    // neither the arrow nor the body covers the tapped sample.
    EXPECT_EQ(callout->frame(), QRectF(45, 184, 230, 180));
    EXPECT_EQ(callout->contentView()->pos() - callout->mapFromParent(QPoint(45, 184)),
              QPoint(10, 18));
    const QPainterPath path = callout->bubblePath();
    EXPECT_EQ(path.boundingRect(), QRectF(7.5, 0.5, 215, 174)); // arrow tip at 0.5
    EXPECT_TRUE(path.contains(QPointF(115, 3)));
    EXPECT_FALSE(path.contains(QPointF(115, 178)));
    EXPECT_FALSE(callout->bubbleContains(QPointF(160, 179 + 3))); // the sample's dot
    EXPECT_TRUE(callout->bubbleContains(QPointF(160, 179 + 8)));  // the arrow under it
}

TEST_F(CustomCalloutViewTest, NearTheEdgesTheBubbleStaysOnScreenAndTheArrowOnThePoint) {
    CustomCalloutView* right = tapAt(QPointF(300, 300));
    EXPECT_EQ(right->frame(), QRectF(90, 120, 230, 180));
    EXPECT_FLOAT_EQ(right->relativeParentXPosition(), 210.0f); // the tip, over the point
    EXPECT_TRUE(right->bubbleContains(QPointF(300, 291.5)));   // just above the tip
    EXPECT_FALSE(right->bubbleContains(QPointF(290, 296)));
    CustomCalloutView* left = tapAt(QPointF(5, 300));
    EXPECT_EQ(left->frame(), QRectF(0, 120, 230, 180));
    EXPECT_FLOAT_EQ(left->relativeParentXPosition(), 5.0f);
    // The arrow leans from the straight part of the edge down to the point.
    EXPECT_TRUE(left->bubbleContains(QPointF((5 + 29.5) / 2, 120 + (174.5 + 159.5) / 2)));
    CustomCalloutView* middle = tapAt(QPointF(160, 300)); // untouched away from the edges
    EXPECT_EQ(middle->frame(), QRectF(45, 120, 230, 180));
    EXPECT_FLOAT_EQ(middle->relativeParentXPosition(), 115.0f);
}

TEST_F(CustomCalloutViewTest, EscClosesTheCallout) {
    CustomCalloutView* callout = tapAt(QPointF(160, 300));
    finish(callout);
    EXPECT_TRUE(callout->isOpen());
    QTest::keyClick(callout, Qt::Key_Escape);
    EXPECT_FALSE(callout->isOpen());
    finish(callout);
    EXPECT_EQ(callout->alpha(), 0.0);
}

TEST_F(CustomCalloutViewTest, PopsInThroughThreeScalesAboutAPointAboveTheTip) {
    CustomCalloutView* callout = tapAt(QPointF(160, 300));
    EXPECT_EQ(callout->endFrame().size(), QSizeF(230, 180));
    EXPECT_EQ(callout->runningAnimation(), QStringLiteral("animateIn"));
    EXPECT_FLOAT_EQ(scaleOf(callout), 0.001f);
    EXPECT_TRUE(callout->contentView()->isHidden()); // a picture of it is scaled instead
    callout->completeAnimation();
    EXPECT_FLOAT_EQ(scaleOf(callout), 1.1f);
    EXPECT_EQ(callout->runningAnimation(), QStringLiteral("animateInStepTwo"));
    callout->completeAnimation();
    EXPECT_FLOAT_EQ(scaleOf(callout), 0.95f);
    EXPECT_EQ(callout->runningAnimation(), QStringLiteral("animateInStepThree"));
    callout->completeAnimation();
    EXPECT_TRUE(callout->transform().isIdentity());
    EXPECT_TRUE(callout->runningAnimation().isEmpty());
    EXPECT_FALSE(callout->contentView()->isHidden());

    // Scaled about the centre, the point 82 below it (8 above the bottom edge) stays put.
    for (const float s : {0.001f, 1.1f, 0.95f}) {
        const QTransform t = callout->transformForScale(s);
        const QPointF centre(115, 90);
        const QPointF fixed(115, 172);
        const QPointF mapped = centre + s * (fixed - centre) + QPointF(t.dx(), t.dy());
        EXPECT_NEAR(mapped.x(), fixed.x(), 1e-3);
        EXPECT_NEAR(mapped.y(), fixed.y(), 1e-3);
    }
}

TEST_F(CustomCalloutViewTest, ATapOnTheBubbleFadesItButKeepsItOnTheGraph) {
    CustomCalloutView* callout = tapAt(QPointF(160, 300));
    finish(callout);
    root.show();
    const QPoint body = callout->mapFromParent(QPoint(160, 300 - 100));
    QTest::mouseClick(callout, Qt::LeftButton, {}, body);
    EXPECT_EQ(callout->runningAnimation(), QStringLiteral("animateInStepTwo"));
    finish(callout);
    EXPECT_EQ(callout->alpha(), 0.0);
    EXPECT_FLOAT_EQ(scaleOf(callout), 0.01f);
    EXPECT_EQ(callout->parentWidget(), &root);
    EXPECT_TRUE(callout->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(CustomCalloutViewTest, ThePressBesideTheBubbleGoesToTheGraph) {
    CustomCalloutView* callout = tapAt(QPointF(160, 300));
    finish(callout);
    root.show();
    // Within the shadow margin but off the bubble.
    QTest::mouseClick(callout, Qt::LeftButton, {}, callout->mapFromParent(QPoint(40, 130)));
    EXPECT_TRUE(callout->runningAnimation().isEmpty());
    EXPECT_EQ(callout->alpha(), 1.0);
}

TEST_F(CustomCalloutViewTest, WithoutAGraphNothingIsShown) {
    auto* root = new QWidget;
    CustomCalloutView callout(root, QRectF(10, 300, 230, 160));
    delete root;
    callout.display();
    EXPECT_FALSE(callout.isVisible());
    EXPECT_EQ(callout.parentWidget(), nullptr);
}

TEST(GraphBubbleViewTest, TwoColumnsOfLabelsUnderTheHeaders) {
    GraphBubbleView bubble(QRectF(0, 0, 175, 170));
    EXPECT_EQ(bubble.headerLabel()->geometry(), QRect(2, 0, 190, 45));
    EXPECT_EQ(bubble.subHeader()->geometry(), QRect(5, 30, 190, 65));
    EXPECT_EQ(bubble.contentLabelsLabel()->geometry(), QRect(5, 70, 185, 100));
    EXPECT_EQ(bubble.contentValuesLabel()->geometry(), QRect(5, 70, 190, 100));
    EXPECT_TRUE(bubble.contentLabelsLabel()->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(bubble.contentValuesLabel()->alignment() & Qt::AlignRight);
    EXPECT_EQ(bubble.headerLabel()->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(bubble.contentValuesLabel()->palette().color(QPalette::WindowText),
              QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
    EXPECT_GE(bubble.width(), 195); // the labels show in full
}
