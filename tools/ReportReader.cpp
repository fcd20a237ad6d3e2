#include "ReportReader.h"

#include <bit>

quint64 ReportReader::unsignedBigEndian(int width) {
    if (remaining() < width)
        throw Truncated("report ends inside a field at offset " + std::to_string(offset_));
    quint64 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | static_cast<quint8>(bytes_[offset_ + i]);
    offset_ += width;
    return value;
}

quint8 ReportReader::u8() {
    return static_cast<quint8>(unsignedBigEndian(1));
}

quint16 ReportReader::u16() {
    return static_cast<quint16>(unsignedBigEndian(2));
}

qint32 ReportReader::i32() {
    return static_cast<qint32>(u32());
}

quint32 ReportReader::u32() {
    return static_cast<quint32>(unsignedBigEndian(4));
}

qint64 ReportReader::i64() {
    return static_cast<qint64>(unsignedBigEndian(8));
}

float ReportReader::f32() {
    return std::bit_cast<float>(u32());
}

double ReportReader::f64() {
    return std::bit_cast<double>(unsignedBigEndian(8));
}

QString ReportReader::string() {
    const quint16 length = u16();
    return QString::fromUtf8(bytes(length));
}

QByteArray ReportReader::bytes(qsizetype count) {
    if (remaining() < count)
        throw Truncated("report ends inside a byte string at offset " + std::to_string(offset_));
    const QByteArray result = bytes_.mid(offset_, count);
    offset_ += count;
    return result;
}

QJsonObject ReportReader::stringPairs() {
    QJsonObject pairs;
    const quint16 count = u16();
    for (quint16 i = 0; i < count; ++i) {
        const QString key = string();
        pairs.insert(key, string());
    }
    return pairs;
}
