#include "AnalyticsNetworkUtil.h"

#include "AnalyticsLog.h"

#include <QNetworkInformation>

namespace {
// The reserved name never resolves: nothing leaves the machine until an endpoint is configured.
const char* const plainURL = "http://analytics.invalid/aas.do";
const char* const secureURL = "https://analytics.invalid/aas.do";

std::mutex urlMutex;
QString configuredURL;
bool secureTransport = false;
} // namespace

AnalyticsNetworkUtil& AnalyticsNetworkUtil::instance() {
    static AnalyticsNetworkUtil* util = new AnalyticsNetworkUtil;
    return *util;
}

// Qt reports reachability and the transport; this turns them into the flags the mapping reads.
unsigned AnalyticsNetworkUtil::flagsOfSystem() {
    QNetworkInformation* info = QNetworkInformation::instance();
    if (!info)
        return Reachable;
    using R = QNetworkInformation::Reachability;
    const R reachability = info->reachability();
    if (reachability == R::Disconnected)
        return 0;
    if (reachability == R::Local || reachability == R::Site)
        return Reachable | ConnectionRequired | TransientConnection;
    unsigned flags = Reachable;
    if (info->transportMedium() == QNetworkInformation::TransportMedium::Cellular)
        flags |= IsWWAN;
    return flags;
}

void AnalyticsNetworkUtil::initNetworkReachability() {
    {
        std::lock_guard lock(mutex_);
        if (started_)
            return;
        started_ = true;
    }
    // Without a backend the state stays as it was before monitoring: status 0, reachable.
    if (loadAnyBackend()) {
        QNetworkInformation* info = QNetworkInformation::instance();
        auto changed = [this] {
            applySystemState();
            ANALYTICS_LOG(AtLeast2, "updated network status [%d] ======== ", networkStatus());
            emit networkStatusChanged(isNetworkReachable());
        };
        connect(info, &QNetworkInformation::reachabilityChanged, this, changed);
        connect(info, &QNetworkInformation::transportMediumChanged, this, changed);
        applySystemState();
    }
    ANALYTICS_LOG(AtLeast2, "initial network status [%d] ========= ", networkStatus());
}

// The platform's default backend may be missing (no NetworkManager); any other that reports
// reachability serves as well.
bool AnalyticsNetworkUtil::loadAnyBackend() {
    if (QNetworkInformation::loadDefaultBackend() ||
        QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return true;
    for (const QString& backend : QNetworkInformation::availableBackends()) {
        if (QNetworkInformation::loadBackendByName(backend))
            return true;
    }
    ANALYTICS_LOG(AtLeast2, "Analytics: no network information backend; status from uploads");
    return false;
}

void AnalyticsNetworkUtil::uploadAccepted() {
    std::lock_guard lock(mutex_);
    if (status_ != NotReachable)
        return;
    status_ = ReachableViaWiFi;
    reachable_ = true;
}

void AnalyticsNetworkUtil::updateNetworkStatus(int status) {
    applyStatus(status);
    ANALYTICS_LOG(AtLeast2, "updated network status [%d] ======== ", status);
    emit networkStatusChanged(isNetworkReachable());
}

void AnalyticsNetworkUtil::applyStatus(int status) {
    std::lock_guard lock(mutex_);
    status_ = status;
    reachable_ = status != NotReachable;
}

// A backend that does not know yet is taken like none at all: status 0, reachable.
void AnalyticsNetworkUtil::applySystemState() {
    const QNetworkInformation* info = QNetworkInformation::instance();
    if (info && info->reachability() == QNetworkInformation::Reachability::Unknown) {
        std::lock_guard lock(mutex_);
        status_ = NotReachable;
        reachable_ = true;
        return;
    }
    applyStatus(analyticsNetworkStatusForFlags(flagsOfSystem()));
}

bool AnalyticsNetworkUtil::isNetworkReachable() const {
    std::lock_guard lock(mutex_);
    return reachable_;
}

int AnalyticsNetworkUtil::networkStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}

int AnalyticsNetworkUtil::analyticsNetworkStatusForFlags(unsigned flags, bool localWiFi) {
    if (!(flags & Reachable))
        return NotReachable;
    if (localWiFi)
        return (flags & IsDirect) ? ReachableViaWiFi : NotReachable;
    if (flags & IsWWAN)
        return ReachableViaWWAN;
    const unsigned rest = flags & ~unsigned(Reachable | IsLocalAddress | IsDirect);
    if (rest == (TransientConnection | ConnectionRequired))
        return NotReachable;
    if (rest == 0 || (rest & (TransientConnection | ConnectionRequired)))
        return ReachableViaWiFi;
    ANALYTICS_LOG(Exactly3, "Uncaught reachability test. Flags: %u", flags);
    return NotReachable;
}

QString AnalyticsNetworkUtil::serverURL() {
    std::lock_guard lock(urlMutex);
    if (!configuredURL.isEmpty())
        return configuredURL;
    const QString fromEnvironment = qEnvironmentVariable("AMPELIO_ANALYTICS_URL");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QString::fromLatin1(secureTransport ? secureURL : plainURL);
}

void AnalyticsNetworkUtil::setServerURL(const QString& url) {
    std::lock_guard lock(urlMutex);
    configuredURL = QString(url.constData(), url.size());
}

void AnalyticsNetworkUtil::setSecureTransportEnabled(bool enabled) {
    std::lock_guard lock(urlMutex);
    secureTransport = enabled;
    configuredURL.clear();
}

void AnalyticsNetworkUtil::reset() {
    disconnect(this, &AnalyticsNetworkUtil::networkStatusChanged, nullptr, nullptr);
    if (QNetworkInformation* info = QNetworkInformation::instance())
        disconnect(info, nullptr, this, nullptr);
    {
        std::lock_guard lock(mutex_);
        started_ = false;
        reachable_ = true;
        status_ = NotReachable;
    }
    std::lock_guard lock(urlMutex);
    configuredURL.clear();
    secureTransport = false;
}
