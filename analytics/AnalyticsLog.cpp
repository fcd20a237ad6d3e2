#include "AnalyticsLog.h"

#include "LogCategories.h"

#include <QDateTime>
#include <QDebug>
#include <QTimeZone>

#include <atomic>
#include <cmath>

namespace {
std::atomic<int> currentLevel{1};
}

int AnalyticsLog::level() {
    return currentLevel.load();
}

void AnalyticsLog::setLevel(int level) {
    currentLevel.store(level);
}

bool AnalyticsLog::enabled(Threshold threshold) {
    const int level = currentLevel.load();
    return threshold == Exactly3 ? level == 3 : level >= threshold;
}

void AnalyticsLog::write(const QString& message) {
    qCInfo(lcAnalytics).noquote() << message;
}

QString AnalyticsLog::describeDate(std::optional<double> secondsSinceEpoch) {
    if (!secondsSinceEpoch)
        return QStringLiteral("(null)");
    const auto millis = static_cast<qint64>(std::floor(*secondsSinceEpoch * 1000.0));
    return QDateTime::fromMSecsSinceEpoch(millis, QTimeZone::utc())
               .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral(" +0000");
}

QString AnalyticsLog::describe(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("(null)");
    // Booleans read as numbers, as the collector has always received them.
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        QStringList entries;
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            entries.append(it.key() + QStringLiteral(" = ") + describe(it.value()) +
                           QLatin1Char(';'));
        return QStringLiteral("{") + entries.join(QLatin1Char(' ')) + QStringLiteral("}");
    }
    if (value.typeId() == QMetaType::QVariantList) {
        QStringList entries;
        for (const QVariant& item : value.toList())
            entries.append(describe(item));
        return QStringLiteral("(") + entries.join(QStringLiteral(", ")) + QStringLiteral(")");
    }
    return value.toString();
}
