#include "ScrollView.h"

#include "ZoomableView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QStyleHints>
#include <QTouchEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal wheelPixelsPerNotch = 40.0;
constexpr qreal tapSlop = 40.0; // how far apart two taps may be and still count as one series

QRect rounded(const QRectF& r) {
    return QRect(static_cast<int>(std::lround(r.x())), static_cast<int>(std::lround(r.y())),
                 static_cast<int>(std::lround(r.width())),
                 static_cast<int>(std::lround(r.height())));
}

qreal distance(const QPointF& a, const QPointF& b) {
    return QLineF(a, b).length();
}
} // namespace

ScrollView::ScrollView(const QRectF& frame, QWidget* parent) : QWidget(parent) {
    setGeometry(rounded(frame));
    setAttribute(Qt::WA_AcceptTouchEvents);
    qRegisterMetaType<ZoomableView*>(); // so that queued and spied notifications carry the view
    wheelZoomEnd_.setSingleShot(true);
    wheelZoomEnd_.setInterval(wheelZoomEndMs);
    connect(&wheelZoomEnd_, &QTimer::timeout, this, &ScrollView::endZooming);
    animation_.setDuration(zoomAnimationMs);
    animation_.setEasingCurve(QEasingCurve::InOutQuad);
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    connect(&animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { animationStep(value.toReal()); });
    connect(&animation_, &QVariantAnimation::finished, this, [this] {
        animationStep(1.0);
        endZooming();
    });
}

ScrollView::~ScrollView() = default;

void ScrollView::setContentOffset(const QPointF& offset, bool) {
    if (offset == offset_)
        return;
    offset_ = offset;
    if (zoomView_)
        zoomView_->placeAt(offset_);
    emit didScroll();
}

void ScrollView::setContentSize(const QSizeF& size) {
    contentSize_ = size;
}

void ScrollView::setZoomScale(float scale, bool) {
    zoomAbout(scale, QPointF(width() * 0.5, height() * 0.5));
}

void ScrollView::setZoomView(ZoomableView* view) {
    if (zoomView_)
        zoomView_->removeEventFilter(this);
    zoomView_ = view;
    if (!view)
        return;
    view->setParent(this);
    view->setAttribute(Qt::WA_AcceptTouchEvents);
    view->installEventFilter(this);
    view->placeAt(offset_);
    view->show();
}

void ScrollView::zoomToRect(const QRectF& rect, bool animated) {
    if (!zoomView_ || rect.width() <= 0 || rect.height() <= 0)
        return;
    animation_.stop();
    animStartZoom_ = zoomScale_;
    animEndZoom_ =
        clampedZoom(static_cast<float>(std::min(width() / rect.width(), height() / rect.height())));
    animStartCentre_ = toBounds(QPointF(width() * 0.5, height() * 0.5));
    animTargetCentre_ = rect.center();
    if (!animated) {
        animationStep(1.0);
        endZooming();
        return;
    }
    animation_.start();
}

bool ScrollView::isZoomAnimating() const {
    return animation_.state() == QAbstractAnimation::Running;
}

void ScrollView::animationStep(qreal progress) {
    if (!zoomView_ || animStartZoom_ <= 0)
        return;
    applyZoom(animStartZoom_ *
              static_cast<float>(std::pow(animEndZoom_ / animStartZoom_, progress)));
    const QTransform t = zoomView_->transform();
    const QPointF centre = animStartCentre_ + (animTargetCentre_ - animStartCentre_) * progress;
    const QPointF leftTop(centre.x() - width() / (2 * t.m11()),
                          centre.y() - height() / (2 * t.m22()));
    const QPointF origin = zoomView_->frame().topLeft();
    setContentOffset(clampedOffset(
        QPointF(leftTop.x() * t.m11() + origin.x(), leftTop.y() * t.m22() + origin.y())));
}

void ScrollView::zoomAbout(float scale, const QPointF& anchor) {
    if (!zoomView_)
        return;
    const QPointF inView = toBounds(anchor);
    applyZoom(clampedZoom(scale));
    const QTransform t = zoomView_->transform();
    const QPointF origin = zoomView_->frame().topLeft();
    setContentOffset(clampedOffset(QPointF(inView.x() * t.m11() + origin.x() - anchor.x(),
                                           inView.y() * t.m22() + origin.y() - anchor.y())));
}

void ScrollView::endZooming() {
    wheelZoomEnd_.stop();
    emit didEndZooming(zoomView_, zoomScale_);
}

