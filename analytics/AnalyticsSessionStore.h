#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class AnalyticsSession;

// The files that keep sessions across runs, named after the API key: the current session
// record and the list of saved session blocks waiting for the next report.
class AnalyticsSessionStore {
public:
    static QString currentSessionFilePath(const QString& apiKey);
    static QString sessionsFilePath(const QString& apiKey);

    static void saveToDisk(const AnalyticsSession& session);
    // The record stored as current, if one is there and readable.
    static std::unique_ptr<AnalyticsSession> loadCurrentSession(const QString& apiKey);
    static void removeCurrentSessionFile(const QString& apiKey);

    // Oldest first; empty when there is no file or it was unreadable (and then deleted).
    static QList<QByteArray> savedSessions(const QString& apiKey);
    static void setSavedSessions(const QString& apiKey, const QList<QByteArray>& blocks);
    static void addToSavedSessions(const AnalyticsSession& session);
    static QList<QByteArray> removeOldSessionsIfNecessary(QList<QByteArray> blocks);
    static void setMaxSessions(int maximum);
};
