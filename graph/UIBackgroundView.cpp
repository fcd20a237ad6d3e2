#include "UIBackgroundView.h"

#include "GraphView.h"

UIBackgroundView::UIBackgroundView(const QRectF& frame, QWidget* parent) : QWidget(parent) {
    setGeometry(frame.toRect());
}
