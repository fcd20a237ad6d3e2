#include "AnalyticsStoredValue.h"

const QString AnalyticsStoredValue::ClassKey = QStringLiteral("$class");

bool AnalyticsStoredValue::isClass(const char* className) const {
    return map_.value(ClassKey).toString() == QLatin1String(className);
}

std::optional<QVariant> AnalyticsStoredValue::typed(const QString& key, QMetaType::Type type) {
    const auto it = map_.constFind(key);
    if (it == map_.constEnd())
        return std::nullopt;
    // Whole numbers are reals to a reader that wants a real.
    const bool acceptable =
        it->typeId() == type || (type == QMetaType::Double && it->typeId() == QMetaType::LongLong);
    if (!acceptable) {
        valid_ = false;
        return std::nullopt;
    }
    return *it;
}

std::optional<QString> AnalyticsStoredValue::string(const QString& key) {
    const auto value = typed(key, QMetaType::QString);
    return value ? std::optional(value->toString()) : std::nullopt;
}

std::optional<double> AnalyticsStoredValue::real(const QString& key) {
    const auto value = typed(key, QMetaType::Double);
    return value ? std::optional(value->toDouble()) : std::nullopt;
}

std::optional<qint64> AnalyticsStoredValue::integer(const QString& key) {
    const auto value = typed(key, QMetaType::LongLong);
    return value ? std::optional(value->toLongLong()) : std::nullopt;
}

std::optional<bool> AnalyticsStoredValue::boolean(const QString& key) {
    const auto value = typed(key, QMetaType::Bool);
    return value ? std::optional(value->toBool()) : std::nullopt;
}

std::optional<QByteArray> AnalyticsStoredValue::bytes(const QString& key) {
    const auto value = typed(key, QMetaType::QByteArray);
    return value ? std::optional(value->toByteArray()) : std::nullopt;
}

std::optional<QVariantMap> AnalyticsStoredValue::map(const QString& key) {
    const auto value = typed(key, QMetaType::QVariantMap);
    return value ? std::optional(value->toMap()) : std::nullopt;
}

std::optional<QVariantList> AnalyticsStoredValue::list(const QString& key) {
    const auto value = typed(key, QMetaType::QVariantList);
    return value ? std::optional(value->toList()) : std::nullopt;
}

QVariantMap AnalyticsStoredValue::tagged(const char* className) {
    return QVariantMap{{ClassKey, QString::fromLatin1(className)}};
}

void AnalyticsStoredValue::putDate(QVariantMap& map, const QString& key,
                                   std::optional<double> date) {
    if (date)
        map.insert(key, *date);
}
