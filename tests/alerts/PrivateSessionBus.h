#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A dbus-daemon of the test's own on a socket in a temporary directory, so notifications never
// reach the desktop of whoever runs the tests. Stopped when the object goes.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    bool isRunning() const { return !address_.isEmpty(); }
    QString address() const { return address_; }
    // A new connection of its own; each acts as a separate client on the bus.
    QDBusConnection connect(const QString& name);

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QStringList names_;
};
