#pragma once

#include "StoreAccess.h"

#include <QObject>
#include <QString>

#include <memory>

class AmpelioGraphController;
class ApplicationLifecycle;
class BatteryLogHandler;
class ChargeServices;
class HistoryViewController;
class QWidget;
class StatisticsTableViewController;
class Device;
class KeepAliveService;
class UserDefaults;

// The application delegate: creates the battery log at launch, keeps the user defaults and takes
// a sample whenever the application becomes active, returns to the foreground or is woken in the
// background.
class Ampelio_ProAppDelegate : public QObject {
    Q_OBJECT
public:
    static constexpr int LogRangeSeconds = 31104000; // 360 days
    static constexpr double KeepAliveTimeout = 900.0;

    // Opens the log, so that the screens can be built on it before the launch.
    // Read-only access shows the log without adding samples (screenshots).
    Ampelio_ProAppDelegate(Device& device, QString documentsDirectory, UserDefaults& defaults,
                           KeepAliveService& keepAlive, QObject* parent = nullptr,
                           StoreAccess access = StoreAccess::ReadWrite);
    ~Ampelio_ProAppDelegate() override;

    // The window and the screens whose visits and refresh timer follow the lifecycle (none
    // when headless).
    void setWindow(QWidget* window) { window_ = window; }
    void setGraphViewcontroller(AmpelioGraphController* graph) { graphViewcontroller_ = graph; }
    AmpelioGraphController* graphViewcontroller() const { return graphViewcontroller_; }
    void setHistoryViewController(HistoryViewController* history) { history_ = history; }
    void setStatisticsViewController(StatisticsTableViewController* statistics) {
        statistics_ = statistics;
    }

    // Follows the lifecycle's notifications from now on.
    void attach(ApplicationLifecycle& lifecycle);

    bool didFinishLaunchingWithOptions();
    void applicationWillResignActive();
    void applicationDidEnterBackground();
    void applicationWillEnterForeground();
    void applicationDidBecomeActive();
    void applicationWillTerminate();
    void applicationDidReceiveMemoryWarning() {}
    void alertViewDidDismissWithButtonIndex(int buttonIndex);

    QString applicationDocumentsDirectory() const { return documentsDirectory_; }
    BatteryLogHandler& batteryLogHandler() const { return *batteryLogHandler_; }
    // The time estimate, charge alarms and metrics file beside the log.
    ChargeServices& chargeServices() const { return *chargeServices_; }

private:
    void updateLaunchDefaults();

    QString documentsDirectory_;
    UserDefaults& defaults_;
    KeepAliveService& keepAlive_;
    const std::unique_ptr<BatteryLogHandler> batteryLogHandler_;
    // Made before monitoring starts, so its estimate is fresh when the log tells of a sample.
    const std::unique_ptr<ChargeServices> chargeServices_;
    QWidget* window_ = nullptr;
    AmpelioGraphController* graphViewcontroller_ = nullptr;
    HistoryViewController* history_ = nullptr;
    StatisticsTableViewController* statistics_ = nullptr;
};
