#pragma once

#include <QByteArray>

#include <functional>

// Where finished reports go, and whether the collector ever accepted one. The upload sender
// installs itself here; until one is installed, reports are dropped and none counts as accepted.
class AnalyticsReportSender {
public:
    using Send = std::function<void(const QByteArray& report)>;
    using Accepted = std::function<bool()>;

    static void install(Send send, Accepted everAccepted);
    static void uninstall();

    static void sendSessionsData(const QByteArray& report);
    static bool everSentReportSuccessfully();
};
