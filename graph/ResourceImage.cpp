#include "ResourceImage.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <mutex>

// The images are compiled into the library; outside a namespace, as the initialiser requires.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {
QString svgPath(const QString& name) {
    static std::once_flag once;
    std::call_once(once, initResources);
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

QString pngPath(const QString& name) {
    return QStringLiteral(":/icons/") + name + QStringLiteral(".png");
}

constexpr qreal density = 2.0;
} // namespace

QImage ResourceImage::bitmap(const QString& name, int points) {
    QSvgRenderer svg(svgPath(name));
    if (!svg.isValid()) {
        QImage png(pngPath(name));
        return png;
    }
    const int side = static_cast<int>(points * density);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, side, side));
    }
    image.setDevicePixelRatio(density);
    return image;
}

QIcon ResourceImage::icon(const QString& name) {
    if (QFile::exists(svgPath(name)))
        return QIcon(svgPath(name));
    if (QFile::exists(pngPath(name)))
        return QIcon(pngPath(name));
    return QIcon();
}
