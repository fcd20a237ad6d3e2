#include "AnalyticsGlobalVariableStorage.h"

AnalyticsGlobalVariableStorage& AnalyticsGlobalVariableStorage::sharedInstance() {
    static AnalyticsGlobalVariableStorage storage;
    return storage;
}

QString AnalyticsGlobalVariableStorage::appVersion() const {
    std::lock_guard lock(mutex_);
    return appVersion_.value_or(QCoreApplication::applicationVersion());
}

void AnalyticsGlobalVariableStorage::setAppVersion(const QString& version) {
    std::lock_guard lock(mutex_);
    appVersion_ = version;
}

bool AnalyticsGlobalVariableStorage::macAddressEnabled() const {
    std::lock_guard lock(mutex_);
    return macAddressEnabled_;
}

void AnalyticsGlobalVariableStorage::setMacAddressEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    macAddressEnabled_ = enabled;
}

bool AnalyticsGlobalVariableStorage::showErrorInLogEnabled() const {
    std::lock_guard lock(mutex_);
    return showErrorInLogEnabled_;
}

void AnalyticsGlobalVariableStorage::setShowErrorInLogEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    showErrorInLogEnabled_ = enabled;
}

std::optional<double> AnalyticsGlobalVariableStorage::lastPageViewDate() const {
    std::lock_guard lock(mutex_);
    return lastPageViewDate_;
}

void AnalyticsGlobalVariableStorage::setLastPageViewDate(std::optional<double> date) {
    std::lock_guard lock(mutex_);
    lastPageViewDate_ = date;
}

QMap<QString, QStringList> AnalyticsGlobalVariableStorage::launchOptions() const {
    std::lock_guard lock(mutex_);
    return launchOptions_;
}

void AnalyticsGlobalVariableStorage::setLaunchOptions(const QMap<QString, QStringList>& options) {
    std::lock_guard lock(mutex_);
    launchOptions_ = options;
}

AnalyticsSettings AnalyticsGlobalVariableStorage::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void AnalyticsGlobalVariableStorage::update(const std::function<void(AnalyticsSettings&)>& change) {
    std::lock_guard lock(mutex_);
    change(settings_);
}

void AnalyticsGlobalVariableStorage::reset() {
    std::lock_guard lock(mutex_);
    settings_ = {};
    appVersion_.reset();
    macAddressEnabled_ = true;
    showErrorInLogEnabled_ = false;
    lastPageViewDate_.reset();
    launchOptions_.clear();
}
