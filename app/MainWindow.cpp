#include "MainWindow.h"

#include "AmpelioResources.h"
#include "ApplicationLifecycle.h"
#include "LogCategories.h"
#include "MainScreen.h"
#include "StatusStrip.h"
#include "TabBar.h"
#include "TrayIcon.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
const QString GeometryKey = QStringLiteral("windowGeometry");
// Wide enough for the tablet layout in landscape, which is what a desktop screen offers.
constexpr QSize PreferredSize(1024, 720);
} // namespace

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
    // The keyboard follows the tab shown, so its keys reach that screen.
    connect(tabBar_, &TabBar::currentChanged, this, [this](int index) {
        if (QWidget* screen = stack_->widget(index))
            screen->setFocus(Qt::TabFocusReason);
    });
    tray_ = new TrayIcon(source, this);
    connect(tray_, &TrayIcon::showRequested, this, &MainWindow::restore);
    connect(tray_, &TrayIcon::quitRequested, this, &MainWindow::quitRequested);
    createShortcuts();
}

MainWindow::~MainWindow() = default;

void MainWindow::createShortcuts() {
    for (int i = 0; i < 3; ++i) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + i)), this);
        connect(shortcut, &QShortcut::activated, this, [this, i] { showTab(i); });
    }
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(next, &QShortcut::activated, this,
            [this] { showTab((tabBar_->currentIndex() + 1) % std::max(1, tabBar_->count())); });
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(previous, &QShortcut::activated, this, [this] {
        const int count = std::max(1, tabBar_->count());
        showTab((tabBar_->currentIndex() + count - 1) % count);
    });
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &MainWindow::quitRequested);
    auto* exportCsv = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(exportCsv, &QShortcut::activated, this, &MainWindow::exportRequested);
}

void MainWindow::showTab(int index) {
    tabBar_->setCurrentIndex(index);
    if (QWidget* screen = stack_->widget(tabBar_->currentIndex()))
        screen->setFocus(Qt::ShortcutFocusReason);
}

void MainWindow::addTab(QWidget* screen, const QIcon& icon, const QString& title) {
    stack_->addWidget(screen);
    tabBar_->addTab(icon, title);
}

void MainWindow::setScreenSize(const QSize& size) {
    resize(size);
    landscape_ = size.width() > size.height();
}

QSize MainWindow::fittingSize() const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return PreferredSize;
    // Leave room for the window manager's frame and panels the available area may not count.
    const QSize room = screen->availableGeometry().size() * 0.92;
    return PreferredSize.boundedTo(room).expandedTo(QSize(MinimumWidth, MinimumHeight));
}

void MainWindow::becomeDesktopWindow(UserDefaults& defaults) {
    desktop_ = true;
    geometryStore_ = &defaults;
    setMinimumSize(MinimumWidth, MinimumHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QByteArray saved = defaults.objectForKey(GeometryKey).toByteArray();
    // restoreGeometry moves a window left on a screen that is gone back onto one that exists.
    if (saved.isEmpty() || !restoreGeometry(saved)) {
        resize(fittingSize());
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    MainScreen::setWindowSize(size());
}

void MainWindow::saveGeometry() {
    if (!geometryStore_)
        return;
    geometryStore_->setObject(GeometryKey, QWidget::saveGeometry());
    geometryStore_->synchronize();
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
    tray_->addSettingsAction(action);
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ThemeChange || event->type() == QEvent::ApplicationPaletteChange) {
        emit themeChanged();
        update();
    } else if (event->type() == QEvent::ActivationChange) {
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
    saveGeometry();
    hide();
    lifecycle_.enterBackground();
    if (tray_->isVisible() || toldAboutBackground_)
        return;
    // Without a tray nothing shows that Ampelio still runs: say so once, and how to stop it.
    toldAboutBackground_ = true;
    const QString message = QStringLiteral(
        "Ampelio keeps logging the battery in the background. Start it again to show its "
        "window; to stop it, press Ctrl+Q in the window.");
    qCInfo(lcApp, "%s", qPrintable(message));
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Ampelio"), message,
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (desktop_) {
        MainScreen::setWindowSize(size());
        emit screenResized();
        return;
    }
    const bool landscape = width() > height();
    if (landscape != landscape_) {
        landscape_ = landscape;
        emit orientationChanged(landscape);
    }
}
