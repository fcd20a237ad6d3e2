#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class ApplicationLifecycle;
class PowerSource;
class QAction;
class QMenu;
class QStackedWidget;
class StatusStrip;
class TabBar;
class TrayIcon;
class UserDefaults;

// The window shows the device screen: the status strip, the current tab's screen and the tab
// bar. Its focus, minimising and closing drive the application's lifecycle; closing it sends the
// application to the background behind a tray icon, where it keeps logging.
// As a desktop window it is resizable and lends the screens its size (see MainScreen).
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(PowerSource& source, ApplicationLifecycle& lifecycle, QWidget* parent = nullptr);
    ~MainWindow() override;

    void addTab(QWidget* screen, const QIcon& icon, const QString& title);
    TabBar* tabBar() const { return tabBar_; }
    StatusStrip* statusStrip() const { return status_; }
    QStackedWidget* screens() const { return stack_; }
    TrayIcon* trayIcon() const { return tray_; }
    // Sizes the window to the device screen, in points.
    void setScreenSize(const QSize& size);
    // Makes the window resizable and the screens follow its size; it opens where it was left
    // (kept in `defaults`), or at a size that fits the screen's available area.
    void becomeDesktopWindow(UserDefaults& defaults);
    // Keeps the window's size and position for the next start.
    void saveGeometry();
    // Shows the window again (from the tray, or when Ampelio is started a second time).
    void restore();
    // A setting offered in the status strip's context menu and the tray menu.
    void addSettingsAction(QAction* action);
    // Whether closing the window has told the user, once, that logging goes on.
    bool toldAboutBackground() const { return toldAboutBackground_; }

    static constexpr int MinimumWidth = 320;
    static constexpr int MinimumHeight = 400;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

signals:
    // The window's aspect changed between portrait and landscape.
    void orientationChanged(bool landscape);
    // The desktop window took a new size, which MainScreen already reports.
    void screenResized();
    // Quit from the keyboard or the tray: the application's terminate path, not a close.
    void quitRequested();
    // Ctrl+E.
    void exportRequested();
    // The desktop switched between light and dark.
    void themeChanged();

private:
    void createShortcuts();
    void showTab(int index);
    QSize fittingSize() const;

    ApplicationLifecycle& lifecycle_;
    StatusStrip* status_;
    QStackedWidget* stack_;
    TabBar* tabBar_;
    TrayIcon* tray_ = nullptr;
    UserDefaults* geometryStore_ = nullptr;
    bool landscape_ = false;
    bool desktop_ = false;
    bool toldAboutBackground_ = false;
};
