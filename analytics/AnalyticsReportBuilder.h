#pragma once

#include <QByteArray>
#include <QList>

#include <variant>

class AnalyticsSession;

// The report: a header describing the device, the application and the sending session, the
// session blocks and a CRC-32 over everything before it.
class AnalyticsReportBuilder {
public:
    // A session record to serialise now, or a block serialised when its session was saved.
    using Item = std::variant<QByteArray, const AnalyticsSession*>;

    static constexpr int PROTOCOL_VERSION = 27;
    static constexpr int PLATFORM_PHONE = 2;
    static constexpr int PLATFORM_TABLET = 8;

    static QByteArray dataForSessions(const AnalyticsSession& current, const QList<Item>& items);
};
