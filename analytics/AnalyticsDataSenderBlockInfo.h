#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

// One report waiting for upload: its bytes live in the data directory under the identifier.
class AnalyticsDataSenderBlockInfo {
public:
    // Writes the bytes under a new UUID; nothing when the file could not be written.
    static std::optional<AnalyticsDataSenderBlockInfo> initWithData(const QByteArray& data);
    // The stored form read back; nothing for a record without an identifier.
    static std::optional<AnalyticsDataSenderBlockInfo> fromStored(const QVariant& stored);
    QVariantMap stored() const;

    const QString& identifier() const { return identifier_; }
    qint64 dataSize() const { return dataSize_; }
    double creationDate() const { return creationDate_; }

    QString path() const;
    // Nothing when the file has gone.
    std::optional<QByteArray> data() const;
    bool setData(const QByteArray& data);
    bool deletePersistentData() const;

private:
    QString identifier_;
    qint64 dataSize_ = 0;
    double creationDate_ = 0;
};
