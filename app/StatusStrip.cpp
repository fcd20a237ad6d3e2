#include "StatusStrip.h"

#include "ChargeTimeEstimator.h"
#include "Clock.h"
#include "DateTimeFormatter.h"
#include "PowerSource.h"

#include <QPainter>

StatusStrip::StatusStrip(PowerSource& source, QWidget* parent)
    : QWidget(parent), source_(source),
      timeFormatter_(std::make_unique<DateTimeFormatter>(DateTimeFormatter::Style::None,
                                                         DateTimeFormatter::Style::Short)) {
    setFixedHeight(Height);
    refresh_.setInterval(30000);
    connect(&refresh_, &QTimer::timeout, this, &StatusStrip::refresh);
    refresh_.start();
    messageTimer_.setSingleShot(true);
    connect(&messageTimer_, &QTimer::timeout, this, [this] {
        message_.clear();
        update();
    });
    refresh();
}

void StatusStrip::showMessage(const QString& text, int milliseconds) {
    message_ = text;
    messageTimer_.start(milliseconds);
    update();
}

StatusStrip::~StatusStrip() = default;

// Reading the battery means reading files, so it happens here, twice a minute, not per paint.
void StatusStrip::refresh() {
    name_ = source_.name();
    time_ = timeFormatter_->format(Clock::now());
    float level = source_.combinedBatteryLevel();
    if (level < 0)
        level = source_.level();
    charge_ =
        level >= 0 ? QString::asprintf("%.0f %%", static_cast<double>(level) * 100.0) : QString();
    if (!estimate_.isEmpty() && !charge_.isEmpty())
        charge_ = estimate_ + QStringLiteral("  ") + charge_;
    update();
}

void StatusStrip::setEstimateText(const QString& text) {
    estimate_ = text == ChargeTimeEstimate::none() ? QString() : text;
    refresh();
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
    if (!message_.isEmpty()) {
        // A note takes the place of the name and the time, which it may be longer than.
        const int room = text.width() - painter.fontMetrics().horizontalAdvance(charge_) - 12;
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(message_, Qt::ElideRight, room));
        painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, charge_);
        return;
    }
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(name_, Qt::ElideRight, width() / 3));
    painter.drawText(text, Qt::AlignCenter, time_);
    painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, charge_);
}
