#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// Reads an analytics report back into its fields. Written from the report layout alone, apart
// from the client's encoder, so that each checks the other.
class ReportDecoder {
public:
    struct Result {
        bool ok = false; // the whole report was read, to its last byte
        bool checksumValid = false;
        QString error;              // why reading stopped, when it did
        qsizetype errorOffset = -1; // where: the start of the field that was rejected
        QJsonObject report;
    };

    static Result decode(const QByteArray& bytes);
    // CRC-32 of IEEE 802.3, computed bit by bit.
    static quint32 crc32(const QByteArray& bytes);
};
