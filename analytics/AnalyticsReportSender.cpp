#include "AnalyticsReportSender.h"

#include <mutex>

namespace {
std::mutex senderMutex;
AnalyticsReportSender::Send installedSend;
AnalyticsReportSender::Accepted installedAccepted;
} // namespace

void AnalyticsReportSender::install(Send send, Accepted everAccepted) {
    std::lock_guard lock(senderMutex);
    installedSend = std::move(send);
    installedAccepted = std::move(everAccepted);
}

void AnalyticsReportSender::uninstall() {
    install({}, {});
}

void AnalyticsReportSender::sendSessionsData(const QByteArray& report) {
    Send send;
    {
        std::lock_guard lock(senderMutex);
        send = installedSend;
    }
    if (send)
        send(report);
}

bool AnalyticsReportSender::everSentReportSuccessfully() {
    Accepted accepted;
    {
        std::lock_guard lock(senderMutex);
        accepted = installedAccepted;
    }
    return accepted && accepted();
}
