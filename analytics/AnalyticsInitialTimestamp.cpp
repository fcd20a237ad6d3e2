#include "AnalyticsInitialTimestamp.h"

#include "AnalyticsKeychainWrapper.h"
#include "AnalyticsLog.h"
#include "AnalyticsUtil.h"

#include <QDir>
#include <QFileInfo>

const QString AnalyticsInitialTimestamp::KEYCHAIN_KEY =
    QStringLiteral("AnalyticsSessionTimestampKey");

namespace {
std::optional<double> dateIn(const std::optional<QVariant>& object) {
    if (!object || object->typeId() != QMetaType::Double)
        return std::nullopt;
    return object->toDouble();
}

QString timestampFileName(const QString& directory, const QString& apiKey) {
    return QString::asprintf("%s/.initialTimestamp%d.archive", qUtf8Printable(directory),
                             static_cast<qint32>(AnalyticsUtil::keyHash(apiKey)));
}

QString cacheDirectory() {
    const QString value = qEnvironmentVariable("XDG_CACHE_HOME");
    const QString base = !value.isEmpty() && QDir::isAbsolutePath(value)
                             ? value
                             : QDir::homePath() + QStringLiteral("/.cache");
    return base + QStringLiteral("/Ampelio");
}
} // namespace

QString AnalyticsInitialTimestamp::filePath(const QString& apiKey) {
    return timestampFileName(AnalyticsUtil::filePathDirectory(), apiKey);
}

QString AnalyticsInitialTimestamp::legacyFilePath(const QString& apiKey) {
    return timestampFileName(cacheDirectory(), apiKey);
}

void AnalyticsInitialTimestamp::migrateLegacyFile(const QString& apiKey) {
    const QString current = filePath(apiKey);
    const QString legacy = legacyFilePath(apiKey);
    if (QFileInfo::exists(current) || !QFileInfo::exists(legacy))
        return;
    const auto date = dateIn(AnalyticsUtil::safeUnarchiveObjectWithFile(legacy));
    QFile::remove(legacy);
    if (!date)
        return;
    AnalyticsUtil::archiveRootObject(*date, current);
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Moving initial timestamp[%s] from saved source",
                  qUtf8Printable(AnalyticsLog::describeDate(date)));
}

double AnalyticsInitialTimestamp::read(const QString& apiKey, double sessionStart) {
    const auto keychain = AnalyticsKeychainWrapper::keychainWrapperWithIdentifier(
        AnalyticsKeychainWrapper::IDENTIFIER);
    if (const auto secure = dateIn(keychain->objectForKey(KEYCHAIN_KEY))) {
        ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Initial timestamp[%s] from secure source",
                      qUtf8Printable(AnalyticsLog::describeDate(secure)));
        return *secure;
    }
    migrateLegacyFile(apiKey);
    if (const auto legacy = dateIn(AnalyticsUtil::safeUnarchiveObjectWithFile(filePath(apiKey)))) {
        keychain->setObject(*legacy, KEYCHAIN_KEY);
        ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Initial timestamp[%s] from legacy source",
                      qUtf8Printable(AnalyticsLog::describeDate(legacy)));
        return *legacy;
    }
    keychain->setObject(sessionStart, KEYCHAIN_KEY);
    ANALYTICS_LOG(AtLeast2, "AnalyticsSession: Initial timestamp[%s] created and saved",
                  qUtf8Printable(AnalyticsLog::describeDate(sessionStart)));
    return sessionStart;
}
