#pragma once

#include <QIcon>
#include <QString>

// What a screen shows in the window's tab bar.
struct TabBarItem {
    QString title;
    QIcon icon;
    int tag = 0;
};
