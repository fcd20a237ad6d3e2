#include "PrivateSessionBus.h"

PrivateSessionBus::PrivateSessionBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address"),
                   QStringLiteral("--address=unix:path=") + dir_.filePath(QStringLiteral("bus"))});
    // The daemon prints its address once it listens.
    if (!daemon_.waitForStarted() || !daemon_.waitForReadyRead(10000))
        return;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateSessionBus::~PrivateSessionBus() {
    for (const QString& name : names_)
        QDBusConnection::disconnectFromBus(name);
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000))
        daemon_.kill();
    daemon_.waitForFinished();
}

QDBusConnection PrivateSessionBus::connect(const QString& name) {
    names_.append(name);
    return QDBusConnection::connectToBus(address_, name);
}
