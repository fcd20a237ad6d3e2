#include "DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

const QString DesktopNotifier::Service = QStringLiteral("org.freedesktop.Notifications");
const QString DesktopNotifier::Path = QStringLiteral("/org/freedesktop/Notifications");
const QString DesktopNotifier::Interface = QStringLiteral("org.freedesktop.Notifications");
const QString DesktopNotifier::DesktopEntry = QStringLiteral("ampelio");

namespace {
// Long enough for a busy desktop, short enough that a hung server is noticed as missing.
constexpr int CallTimeoutMs = 5000;
} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

void DesktopNotifier::notify(int slot, const QString& summary, const QString& body,
                             Urgency urgency) {
    if (!bus_.isConnected()) {
        emit failed(slot, summary, body, QStringLiteral("no session bus"));
        return;
    }
    if (inFlight_.contains(slot)) {
        waiting_.insert(slot, {summary, body, urgency});
        return;
    }
    send(slot, {summary, body, urgency});
}

void DesktopNotifier::send(int slot, const Request& request) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    QVariantMap hints;
    // The urgency hint is a byte on the wire; a plain int is rejected by strict servers.
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(static_cast<uchar>(request.urgency)));
    hints.insert(QStringLiteral("desktop-entry"), DesktopEntry);
    call << QStringLiteral("Ampelio") << ids_.value(slot, 0u) << QStringLiteral("battery")
         << request.summary << request.body << QStringList() << hints << static_cast<int>(-1);
    inFlight_.insert(slot);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, slot, request](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                answered(slot, request, *finished);
            });
}

void DesktopNotifier::answered(int slot, const Request& request,
                               const QDBusPendingCallWatcher& call) {
    inFlight_.remove(slot);
    const QDBusPendingReply<uint> reply = call;
    if (!reply.isError())
        ids_.insert(slot, reply.value());
    // The waiting text goes out before anyone hears of this answer, so a notify() from a
    // receiver waits its turn instead of racing it.
    if (const auto next = waiting_.constFind(slot); next != waiting_.constEnd()) {
        const Request newer = *next;
        waiting_.erase(next);
        send(slot, newer);
    }
    if (reply.isError())
        emit failed(slot, request.summary, request.body, reply.error().message());
    else
        emit shown(slot, reply.value());
}
