#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <stdexcept>

// Big-endian reads over a report. A read past the end, or a value the layout does not allow,
// throws Malformed with the offset of the field it is in.
class ReportReader {
public:
    struct Malformed : std::runtime_error {
        Malformed(const std::string& what, qsizetype at)
            : std::runtime_error(what + " at offset " + std::to_string(at)), offset(at) {}
        qsizetype offset;
    };
    // The most UTF-16 units a written string holds.
    static constexpr qsizetype MaxStringUnits = 255;

    explicit ReportReader(const QByteArray& bytes) : bytes_(bytes) {}

    qsizetype offset() const { return offset_; }
    qsizetype remaining() const { return bytes_.size() - offset_; }

    quint8 u8();
    qint8 i8() { return static_cast<qint8>(u8()); }
    // One byte that must be 0 or 1.
    bool boolean();
    quint16 u16();
    qint32 i32();
    quint32 u32();
    qint64 i64();
    float f32();
    double f64();
    // Valid UTF-8 of at most MaxStringUnits UTF-16 units.
    QString string();
    QByteArray bytes(qsizetype count);
    // String keys and values, as many pairs as the 16-bit count before them says.
    QJsonObject stringPairs();
    // Rejects a value read from the field that started at the given offset.
    [[noreturn]] static void reject(const std::string& what, qsizetype at);

private:
    quint64 unsignedBigEndian(int width);

    const QByteArray& bytes_;
    qsizetype offset_ = 0;
};
