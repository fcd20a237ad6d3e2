#pragma once

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// A local receiver for analytics reports: answers POST /aas.do on 127.0.0.1 with a chosen
// status, decodes each report and appends it as one JSON line to a file.
class ReportCollector : public QObject {
    Q_OBJECT
public:
    explicit ReportCollector(QObject* parent = nullptr);
    ~ReportCollector() override;

    // Port 0 picks a free one.
    bool listen(quint16 port = 0);
    quint16 port() const { return server_.serverPort(); }
    QString url() const;

    void setStatus(int status) { status_ = status; }
    int status() const { return status_; }
    // Where decoded reports go, one JSON object a line; none when empty.
    void setOutputFile(const QString& path) { outputFile_ = path; }

    // Every report received, decoded, in arrival order.
    const QList<QJsonObject>& reports() const { return reports_; }
    int requestCount() const { return requestCount_; }

signals:
    // A report arrived and was answered; valid when it decoded whole with a right checksum.
    void reportReceived(const QJsonObject& decoded, bool valid);

private:
    void readFrom(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& method, const QByteArray& path,
                const QByteArray& body);
    void record(const QJsonObject& line);

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
    int status_ = 200;
    QString outputFile_;
    QList<QJsonObject> reports_;
    int requestCount_ = 0;
};
