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
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    QVariantMap hints;
    // The urgency hint is a byte on the wire; a plain int is rejected by strict servers.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(urgency)));
    hints.insert(QStringLiteral("desktop-entry"), DesktopEntry);
    call << QStringLiteral("Ampelio") << ids_.value(slot, 0u) << QStringLiteral("battery")
         << summary << body << QStringList() << hints << static_cast<int>(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, slot, summary, body](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    emit failed(slot, summary, body, reply.error().message());
                    return;
                }
                ids_.insert(slot, reply.value());
                emit shown(slot, reply.value());
            });
}
