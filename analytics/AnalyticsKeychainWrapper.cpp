#include "AnalyticsKeychainWrapper.h"

#include "AnalyticsPropertyList.h"
#include "AnalyticsUtil.h"

#include <QCoreApplication>

const QString AnalyticsKeychainWrapper::IDENTIFIER = QStringLiteral(".analytics");

AnalyticsKeychainWrapper::AnalyticsKeychainWrapper(const QString& service)
    : service_(service),
      keychain_(AnalyticsUtil::filePathDirectory() + QStringLiteral("/.keychain")) {}

std::unique_ptr<AnalyticsKeychainWrapper>
AnalyticsKeychainWrapper::keychainWrapperWithIdentifier(const QString& identifier) {
    // The application's name stands for the bundle identifier of the phone platform.
    const QString bundle = QCoreApplication::applicationName();
    return std::unique_ptr<AnalyticsKeychainWrapper>(
        new AnalyticsKeychainWrapper(bundle + identifier));
}

std::optional<QVariant> AnalyticsKeychainWrapper::objectForKey(const QString& key) const {
    const auto data = dataForKey(key);
    return data ? AnalyticsPropertyList::fromBytes(*data) : std::nullopt;
}

bool AnalyticsKeychainWrapper::setObject(const QVariant& object, const QString& key) {
    return setData(AnalyticsPropertyList::toBinary(object), key);
}

void AnalyticsKeychainWrapper::removeObjectForKey(const QString& key) {
    keychain_.remove(service_, key);
}

std::optional<QByteArray> AnalyticsKeychainWrapper::dataForKey(const QString& key) const {
    if (key.isEmpty())
        return std::nullopt;
    return keychain_.find(service_, key);
}

bool AnalyticsKeychainWrapper::setData(const QByteArray& data, const QString& key) {
    if (key.isEmpty() || data.isNull())
        return false;
    const Keychain::Status status = keychain_.add(service_, key, data);
    if (status == Keychain::Status::DuplicateItem)
        return updateValueData(data, key);
    return status == Keychain::Status::Success;
}

bool AnalyticsKeychainWrapper::updateValueData(const QByteArray& data, const QString& key) {
    return keychain_.update(service_, key, data) == Keychain::Status::Success;
}
