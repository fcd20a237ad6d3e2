#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsInitialTimestamp.h"
#include "AnalyticsKeychainWrapper.h"
#include "AnalyticsLimits.h"
#include "AnalyticsLog.h"
#include "AnalyticsPropertyList.h"
#include "AnalyticsReportBuilder.h"
#include "AnalyticsSessionCoder.h"
#include "AnalyticsSessionStore.h"
#include "AnalyticsTestSupport.h"
#include "AnalyticsUtil.h"
#include "PropertyListGuard.h"
#include "ReportDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace {
QList<QByteArray> numberedBlocks(int count) {
    QList<QByteArray> blocks;
    for (int i = 0; i < count; ++i)
        blocks.append(QByteArray::number(i));
    return blocks;
}

std::unique_ptr<AnalyticsKeychainWrapper> keychain() {
    return AnalyticsKeychainWrapper::keychainWrapperWithIdentifier(
        AnalyticsKeychainWrapper::IDENTIFIER);
}

QFileDevice::Permissions ownerOnly(QFileDevice::Permissions permissions) {
    return permissions & (QFileDevice::ReadOther | QFileDevice::WriteOther |
                          QFileDevice::ReadGroup | QFileDevice::WriteGroup);
}
} // namespace

using SessionStore = AnalyticsTest;

TEST_F(SessionStore, FiftyOneSavedSessionsKeepTheNewestFifty) {
    AnalyticsSessionStore::setSavedSessions(KEY, numberedBlocks(50));
    auto session = newSession();
    AnalyticsSessionStore::addToSavedSessions(*session);
    const QList<QByteArray> saved = AnalyticsSessionStore::savedSessions(KEY);
    ASSERT_EQ(saved.size(), 50);
    EXPECT_EQ(saved.first(), QByteArray("1"));
    EXPECT_EQ(saved.last(), *session->data());

    AnalyticsSessionStore::setMaxSessions(-1);
    EXPECT_TRUE(AnalyticsSessionStore::removeOldSessionsIfNecessary(numberedBlocks(3)).isEmpty());
}

TEST_F(SessionStore, ACorruptSavedListIsDeletedAndTheReportCarriesOnlyTheCurrentRecord) {
    auto session = newSession();
    const QString path = AnalyticsSessionStore::sessionsFilePath(KEY);
    writeFile(path, "this is no property list");
    session->sendSessionsToServerIncludingCurrentSession(true);
    EXPECT_TRUE(AnalyticsSessionStore::savedSessions(KEY).isEmpty());
    ASSERT_EQ(sentReports.size(), 1);
    const auto report = ReportDecoder::decode(sentReports[0]);
    ASSERT_TRUE(report.ok);
    EXPECT_EQ(report.report[QStringLiteral("sessions")].toArray().size(), 1);

    // A well-formed file of the wrong shape is no better.
    writeFile(path, AnalyticsPropertyList::toBinary(QVariantList{QStringLiteral("text")}));
    EXPECT_TRUE(AnalyticsSessionStore::savedSessions(KEY).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(SessionStore, AReportIsHandedOverEvenWithNothingSaved) {
    auto session = newSession();
    session->sendSessionsToServerForCreateSession();
    ASSERT_EQ(sentReports.size(), 1);
    EXPECT_EQ(
        ReportDecoder::decode(sentReports[0]).report[QStringLiteral("sessions")].toArray().size(),
        0);
    EXPECT_TRUE(AnalyticsSessionStore::savedSessions(KEY).isEmpty());
}

TEST_F(SessionStore, ARecordReadBackKeepsItsStoredFields) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("e"), {{QStringLiteral("k"), QStringLiteral("v")}}, true);
    session->setAgeInYears(140);
    session->setGenderAsString(QStringLiteral("x"));
    session->setCrashReportData(QByteArray("crash"));
    session->setLatitude(1.5, 2.5, 3, 4);
    session->recordPurchaseItem(QStringLiteral("item"));
    session->setSessionReportsOnPauseEnabled(false);
    clock.advance(4.0);
    session->pauseSession();

    const auto stored = AnalyticsSessionStore::loadCurrentSession(KEY);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored->data(), *session->data()) << "the same record gives the same block";
    EXPECT_EQ(stored->serializationVersion(), 2);
    EXPECT_EQ(stored->gender(), -1);
    EXPECT_EQ(stored->age(), session->age());
    EXPECT_EQ(stored->pauseTime(), START + 4.0);
    EXPECT_EQ(stored->purchaseItems(), session->purchaseItems());
    EXPECT_EQ(stored->eventLog()[0]->parameters().value(QStringLiteral("k")), QStringLiteral("v"));
    EXPECT_FALSE(stored->resumeTime());
    EXPECT_FALSE(stored->sessionReportsOnCloseEnabled());
}

