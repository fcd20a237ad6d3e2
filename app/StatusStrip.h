#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>

class DateTimeFormatter;
class PowerSource;

// The 20-point strip at the top of the device screen: the power source's name, the time and the
// battery's charge, read on a timer rather than in every paint.
class StatusStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 20;

    explicit StatusStrip(PowerSource& source, QWidget* parent = nullptr);
    ~StatusStrip() override;

    // The time to full or empty shown before the charge ("2:05 left"); the dash of "no
    // estimate" is left out, since the strip has little room.
    void setEstimateText(const QString& text);
    QString chargeText() const { return charge_; }
    // Shows a note in place of the time for a few seconds.
    void showMessage(const QString& text, int milliseconds = MessageMilliseconds);
    QString message() const { return message_; }
    static constexpr int MessageMilliseconds = 4000;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    PowerSource& source_;
    std::unique_ptr<DateTimeFormatter> timeFormatter_;
    QTimer refresh_;
    QString name_;
    QString time_;
    QString charge_;
    QString estimate_;
    QString message_;
    QTimer messageTimer_;
};
