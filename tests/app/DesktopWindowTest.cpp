#include "AmpelioGraphController.h"
#include "Ampelio_ProAppDelegate.h"
#include "BatteryLogHandler.h"
#include "ChargeServices.h"
#include "ChargeTimeEstimator.h"
#include "GraphScreen.h"
#include "GraphView.h"
#include "HistoryViewController.h"
#include "LogHandlerFixture.h"
#include "MainScreen.h"
#include "MainWindow.h"
#include "ScrollView.h"
#include "StatisticsTableViewController.h"
#include "StatusStrip.h"
#include "TabBar.h"
#include "TestSupport.h"
#include "TrayIcon.h"
#include "WindowedApplication.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// Seconds of the whole graph at zoom 1 over the width one day spans.
double contentWidthFor(double dayWidth) {
    return 31536000.0 * dayWidth / 86400.0;
}

class DesktopWindowTest : public LogHandlerFixture {
protected:
    void SetUp() override {
        battery->platformLevel = 0.5f;
        battery->currentState = BatteryStateUnplugged;
        MainScreen::setWindowSize(QSizeF(MainWindow::MinimumWidth, MainWindow::MinimumHeight));
    }
    void TearDown() override {
        MainScreen::setWindowSize(QSizeF());
        MainScreen::setIdiom(UserInterfaceIdiom::Phone);
        MainScreen::setLandscape(false);
    }
    static void resize(MainWindow& window, int width, int height) {
        window.resize(width, height);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.size() == QSize(width, height); }, 5000));
        QApplication::processEvents();
    }
    // The graph follows the window: as wide, with "now" at its right edge, the tab bar below.
    static void expectLayout(WindowedApplication& app, UserInterfaceIdiom idiom, double dayWidth) {
        MainWindow& window = app.window();
        ScrollView* scroll = app.delegate().graphViewcontroller()->scrollView();
        EXPECT_EQ(MainScreen::idiom(), idiom) << window.width();
        EXPECT_EQ(scroll->width(), window.width());
        EXPECT_DOUBLE_EQ(scroll->contentSize().width(), contentWidthFor(dayWidth));
        EXPECT_NEAR(scroll->contentOffset().x() + scroll->width(), scroll->contentSize().width(),
                    1.0)
            << "the present stays at the right edge";
        const QRect bar(window.tabBar()->mapTo(&window, QPoint()), window.tabBar()->size());
        EXPECT_TRUE(window.tabBar()->isVisible());
        EXPECT_EQ(bar.bottom(), window.height() - 1) << "the tab bar sits at the window's foot";
        EXPECT_EQ(bar.width(), window.width());
    }
};
} // namespace

TEST_F(DesktopWindowTest, LayoutFollowsTheWindowAcrossThePhoneTabletThreshold) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    app.lifecycle().activate();
    MainWindow& window = app.window();
    EXPECT_EQ(window.minimumSize(), QSize(320, 400));
    EXPECT_LT(window.minimumWidth(), window.maximumWidth()) << "resizable";

    resize(window, 500, 700);
    expectLayout(app, UserInterfaceIdiom::Phone, 320);
    resize(window, 580, 700); // wider, same idiom: more time shown at the same scale
    expectLayout(app, UserInterfaceIdiom::Phone, 320);
    resize(window, 1000, 700);
    expectLayout(app, UserInterfaceIdiom::Pad, 1024);
    EXPECT_TRUE(MainScreen::isLandscape());
    resize(window, 700, 900);
    expectLayout(app, UserInterfaceIdiom::Pad, 768);
    resize(window, 320, 400);
    expectLayout(app, UserInterfaceIdiom::Phone, 320);
    app.lifecycle().terminate();
}

// The window opens where it was left: size and position are kept in the settings.
TEST_F(DesktopWindowTest, RemembersItsSize) {
    {
        WindowedApplication app(device, home.dataDir(), defaults);
        app.lifecycle().launch();
        resize(app.window(), 640, 520);
        app.terminate();
    }
    WindowedApplication again(device, home.dataDir(), defaults);
    EXPECT_EQ(again.window().size(), QSize(640, 520));
    again.lifecycle().terminate();
}

