#pragma once

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

// Process-wide analytics settings that outlive any one session record.
class AnalyticsGlobalVariableStorage {
public:
    static AnalyticsGlobalVariableStorage& sharedInstance();

    QString appVersion() const;
    void setAppVersion(const QString& version);
    bool macAddressEnabled() const;
    void setMacAddressEnabled(bool enabled);
    bool showErrorInLogEnabled() const;
    void setShowErrorInLogEnabled(bool enabled);
    std::optional<double> lastPageViewDate() const;
    void setLastPageViewDate(std::optional<double> date);
    QMap<QString, QStringList> launchOptions() const;
    void setLaunchOptions(const QMap<QString, QStringList>& options);

    // Back to the defaults; for tests and shutdown.
    void reset();

private:
    mutable std::mutex mutex_;
    std::optional<QString> appVersion_;
    bool macAddressEnabled_ = true;
    bool showErrorInLogEnabled_ = false;
    std::optional<double> lastPageViewDate_;
    QMap<QString, QStringList> launchOptions_;
};