void ScrollView::applyZoom(float scale) {
    zoomScale_ = scale;
    zoomView_->setTransform(QTransform::fromScale(scale, scale));
    contentSize_ = zoomView_->frame().size();
    zoomView_->placeAt(offset_);
}

float ScrollView::clampedZoom(float scale) const {
    return std::clamp(scale, minimumZoom_, std::max(minimumZoom_, maximumZoom_));
}

QPointF ScrollView::toBounds(const QPointF& viewportPos) const {
    if (!zoomView_)
        return viewportPos + offset_;
    const QPointF inFrame = viewportPos + offset_ - zoomView_->frame().topLeft();
    return zoomView_->mapToBounds(inFrame);
}

QPointF ScrollView::clampedOffset(const QPointF& offset) const {
    const qreal maxX = std::max(0.0, contentSize_.width() - width());
    const qreal maxY = std::max(0.0, contentSize_.height() - height());
    return QPointF(std::clamp(offset.x(), 0.0, maxX), std::clamp(offset.y(), 0.0, maxY));
}

void ScrollView::scrollBy(const QPointF& delta) {
    setContentOffset(clampedOffset(offset_ + delta));
}

void ScrollView::cancelTaps() {
    if (zoomView_)
        zoomView_->touchesCancelled();
}

void ScrollView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (zoomView_)
        zoomView_->placeAt(offset_);
}

bool ScrollView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == zoomView_) {
        const QPointF shift = zoomView_->mapTo(this, QPoint(0, 0));
        if (handleInput(event, shift))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool ScrollView::event(QEvent* event) {
    if (handleInput(event, QPointF()))
        return true;
    return QWidget::event(event);
}

bool ScrollView::handleInput(QEvent* event, const QPointF& shift) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        mousePress(e->position() + shift, e->button(),
                   event->type() == QEvent::MouseButtonDblClick);
        return true;
    }
    case QEvent::MouseMove:
        mouseMove(static_cast<QMouseEvent*>(event)->position() + shift);
        return true;
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        mouseRelease(e->position() + shift, e->button());
        return true;
    }
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        wheel(e->position() + shift, e->angleDelta(), e->pixelDelta(), e->modifiers());
        return true;
    }
    case QEvent::NativeGesture:
        return nativeGesture(static_cast<QNativeGestureEvent*>(event));
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel: {
        return touch(static_cast<QTouchEvent*>(event), shift);
    }
    default:
        return false;
    }
}

void ScrollView::mousePress(const QPointF& pos, Qt::MouseButton button, bool doubleClick) {
    if (doubleClick && gesture_ == Gesture::PossibleTap) {
        // Qt reports the second press of a double click twice: as a press, then as this.
        pressWasDoubleClick_ = true;
        return;
    }
    animation_.stop();
    pressPos_ = lastPos_ = pos;
    pressWasDoubleClick_ = doubleClick;
    if (!zoomView_)
        return;
    const Touch finger{toBounds(pos), doubleClick ? 2 : 1};
    if (button == Qt::LeftButton) {
        gesture_ = Gesture::PossibleTap;
        zoomView_->touchesBegan({finger}, 1);
    } else if (button == Qt::RightButton) {
        // The secondary button stands for two fingers put down together.
        gesture_ = Gesture::PossibleTap;
        zoomView_->touchesBegan({finger, finger}, 2);
    }
}

void ScrollView::mouseMove(const QPointF& pos) {
    if (gesture_ == Gesture::PossibleTap &&
        (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        gesture_ = Gesture::Panning;
        cancelTaps();
    }
    if (gesture_ == Gesture::Panning)
        scrollBy(lastPos_ - pos);
    lastPos_ = pos;
}

void ScrollView::mouseRelease(const QPointF& pos, Qt::MouseButton button) {
    if (gesture_ == Gesture::PossibleTap && zoomView_) {
        const Touch finger{toBounds(pos), pressWasDoubleClick_ ? 2 : 1};
        if (button == Qt::LeftButton)
            zoomView_->touchesEnded({finger}, 1);
        else if (button == Qt::RightButton)
            zoomView_->touchesEnded({Touch{finger.location, 1}, Touch{finger.location, 1}}, 2);
    }
    gesture_ = Gesture::None;
}

void ScrollView::wheel(const QPointF& pos, const QPoint& angleDelta, const QPoint& pixelDelta,
                       Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier) {
        const int steps = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();
        // One notch (120) zooms by about a fifth; the zoom ends when the wheel rests.
        zoomAbout(zoomScale_ * static_cast<float>(std::pow(2.0, steps / 480.0)), pos);
        wheelZoomEnd_.start();
        return;
    }
    const QPointF delta = !pixelDelta.isNull()
                              ? QPointF(pixelDelta)
                              : QPointF(angleDelta) * (wheelPixelsPerNotch / 120.0);
    // Vertical wheels (and Shift+wheel, which some systems turn horizontal) scroll along time.
    const qreal dx = delta.x() != 0 ? delta.x() : delta.y();
    scrollBy(QPointF(-dx, 0));
}

