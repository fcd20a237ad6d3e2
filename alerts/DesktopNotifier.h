#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

class QDBusPendingCallWatcher;

// Shows desktop notifications through the freedesktop Notifications service on a D-Bus bus.
// Each slot (one per alarm) keeps the id the server gave its last notification, so a new one
// replaces it in place instead of stacking up. Calls are asynchronous: a missing or hung
// server never blocks the caller; its failure is reported through `failed`. A slot has at most
// one call in flight: its id is not known before the answer, so a newer text waits for it.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    enum Urgency : uchar { Low = 0, Normal = 1, Critical = 2 };

    static const QString Service; // org.freedesktop.Notifications
    static const QString Path;
    static const QString Interface;
    static const QString DesktopEntry; // "ampelio", the name of our .desktop file

    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    void notify(int slot, const QString& summary, const QString& body, Urgency urgency);

signals:
    // The server answered with the id of the notification shown for the slot.
    void shown(int slot, uint id);
    // No server answered or it refused; the text is the D-Bus error.
    void failed(int slot, const QString& summary, const QString& body, const QString& error);

private:
    struct Request {
        QString summary;
        QString body;
        Urgency urgency;
    };

    void send(int slot, const Request& request);
    void answered(int slot, const Request& request, const QDBusPendingCallWatcher& call);

    QDBusConnection bus_;
    QHash<int, uint> ids_;
    QSet<int> inFlight_;
    // The newest text asked for while the slot's call was in flight; older ones are dropped, as
    // they would only have been replaced.
    QHash<int, Request> waiting_;
};
