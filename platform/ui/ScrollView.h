#pragma once

#include "Touch.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

class QNativeGestureEvent;
class QTouchEvent;
class ZoomableView;

// A horizontally and vertically scrolling container with a zoomable content view. The content
// view is moved, not copied, so its own tiles and subviews stay live. Scrolling is driven by
// touch pans, mouse drags and wheels; zooming by pinches (touch or touchpad), Ctrl+wheel and
// zoomToRect. Taps are handed to the content view as touches. There are no scroll indicators.
class ScrollView : public QWidget {
    Q_OBJECT
public:
    explicit ScrollView(const QRectF& frame, QWidget* parent = nullptr);
    ~ScrollView() override;

    QPointF contentOffset() const { return offset_; }
    // Programmatic offsets are not clamped, as on the phone platform, and are applied at once
    // even when `animated` asks for a transition.
    void setContentOffset(const QPointF& offset, bool animated = false);
    QSizeF contentSize() const { return contentSize_; }
    void setContentSize(const QSizeF& size);

    float zoomScale() const { return zoomScale_; }
    // Applies a zoom about the middle of the visible area; no end-of-zoom notification.
    void setZoomScale(float scale, bool animated = false);
    float minimumZoomScale() const { return minimumZoom_; }
    void setMinimumZoomScale(float scale) { minimumZoom_ = scale; }
    float maximumZoomScale() const { return maximumZoom_; }
    void setMaximumZoomScale(float scale) { maximumZoom_ = scale; }

    void setZoomView(ZoomableView* view);
    ZoomableView* zoomView() const { return zoomView_; }

    // Zooms so that `rect` (in the content view's own coordinates) fills the visible area, then
    // reports the end of the zoom.
    void zoomToRect(const QRectF& rect, bool animated);
    bool isZoomAnimating() const;

    // One step of a live zoom that keeps the content under `anchor` (visible-area coordinates).
    void zoomAbout(float scale, const QPointF& anchor);
    // Reports the end of a pinch or wheel zoom with the zoom reached.
    void endZooming();

    // A point of the visible area in the content view's own coordinates.
    QPointF toBounds(const QPointF& viewportPos) const;

    static constexpr int zoomAnimationMs = 300;
    static constexpr int wheelZoomEndMs = 300;

signals:
    void didScroll();
    void didEndZooming(ZoomableView* view, float scale);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Gesture { None, PossibleTap, Panning, Pinching };

    bool handleInput(QEvent* event, const QPointF& shift);
    void mousePress(const QPointF& pos, Qt::MouseButton button, bool doubleClick);
    void mouseMove(const QPointF& pos);
    void mouseRelease(const QPointF& pos, Qt::MouseButton button);
    void wheel(const QPointF& pos, const QPoint& angleDelta, const QPoint& pixelDelta,
               Qt::KeyboardModifiers modifiers);
    bool nativeGesture(QNativeGestureEvent* event);
    bool touch(QTouchEvent* event, const QPointF& shift);
    void cancelTaps();
    void scrollBy(const QPointF& delta);
    QPointF clampedOffset(const QPointF& offset) const;
    void applyZoom(float scale);
    float clampedZoom(float scale) const;
    void animationStep(qreal progress);
    int touchTapCount(const QPointF& pos);

    QPointer<ZoomableView> zoomView_;
    QPointF offset_;
    QSizeF contentSize_;
    float zoomScale_ = 1.0f;
    float minimumZoom_ = 1.0f;
    float maximumZoom_ = 1.0f;

    Gesture gesture_ = Gesture::None;
    QPointF pressPos_;
    QPointF lastPos_;
    bool pressWasDoubleClick_ = false;
    qreal pinchStartDistance_ = 0;
    float pinchStartZoom_ = 1.0f;
    QElapsedTimer lastTapTime_;
    QPointF lastTapPos_;
    int lastTapCount_ = 0;
    QTimer wheelZoomEnd_;
    bool nativeZooming_ = false;
    QHash<int, QPointF> touchStarts_;
    QHash<int, int> touchTapCounts_;

    QVariantAnimation animation_;
    float animStartZoom_ = 1.0f;
    float animEndZoom_ = 1.0f;
    QPointF animStartCentre_; // middle of the visible area in content-view coordinates
    QPointF animTargetCentre_;
};
