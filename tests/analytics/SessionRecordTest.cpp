#include "AnalyticsAutoIncrement.h"
#include "AnalyticsLimits.h"
#include "AnalyticsLog.h"
#include "AnalyticsTestSupport.h"

#include <QDateTime>

namespace {
QVariantMap parameters(int count) {
    QVariantMap map;
    for (int i = 0; i < count; ++i)
        map.insert(QStringLiteral("p%1").arg(i), i);
    return map;
}

} // namespace

using SessionEvents = AnalyticsTest;

TEST_F(SessionEvents, TenParametersAreKeptElevenRefuseTheEvent) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("ten"), parameters(MAX_EVENT_PARAMETERS));
    EXPECT_EQ(session->eventLog().size(), 1);
    EXPECT_TRUE(session->eventLogComplete());

    LogCapture log;
    session->recordEvent(QStringLiteral("eleven"), parameters(11));
    EXPECT_EQ(session->eventLog().size(), 1);
    EXPECT_FALSE(session->eventCounts().contains(QStringLiteral("eleven")));
    EXPECT_FALSE(session->eventLogComplete());
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Not logging Event eventName[eleven] because event has more than 10 parameters")));
}

TEST_F(SessionEvents, AnEmptyNameIsRefused) {
    auto session = newSession();
    session->recordEvent(QString());
    session->recordEvent(QStringLiteral(""));
    EXPECT_TRUE(session->eventLog().isEmpty());
    EXPECT_TRUE(session->eventCounts().isEmpty());
    EXPECT_FALSE(session->eventLogComplete());
}

TEST_F(SessionEvents, TheHundredAndFirstNameIsNeitherCountedNorLogged) {
    auto session = newSession();
    for (int i = 0; i < MAX_EVENT_COUNTS; ++i)
        session->recordEvent(QStringLiteral("name%1").arg(i));
    ASSERT_TRUE(session->eventLogComplete());
    session->recordEvent(QStringLiteral("one too many"));
    EXPECT_FALSE(session->eventCounts().contains(QStringLiteral("one too many")));
    EXPECT_EQ(session->eventLog().size(), MAX_EVENT_COUNTS);
    EXPECT_FALSE(session->eventLogComplete());

    session->recordEvent(QStringLiteral("name7"));
    EXPECT_EQ(session->eventCounts().value(QStringLiteral("name7")), 2);
    EXPECT_EQ(session->eventLog().size(), MAX_EVENT_COUNTS + 1);
}

TEST_F(SessionEvents, TheThousandAndFirstEventIsCountedButNotLogged) {
    auto session = newSession();
    for (int i = 0; i < MAX_EVENT_LOG_COUNT + 1; ++i)
        session->recordEvent(QStringLiteral("tick"));
    EXPECT_EQ(session->eventCounts().value(QStringLiteral("tick")), 1001);
    EXPECT_EQ(session->eventLog().size(), 1000);
    EXPECT_FALSE(session->eventLogComplete());
}

TEST_F(SessionEvents, DisabledLoggingStillCounts) {
    auto session = newSession();
    session->setEventLoggingEnabled(false);
    session->recordEvent(QStringLiteral("quiet"));
    EXPECT_EQ(session->eventCounts().value(QStringLiteral("quiet")), 1);
    EXPECT_TRUE(session->eventLog().isEmpty());
    EXPECT_FALSE(session->eventLogComplete());
}

TEST_F(SessionEvents, IdsComeFromTheCounterAndRestartAfterAReset) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("a"));
    session->recordEvent(QStringLiteral("b"));
    EXPECT_EQ(session->eventLog()[0]->eventLogId(), 1);
    EXPECT_EQ(session->eventLog()[1]->eventLogId(), 2);
    AnalyticsAutoIncrement::instance().resetAll();
    session->recordEvent(QStringLiteral("c"));
    EXPECT_EQ(session->eventLog()[2]->eventLogId(), 1);
}

using TimedEvents = AnalyticsTest;

TEST_F(TimedEvents, EndingTwiceOrEndingAnUnknownNameChangesNothing) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("HistoryView"), {}, true);
    clock.advance(2.0);
    session->endTimedEvent(QStringLiteral("HistoryView"),
                           {{QStringLiteral("k"), QStringLiteral("v")}});
    const auto event = session->eventLog()[0];
    EXPECT_EQ(event->ended(), START + 2.0);
    EXPECT_EQ(event->duration(), 2000);
    EXPECT_EQ(event->parameters().value(QStringLiteral("k")), QStringLiteral("v"));

    clock.advance(3.0);
    session->endTimedEvent(QStringLiteral("HistoryView"), {});
    session->endTimedEvent(QStringLiteral("Never started"), {});
    EXPECT_EQ(event->ended(), START + 2.0);
}

