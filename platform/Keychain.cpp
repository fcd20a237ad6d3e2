// GLib's headers name struct members "signals", which Qt defines as a macro: include them first.
#include <libsecret/secret.h>

#include "Keychain.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace {
std::mutex fileMutex;

const SecretSchema* schema() {
    static const SecretSchema value = [] {
        SecretSchema s{};
        s.name = "org.ampelio.Keychain";
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &value;
}

constexpr int probeTimeoutMillis = 500;

bool secretServiceOnBus() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return false;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", "org.freedesktop.secrets"), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, probeTimeoutMillis, nullptr, nullptr);
    gboolean owned = FALSE;
    if (reply) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    g_object_unref(bus);
    return owned;
}

QString fileKey(const QString& service, const QString& account) {
    return service + QLatin1Char('\n') + account;
}

QJsonObject readItems(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// Written beside the target and renamed over it, created 0600 so no other user ever sees it.
bool writeItems(const QString& path, const QJsonObject& items) {
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".tmp";
    const QByteArray content = QJsonDocument(items).toJson(QJsonDocument::Compact);
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), content.size()) == content.size();
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (written && synced && ::rename(temporary.constData(), target.constData()) == 0)
        return true;
    ::unlink(temporary.constData());
    return false;
}

std::optional<QByteArray> secretFind(const QString& service, const QString& account) {
    gchar* text =
        secret_password_lookup_sync(schema(), nullptr, nullptr, "service", qUtf8Printable(service),
                                    "account", qUtf8Printable(account), nullptr);
    if (!text)
        return std::nullopt;
    const QByteArray data = QByteArray::fromBase64(QByteArray(text));
    secret_password_free(text);
    return data;
}

bool secretStore(const QString& service, const QString& account, const QByteArray& data) {
    // Values are binary; the Secret Service password calls carry text.
    return secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, qUtf8Printable(service),
                                      data.toBase64().constData(), nullptr, nullptr, "service",
                                      qUtf8Printable(service), "account", qUtf8Printable(account),
                                      nullptr);
}
} // namespace

Keychain::Keychain(QString fallbackFile)
    : fallbackFile_(std::move(fallbackFile)), secretService_(secretServiceAvailable()) {}

bool Keychain::secretServiceAvailable() {
    static const bool available = probeSecretService();
    return available;
}

bool Keychain::probeSecretService() {
    if (qEnvironmentVariable("AMPELIO_KEYCHAIN") == QLatin1String("file"))
        return false;
    // Without an address GLib would try to launch a bus through X11; never wait for that.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    // Connecting alone can block for GLib's 25-second default on a bus that does not answer, so
    // the question is asked on a thread of its own and left behind when it takes too long.
    auto question = std::make_shared<std::packaged_task<bool()>>(secretServiceOnBus);
    std::future<bool> answer = question->get_future();
    std::thread([question] { (*question)(); }).detach();
    return answer.wait_for(std::chrono::milliseconds(probeTimeoutMillis)) ==
               std::future_status::ready &&
           answer.get();
}

std::optional<QByteArray> Keychain::find(const QString& service, const QString& account) const {
    if (secretService_)
        return secretFind(service, account);
    std::lock_guard lock(fileMutex);
    const QJsonValue value = readItems(fallbackFile_).value(fileKey(service, account));
    if (!value.isString())
        return std::nullopt;
    return QByteArray::fromBase64(value.toString().toLatin1());
}

Keychain::Status Keychain::add(const QString& service, const QString& account,
                               const QByteArray& data) {
    if (find(service, account))
        return Status::DuplicateItem;
    return update(service, account, data);
}

Keychain::Status Keychain::update(const QString& service, const QString& account,
                                  const QByteArray& data) {
    if (secretService_)
        return secretStore(service, account, data) ? Status::Success : Status::Failed;
    std::lock_guard lock(fileMutex);
    QJsonObject items = readItems(fallbackFile_);
    items.insert(fileKey(service, account), QString::fromLatin1(data.toBase64()));
    return writeItems(fallbackFile_, items) ? Status::Success : Status::Failed;
}

Keychain::Status Keychain::remove(const QString& service, const QString& account) {
    if (secretService_) {
        const bool removed = secret_password_clear_sync(schema(), nullptr, nullptr, "service",
                                                        qUtf8Printable(service), "account",
                                                        qUtf8Printable(account), nullptr);
        return removed ? Status::Success : Status::ItemNotFound;
    }
    std::lock_guard lock(fileMutex);
    QJsonObject items = readItems(fallbackFile_);
    if (!items.contains(fileKey(service, account)))
        return Status::ItemNotFound;
    items.remove(fileKey(service, account));
    return writeItems(fallbackFile_, items) ? Status::Success : Status::Failed;
}