// The read limits guard against files that expand into millions of objects; the largest record
// the session can hold must stay far inside them.
TEST_F(SessionStore, AFullRecordStaysWellInsideTheReadLimits) {
    auto session = newSession();
    QVariantMap parameters;
    for (int i = 0; i < MAX_EVENT_PARAMETERS; ++i)
        parameters.insert(QStringLiteral("parameter%1").arg(i), QStringLiteral("value %1").arg(i));
    for (int i = 0; i < MAX_EVENT_LOG_COUNT; ++i)
        session->recordEvent(QStringLiteral("event%1").arg(i % MAX_EVENT_COUNTS), parameters, true);
    for (int i = 0; i < MAX_ERRORS; ++i)
        session->recordError(QStringLiteral("error%1").arg(i), QStringLiteral("message"),
                             std::optional<AnalyticsException>(), QByteArray(1024, 'r'));
    session->pauseSession();

    QFile file(AnalyticsSessionStore::currentSessionFilePath(KEY));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    PropertyListGuard::Limits quarter = AnalyticsPropertyList::DefaultLimits;
    quarter.maxNodes /= 4;
    EXPECT_EQ(PropertyListGuard::refusal(file.readAll(), quarter), std::nullopt);
    const auto stored = AnalyticsSessionStore::loadCurrentSession(KEY);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->eventLog().size(), MAX_EVENT_LOG_COUNT);
    EXPECT_EQ(stored->errors().size(), MAX_ERRORS);
}

TEST_F(SessionStore, OtherSerializationVersionsAreRejected) {
    auto session = newSession();
    QVariantMap stored = AnalyticsSessionCoder::encode(*session);
    stored.insert(QStringLiteral("serializationVersion"), 3);
    writeFile(AnalyticsSessionStore::currentSessionFilePath(KEY),
              AnalyticsPropertyList::toBinary(stored));
    EXPECT_FALSE(AnalyticsSessionStore::loadCurrentSession(KEY));
    EXPECT_TRUE(QFileInfo::exists(AnalyticsSessionStore::currentSessionFilePath(KEY)))
        << "rejected, not damaged";

    stored.insert(QStringLiteral("serializationVersion"), 0);
    writeFile(AnalyticsSessionStore::currentSessionFilePath(KEY),
              AnalyticsPropertyList::toBinary(stored));
    EXPECT_TRUE(AnalyticsSessionStore::loadCurrentSession(KEY)) << "records from before versions";
}

TEST_F(SessionStore, ACorruptCurrentRecordIsDeleted) {
    const QString path = AnalyticsSessionStore::currentSessionFilePath(KEY);
    writeFile(path, QByteArray("bplist00\x01\x02", 10));
    EXPECT_FALSE(AnalyticsSessionStore::loadCurrentSession(KEY));
    EXPECT_FALSE(QFileInfo::exists(path));

    QVariantMap wrongTypes = AnalyticsSessionCoder::encode(*newSession());
    wrongTypes.insert(QStringLiteral("startTime"), QStringLiteral("yesterday"));
    writeFile(path, AnalyticsPropertyList::toBinary(wrongTypes));
    EXPECT_FALSE(AnalyticsSessionStore::loadCurrentSession(KEY));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(SessionStore, AnErrorIsStoredAtOnce) {
    auto session = newSession();
    session->recordEvent(QStringLiteral("e"));
    session->recordError(QStringLiteral("id"), QStringLiteral("m"),
                         std::optional<AnalyticsException>(), {});
    const auto stored = AnalyticsSessionStore::loadCurrentSession(KEY);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->errors().size(), 1);
    EXPECT_EQ(stored->eventLog().size(), 1) << "events ride along with the next store";
}

