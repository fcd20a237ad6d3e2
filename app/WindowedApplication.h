#pragma once

#include "ApplicationLifecycle.h"
#include "KeepAliveService.h"
#include "StoreAccess.h"

#include <QString>

#include <memory>

class AmpelioGraphController;
class Ampelio_ProAppDelegate;
class Device;
class HistoryViewController;
class MainWindow;
class StatisticsTableViewController;
class UIDeviceHardware;
class UsageStatisticsChoice;
class UserDefaults;

// The application with its window: the device screen with the three tabs, driven by the
// window's lifecycle, logging on in the background behind the tray icon.
class WindowedApplication {
public:
    // Screenshots use read-only access: another logger may be running, and pictures must not
    // add a sample to its log.
    WindowedApplication(Device& device, const QString& documentsDirectory, UserDefaults& defaults,
                        StoreAccess access = StoreAccess::ReadWrite);
    ~WindowedApplication();

    // Launches, shows the window and runs the event loop; returns the exit status.
    int run();
    // Launches without showing the window and logs in the background, behind the tray icon
    // where there is one; a second start or the tray shows the window.
    int runInBackground();
    // Launches offscreen, renders each tab to DIR/<tab>.png at the screen's size, terminates.
    int screenshot(const QString& directory);
    // Leaves through the terminate path at once. Unlike QApplication::quit() it sends no close
    // events, which the window would take for "keep logging in the background".
    void terminate();

    MainWindow& window() const { return *window_; }
    Ampelio_ProAppDelegate& delegate() const { return *delegate_; }
    ApplicationLifecycle& lifecycle() { return lifecycle_; }
    UsageStatisticsChoice& usageStatistics() const { return *usageStatistics_; }

private:
    void buildWindow(Device& device, UserDefaults& defaults);
    void addChargeServices(UserDefaults& defaults, StoreAccess access);
    void settle();

    ApplicationLifecycle lifecycle_;
    KeepAliveService keepAlive_;
    // Declared before the window: the log it opens outlives the screens built on it.
    std::unique_ptr<Ampelio_ProAppDelegate> delegate_;
    std::unique_ptr<UIDeviceHardware> hardware_;
    std::unique_ptr<MainWindow> window_;
    AmpelioGraphController* graph_ = nullptr;          // owned by its screen in the window
    UsageStatisticsChoice* usageStatistics_ = nullptr; // owned by the window
};
