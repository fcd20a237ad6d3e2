#pragma once

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>

// The switches and values that outlive any one session record and are applied to each new one.
struct AnalyticsSettings {
    QString apiKey;
    int pauseSecondsBeforeStartingNewSession = 10;
    bool sessionReportsOnCloseEnabled = true;
    bool sessionReportsOnPauseEnabled = true;
    bool backgroundSessionEnabled = false;
    bool crashReportingEnabled = false;
    bool eventLoggingEnabled = true;
    bool startSessionCalled = false;
    std::optional<double> pauseTime;
    std::optional<QString> userID;
    std::optional<QString> gender;
    int age = -1;
    QString pushToken;
    // The desktop's stand-in for the phone's background state: minimised or in the tray.
    bool applicationInBackground = false;
    // A logger without a window has no foreground to wait for.
    bool headless = false;
};

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

    AnalyticsSettings settings() const;
    void update(const std::function<void(AnalyticsSettings&)>& change);
    QString apiKey() const { return settings().apiKey; }
    bool applicationInBackground() const { return settings().applicationInBackground; }
    // In the background with a window to come back to: retries wait for it.
    bool retriesWait() const {
        const AnalyticsSettings s = settings();
        return s.applicationInBackground && !s.headless;
    }

    // Back to the defaults; for tests and shutdown.
    void reset();

private:
    mutable std::mutex mutex_;
    std::optional<QString> appVersion_;
    bool macAddressEnabled_ = true;
    bool showErrorInLogEnabled_ = false;
    std::optional<double> lastPageViewDate_;
    QMap<QString, QStringList> launchOptions_;
    AnalyticsSettings settings_;
};