TEST_F(DesktopWindowTest, KeysSwitchTabsMoveTheGraphAndQuit) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    app.lifecycle().activate();
    MainWindow& window = app.window();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    resize(window, 500, 700);

    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(window.tabBar()->currentIndex(), 1);
    QTest::keyClick(&window, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window.tabBar()->currentIndex(), 2);
    QTest::keyClick(&window, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window.tabBar()->currentIndex(), 0) << "Ctrl+Tab wraps round";
    QTest::keyClick(&window, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(window.tabBar()->currentIndex(), 2);
    QTest::keyClick(&window, Qt::Key_1, Qt::ControlModifier);
    ASSERT_EQ(window.tabBar()->currentIndex(), 0);

    auto* graphScreen = qobject_cast<GraphScreen*>(window.screens()->widget(0));
    ASSERT_NE(graphScreen, nullptr);
    EXPECT_TRUE(graphScreen->hasFocus()) << "the keys reach the tab shown";
    AmpelioGraphController& graph = graphScreen->controller();
    ScrollView* scroll = graph.scrollView();
    const double atNow = scroll->contentOffset().x();
    QTest::keyClick(graphScreen, Qt::Key_Left);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x(), atNow - 125) << "a quarter of 500 points";
    QTest::keyClick(graphScreen, Qt::Key_Right);
    QTest::keyClick(graphScreen, Qt::Key_Right);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x(), atNow) << "not beyond the present";
    QTest::keyClick(graphScreen, Qt::Key_PageUp);
    QTest::keyClick(graphScreen, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(scroll->contentOffset().x(), atNow);

    QTest::keyClick(graphScreen, Qt::Key_Plus);
    EXPECT_FLOAT_EQ(graph.graphView()->zoomScale(), 2.0f);
    EXPECT_NEAR(scroll->contentSize().width(), 2 * contentWidthFor(320), 1.0);
    QTest::keyClick(graphScreen, Qt::Key_Minus);
    QTest::keyClick(graphScreen, Qt::Key_Minus);
    EXPECT_FLOAT_EQ(graph.graphView()->zoomScale(), 0.5f);
    QTest::keyClick(graphScreen, Qt::Key_Home);
    EXPECT_NEAR(scroll->contentOffset().x() + scroll->width(), scroll->contentSize().width(), 1.0);

    // Ctrl+E asks for the export; a dialog would wait for a person, so only the request is seen.
    QObject::disconnect(&window, &MainWindow::exportRequested, nullptr, nullptr);
    QSignalSpy exportRequested(&window, &MainWindow::exportRequested);
    QTest::keyClick(&window, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(exportRequested.count(), 1);

    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(app.lifecycle().state(), ApplicationLifecycle::State::Terminated)
        << "Ctrl+Q leaves through the terminate path, not a close to the tray";
}

// Without a tray, closing says once that logging goes on; the tray's Quit ends the application
// rather than hiding the window.
TEST_F(DesktopWindowTest, ClosingWithoutATrayTellsOnceAndQuitQuits) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    app.lifecycle().activate();
    ASSERT_FALSE(app.window().trayIcon()->isVisible()) << "the offscreen platform has no tray";
    app.window().close();
    EXPECT_TRUE(app.window().toldAboutBackground());
    EXPECT_EQ(app.lifecycle().state(), ApplicationLifecycle::State::Background);
    app.window().restore();
    emit app.window().trayIcon()->quitRequested();
    EXPECT_EQ(app.lifecycle().state(), ApplicationLifecycle::State::Terminated);
}

TEST_F(DesktopWindowTest, TheTrayDrawsLevelAndStateAndTellsTheEstimate) {
    WindowedApplication app(device, home.dataDir(), defaults);
    TrayIcon& tray = *app.window().trayIcon();
    battery->platformLevel = 0.42f;
    battery->currentState = BatteryStateCharging;
    tray.refresh();
    EXPECT_EQ(tray.toolTip(), "Ampelio: 42 %, charging");
    // The estimate comes from the charge services, as the status strip's does.
    emit app.delegate().chargeServices().estimateChanged("1:20 to full");
    EXPECT_EQ(tray.toolTip(), "Ampelio: 42 %, charging\n1:20 to full");
    emit app.delegate().chargeServices().estimateChanged(ChargeTimeEstimate::none());
    EXPECT_EQ(tray.toolTip(), "Ampelio: 42 %, charging");

    // The fill follows the level: more of a fuller battery is coloured.
    const auto filled = [](const QImage& image) {
        int count = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, image.height() / 2);
            count += c.alpha() > 200 && c.saturation() > 100 ? 1 : 0;
        }
        return count;
    };
    const QImage low = TrayIcon::draw(0.2f, BatteryStateUnplugged, 64);
    const QImage high = TrayIcon::draw(0.9f, BatteryStateUnplugged, 64);
    EXPECT_GT(filled(high), 2 * filled(low));
    saveScreenshot(TrayIcon::draw(0.42f, BatteryStateCharging, 64), "tray-charging");
    saveScreenshot(low, "tray-low");
    EXPECT_NE(TrayIcon::draw(0.5f, BatteryStateCharging, 32),
              TrayIcon::draw(0.5f, BatteryStateUnplugged, 32))
        << "charging shows";
}

