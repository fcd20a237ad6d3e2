#include "FakeNotificationServer.h"

bool FakeNotificationServer::registerOn(QDBusConnection bus) {
    return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                              QDBusConnection::ExportAllSlots) &&
           bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

uint FakeNotificationServer::Notify(const QString& appName, uint replacesId, const QString&,
                                    const QString& summary, const QString& body, const QStringList&,
                                    const QVariantMap& hints, int) {
    const uint id = replacesId != 0 ? replacesId : nextId_++;
    calls.append({appName, replacesId, summary, body, hints, id});
    emit notified();
    return id;
}
