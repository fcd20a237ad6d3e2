#include "BlurredShadow.h"

#include <QPainter>

#include <cmath>
#include <vector>

namespace {
// One pass of a box blur over every channel of a premultiplied image, along rows or columns.
void boxBlur(QImage& image, int radius, bool horizontal) {
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    const int window = 2 * radius + 1;
    std::vector<QRgb> source(static_cast<size_t>(length));
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb& {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
        };
        for (int i = 0; i < length; ++i)
            source[static_cast<size_t>(i)] = pixel(i);
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length)
                return;
            const QRgb p = source[static_cast<size_t>(i)];
            sum[0] += sign * qAlpha(p);
            sum[1] += sign * qRed(p);
            sum[2] += sign * qGreen(p);
            sum[3] += sign * qBlue(p);
        };
        for (int i = -radius; i < radius; ++i)
            add(i, 1);
        for (int i = 0; i < length; ++i) {
            add(i + radius, 1);
            pixel(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            add(i - radius, -1);
        }
    }
}
} // namespace

BlurredShadow BlurredShadow::of(const QPainterPath& path, const QColor& colour, qreal blur) {
    // Three box passes come close to the platform's Gaussian shadow.
    const int radius = std::max(1, static_cast<int>(std::lround(blur / 3.0)));
    const int pad = 3 * radius + 1;
    const QRect bounds = path.boundingRect().toAlignedRect().adjusted(-pad, -pad, pad, pad);
    BlurredShadow shadow{QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied),
                         QPointF(bounds.topLeft())};
    shadow.image.fill(Qt::transparent);
    {
        QPainter painter(&shadow.image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-QPointF(bounds.topLeft()));
        painter.fillPath(path, colour);
    }
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(shadow.image, radius, true);
        boxBlur(shadow.image, radius, false);
    }
    return shadow;
}
