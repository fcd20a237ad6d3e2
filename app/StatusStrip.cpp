#include "StatusStrip.h"

#include "Clock.h"
#include "DateTimeFormatter.h"
#include "PowerSource.h"

#include <QPainter>

StatusStrip::StatusStrip(PowerSource& source, QWidget* parent) : QWidget(parent), source_(source) {
    setFixedHeight(Height);
    refresh_.setInterval(30000);
    connect(&refresh_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    refresh_.start();
}

void StatusStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect text = rect().adjusted(6, 0, -6, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(source_.name(), Qt::ElideRight, width() / 3));
    static const DateTimeFormatter time(DateTimeFormatter::Style::None,
                                        DateTimeFormatter::Style::Short);
    painter.drawText(text, Qt::AlignCenter, time.format(Clock::now()));
    const float level =
        source_.accurateBatteryLevel() >= 0 ? source_.accurateBatteryLevel() : source_.level();
    if (level >= 0)
        painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                         QString::asprintf("%.0f %%", static_cast<double>(level) * 100.0));
}
