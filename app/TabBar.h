#pragma once

#include "MainScreen.h"

#include <QIcon>
#include <QList>
#include <QWidget>

// The 49-point tab bar at the bottom of the device screen: an icon over a title for each tab,
// the selected one lit.
class TabBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = static_cast<int>(MainScreen::tabBarHeight);

    explicit TabBar(QWidget* parent = nullptr);

    void addTab(const QIcon& icon, const QString& title);
    int count() const { return static_cast<int>(items_.size()); }
    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);
    QString title(int index) const { return items_.value(index).title; }

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Item {
        QIcon icon;
        QString title;
    };
    QRect itemRect(int index) const;
    QPixmap tinted(const QIcon& icon, const QColor& color) const;

    QList<Item> items_;
    int current_ = -1;
};
