#include "ReportCollector.h"

#include "ReportDecoder.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QTcpSocket>

namespace {
constexpr qsizetype MaxHeaderBytes = 16 * 1024;
constexpr qsizetype MaxBodyBytes = 64 * 1024 * 1024;

QByteArray reasonFor(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 413:
        return "Payload Too Large";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray response(int status) {
    const bool hasBody = status != 204 && status != 304;
    const QByteArray body = hasBody ? reasonFor(status) + "\n" : QByteArray();
    QByteArray text = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonFor(status) + "\r\n";
    if (hasBody)
        text += "Content-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
                "\r\n";
    return text + "\r\n" + body;
}
} // namespace

ReportCollector::ReportCollector(QObject* parent) : QObject(parent) {
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                buffers_.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

// The server deletes its connections after the buffers are gone: they must not call back.
ReportCollector::~ReportCollector() {
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>())
        socket->disconnect(this);
}

bool ReportCollector::listen(quint16 port) {
    return server_.listen(QHostAddress::LocalHost, port);
}

QString ReportCollector::url() const {
    return QStringLiteral("http://127.0.0.1:%1/aas.do").arg(port());
}

// Reads requests off the connection as they complete; keep-alive connections carry several.
void ReportCollector::readFrom(QTcpSocket* socket) {
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    while (true) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            if (buffer.size() > MaxHeaderBytes) {
                socket->write(response(431));
                socket->disconnectFromHost();
            }
            return;
        }
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        qsizetype length = 0;
        for (const QByteArray& line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
                length = line.mid(colon + 1).trimmed().toLongLong();
        }
        if (requestLine.size() < 2 || length < 0 || length > MaxBodyBytes) {
            socket->write(response(400));
            socket->disconnectFromHost();
            return;
        }
        if (buffer.size() < headerEnd + 4 + length)
            return;
        const QByteArray body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        answer(socket, requestLine[0], requestLine[1], body);
    }
}

void ReportCollector::answer(QTcpSocket* socket, const QByteArray& method, const QByteArray& path,
                             const QByteArray& body) {
    if (method != "POST" || path != "/aas.do") {
        socket->write(response(404));
        return;
    }
    ++requestCount_;
    const ReportDecoder::Result decoded = ReportDecoder::decode(body);
    const bool valid = decoded.ok && decoded.checksumValid;
    socket->write(response(status_));
    QJsonObject line{
        {QStringLiteral("received"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
        {QStringLiteral("status"), status_},
        {QStringLiteral("valid"), valid},
        {QStringLiteral("report"), decoded.report}};
    if (!decoded.error.isEmpty()) {
        line.insert(QStringLiteral("error"), decoded.error);
        line.insert(QStringLiteral("errorOffset"), static_cast<double>(decoded.errorOffset));
    }
    reports_.append(decoded.report);
    record(line);
    emit reportReceived(decoded.report, valid);
}

void ReportCollector::record(const QJsonObject& line) {
    if (outputFile_.isEmpty())
        return;
    QFile file(outputFile_);
    if (file.open(QIODevice::Append))
        file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
}
