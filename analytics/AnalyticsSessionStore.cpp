#include "AnalyticsSessionStore.h"

#include "AnalyticsLimits.h"
#include "AnalyticsLog.h"
#include "AnalyticsSession.h"
#include "AnalyticsSessionCoder.h"
#include "AnalyticsUtil.h"

#include <QFile>

#include <algorithm>

namespace {
QString fileName(const char* format, const QString& apiKey) {
    return QString::asprintf(format, qUtf8Printable(AnalyticsUtil::filePathDirectory()),
                             static_cast<qint32>(AnalyticsUtil::keyHash(apiKey)),
                             qUtf8Printable(QString::number(ANALYTICS_AGENT_VERSION)));
}
} // namespace

QString AnalyticsSessionStore::currentSessionFilePath(const QString& apiKey) {
    return fileName("%s/.analyticsCurrent%d_%s.archive", apiKey);
}

QString AnalyticsSessionStore::sessionsFilePath(const QString& apiKey) {
    return fileName("%s/.analyticsStored%d_%s.archive", apiKey);
}

void AnalyticsSessionStore::saveToDisk(const AnalyticsSession& session) {
    AnalyticsUtil::archiveRootObject(AnalyticsSessionCoder::encode(session),
                                     currentSessionFilePath(session.apiKey()));
}

std::unique_ptr<AnalyticsSession> AnalyticsSessionStore::loadCurrentSession(const QString& apiKey) {
    const QString path = currentSessionFilePath(apiKey);
    const auto stored = AnalyticsUtil::safeUnarchiveObjectWithFile(path);
    if (!stored)
        return nullptr;
    auto session = AnalyticsSessionCoder::decode(*stored);
    if (!session && !AnalyticsSessionCoder::isOtherVersion(*stored))
        AnalyticsUtil::discardDamagedFile(
            path, QStringLiteral("the current session is not a session record"));
    return session;
}

void AnalyticsSessionStore::removeCurrentSessionFile(const QString& apiKey) {
    QFile::remove(currentSessionFilePath(apiKey));
}

QList<QByteArray> AnalyticsSessionStore::savedSessions(const QString& apiKey) {
    const QString path = sessionsFilePath(apiKey);
    const auto stored = AnalyticsUtil::safeUnarchiveObjectWithFile(path);
    if (!stored)
        return {};
    QList<QByteArray> blocks;
    const bool isList = stored->typeId() == QMetaType::QVariantList;
    for (const QVariant& item : stored->toList()) {
        if (item.typeId() != QMetaType::QByteArray) {
            blocks.clear();
            break;
        }
        blocks.append(item.toByteArray());
    }
    if (!isList || blocks.size() != stored->toList().size()) {
        AnalyticsUtil::discardDamagedFile(
            path, QStringLiteral("saved sessions are not a list of session blocks"));
        return {};
    }
    return blocks;
}

void AnalyticsSessionStore::setSavedSessions(const QString& apiKey,
                                             const QList<QByteArray>& blocks) {
    QVariantList list;
    for (const QByteArray& block : blocks)
        list.append(block);
    AnalyticsUtil::archiveRootObject(list, sessionsFilePath(apiKey));
}

void AnalyticsSessionStore::addToSavedSessions(const AnalyticsSession& session) {
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Add session with startTime[%s] to saved sessions",
                  qUtf8Printable(AnalyticsLog::describeDate(session.startTime())));
    QList<QByteArray> blocks = savedSessions(session.apiKey());
    if (const auto block = session.data())
        blocks.append(*block);
    setSavedSessions(session.apiKey(), removeOldSessionsIfNecessary(blocks));
}

QList<QByteArray> AnalyticsSessionStore::removeOldSessionsIfNecessary(QList<QByteArray> blocks) {
    // A negative maximum keeps nothing rather than asking for more removals than there are blocks.
    const int maximum = std::max(0, MAX_SESSIONS.load());
    if (blocks.size() <= maximum)
        return blocks;
    const qsizetype excess = blocks.size() - maximum;
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Max sessions allowed[%d] exceeded", maximum);
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Removing [%lu] sessions from saved sessions",
                  static_cast<unsigned long>(excess));
    blocks.remove(0, excess);
    return blocks;
}

void AnalyticsSessionStore::setMaxSessions(int maximum) {
    MAX_SESSIONS.store(maximum);
}
