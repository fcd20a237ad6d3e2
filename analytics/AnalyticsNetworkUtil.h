#pragma once

#include <QObject>
#include <QString>

#include <mutex>

// The network state the reports carry and the retries follow, and the address reports go to.
class AnalyticsNetworkUtil : public QObject {
    Q_OBJECT
public:
    // Field 10 of the session block.
    enum Status { NotReachable = 0, ReachableViaWiFi = 2, ReachableViaWWAN = 3 };
    // The flags of the phone platform's reachability interface, which the mapping is written in.
    enum Flag : unsigned {
        TransientConnection = 0x1,
        Reachable = 0x2,
        ConnectionRequired = 0x4,
        IsLocalAddress = 0x10000,
        IsDirect = 0x20000,
        IsWWAN = 0x40000,
    };

    static AnalyticsNetworkUtil& instance();

    // Starts following the system's network state; once per process, on the GUI thread.
    void initNetworkReachability();
    void updateNetworkStatus(int status);
    // An accepted upload proves a connection that no backend may have reported.
    void uploadAccepted();
    bool isNetworkReachable() const;
    int networkStatus() const;

    static int analyticsNetworkStatusForFlags(unsigned flags, bool localWiFi = false);

    static QString serverURL();
    static void setServerURL(const QString& url);
    static void setSecureTransportEnabled(bool enabled);
    // Back to no monitoring and the built-in endpoint; for tests and shutdown.
    void reset();

signals:
    // The state was updated; the data sender retries when the network is reachable again.
    void networkStatusChanged(bool reachable);

private:
    AnalyticsNetworkUtil() = default;
    void applyStatus(int status);
    void applySystemState();
    static unsigned flagsOfSystem();
    static bool loadAnyBackend();

    mutable std::mutex mutex_;
    bool started_ = false;
    bool reachable_ = true;
    int status_ = NotReachable;
};
