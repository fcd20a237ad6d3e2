#include "MainWindow.h"

#include "AmpelioResources.h"
#include "ApplicationLifecycle.h"
#include "LogCategories.h"
#include "StatusStrip.h"
#include "TabBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

MainWindow::MainWindow(PowerSource& source, ApplicationLifecycle& lifecycle, QWidget* parent)
    : QWidget(parent), lifecycle_(lifecycle) {
    initAmpelioResources();
    setWindowTitle(QStringLiteral("Ampelio"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ampelio.svg")));
    status_ = new StatusStrip(source, this);
    stack_ = new QStackedWidget(this);
    tabBar_ = new TabBar(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(status_);
    layout->addWidget(stack_, 1);
    layout->addWidget(tabBar_);
    connect(tabBar_, &TabBar::currentChanged, stack_, &QStackedWidget::setCurrentIndex);
    createTrayIcon();
}

void MainWindow::addTab(QWidget* screen, const QIcon& icon, const QString& title) {
    stack_->addWidget(screen);
    tabBar_->addTab(icon, title);
}

void MainWindow::setScreenSize(const QSize& size) {
    resize(size);
    landscape_ = size.width() > size.height();
}

void MainWindow::createTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QStringLiteral("Ampelio is logging the battery"));
    trayMenu_ = new QMenu(this);
    trayMenu_->addAction(QStringLiteral("Show Ampelio"), this, &MainWindow::restore);
    quit_ = trayMenu_->addAction(QStringLiteral("Quit"), qApp, &QApplication::quit);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    restore();
            });
    tray_->show();
}

void MainWindow::restore() {
    showNormal();
    raise();
    activateWindow();
    lifecycle_.activate();
}

void MainWindow::addSettingsAction(QAction* action) {
    status_->setContextMenuPolicy(Qt::ActionsContextMenu);
    status_->addAction(action);
    if (trayMenu_)
        trayMenu_->insertAction(quit_, action);
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            lifecycle_.activate();
        else if (!isMinimized() && isVisible())
            lifecycle_.deactivate();
    } else if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized())
            lifecycle_.enterBackground();
        else if (isActiveWindow())
            lifecycle_.activate();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
    lifecycle_.enterBackground();
    if (!tray_ || !tray_->isVisible())
        qCInfo(lcApp,
               "Ampelio keeps logging in the background; start it again to show its window.");
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const bool landscape = width() > height();
    if (landscape != landscape_) {
        landscape_ = landscape;
        emit orientationChanged(landscape);
    }
}
