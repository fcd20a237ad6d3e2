#include "DeviceScreenWindow.h"

#include "MainScreen.h"
#include "TiledLayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QThread>
#include <QWidget>

#include <cstdio>

QWidget* DeviceScreenWindow::build(QWidget* content, const QString& status) {
    auto* window = new QWidget;
    const QRectF screen = MainScreen::bounds();
    window->setFixedSize(screen.size().toSize());
    window->setWindowTitle(QStringLiteral("Ampelio graph"));
    auto* strip = new QLabel(status, window);
    strip->setAlignment(Qt::AlignCenter);
    strip->setGeometry(0, 0, window->width(), static_cast<int>(MainScreen::statusBarHeight));
    strip->setStyleSheet(QStringLiteral("background: #222; color: white; font-size: 11px;"));
    auto* area = new QWidget(window);
    area->setGeometry(MainScreen::applicationFrame().toRect());
    content->setParent(area);
    auto* tabBar = new QWidget(window);
    const int tabBarHeight = static_cast<int>(MainScreen::tabBarHeight);
    tabBar->setGeometry(0, window->height() - tabBarHeight, window->width(), tabBarHeight);
    tabBar->setStyleSheet(QStringLiteral("background: #333;"));
    return window;
}

void DeviceScreenWindow::waitForTiles(QWidget* window, TiledLayer& layer) {
    window->grab();
    QElapsedTimer elapsed;
    elapsed.start();
    while (layer.pendingTileCount() > 0 && elapsed.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

bool DeviceScreenWindow::save(QWidget* window, const QString& file) {
    if (window->grab().save(file))
        return true;
    std::fprintf(stderr, "Could not write %s\n", qPrintable(file));
    return false;
}
