#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QTransform>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>
#include <optional>

// A speech bubble over the graph: a translucent dark rounded body with an arrow whose tip
// points at a tapped spot. It pops in with a three-stage scale and shrinks away when tapped.
//
// Geometry is kept as on a view with a transform: frame() and transform() are the callout's
// own; the widget itself is larger by a margin, so that the shadow and the overshoot of the
// pop-in are not clipped. While transformed, the callout paints a picture of its content
// instead of showing the content widgets, which cannot be scaled.
class CustomCalloutView : public QWidget {
    Q_OBJECT
public:
    // `location`: origin at the tapped point in the root view, width the callout's width,
    // height the content's height.
    CustomCalloutView(QWidget* rootView, const QRectF& location);
    ~CustomCalloutView() override;

    QWidget* mapView() const { return mapView_; }
    QWidget* contentView();
    QPointF offsetFromParent() const { return offsetFromParent_; }
    float contentHeight() const { return contentHeight_; }
    QRectF location() const { return location_; }
    float yShadowOffset();
    QRectF endFrame() const { return endFrame_; }

    QRectF frame() const { return frame_; }
    void setFrame(const QRectF& frame);
    QTransform transform() const { return transform_; }
    qreal alpha() const { return alpha_; }

    bool bubbleUpsideDown() const;
    float relativeParentXPosition() const;
    float relativeParentYPosition() const;

    // Sizes the callout, adds it to the root view (which starts the pop-in) and places it.
    void display();
    void prepareFrameSize();
    void prepareContentFrame();
    void prepareOffset();

    float xTransformForScale(float scale) const;
    float yTransformForScale(float scale) const;
    QTransform transformForScale(float scale) const;
    void animateIn();
    void animateInStepTwo();
    void animateInStepThree();
    // The tap on the callout: shrink and fade out; it stays in the root view, invisible.
    void touchesEnded();
    // Shown and not fading out; a tap elsewhere or Esc closes it.
    bool isOpen() const;
    // Whether a point in the root view's coordinates falls on the bubble.
    bool bubbleContains(const QPointF& pointInRoot) const;

    // Body and arrow, in the callout's own coordinates.
    QPainterPath bubblePath() const;
    // The name of the running animation, empty when none runs.
    QString runningAnimation() const;
    // Jumps the running animation to its end, which starts the next stage if there is one.
    void completeAnimation();

    static constexpr int margin = 24;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void animate(const QString& name, QEasingCurve::Type curve, int milliseconds, float scale,
                 qreal alpha, std::function<void()> next);
    void setTransform(const QTransform& transform);
    void animationStep(qreal progress);
    void animationFinished();
    void applyGeometry();
    QPointF paintOrigin() const;
    QRectF visibleArea() const;
    void drawBubble(QPainter& painter);
    void drawContentPicture(QPainter& painter);
    bool hitsBubble(const QPointF& widgetPoint) const;

    QPointer<QWidget> mapView_;
    QWidget* contentView_ = nullptr;
    QRectF contentFrame_;
    QPointF offsetFromParent_{8.0, -14.0};
    float contentHeight_ = 0;
    QRectF location_;
    std::optional<float> yShadowOffset_;
    QRectF endFrame_;
    std::optional<float> arrowX_; // where the arrow sits once the callout is kept on screen

    QRectF frame_;
    QTransform transform_;
    qreal alpha_ = 1.0;

    QVariantAnimation animation_;
    QString animationName_;
    QTransform fromTransform_;
    QTransform toTransform_;
    qreal fromAlpha_ = 1.0;
    qreal toAlpha_ = 1.0;
    std::function<void()> next_;
};
