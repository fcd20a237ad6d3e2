#include "NodeExporter.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
quint16 freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}
} // namespace

NodeExporter::NodeExporter(const QString& textfileDirectory) {
    const quint16 port = freePort();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral("prometheus-node-exporter"),
                   {QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port),
                    QStringLiteral("--collector.disable-defaults"),
                    QStringLiteral("--collector.textfile"),
                    QStringLiteral("--collector.textfile.directory=") + textfileDirectory});
    if (!process_.waitForStarted())
        return;
    // It says when it listens; until then a scrape would be refused.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000 && process_.state() == QProcess::Running) {
        if (process_.waitForReadyRead(1000))
            log_ += process_.readAll();
        if (log_.contains("Listening on")) {
            port_ = port;
            return;
        }
    }
}

NodeExporter::~NodeExporter() {
    process_.terminate();
    if (!process_.waitForFinished(5000))
        process_.kill();
    process_.waitForFinished();
}

QByteArray NodeExporter::scrape() {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port_);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray response;
    while (socket.waitForReadyRead(10000))
        response += socket.readAll();
    response += socket.readAll();
    log_ += process_.readAll();
    const qsizetype body = response.indexOf("\r\n\r\n");
    if (!response.startsWith("HTTP/1.0 200") && !response.startsWith("HTTP/1.1 200"))
        return {};
    return body < 0 ? QByteArray() : response.mid(body + 4);
}
