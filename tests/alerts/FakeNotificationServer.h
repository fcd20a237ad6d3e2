#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// Stands in for the desktop's notification daemon: records every Notify call and answers with
// an id, reusing replaces_id as a real server does.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QVariantMap hints;
        uint id;
    };

    // Registers on the connection under the well-known name; false when that failed.
    bool registerOn(QDBusConnection bus);

    QList<Call> calls;

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout);
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

signals:
    void notified();

private:
    uint nextId_ = 1;
};
