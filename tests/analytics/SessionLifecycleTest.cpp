#include "AnalyticsAutoIncrement.h"
#include "AnalyticsSessionStore.h"
#include "AnalyticsTestSupport.h"

#include <QFileInfo>

using SessionLifecycle = AnalyticsTest;

TEST_F(SessionLifecycle, AnOpenTimedEventEndsAtEachPauseUntilTheApplicationEndsIt) {
    auto session = newSession();
    session->setSessionReportsOnPauseEnabled(false);
    session->recordEvent(QStringLiteral("StatisticsView"), {}, true);
    clock.advance(4.0);
    session->pauseSession();
    const auto event = session->eventLog()[0];
    EXPECT_EQ(event->ended(), START + 4.0);
    EXPECT_TRUE(event->automaticallyEnded());

    clock.advance(3.0);
    session->resumeSession();
    clock.advance(5.0);
    session->pauseSession();
    EXPECT_EQ(event->ended(), START + 12.0) << "the automatic end moves to the second pause";

    AnalyticsEvent byApplication(QStringLiteral("ended"), true);
    byApplication.setEnded(START + 1.0);
    EXPECT_FALSE(byApplication.isUnterminated());
}

TEST_F(SessionLifecycle, EventsLoggedWhilePausedWaitForTheResume) {
    auto session = newSession();
    session->setSessionReportsOnPauseEnabled(false);
    clock.advance(10.0);
    session->pauseSession();
    session->recordEvent(QStringLiteral("late"));
    EXPECT_TRUE(session->eventLog().isEmpty());
    EXPECT_EQ(session->pendingEventLog().size(), 1);

    clock.advance(6.5);
    session->resumeSession();
    EXPECT_EQ(session->eventLog().size(), 1);
    EXPECT_TRUE(session->pendingEventLog().isEmpty());
    EXPECT_EQ(session->totalPauseIntervalMillis(), 6500);
    EXPECT_EQ(session->endTime(), START + 10.0) << "the end of the last pause stays until the next";
    EXPECT_FALSE(session->isPaused());
    session->resumeSession();
    EXPECT_EQ(session->totalPauseIntervalMillis(), 6500)
        << "resuming an active session does nothing";
}

TEST_F(SessionLifecycle, ANewSessionTakesTheEventsLoggedAfterTheReturnWithNewIds) {
    auto old = newSession();
    old->recordEvent(QStringLiteral("before pause"));
    clock.advance(1.0);
    old->pauseSession();
    clock.advance(5.0);
    old->recordEvent(QStringLiteral("while away"));
    clock.advance(20.0);
    old->markSessionAsResuming();
    clock.advance(0.5);
    old->recordEvent(QStringLiteral("after return"));
    const double returnedEventStart = clock.now();
    clock.advance(0.5);

    AnalyticsAutoIncrement::instance().resetAll();
    old->archiveSession();
    auto next = old->sessionWithNewEventsWithApiKey(KEY, clock.now());

    EXPECT_EQ(old->eventLog().size(), 2);
    EXPECT_EQ(old->eventLog()[1]->name(), QStringLiteral("while away"));
    EXPECT_TRUE(old->pendingEventLog().isEmpty());
    ASSERT_EQ(next->eventLog().size(), 1);
    EXPECT_EQ(next->eventLog()[0]->name(), QStringLiteral("after return"));
    EXPECT_EQ(next->eventLog()[0]->eventLogId(), 1);
    EXPECT_EQ(next->startTime(), returnedEventStart)
        << "the session reaches back to its first event";
    EXPECT_FALSE(old->resumeTime());
}

TEST_F(SessionLifecycle, APauseSendsTheSavedSessionsWithThisOne) {
    AnalyticsSessionStore::setSavedSessions(KEY, {QByteArray("saved block")});
    auto session = newSession();
    session->setSessionReportsOnPauseEnabled(true);
    session->recordEvent(QStringLiteral("e"));
    session->pauseSession();
    ASSERT_EQ(sentReports.size(), 1);
    EXPECT_TRUE(sentReports[0].contains("saved block"));
    EXPECT_TRUE(AnalyticsSessionStore::savedSessions(KEY).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(AnalyticsSessionStore::currentSessionFilePath(KEY)));

    clock.advance(2.0);
    session->resumeSession();
    EXPECT_TRUE(QFileInfo::exists(AnalyticsSessionStore::currentSessionFilePath(KEY)))
        << "a resumed session is stored again";
}

TEST_F(SessionLifecycle, APauseWithoutReportsStoresTheRecord) {
    auto session = newSession();
    session->setSessionReportsOnPauseEnabled(false);
    session->recordEvent(QStringLiteral("e"));
    session->pauseSession();
    EXPECT_TRUE(sentReports.isEmpty());
    const auto stored = AnalyticsSessionStore::loadCurrentSession(KEY);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->eventLog().size(), 1);
    EXPECT_TRUE(stored->isPaused());
}

TEST_F(SessionLifecycle, EndingSendsAndThenKeepsTheRecordAsSaved) {
    auto session = newSession();
    clock.advance(30.0);
    session->endSession();
    EXPECT_EQ(sentReports.size(), 1);
    EXPECT_EQ(session->sessionLength(), 30000);
    EXPECT_EQ(AnalyticsSessionStore::savedSessions(KEY).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(AnalyticsSessionStore::currentSessionFilePath(KEY)));
}

TEST_F(SessionLifecycle, ArchivingAnEmptySessionThatWasSentAtPauseKeepsNothing) {
    auto session = newSession();
    session->setSessionReportsOnPauseEnabled(true);
    session->pauseSession();
    AnalyticsSessionStore::setSavedSessions(KEY, {QByteArray("sent already")});
    session->archiveSession();
    EXPECT_TRUE(AnalyticsSessionStore::savedSessions(KEY).isEmpty());

    auto busy = newSession();
    busy->setSessionReportsOnPauseEnabled(true);
    busy->recordEvent(QStringLiteral("e"));
    busy->pauseSession();
    busy->archiveSession();
    EXPECT_EQ(AnalyticsSessionStore::savedSessions(KEY).size(), 1);
}

TEST_F(SessionLifecycle, ARecordLeftStoredByAnEarlierRunIsSavedAtTheNextStart) {
    {
        auto crashed = newSession();
        crashed->recordEvent(QStringLiteral("last words"));
        crashed->recordError(QStringLiteral("boom"), QString(), std::optional<AnalyticsException>(),
                             QByteArray());
    }
    clock.advance(3600.0);
    auto next = AnalyticsSession::sessionWithApiKey(KEY, clock.now());
    EXPECT_EQ(AnalyticsSessionStore::savedSessions(KEY).size(), 1);
    EXPECT_EQ(next->startTime(), START + 3600.0);
    EXPECT_EQ(next->appVersion(), QStringLiteral("1.2"));
    const auto current = AnalyticsSessionStore::loadCurrentSession(KEY);
    ASSERT_TRUE(current);
    EXPECT_EQ(current->startTime(), START + 3600.0) << "the new record replaced the old file";
}
