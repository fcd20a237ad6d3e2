#include "SingleInstance.h"

#include "LogCategories.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace {
constexpr int ConnectTimeoutMs = 500;
const QByteArray ShowMessage = "show\n";

// The runtime directory is private to the user; without one, a per-user name in /tmp.
QString socketDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}
} // namespace

SingleInstance::SingleInstance(const QString& dataDirectory, QObject* parent)
    : QObject(parent), lockPath_(dataDirectory + QStringLiteral("/.instance.lock")) {
    const QByteArray key =
        QCryptographicHash::hash(dataDirectory.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    socketPath_ = QStringLiteral("%1/ampelio-%2-%3")
                      .arg(socketDirectory())
                      .arg(::getuid())
                      .arg(QString::fromLatin1(key));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Only a live process holds the lock; one left by a crash is taken over.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        QFile::setPermissions(lockPath_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return true;
    }
    if (lock_->error() == QLockFile::LockFailedError)
        return false;
    qCWarning(lcApp, "Couldn't take the instance lock %s; logging anyway", qPrintable(lockPath_));
    return true;
}

bool SingleInstance::handOverToRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    socket.write(ShowMessage);
    socket.waitForBytesWritten(ConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, any socket at this path is a leftover of a crashed instance.
    QLocalServer::removeServer(socketPath_);
    if (!server_->listen(socketPath_)) {
        qCWarning(lcApp, "Couldn't listen for later starts: %s",
                  qPrintable(server_->errorString()));
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains("show"))
                    emit showRequested();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
    return true;
}
