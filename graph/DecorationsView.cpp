#include "DecorationsView.h"

#include "BatteryLogHandler.h"
#include "DateIntervalFormatter.h"
#include "DateTimeFormatter.h"
#include "FadingLabel.h"
#include "MainScreen.h"
#include "SystemFont.h"

namespace {
const QColor labelGrey = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.9f);
const QColor rangeGrey = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 1.0f);
const QString datePattern = QStringLiteral("EEE\nMMM d\nh:mm a");

bool isTablet() {
    return MainScreen::idiom() == UserInterfaceIdiom::Pad;
}

QRect frame(qreal x, qreal y, qreal w, qreal h) {
    return QRectF(x, y, w, h).toRect();
}
} // namespace

DecorationsView::DecorationsView(const QRectF& frame, BatteryLogHandler& handler, QWidget* parent)
    : QWidget(parent), batteryLogHandler_(handler) {
    setGeometry(frame.toRect());
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TransparentForMouseEvents); // touches go through to the graph
    const qreal size = isTablet() ? 30 : 20;
    fromTimeLabel_ = makeLabel(labelGrey, size, Qt::AlignLeft | Qt::AlignVCenter);
    toTimeLabel_ = makeLabel(labelGrey, size, Qt::AlignRight | Qt::AlignVCenter);
    lastNHoursLabel_ = makeLabel(labelGrey, size, Qt::AlignCenter);
    rangeLabel_ = makeLabel(rangeGrey, 14, Qt::AlignCenter);
    fromTimeLabel_->setWordWrap(true);
    toTimeLabel_->setWordWrap(true);
    fromTimeLabel_->setGeometry(20, 285, 140, 100);
    toTimeLabel_->setGeometry(160, 285, 140, 100);
    lastNHoursLabel_->setGeometry(30, 285, 250, 100);
    rangeLabel_->setGeometry(30, 387, 250, 15);
    fadeTimer_.setSingleShot(true);
    fadeTimer_.setInterval(fadeDelayMs);
    connect(&fadeTimer_, &QTimer::timeout, this, &DecorationsView::fadeFromToLabel);
    updateTimeLabels();
    layoutSubviews();
}

DecorationsView::~DecorationsView() = default;

FadingLabel* DecorationsView::makeLabel(const QColor& colour, qreal fontSize,
                                        Qt::Alignment alignment) {
    auto* label = new FadingLabel(colour, this);
    label->setFont(systemFont(fontSize));
    label->setAlignment(alignment);
    return label;
}

void DecorationsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutSubviews();
}

void DecorationsView::layoutSubviews() {
    const qreal w = width();
    const qreal h = height();
    if (isTablet()) {
        fromTimeLabel_->setGeometry(frame(20, h - 220, 280, 200));
        toTimeLabel_->setGeometry(frame(w - 300, h - 220, 280, 200));
        lastNHoursLabel_->setGeometry(frame(30, h - 200, w - 60, 100));
    } else {
        fromTimeLabel_->setGeometry(frame(20, h - 125, 140, 100));
        toTimeLabel_->setGeometry(frame(w - 160, h - 125, 140, 100));
        lastNHoursLabel_->setGeometry(frame(30, h - 125, w - 60, 100));
    }
    rangeLabel_->setGeometry(frame(30, h - 29, w - 60, 15));
}

DateTimeFormatter& DecorationsView::getDateFormatter() {
    if (!dateFormatter_)
        dateFormatter_ = std::make_unique<DateTimeFormatter>(datePattern);
    return *dateFormatter_;
}

void DecorationsView::updateTimeLabels() {
    if (!fromTimeLabel_ || !toTimeLabel_)
        return;
    const int begin = batteryLogHandler_.visibleBeginDate();
    const int end = batteryLogHandler_.visibleEndDate();
    const float span = static_cast<float>(end - begin);
    rangeLabel_->setText(DateIntervalFormatter::formatRelativeTime(span));
    if (batteryLogHandler_.fromDateIsNow())
        showPresent(span);
    else
        showPast();
}

void DecorationsView::showPresent(float span) {
    if (lastNHoursLabel_->alpha() < 0.9)
        lastNHoursLabel_->animateAlpha(QStringLiteral("show nowLabel"), 1.0, 1000);
    const QString length = DateIntervalFormatter::formatRelativeTime(static_cast<double>(span - 1));
    lastNHoursLabel_->setText(QString::asprintf("Last %s", qUtf8Printable(length)));
    if (fromTimeLabel_->alpha() > 0.05)
        animateEndLabels(QStringLiteral("hide fromToLabel"), 0.0, 500);
}

void DecorationsView::showPast() {
    DateTimeFormatter& formatter = getDateFormatter();
    const double reference = batteryLogHandler_.getFromDate();
    fromTimeLabel_->setText(formatter.format(reference - batteryLogHandler_.visibleBeginDate()));
    toTimeLabel_->setText(formatter.format(reference - batteryLogHandler_.visibleEndDate()));
    if (lastNHoursLabel_->alpha() > 0)
        lastNHoursLabel_->animateAlpha(QStringLiteral("hide nowLabel"), 0.0, 500);
    if (fromTimeLabel_->alpha() < 0.9) {
        animateEndLabels(QStringLiteral("fromToLabel"), 1.0, 1000);
        fadeTimer_.start(); // replaces a dimming still pending
    }
}

void DecorationsView::fadeFromToLabel() {
    if (fromTimeLabel_->alpha() > 0.4)
        animateEndLabels(QStringLiteral("fromToLabel"), 0.2, 2000);
}

void DecorationsView::animateEndLabels(const QString& name, qreal alpha, int milliseconds) {
    fromTimeLabel_->animateAlpha(name, alpha, milliseconds);
    toTimeLabel_->animateAlpha(name, alpha, milliseconds);
}
