#include "NavigationBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

NavigationBar::NavigationBar(const QString& title, QWidget* parent) : QWidget(parent) {
    setFixedHeight(Height);
    title_ = new QLabel(title, this);
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(20);
    font.setBold(true);
    title_->setFont(font);
    title_->setAlignment(Qt::AlignCenter);
    title_->setStyleSheet(QStringLiteral("color: white;"));
    layout_ = new QHBoxLayout(this);
    layout_->setContentsMargins(6, 6, 6, 6);
    layout_->addWidget(title_, 1);
}

QPushButton* NavigationBar::makeButton(const QString& text) {
    auto* button = new QPushButton(text, this);
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(13);
    font.setBold(true);
    button->setFont(font);
    button->setFixedSize(text.size() > 2 ? 54 : 40, 30);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background: #4a6a9a; border: 1px solid #2d466b;"
                       " border-radius: 5px; } QPushButton:pressed { background: #34507a; }"));
    return button;
}

QPushButton* NavigationBar::addLeftButton(const QString& text) {
    QPushButton* button = makeButton(text);
    layout_->insertWidget(0, button);
    return button;
}

QPushButton* NavigationBar::addRightButton(const QString& text) {
    QPushButton* button = makeButton(text);
    layout_->addWidget(button);
    return button;
}

void NavigationBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0x8a, 0xa3, 0xc4));
    gradient.setColorAt(1, QColor(0x4e, 0x6b, 0x96));
    painter.fillRect(rect(), gradient);
    painter.setPen(QColor(0x2d, 0x46, 0x6b));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}
