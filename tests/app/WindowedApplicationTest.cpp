#include "WindowedApplication.h"
#include "AmpelioGraphController.h"
#include "Ampelio_ProAppDelegate.h"
#include "Analytics.h"
#include "AnalyticsHooks.h"
#include "BatteryLogHandler.h"
#include "DecorationsView.h"
#include "GraphView.h"
#include "HistoryViewController.h"
#include "LogHandlerFixture.h"
#include "MainWindow.h"
#include "ManagedObjectContext.h"
#include "StatisticsTableViewController.h"
#include "StatusStrip.h"
#include "TabBar.h"
#include "UsageStatisticsChoice.h"

#include <QAction>
#include <QApplication>
#include <QStackedWidget>

#include <gtest/gtest.h>

namespace {
class WindowedApplicationTest : public LogHandlerFixture {
protected:
    void SetUp() override {
        battery->platformLevel = 0.5f;
        battery->currentState = BatteryStateUnplugged;
    }
    template <typename T> T* screen(WindowedApplication& app) {
        for (int i = 0; i < app.window().screens()->count(); ++i)
            if (auto* s = qobject_cast<T*>(app.window().screens()->widget(i)))
                return s;
        return nullptr;
    }
};
} // namespace

TEST_F(WindowedApplicationTest, LaunchHandsTheLogToTheScreensInTabOrder) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    BatteryLogHandler* handler = &app.delegate().batteryLogHandler();
    auto* history = screen<HistoryViewController>(app);
    auto* statistics = screen<StatisticsTableViewController>(app);
    ASSERT_TRUE(history && statistics);
    EXPECT_EQ(&history->batteryLogHandler(), handler);
    EXPECT_EQ(&statistics->batteryLogHandler(), handler);
    AmpelioGraphController* graph = app.delegate().graphViewcontroller();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(&graph->batteryLogHandler(), handler);
    EXPECT_TRUE(app.window().isVisible()) << "the launch shows the window";
    EXPECT_EQ(handler->range(), 31104000);

    app.lifecycle().activate();
    EXPECT_EQ(handler->managedObjectContext()->savedCount(), 1) << "becoming active takes a sample";
    app.lifecycle().terminate();
}

// The graph redraws (and relabels) first, then the statistics screen takes the sample; the
// label overlay learns of it through the graph.
TEST_F(WindowedApplicationTest, ANewSampleReachesTheGraphBeforeTheStatistics) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    app.lifecycle().activate(); // the first sample
    QApplication::processEvents();
    BatteryLogHandler& handler = app.delegate().batteryLogHandler();
    auto* statistics = screen<StatisticsTableViewController>(app);
    TabBar* tabs = app.window().tabBar();
    tabs->setCurrentIndex(2); // builds the statistics table
    tabs->setCurrentIndex(0); // hidden again: its next sample drops the table
    QApplication::processEvents();
    ASSERT_NE(statistics->report(), nullptr);
    TiledLayer& tiles = app.delegate().graphViewcontroller()->graphView()->tiledLayer();
    const quint64 generation = tiles.generation();
    QStringList journal;
    QObject::connect(&handler, &BatteryLogHandler::dataChanged, [&](int) {
        journal << (tiles.generation() > generation ? "graph redrawn" : "graph not yet");
        journal << (statistics->report() ? "statistics not yet" : "statistics done");
    });
    QObject::connect(&handler, &BatteryLogHandler::dataAdded, [&](int) {
        journal << (statistics->report() ? "statistics not yet" : "statistics done");
    });
    battery->platformLevel = 0.3f;
    handler.addEvent();
    EXPECT_EQ(journal, (QStringList{"graph redrawn", "statistics not yet", "statistics done"}));
    DecorationsView* labels = app.delegate().graphViewcontroller()->decorationsView();
    ASSERT_NE(labels, nullptr);
    EXPECT_FALSE(QObject::disconnect(&handler, nullptr, labels, nullptr))
        << "the time labels hear of a change through the graph, never before the statistics";
    app.lifecycle().terminate();
}

TEST_F(WindowedApplicationTest, TabsSwitchScreens) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    TabBar* tabs = app.window().tabBar();
    ASSERT_GE(tabs->count(), 2);
    const int statistics = tabs->count() - 1;
    tabs->setCurrentIndex(statistics);
    EXPECT_EQ(tabs->title(statistics), "Statistics");
    EXPECT_TRUE(
        qobject_cast<StatisticsTableViewController*>(app.window().screens()->currentWidget()));
    EXPECT_EQ(tabs->title(statistics - 1), "History");
}

TEST_F(WindowedApplicationTest, GraphRefreshTimerFollowsTheLifecycle) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    QApplication::processEvents(); // the window lays out the graph, which gives it a time scale
    AmpelioGraphController* graph = app.delegate().graphViewcontroller();
    app.lifecycle().activate();
    EXPECT_TRUE(graph->updateTimerActive());
    app.lifecycle().deactivate();
    EXPECT_FALSE(graph->updateTimerActive()) << "resigning active stops the refresh";
    app.lifecycle().activate();
    EXPECT_TRUE(graph->updateTimerActive());
    app.lifecycle().enterBackground();
    EXPECT_FALSE(graph->updateTimerActive());
    app.lifecycle().activate(); // foreground, then active: set up twice, still one timer
    EXPECT_TRUE(graph->updateTimerActive());
}

TEST_F(WindowedApplicationTest, ClosingTheWindowKeepsLoggingInTheBackground) {
    WindowedApplication app(device, home.dataDir(), defaults);
    app.lifecycle().launch();
    app.lifecycle().activate();
    app.window().close();
    EXPECT_FALSE(app.window().isVisible());
    EXPECT_EQ(app.lifecycle().state(), ApplicationLifecycle::State::Background);
    app.window().restore();
    EXPECT_TRUE(app.window().isVisible());
    EXPECT_EQ(app.lifecycle().state(), ApplicationLifecycle::State::Active);
}

TEST_F(WindowedApplicationTest, TheWindowOffersTheChoiceToShareUsageStatistics) {
    WindowedApplication app(device, home.dataDir(), defaults);
    QAction* share = app.usageStatistics().action();
    ASSERT_NE(app.window().findChild<StatusStrip*>(), nullptr);
    EXPECT_TRUE(app.window().findChild<StatusStrip*>()->actions().contains(share))
        << "offered in the status strip's context menu";
    EXPECT_TRUE(share->isChecked()) << "on until the user says otherwise";
    app.lifecycle().launch();
    share->setChecked(false);
    EXPECT_FALSE(Analytics::isEnabled());
    EXPECT_FALSE(defaults.objectForKey(QString::fromLatin1(AnalyticsHooks::SharingKey)).toBool());
    share->setChecked(true);
    EXPECT_TRUE(Analytics::isEnabled());
    app.lifecycle().terminate();
    Analytics::shutdown();
}