TEST_F(TimedEvents, OneEndClosesTheOlderOfTwoOpenEventsOfTheSameName) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("View"), {}, true);
    clock.advance(1.0);
    session->recordEvent(QStringLiteral("View"), {}, true);
    clock.advance(1.0);
    session->endTimedEvent(QStringLiteral("View"), {});
    EXPECT_FALSE(session->eventLog()[0]->isUnterminated());
    EXPECT_TRUE(session->eventLog()[1]->isUnterminated());
}

TEST_F(TimedEvents, UntimedAndUnendedEventsHaveNoDuration) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("plain"));
    session->recordEvent(QStringLiteral("open"), {}, true);
    clock.advance(5.0);
    session->endTimedEvent(QStringLiteral("plain"), {});
    EXPECT_EQ(session->eventLog()[0]->duration(), 0);
    EXPECT_EQ(session->eventLog()[1]->duration(), 0);
}

TEST_F(TimedEvents, ParametersMergeOnlyWhileTheyStayWithinTheLimit) {
    AnalyticsEvent event(QStringLiteral("e"), true, parameters(9));
    event.updateParameters(
        {{QStringLiteral("p0"), QStringLiteral("new")}, {QStringLiteral("x"), 1}});
    EXPECT_EQ(event.parameters().size(), 10);
    EXPECT_EQ(event.parameters().value(QStringLiteral("p0")), QStringLiteral("new"));
    event.updateParameters({{QStringLiteral("y"), 2}});
    EXPECT_EQ(event.parameters().size(), 10);
    EXPECT_FALSE(event.parameters().contains(QStringLiteral("y")));
}

using SessionErrors = AnalyticsTest;

TEST_F(SessionErrors, TheEleventhErrorIsCountedButNotKept) {
    auto session = newSession();
    for (int i = 0; i < 11; ++i)
        session->recordError(QStringLiteral("e%1").arg(i), QStringLiteral("m"),
                             std::optional<AnalyticsException>(), QByteArray());
    EXPECT_EQ(session->totalErrorCount(), 11);
    EXPECT_EQ(session->errors().size(), MAX_ERRORS);
    EXPECT_EQ(session->errors().last()->errorID(), 10);
}

TEST_F(SessionErrors, ReportsAreKeptOnlyWithCrashReportingOn) {
    auto session = newSession();
    session->recordError(QStringLiteral("off"), QString(), std::optional<AnalyticsException>(),
                         QByteArray("report"));
    session->setCrashReportingEnabled(true);
    session->recordError(QStringLiteral("on"), QString(), std::optional<AnalyticsException>(),
                         QByteArray("report"));
    EXPECT_TRUE(session->errors()[0]->reportData().isEmpty());
    EXPECT_EQ(session->errors()[1]->reportData(), QByteArray("report"));
}

TEST_F(SessionErrors, ExceptionsAndErrorObjectsAreDescribedAndTyped) {
    auto session = newSession();
    session->recordError(
        QStringLiteral("x"), QStringLiteral("m"),
        std::optional(AnalyticsException{QStringLiteral("NSRangeException"),
                                         QStringLiteral("index 3 beyond bounds"), QString()}),
        QByteArray());
    session->recordError(
        QStringLiteral("y"), QStringLiteral("m"),
        std::optional(AnalyticsErrorObject{QStringLiteral("Store"), 4, QStringLiteral("Disk full"),
                                           QString(), QString()}),
        QByteArray());
    session->recordError(QStringLiteral("z"), QStringLiteral("m"),
                         std::optional<AnalyticsException>(), QByteArray());
    EXPECT_EQ(session->errors()[0]->exceptionString(),
              QStringLiteral("NSRangeException: index 3 beyond bounds"));
    EXPECT_EQ(session->errors()[0]->errorType(), AnalyticsError::Exception);
    EXPECT_EQ(session->errors()[1]->exceptionString(), QStringLiteral("Disk full: (null)"));
    EXPECT_EQ(session->errors()[1]->errorType(), AnalyticsError::ErrorObject);
    EXPECT_EQ(session->errors()[2]->exceptionString(), QStringLiteral("nil"));
}

using UserProperties = AnalyticsTest;

