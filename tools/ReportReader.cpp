#include "ReportReader.h"

#include <QStringDecoder>

#include <bit>

quint64 ReportReader::unsignedBigEndian(int width) {
    if (remaining() < width)
        reject("report ends inside a field", offset_);
    quint64 value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | static_cast<quint8>(bytes_[offset_ + i]);
    offset_ += width;
    return value;
}

quint8 ReportReader::u8() {
    return static_cast<quint8>(unsignedBigEndian(1));
}

bool ReportReader::boolean() {
    const qsizetype at = offset_;
    const quint8 value = u8();
    if (value > 1)
        reject("boolean byte " + std::to_string(value), at);
    return value == 1;
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
    const qsizetype at = offset_;
    const quint16 length = u16();
    const QByteArray utf8 = bytes(length);
    // A leading byte-order mark is text like any other here, not something to skip.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder(utf8);
    if (decoder.hasError())
        reject("string that is not UTF-8", at);
    if (text.size() > MaxStringUnits)
        reject("string of " + std::to_string(text.size()) + " UTF-16 units", at);
    return text;
}

QByteArray ReportReader::bytes(qsizetype count) {
    if (remaining() < count)
        reject("report ends inside a byte string", offset_);
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

void ReportReader::reject(const std::string& what, qsizetype at) {
    throw Malformed(what, at);
}
