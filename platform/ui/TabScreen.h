#pragma once

#include <QWidget>

// A tab's screen: it prepares itself each time it is about to show and tells the application
// when it appears and when it has gone, so visits can be timed.
class TabScreen : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

signals:
    void viewWillAppear();
    void viewDidDisappear();

protected:
    // Builds or refreshes what the screen shows; called before every appearance.
    virtual void prepareToAppear() {}

    void showEvent(QShowEvent* event) override {
        prepareToAppear();
        QWidget::showEvent(event);
        emit viewWillAppear();
    }
    void hideEvent(QHideEvent* event) override {
        QWidget::hideEvent(event);
        emit viewDidDisappear();
    }
};
