#pragma once

#include <QFont>

// The platform's system font at a size in points. Points of the device screen are our logical
// pixels; a half-point size such as 16.5 rounds up.
inline QFont systemFont(qreal points) {
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(qRound(points));
    return font;
}
