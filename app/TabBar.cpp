#include "TabBar.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int IconSize = 30;
}

TabBar::TabBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(Height);
}

void TabBar::addTab(const QIcon& icon, const QString& title) {
    items_.append({icon, title});
    if (current_ < 0)
        current_ = 0;
    update();
}

void TabBar::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == current_)
        return;
    current_ = index;
    update();
    emit currentChanged(index);
}

QRect TabBar::itemRect(int index) const {
    const int width = count() > 0 ? this->width() / count() : this->width();
    return {index * width, 0, width, height()};
}

QPixmap TabBar::tinted(const QIcon& icon, const QColor& color) const {
    // Icons are black shapes on transparency; the bar paints them in its own colours.
    QPixmap shape = icon.pixmap(QSize(IconSize, IconSize), devicePixelRatioF());
    QPixmap out(shape.size());
    out.setDevicePixelRatio(shape.devicePixelRatio());
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.drawPixmap(0, 0, shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(out.rect(), color);
    return out;
}

void TabBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(0x3a, 0x3a, 0x3a));
    background.setColorAt(0.5, QColor(0x1c, 0x1c, 0x1c));
    background.setColorAt(0.51, QColor(0x0c, 0x0c, 0x0c));
    background.setColorAt(1, QColor(0x00, 0x00, 0x00));
    painter.fillRect(rect(), background);

    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    for (int i = 0; i < count(); ++i) {
        const QRect cell = itemRect(i);
        const bool selected = i == current_;
        if (selected) {
            QPainterPath glow;
            glow.addRoundedRect(QRectF(cell.adjusted(3, 2, -3, -2)), 4, 4);
            painter.fillPath(glow, QColor(255, 255, 255, 38));
        }
        const QColor tint = selected ? QColor(0x4d, 0xb8, 0xff) : QColor(0x99, 0x99, 0x99);
        painter.drawPixmap(cell.center().x() - IconSize / 2, cell.top() + 3,
                           tinted(items_[i].icon, tint));
        painter.setPen(selected ? Qt::white : QColor(0x99, 0x99, 0x99));
        painter.drawText(QRect(cell.left(), cell.bottom() - 14, cell.width(), 12), Qt::AlignCenter,
                         items_[i].title);
    }
}

void TabBar::mousePressEvent(QMouseEvent* event) {
    for (int i = 0; i < count(); ++i) {
        if (itemRect(i).contains(event->position().toPoint())) {
            setCurrentIndex(i);
            return;
        }
    }
}
