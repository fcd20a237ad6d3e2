#include "WindowedApplication.h"

#include "Ampelio_ProAppDelegate.h"
#include "Device.h"
#include "HistoryViewController.h"
#include "MainScreen.h"
#include "MainWindow.h"
#include "StatisticsTableViewController.h"
#include "TabBar.h"
#include "UIDeviceHardware.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QStackedWidget>

#include <cstdio>

WindowedApplication::WindowedApplication(Device& device, const QString& documentsDirectory,
                                         UserDefaults& defaults) {
    buildWindow(device);
    delegate_ =
        std::make_unique<Ampelio_ProAppDelegate>(device, documentsDirectory, defaults, keepAlive_);
    delegate_->setWindow(window_.get());
    delegate_->setHistoryViewController(history_);
    delegate_->setStatisticsViewController(statistics_);
    delegate_->attach(lifecycle_);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &lifecycle_,
                     &ApplicationLifecycle::terminate);
}

// The delegate (and with it the log) goes first; the screens still point at it until then.
WindowedApplication::~WindowedApplication() {
    delegate_.reset();
    window_.reset();
}

void WindowedApplication::buildWindow(Device& device) {
    window_ = std::make_unique<MainWindow>(device.powerSource(), lifecycle_);
    hardware_ =
        std::make_unique<UIDeviceHardware>(device.powerSource(), MainScreen::bounds().width());
    history_ = new HistoryViewController;
    statistics_ = new StatisticsTableViewController;
    statistics_->setHardware(hardware_.get());
    window_->addTab(history_, QIcon(QStringLiteral(":/icons/history.svg")),
                    QStringLiteral("History"));
    window_->addTab(statistics_, QIcon(QStringLiteral(":/icons/137-presentation.svg")),
                    QStringLiteral("Statistics"));
    window_->setScreenSize(MainScreen::bounds().size().toSize());
    if (MainScreen::idiom() == UserInterfaceIdiom::Phone)
        window_->setFixedSize(MainScreen::bounds().size().toSize());
    QObject::connect(window_.get(), &MainWindow::orientationChanged,
                     [](bool landscape) { MainScreen::setLandscape(landscape); });
}

int WindowedApplication::run() {
    lifecycle_.launch();
    // The launch shows the window; like the phone, the application is active right after.
    lifecycle_.activate();
    return QApplication::exec();
}

int WindowedApplication::screenshot(const QString& directory) {
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "Couldn't create %s\n", qPrintable(directory));
        return 1;
    }
    lifecycle_.launch();
    lifecycle_.activate();
    const QStringList names = {QStringLiteral("history"), QStringLiteral("statistics")};
    bool ok = true;
    for (int tab = 0; tab < window_->tabBar()->count(); ++tab) {
        window_->tabBar()->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString file = QDir(directory).filePath(names.value(tab) + QStringLiteral(".png"));
        if (!window_->grab().save(file)) {
            std::fprintf(stderr, "Couldn't write %s\n", qPrintable(file));
            ok = false;
        }
    }
    lifecycle_.terminate();
    return ok ? 0 : 1;
}