TEST_F(SessionStore, TheDataDirectoryAndKeychainFileAreTheUsersAlone) {
    auto session = newSession();
    session->initialTimestamp();
    const QString dir = AnalyticsUtil::filePathDirectory();
    EXPECT_EQ(dir, home.dataDir() + QStringLiteral("/Ampelio/AnalyticsFiles"));
    EXPECT_EQ(ownerOnly(QFileInfo(dir).permissions()), QFileDevice::Permissions());
    EXPECT_FALSE(QFileInfo(dir).permissions() & QFileDevice::ExeOther);
    const QFileInfo keychainFile(dir + QStringLiteral("/.keychain"));
    ASSERT_TRUE(keychainFile.exists());
    EXPECT_EQ(ownerOnly(keychainFile.permissions()), QFileDevice::Permissions());
    EXPECT_TRUE(QFileInfo::exists(dir + QStringLiteral("/CACHEDIR.TAG")));
}

using InitialTimestamp = AnalyticsTest;

TEST_F(InitialTimestamp, TheFirstSessionStartIsKeptInTheKeychain) {
    auto first = newSession();
    EXPECT_EQ(first->initialTimestamp(), START);
    clock.advance(86400.0);
    auto later = newSession();
    EXPECT_EQ(later->initialTimestamp(), START);
}

TEST_F(InitialTimestamp, TheKeychainWinsOverTheLegacyFile) {
    keychain()->setObject(START - 1000.0, AnalyticsInitialTimestamp::KEYCHAIN_KEY);
    AnalyticsUtil::archiveRootObject(START - 5000.0, AnalyticsInitialTimestamp::filePath(KEY));
    auto session = newSession();
    EXPECT_EQ(session->initialTimestamp(), START - 1000.0);
}

TEST_F(InitialTimestamp, TheLegacyFileIsMovedAndTakenOverByTheKeychain) {
    const QString legacy = AnalyticsInitialTimestamp::legacyFilePath(KEY);
    QDir().mkpath(QFileInfo(legacy).path());
    AnalyticsUtil::archiveRootObject(START - 5000.0, legacy);
    auto session = newSession();
    EXPECT_EQ(session->initialTimestamp(), START - 5000.0);
    EXPECT_FALSE(QFileInfo::exists(legacy));
    EXPECT_TRUE(QFileInfo::exists(AnalyticsInitialTimestamp::filePath(KEY)));
    QFile::remove(AnalyticsInitialTimestamp::filePath(KEY));
    EXPECT_EQ(session->initialTimestamp(), START - 5000.0) << "now from the keychain";
}

TEST_F(InitialTimestamp, AnUnreadableLegacyFileFallsThroughToTheSessionStart) {
    writeFile(AnalyticsInitialTimestamp::filePath(KEY), "garbage");
    clock.advance(60.0);
    auto session = newSession();
    EXPECT_EQ(session->initialTimestamp(), START + 60.0);
    EXPECT_FALSE(QFileInfo::exists(AnalyticsInitialTimestamp::filePath(KEY)));
}

TEST_F(InitialTimestamp, KeychainWritesReplaceExistingItems) {
    auto items = keychain();
    EXPECT_FALSE(items->setData(QByteArray("x"), QString()));
    EXPECT_FALSE(items->setData(QByteArray(), QStringLiteral("k")));
    EXPECT_TRUE(items->setData(QByteArray("one"), QStringLiteral("k")));
    EXPECT_TRUE(items->setData(QByteArray("two"), QStringLiteral("k")));
    EXPECT_EQ(keychain()->dataForKey(QStringLiteral("k")), QByteArray("two"));
    items->removeObjectForKey(QStringLiteral("k"));
    EXPECT_FALSE(items->dataForKey(QStringLiteral("k")));
}

TEST_F(SessionStore, DeletedFilesAreReportedOnlyWhenErrorsAreShown) {
    const QString path = AnalyticsSessionStore::sessionsFilePath(KEY);
    AnalyticsLog::setLevel(2);
    {
        writeFile(path, "damaged");
        LogCapture log;
        AnalyticsSessionStore::savedSessions(KEY);
        EXPECT_FALSE(log.contains(QStringLiteral("Caught Exception")));
    }
    AnalyticsGlobalVariableStorage::sharedInstance().setShowErrorInLogEnabled(true);
    writeFile(path, "damaged");
    LogCapture log;
    AnalyticsSessionStore::savedSessions(KEY);
    AnalyticsLog::setLevel(1);
    EXPECT_TRUE(log.contains(QStringLiteral("Analytics: Caught Exception in Analytics Code")));
    EXPECT_TRUE(log.contains(QStringLiteral("Analytics: Name:AnalyticsArchiveException "
                                            "Reason:unreadable stored object, file deleted")));
    EXPECT_TRUE(log.contains(QStringLiteral("Analytics: ") + path));
}