bool ScrollView::nativeGesture(QNativeGestureEvent* event) {
    const QPointF pos = mapFromGlobal(event->globalPosition());
    switch (event->gestureType()) {
    case Qt::ZoomNativeGesture:
        nativeZooming_ = true;
        zoomAbout(zoomScale_ * static_cast<float>(1.0 + event->value()), pos);
        return true;
    case Qt::EndNativeGesture:
        if (nativeZooming_) {
            nativeZooming_ = false;
            endZooming();
        }
        return true;
    default:
        return false;
    }
}

int ScrollView::touchTapCount(const QPointF& pos) {
    const bool continues =
        lastTapTime_.isValid() &&
        lastTapTime_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval() &&
        distance(pos, lastTapPos_) < tapSlop;
    lastTapCount_ = continues ? lastTapCount_ + 1 : 1;
    lastTapPos_ = pos;
    lastTapTime_.restart();
    return lastTapCount_;
}

bool ScrollView::touch(QTouchEvent* event, const QPointF& shift) {
    event->accept();
    if (event->type() == QEvent::TouchCancel) {
        cancelTaps();
        if (gesture_ == Gesture::Pinching)
            endZooming();
        gesture_ = Gesture::None;
        touchStarts_.clear();
        return true;
    }
    if (!zoomView_)
        return true;
    TouchList began;
    TouchList ended;
    QList<QPointF> active;
    QList<QPointF> activeStarts;
    bool moved = false;
    for (const QEventPoint& point : event->points()) {
        const QPointF pos = point.position() + shift;
        if (point.state() == QEventPoint::Pressed) {
            touchStarts_.insert(point.id(), pos);
            touchTapCounts_.insert(point.id(), touchTapCount(pos));
            began.append(Touch{toBounds(pos), touchTapCounts_.value(point.id())});
        }
        if (point.state() == QEventPoint::Released) {
            ended.append(Touch{toBounds(pos), touchTapCounts_.value(point.id(), 1)});
            touchStarts_.remove(point.id());
            continue;
        }
        active.append(pos);
        activeStarts.append(touchStarts_.value(point.id(), pos));
        if (distance(pos, activeStarts.last()) >= QApplication::startDragDistance())
            moved = true;
    }
    if (!began.isEmpty()) {
        animation_.stop();
        if (gesture_ == Gesture::None)
            gesture_ = Gesture::PossibleTap;
        zoomView_->touchesBegan(began, static_cast<int>(active.size()));
        if (!active.isEmpty())
            lastPos_ = active[0];
    }
    if (moved && gesture_ == Gesture::PossibleTap) {
        gesture_ = Gesture::Panning;
        cancelTaps();
    }
    if (gesture_ == Gesture::Panning && active.size() >= 2) {
        gesture_ = Gesture::Pinching;
        // Relative to where the fingers came down, so the content follows them.
        pinchStartDistance_ = distance(activeStarts[0], activeStarts[1]);
        pinchStartZoom_ = zoomScale_;
    }
    if (gesture_ == Gesture::Panning && active.size() == 1) {
        scrollBy(lastPos_ - active[0]);
    } else if (gesture_ == Gesture::Pinching && active.size() >= 2 && pinchStartDistance_ > 0) {
        const qreal ratio = distance(active[0], active[1]) / pinchStartDistance_;
        zoomAbout(pinchStartZoom_ * static_cast<float>(ratio), (active[0] + active[1]) / 2);
    }
    if (!active.isEmpty())
        lastPos_ = active[0];
    if (!ended.isEmpty() && gesture_ == Gesture::PossibleTap)
        zoomView_->touchesEnded(ended, static_cast<int>(event->points().size()));
    if (active.isEmpty()) {
        if (gesture_ == Gesture::Pinching)
            endZooming();
        gesture_ = Gesture::None;
    }
    return true;
}