TEST_F(DesktopWindowTest, TheStatusStripShowsANoteForAWhile) {
    WindowedApplication app(device, home.dataDir(), defaults);
    StatusStrip* strip = app.window().statusStrip();
    auto* history = qobject_cast<HistoryViewController*>(app.window().screens()->widget(1));
    ASSERT_NE(history, nullptr);
    app.lifecycle().launch();
    app.lifecycle().activate(); // takes the first sample
    history->addSample();
    EXPECT_EQ(strip->message(), "Level and state unchanged; nothing to add");
    strip->showMessage("short", 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return strip->message().isEmpty(); }, 2000));
    app.lifecycle().terminate();
}

// A real window on an X server of its own at twice the scale: on a 1280x800 screen that is
// 640x400 points, and the window must fit it with its tab bar showing.
TEST(DesktopWindowOnX, FitsTheScreenAtTwiceTheScale) {
    if (qEnvironmentVariableIsSet("AMPELIO_XVFB_CHILD"))
        GTEST_SKIP() << "this is the child's run";
    if (QStandardPaths::findExecutable("Xvfb").isEmpty())
        GTEST_SKIP() << "Xvfb is not installed (scripts/packages.txt names it)";
    QProcess server;
    // -displayfd: the server picks a free display and says which.
    server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    ASSERT_TRUE(server.waitForStarted(5000));
    QByteArray display;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            display += server.readAllStandardOutput();
            return display.contains('\n');
        },
        10000));
    for (const char* scale : {"1", "1.5", "2"}) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + QString::fromLatin1(display.trimmed()));
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("QT_SCALE_FACTOR", scale);
        env.insert("AMPELIO_XVFB_CHILD", "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=DesktopWindowOnXChild.*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << "scale " << scale << "\n" << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.constData();
    }
    server.terminate();
    server.waitForFinished(5000);
}

namespace {
class DesktopWindowOnXChild : public DesktopWindowTest {};
} // namespace

TEST_F(DesktopWindowOnXChild, OpensFittingAndFollowsItsSize) {
    if (!qEnvironmentVariableIsSet("AMPELIO_XVFB_CHILD"))
        GTEST_SKIP() << "runs in a child process on its own X server";
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    MainWindow& window = app.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    EXPECT_TRUE(available.contains(frame))
        << "frame " << frame.width() << "x" << frame.height() << " on " << available.width() << "x"
        << available.height();
    const QPoint barBottom = window.tabBar()->mapToGlobal(
        QPoint(window.tabBar()->width() - 1, window.tabBar()->height() - 1));
    EXPECT_TRUE(available.contains(barBottom)) << "the tab bar is on the screen";
    ScrollView* scroll = app.delegate().graphViewcontroller()->scrollView();
    EXPECT_EQ(scroll->width(), window.width());

    const int wide = std::min(available.width(), 700);
    for (const QSize size : {QSize(360, 400), QSize(wide, 400)}) {
        window.resize(size);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.size() == size; }, 5000));
        QApplication::processEvents();
        EXPECT_EQ(scroll->width(), size.width());
        EXPECT_EQ(MainScreen::idiom(),
                  size.width() < 600 ? UserInterfaceIdiom::Phone : UserInterfaceIdiom::Pad);
        EXPECT_TRUE(window.tabBar()->isVisible());
        EXPECT_EQ(window.tabBar()->mapTo(&window, QPoint()).y() + window.tabBar()->height(),
                  window.height());
    }
    app.terminate();
}
