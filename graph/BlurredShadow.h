#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>

// The soft shadow of a filled path, as a picture to draw at `origin` (path coordinates) plus
// the shadow's offset.
struct BlurredShadow {
    QImage image;
    QPointF origin;

    // `blur` is the width over which the edge fades, in points.
    static BlurredShadow of(const QPainterPath& path, const QColor& colour, qreal blur);
};
