#pragma once

#include <QVariantMap>

#include <optional>

// Typed reads from a stored record. A missing key is an absent value; a key holding the wrong
// type marks the record as not readable.
class AnalyticsStoredValue {
public:
    static const QString ClassKey;

    explicit AnalyticsStoredValue(const QVariantMap& map) : map_(map) {}

    bool isClass(const char* className) const;
    bool valid() const { return valid_; }

    std::optional<QString> string(const QString& key);
    std::optional<double> real(const QString& key);
    std::optional<qint64> integer(const QString& key);
    std::optional<bool> boolean(const QString& key);
    std::optional<QByteArray> bytes(const QString& key);
    std::optional<QVariantMap> map(const QString& key);
    std::optional<QVariantList> list(const QString& key);

    static QVariantMap tagged(const char* className);
    static void putDate(QVariantMap& map, const QString& key, std::optional<double> date);

private:
    std::optional<QVariant> typed(const QString& key, QMetaType::Type type);

    const QVariantMap& map_;
    bool valid_ = true;
};
