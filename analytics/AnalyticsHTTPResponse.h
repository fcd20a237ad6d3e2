#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// What came back for one request; only the status code decides anything.
struct AnalyticsHTTPResponse {
    qint32 statusCode = 0;
    QByteArray body;
    QMap<QString, QString> headers; // names lower-cased
    QString error;

    bool isSuccess() const { return statusCode >= 200 && statusCode <= 399; }
    // The upload keeps its block for anything but 2xx.
    bool isAccepted() const { return statusCode >= 200 && statusCode <= 299; }
    QString description() const {
        return QString::asprintf("status:%ld error:%s body:%s", static_cast<long>(statusCode),
                                 qUtf8Printable(error), body.constData());
    }
};
