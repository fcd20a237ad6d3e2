#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <stdexcept>

// Big-endian reads over a report; running past the end throws Truncated.
class ReportReader {
public:
    struct Truncated : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    explicit ReportReader(const QByteArray& bytes) : bytes_(bytes) {}

    qsizetype offset() const { return offset_; }
    qsizetype remaining() const { return bytes_.size() - offset_; }

    quint8 u8();
    qint8 i8() { return static_cast<qint8>(u8()); }
    quint16 u16();
    qint32 i32();
    quint32 u32();
    qint64 i64();
    float f32();
    double f64();
    QString string();
    QByteArray bytes(qsizetype count);
    // String keys and values, as many pairs as the 16-bit count before them says.
    QJsonObject stringPairs();

private:
    quint64 unsignedBigEndian(int width);

    const QByteArray& bytes_;
    qsizetype offset_ = 0;
};