TEST_F(UserProperties, AgeOutsideOneTo150LeavesTheBirthDateAlone) {
    auto session = newSession();
    session->setAgeInYears(0);
    session->setAgeInYears(151);
    EXPECT_FALSE(session->age());
    session->setAgeInYears(30);
    const QDateTime birth = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(*session->age()));
    EXPECT_EQ(birth.date(), QDate(1997, 1, 1));
    EXPECT_EQ(birth.time(), QTime(0, 0));
    session->setAgeInYears(151);
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(*session->age())).date().year(),
              1997);
    session->setAgeInYears(150);
    EXPECT_EQ(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(*session->age())).date().year(),
              1877);
}

TEST_F(UserProperties, PageViewsCloserThanAThirdOfASecondCountOnce) {
    auto session = newSession();
    session->maybeIncrementPageView();
    clock.advance(0.2);
    session->maybeIncrementPageView();
    EXPECT_EQ(session->pageViewCount(), 1);
    clock.advance(0.31);
    session->maybeIncrementPageView();
    EXPECT_EQ(session->pageViewCount(), 2);
}

TEST_F(UserProperties, GenderUserIdAndLocation) {
    auto session = newSession();
    EXPECT_EQ(session->userID(), QStringLiteral(""));
    EXPECT_FALSE(session->userID().isNull());
    session->setGenderAsString(QStringLiteral("f"));
    EXPECT_EQ(session->gender(), 0);
    session->setGenderAsString(QStringLiteral("m"));
    EXPECT_EQ(session->gender(), 1);
    session->setGenderAsString(QStringLiteral("x"));
    EXPECT_EQ(session->gender(), -1);

    session->setLatitude(52.5219876, -13.4132999, 10.0f, -5.0f);
    EXPECT_DOUBLE_EQ(session->latitude(), 52.521);
    EXPECT_DOUBLE_EQ(session->longitude(), -13.413);
    EXPECT_FLOAT_EQ(session->accuracy(), 7.5f);
    // Far beyond the 32-bit range of the truncation: held at its end, not undefined.
    session->setLatitude(0, 0, 1e12f, 0);
    EXPECT_NEAR(session->accuracy(), 2147483.647, 1.0);
}

class LargeMemoryFacts : public FixedDeviceFacts {
public:
    std::optional<SystemInfo::MemoryStatistics> memory() const override {
        return SystemInfo::MemoryStatistics{6ull << 30, 8ull << 30, 1ull << 30, 1ull << 29};
    }
    std::optional<qint64> lastBootTime() const override { return std::nullopt; }
};

TEST_F(UserProperties, MeasurementsPastFourGiBAreNotWrapped) {
    AnalyticsDeviceFacts::setCurrent(std::make_unique<LargeMemoryFacts>());
    LogCapture log;
    AnalyticsLog::setLevel(2);
    auto session = newSession();
    AnalyticsLog::setLevel(1);
    EXPECT_EQ(session->sessionParams().value(QStringLiteral("memory.used.active.start")),
              QStringLiteral("8589934592"));
    EXPECT_EQ(session->sessionParams().value(QStringLiteral("memory.total")),
              QStringLiteral("16642998272"));
    EXPECT_EQ(session->sessionParams().value(QStringLiteral("boot.time")), QStringLiteral("0"));
    EXPECT_TRUE(log.contains(QStringLiteral("Failed to get last boot time")));
}

using SessionLogging = AnalyticsTest;

TEST_F(SessionLogging, EachMessageShowsFromItsOwnLevel) {
    auto session = newSession();
    const QString refused = QStringLiteral("Not logging Event eventName[]");
    const QString debug = QStringLiteral("AnalyticsSession: Attempting to record Event");
    const QString verbose = QStringLiteral("AnalyticsEvent: initWithName eventLogId[");
    for (int level : {1, 2, 3, 4}) {
        AnalyticsLog::setLevel(level);
        LogCapture log;
        session->recordEvent(QString());
        session->recordEvent(QStringLiteral("shown"));
        EXPECT_TRUE(log.contains(refused)) << "level " << level;
        EXPECT_EQ(log.contains(debug), level >= 2) << "level " << level;
        EXPECT_EQ(log.contains(verbose), level == 3) << "level " << level;
    }
    AnalyticsLog::setLevel(0);
    LogCapture silent;
    session->recordEvent(QString());
    EXPECT_TRUE(silent.lines().isEmpty());
    AnalyticsLog::setLevel(1);
}
