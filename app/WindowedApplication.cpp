#include "WindowedApplication.h"

#include "AlarmsDialog.h"
#include "AmpelioGraphController.h"
#include "Ampelio_ProAppDelegate.h"
#include "Analytics.h"
#include "ChargeServices.h"
#include "Device.h"
#include "GraphScreen.h"
#include "HistoryViewController.h"
#include "MainScreen.h"
#include "MainWindow.h"
#include "StatisticsTableViewController.h"
#include "StatusStrip.h"
#include "TabBar.h"
#include "TiledLayer.h"
#include "TrayIcon.h"
#include "UIDeviceHardware.h"
#include "UsageStatisticsChoice.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QImageWriter>
#include <QStackedWidget>
#include <QThread>

#include <cstdio>

WindowedApplication::WindowedApplication(Device& device, const QString& documentsDirectory,
                                         UserDefaults& defaults, StoreAccess access)
    : delegate_(std::make_unique<Ampelio_ProAppDelegate>(device, documentsDirectory, defaults,
                                                         keepAlive_, nullptr, access)) {
    buildWindow(device, defaults);
    delegate_->attach(lifecycle_);
    usageStatistics_ = new UsageStatisticsChoice(defaults, window_.get());
    window_->addSettingsAction(usageStatistics_->action());
    addChargeServices(defaults, access);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &lifecycle_,
                     &ApplicationLifecycle::terminate);
}

// Analytics works on a thread of its own that reads the process's statics; it is stopped here so
// that it never runs into the exit handlers that destroy them.
WindowedApplication::~WindowedApplication() {
    Analytics::shutdown();
}

// The time estimate goes to the status strip; alarms become desktop notifications; the settings
// of both are behind one entry of the settings menu.
void WindowedApplication::addChargeServices(UserDefaults& defaults, StoreAccess access) {
    ChargeServices& services = delegate_->chargeServices();
    StatusStrip* strip = window_->statusStrip();
    TrayIcon* tray = window_->trayIcon();
    strip->setEstimateText(services.estimateText());
    tray->setEstimate(services.estimateText());
    QObject::connect(&services, &ChargeServices::estimateChanged, strip,
                     &StatusStrip::setEstimateText);
    QObject::connect(&services, &ChargeServices::estimateChanged, tray, &TrayIcon::setEstimate);
    if (access == StoreAccess::ReadOnly)
        return;
    services.enableDesktopNotifications();
    auto* action = new QAction(QStringLiteral("Alarms and Metrics…"), window_.get());
    QObject::connect(action, &QAction::triggered, window_.get(), [this, &defaults, &services] {
        AlarmsDialog dialog(defaults, window_.get());
        if (dialog.exec() == QDialog::Accepted)
            services.applyMetricsSetting();
    });
    window_->addSettingsAction(action);
}

// The screens are built in tab order, so the log tells the graph of a change before the
// statistics; the statistics screen exports through the history screen.
void WindowedApplication::buildWindow(Device& device, UserDefaults& defaults) {
    BatteryLogHandler& log = delegate_->batteryLogHandler();
    window_ = std::make_unique<MainWindow>(device.powerSource(), lifecycle_);
    hardware_ =
        std::make_unique<UIDeviceHardware>(device.powerSource(), MainScreen::bounds().width());
    auto* graph = new GraphScreen(log);
    graph_ = &graph->controller();
    const TabBarItem graphItem = graph_->tabBarItem();
    window_->addTab(graph, graphItem.icon, graphItem.title);
    auto* history = new HistoryViewController(log);
    auto* statistics = new StatisticsTableViewController(log, *hardware_);
    statistics->setHistoryViewController(history);
    window_->addTab(history, QIcon(QStringLiteral(":/icons/history.svg")),
                    QStringLiteral("History"));
    window_->addTab(statistics, QIcon(QStringLiteral(":/icons/137-presentation.svg")),
                    QStringLiteral("Statistics"));
    QObject::connect(history, &HistoryViewController::statusMessage, window_->statusStrip(),
                     [this](const QString& text) { window_->statusStrip()->showMessage(text); });
    QObject::connect(statistics, &StatisticsTableViewController::statusMessage,
                     window_->statusStrip(),
                     [this](const QString& text) { window_->statusStrip()->showMessage(text); });
    QObject::connect(window_.get(), &MainWindow::exportRequested, statistics,
                     &StatisticsTableViewController::saveCsvFile);
    statistics->setOffersSaveRow(MainScreen::followsWindow());
    // The tray's picture follows the battery as the log does, not only on its own timer.
    QObject::connect(&device, &Device::batteryLevelDidChange, window_->trayIcon(),
                     &TrayIcon::refresh);
    QObject::connect(&device, &Device::batteryStateDidChange, window_->trayIcon(),
                     &TrayIcon::refresh);
    QObject::connect(window_.get(), &MainWindow::themeChanged, history, [this, history] {
        history->applyTheme();
        if (graph_->graphView())
            graph_->graphView()->clearTileCache(); // the line's colour is drawn into the tiles
    });
    delegate_->setWindow(window_.get());
    delegate_->setGraphViewcontroller(graph_);
    delegate_->setHistoryViewController(history);
    delegate_->setStatisticsViewController(statistics);
    if (MainScreen::followsWindow()) {
        window_->becomeDesktopWindow(defaults);
        QObject::connect(window_.get(), &MainWindow::screenResized, graph_,
                         &AmpelioGraphController::didResizeScreen);
    } else {
        window_->setScreenSize(MainScreen::bounds().size().toSize());
        if (MainScreen::idiom() == UserInterfaceIdiom::Phone)
            window_->setFixedSize(MainScreen::bounds().size().toSize());
    }
    QObject::connect(window_.get(), &MainWindow::quitRequested, window_.get(),
                     [this] { terminate(); });
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

int WindowedApplication::runInBackground() {
    // As headless: launched, active for the first sample, then in the background.
    delegate_->setWindow(nullptr);
    lifecycle_.launch();
    delegate_->setWindow(window_.get());
    lifecycle_.activate();
    lifecycle_.enterBackground();
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
    if (window_->isVisible())
        window_->saveGeometry();
    lifecycle_.terminate();
    QCoreApplication::exit(0);
}

int WindowedApplication::screenshot(const QString& directory) {
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr,
                     "Couldn't create the folder %s; give --screenshot one you can write to\n",
                     qPrintable(directory));
        return 1;
    }
    lifecycle_.launch();
    lifecycle_.activate();
    const QStringList names = {QStringLiteral("graph"), QStringLiteral("history"),
                               QStringLiteral("statistics")};
    bool ok = true;
    for (int tab = 0; tab < window_->tabBar()->count(); ++tab) {
        window_->tabBar()->setCurrentIndex(tab);
        settle();
        const QString file = QDir(directory).filePath(names.value(tab) + QStringLiteral(".png"));
        QImageWriter writer(file);
        if (!writer.write(window_->grab().toImage())) {
            std::fprintf(stderr, "Couldn't write %s: %s\n", qPrintable(file),
                         qPrintable(writer.errorString()));
            ok = false;
        }
    }
    lifecycle_.terminate();
    return ok ? 0 : 1;
}
