#pragma once

#include "MainScreen.h"

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;

// A 44-point bar with a centred title and plain text buttons on either side.
class NavigationBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = static_cast<int>(MainScreen::navigationBarHeight);

    explicit NavigationBar(const QString& title, QWidget* parent = nullptr);
    QPushButton* addLeftButton(const QString& text);
    QPushButton* addRightButton(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* makeButton(const QString& text);

    QLabel* title_;
    QHBoxLayout* layout_;
};
