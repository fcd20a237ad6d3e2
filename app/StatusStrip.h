#pragma once

#include <QTimer>
#include <QWidget>

class PowerSource;

// The 20-point strip at the top of the device screen: the power source's name, the time and the
// battery's charge.
class StatusStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 20;

    explicit StatusStrip(PowerSource& source, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PowerSource& source_;
    QTimer refresh_;
};
