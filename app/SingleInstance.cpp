#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr int ConnectTimeoutMs = 500;
const QByteArray ShowMessage = "show\n";
} // namespace

SingleInstance::SingleInstance(const QString& dataDirectory, QObject* parent) : QObject(parent) {
    const QByteArray key =
        QCryptographicHash::hash(dataDirectory.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    name_ = QStringLiteral("ampelio-%1-%2").arg(::getuid()).arg(QString::fromLatin1(key));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::handOverToRunningInstance() {
    QLocalSocket socket;
    socket.connectToServer(name_);
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
    // A socket left behind by a crashed instance would block the name; nobody answered on it.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) {
        qWarning("Couldn't listen for later starts: %s", qPrintable(server_->errorString()));
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
