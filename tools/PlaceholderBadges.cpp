#include "PlaceholderBadges.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int side = 29;
constexpr qreal scale = 2.0;

void drawMark(QPainter& painter, int state) {
    QPen pen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    QPainterPath mark;
    if (state == 1) { // a battery outline
        painter.drawRoundedRect(QRectF(8, 10.5, 12, 8), 1.5, 1.5);
        painter.fillRect(QRectF(20.5, 12.5, 2, 4), Qt::white);
        return;
    }
    if (state == 2) { // a lightning bolt
        mark.moveTo(16.5, 6.5);
        mark.lineTo(10, 15.5);
        mark.lineTo(14.5, 15.5);
        mark.lineTo(12.5, 22.5);
        mark.lineTo(19, 13.5);
        mark.lineTo(14.5, 13.5);
        mark.closeSubpath();
        painter.setBrush(Qt::white);
        painter.setPen(QPen(Qt::white, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(mark);
        return;
    }
    mark.moveTo(9, 15); // a tick
    mark.lineTo(13, 19);
    mark.lineTo(20.5, 10.5);
    painter.drawPath(mark);
}

QColor colourFor(int state) {
    switch (state) {
    case 1:
        return QColor(52, 140, 62);
    case 2:
        return QColor(230, 140, 20);
    default:
        return QColor(40, 110, 200);
    }
}
} // namespace

QImage PlaceholderBadges::forState(int state) {
    if (state < 1 || state > 3)
        return QImage();
    QImage image(QSize(side, side) * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(colourFor(state));
    painter.drawEllipse(QRectF(1.5, 1.5, side - 3, side - 3));
    painter.setBrush(Qt::NoBrush);
    drawMark(painter, state);
    painter.end();
    image.setDevicePixelRatio(scale);
    return image;
}
