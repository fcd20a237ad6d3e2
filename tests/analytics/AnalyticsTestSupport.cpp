#include "AnalyticsTestSupport.h"

#include "AnalyticsAutoIncrement.h"
#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsLog.h"
#include "AnalyticsReportSender.h"
#include "AnalyticsSessionStore.h"

std::optional<SystemInfo::MemoryStatistics> FixedDeviceFacts::memory() const {
    SystemInfo::MemoryStatistics stats;
    stats.free = 1ull << 30;
    stats.active = 2ull << 30;
    stats.inactive = 512ull << 20;
    stats.wired = 256ull << 20;
    return stats;
}

std::optional<SystemInfo::DiskSpace> FixedDeviceFacts::disk(const QString&, int*) const {
    return SystemInfo::DiskSpace{64ull << 30, 16ull << 30};
}

AnalyticsTest::AnalyticsTest() : oldCache_(qgetenv("XDG_CACHE_HOME")) {
    // Never the user's keychain or cache.
    qputenv("AMPELIO_KEYCHAIN", "file");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + QStringLiteral("/cache")));
    auto facts = std::make_unique<FixedDeviceFacts>();
    facts_ = facts.get();
    AnalyticsDeviceFacts::setCurrent(std::move(facts));
    AnalyticsAutoIncrement::instance().resetAll();
    AnalyticsGlobalVariableStorage::sharedInstance().reset();
    AnalyticsGlobalVariableStorage::sharedInstance().setAppVersion(QStringLiteral("1.2"));
    AnalyticsSessionStore::setMaxSessions(50);
    AnalyticsLog::setLevel(1);
    AnalyticsReportSender::install([this](const QByteArray& report) { sentReports.append(report); },
                                   [] { return false; });
}

AnalyticsTest::~AnalyticsTest() {
    AnalyticsReportSender::uninstall();
    AnalyticsDeviceFacts::setCurrent(nullptr);
    qputenv("XDG_CACHE_HOME", oldCache_);
}

std::unique_ptr<AnalyticsSession> AnalyticsTest::newSession(const QString& apiKey) {
    return std::make_unique<AnalyticsSession>(apiKey, QStringLiteral("1.2"), clock.now());
}

QByteArray hex(const char* spaced) {
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}
