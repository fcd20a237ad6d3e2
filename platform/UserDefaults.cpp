#include "UserDefaults.h"

#include "LogCategories.h"
#include "Paths.h"

#include <QFile>

namespace {
std::unique_ptr<UserDefaults>& standardInstance() {
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}
} // namespace

UserDefaults& UserDefaults::standard() {
    auto& instance = standardInstance();
    if (!instance)
        instance = std::make_unique<UserDefaults>(Paths::configDirectory() +
                                                  QStringLiteral("/Ampelio.ini"));
    return *instance;
}

void UserDefaults::resetStandard() {
    standardInstance().reset();
}

UserDefaults::UserDefaults(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

QVariant UserDefaults::objectForKey(const QString& key) const {
    return settings_->value(key);
}

bool UserDefaults::boolForKey(const QString& key) const {
    return settings_->value(key, false).toBool();
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    return settings_->value(key, 0).toLongLong();
}

void UserDefaults::setObject(const QString& key, const QVariant& value) {
    settings_->setValue(key, value);
}

void UserDefaults::removeObject(const QString& key) {
    settings_->remove(key);
}

bool UserDefaults::synchronize() {
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        qCWarning(lcPlatform, "Couldn't write user defaults to %s",
                  qPrintable(settings_->fileName()));
        return false;
    }
    // QSettings creates the file as the umask says; the settings are the user's alone.
    QFile::setPermissions(settings_->fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}
