// The application's own analytics calls: the timed visits of two screens, and the last report
// of a process dying from an uncaught exception.
#include "AnalyticsAppFixture.h"

#include "AnalyticsSessionStore.h"
#include "HistoryViewController.h"
#include "MainWindow.h"
#include "StatisticsTableViewController.h"
#include "TabBar.h"
#include "WindowedApplication.h"

#include <QProcess>
#include <QStackedWidget>

namespace {
class AnalyticsHooksTest : public AnalyticsAppTest {
protected:
    void show(WindowedApplication& app, QWidget* screen) {
        app.window().tabBar()->setCurrentIndex(app.window().screens()->indexOf(screen));
        clock.advance(2);
        QCoreApplication::processEvents();
    }
};
} // namespace

TEST_F(AnalyticsHooksTest, HistoryStatisticsHistoryGiveThreeEndedTimedEventsInOrder) {
    auto prefs = defaults();
    WindowedApplication app(device, home.dataDir(), *prefs);
    auto* history = app.window().findChild<HistoryViewController*>();
    auto* statistics = app.window().findChild<StatisticsTableViewController*>();
    app.lifecycle().launch();
    app.lifecycle().activate();
    show(app, history);
    show(app, statistics);
    show(app, history);
    app.window().hide(); // the last visit ends when the screen leaves the window
    QCoreApplication::processEvents();

    QStringList names;
    AnalyticsImpl::instance().sync([&](AnalyticsSession& session) {
        for (const auto& event : session.eventLog()) {
            names.append(event->name());
            EXPECT_FALSE(event->isUnterminated()) << qPrintable(event->name());
        }
    });
    EXPECT_EQ(names, QStringList({"HistoryView", "StatisticsView", "HistoryView"}));
    app.lifecycle().terminate();
}

namespace {
class UncaughtException : public AnalyticsHooksTest,
                          public ::testing::WithParamInterface<const char*> {};
} // namespace

TEST_P(UncaughtException, LeavesExactlyOneStoredErrorRecord) {
    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("AMPELIO_ANALYTICS_URL", "http://127.0.0.1:9/aas.do");
    helper.setProcessEnvironment(env);
    helper.start(AMPELIO_CRASH_HELPER, {GetParam()});
    ASSERT_TRUE(helper.waitForFinished(10000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit)
        << helper.readAllStandardError().constData();

    const auto stored = AnalyticsSessionStore::loadCurrentSession(KEY);
    ASSERT_TRUE(stored) << "the record is stored before the process ends";
    ASSERT_EQ(stored->errors().size(), 1);
    EXPECT_EQ(stored->errors()[0]->errorString(), QStringLiteral("Uncaught"));
    EXPECT_EQ(stored->errors()[0]->errorMessage(), QStringLiteral("Crash!"));
    EXPECT_TRUE(stored->errors()[0]->reportData().isEmpty());
    const QString expected =
        QStringLiteral("std::runtime_error: ") +
        (GetParam() == std::string("queue") ? "queue failure" : "nothing catches this");
    EXPECT_EQ(stored->errors()[0]->exceptionString(), expected);
}

INSTANTIATE_TEST_SUITE_P(OnEitherThread, UncaughtException, ::testing::Values("main", "queue"));
