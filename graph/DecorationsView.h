#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "BatteryLogHandler.h"
class DateTimeFormatter;
class FadingLabel;
class ScrollView;

// The transparent overlay at the bottom of the graph screen that says which stretch of time the
// graph shows: "Last ..." while the window reaches the present, else the dates of its two ends,
// which dim shortly after each change; and always the length of the window underneath.
class DecorationsView : public QWidget {
    Q_OBJECT
public:
    // Asks the log for the visible window and the reference date.
    DecorationsView(const QRectF& frame, BatteryLogHandler& handler, QWidget* parent = nullptr);
    ~DecorationsView() override;

    BatteryLogHandler& batteryLogHandler() const { return batteryLogHandler_; }

    void layoutSubviews();
    DateTimeFormatter& getDateFormatter();
    void updateTimeLabels();
    void fadeFromToLabel();
    void scrollViewDidScroll(ScrollView*) { updateTimeLabels(); }

    FadingLabel* fromTimeLabel() const { return fromTimeLabel_; }
    FadingLabel* toTimeLabel() const { return toTimeLabel_; }
    FadingLabel* lastNHoursLabel() const { return lastNHoursLabel_; }
    FadingLabel* rangeLabel() const { return rangeLabel_; }
    // The pending dimming of the end labels.
    const QTimer& fadeTimer() const { return fadeTimer_; }
    QTimer& fadeTimer() { return fadeTimer_; }

    static constexpr int fadeDelayMs = 500;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    FadingLabel* makeLabel(const QColor& colour, qreal fontSize, Qt::Alignment alignment);
    void showPresent(float span);
    void showPast();
    void animateEndLabels(const QString& name, qreal alpha, int milliseconds);

    BatteryLogHandler& batteryLogHandler_;
    FadingLabel* fromTimeLabel_ = nullptr;
    FadingLabel* toTimeLabel_ = nullptr;
    FadingLabel* lastNHoursLabel_ = nullptr;
    FadingLabel* rangeLabel_ = nullptr;
    std::unique_ptr<DateTimeFormatter> dateFormatter_;
    QTimer fadeTimer_;
};
