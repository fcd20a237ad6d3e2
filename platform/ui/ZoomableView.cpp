#include "ZoomableView.h"

#include <cmath>

ZoomableView::ZoomableView(const QRectF& frame, QWidget* parent)
    : QWidget(parent), origin_(frame.topLeft()), bounds_(frame.size()) {
    applyGeometry();
}

QRectF ZoomableView::frame() const {
    return QRectF(origin_,
                  QSizeF(bounds_.width() * transform_.m11(), bounds_.height() * transform_.m22()));
}

void ZoomableView::setFrame(const QRectF& frame) {
    transform_ = QTransform();
    origin_ = frame.topLeft();
    bounds_ = frame.size();
    applyGeometry();
}

void ZoomableView::setTransform(const QTransform& transform) {
    transform_ = transform;
    applyGeometry();
    update();
}

void ZoomableView::placeAt(const QPointF& contentOffset) {
    contentOffset_ = contentOffset;
    applyGeometry();
}

QPointF ZoomableView::mapToBounds(const QPointF& widgetPoint) const {
    const qreal sx = transform_.m11() != 0 ? transform_.m11() : 1.0;
    const qreal sy = transform_.m22() != 0 ? transform_.m22() : 1.0;
    return QPointF(widgetPoint.x() / sx, widgetPoint.y() / sy);
}

void ZoomableView::touchesBegan(const TouchList&, int) {}

void ZoomableView::touchesEnded(const TouchList&, int) {}

void ZoomableView::touchesCancelled() {}

void ZoomableView::applyGeometry() {
    const QRectF f = frame();
    const QPointF topLeft = f.topLeft() - contentOffset_;
    setGeometry(QRect(
        QPoint(static_cast<int>(std::lround(topLeft.x())),
               static_cast<int>(std::lround(topLeft.y()))),
        QSize(static_cast<int>(std::ceil(f.width())), static_cast<int>(std::ceil(f.height())))));
}
