#pragma once

#include <QWidget>

class ApplicationLifecycle;
class PowerSource;
class QAction;
class QMenu;
class QStackedWidget;
class QSystemTrayIcon;
class StatusStrip;
class TabBar;

// The window shows the device screen: the status strip, the current tab's screen and the tab
// bar. Its focus, minimising and closing drive the application's lifecycle; closing it sends the
// application to the background behind a tray icon, where it keeps logging.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(PowerSource& source, ApplicationLifecycle& lifecycle, QWidget* parent = nullptr);

    void addTab(QWidget* screen, const QIcon& icon, const QString& title);
    TabBar* tabBar() const { return tabBar_; }
    StatusStrip* statusStrip() const { return status_; }
    QStackedWidget* screens() const { return stack_; }
    // Sizes the window to the device screen, in points.
    void setScreenSize(const QSize& size);
    // Shows the window again (from the tray, or when Ampelio is started a second time).
    void restore();
    // A setting offered in the status strip's context menu and the tray menu.
    void addSettingsAction(QAction* action);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

signals:
    // The window's aspect changed between portrait and landscape.
    void orientationChanged(bool landscape);

private:
    void createTrayIcon();

    ApplicationLifecycle& lifecycle_;
    StatusStrip* status_;
    QStackedWidget* stack_;
    TabBar* tabBar_;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QAction* quit_ = nullptr;
    bool landscape_ = false;
};
