#include "WindowedApplication.h"

#include "AmpelioGraphController.h"
#include "Ampelio_ProAppDelegate.h"
#include "Device.h"
#include "HistoryViewController.h"
#include "MainScreen.h"
#include "MainWindow.h"
#include "StatisticsTableViewController.h"
#include "TabBar.h"
#include "TiledLayer.h"
#include "UIDeviceHardware.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QStackedWidget>
#include <QThread>

#include <cstdio>

WindowedApplication::WindowedApplication(Device& device, const QString& documentsDirectory,
                                         UserDefaults& defaults) {
    buildWindow(device);
    delegate_ =
        std::make_unique<Ampelio_ProAppDelegate>(device, documentsDirectory, defaults, keepAlive_);
    delegate_->setWindow(window_.get());
    delegate_->setGraphViewcontroller(graph_);
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
    graph_ = new AmpelioGraphController(window_.get());
    const TabBarItem graphItem = graph_->tabBarItem();
    window_->addTab(graph_->view(), graphItem.icon, graphItem.title);
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
    QObject::connect(window_.get(), &MainWindow::orientationChanged, graph_,
                     [this](bool landscape) {
                         MainScreen::setLandscape(landscape);
                         graph_->didRotateFromInterfaceOrientation();
                     });
}

int WindowedApplication::run() {
    lifecycle_.launch();
    // The launch shows the window; like the phone, the application is active right after.
    lifecycle_.activate();
    return QApplication::exec();
}

// Paints once so the graph asks for its tiles, then lets the tile threads finish.
void WindowedApplication::settle() {
    window_->grab();
    QElapsedTimer waited;
    waited.start();
    TiledLayer& tiles = graph_->graphView()->tiledLayer();
    while (waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (tiles.pendingTileCount() == 0)
            break;
        QThread::msleep(2);
    }
    QApplication::processEvents();
}

void WindowedApplication::terminate() {
    lifecycle_.terminate();
    QCoreApplication::exit(0);
}

int WindowedApplication::screenshot(const QString& directory) {
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "Couldn't create %s\n", qPrintable(directory));
        return 1;
    }
    // Another logger may be running: pictures must not add a sample to its log.
    delegate_->setStoreAccess(StoreAccess::ReadOnly);
    lifecycle_.launch();
    lifecycle_.activate();
    const QStringList names = {QStringLiteral("graph"), QStringLiteral("history"),
                               QStringLiteral("statistics")};
    bool ok = true;
    for (int tab = 0; tab < window_->tabBar()->count(); ++tab) {
        window_->tabBar()->setCurrentIndex(tab);
        settle();
        const QString file = QDir(directory).filePath(names.value(tab) + QStringLiteral(".png"));
        if (!window_->grab().save(file)) {
            std::fprintf(stderr, "Couldn't write %s\n", qPrintable(file));
            ok = false;
        }
    }
    lifecycle_.terminate();
    return ok ? 0 : 1;
}
