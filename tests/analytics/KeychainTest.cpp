// GLib's headers name struct members "signals", which Qt defines as a macro: include them first.
#include <gio/gio.h>

#include "Keychain.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
// Sets environment variables for the life of the object.
class ScopedEnvironment {
public:
    void set(const char* name, const QByteArray& value) {
        saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value, wasSet] : saved_) {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    QList<std::tuple<const char*, QByteArray, bool>> saved_;
};

// A private session bus with nothing on it but what the test puts there. A deaf bus lets no
// message through to the clients, so every call waits for its timeout.
class PrivateBus {
public:
    explicit PrivateBus(bool deaf = false) {
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        // Receiving needs its own rule; without it the bus swallows every reply.
        const QByteArray receive = deaf ? "" : "<allow eavesdrop=\"true\"/>";
        writeFile(config, "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                          "Configuration 1.0//EN\" \"http://www.freedesktop.org/standards/dbus/"
                          "1.0/busconfig.dtd\"><busconfig><type>session</type><listen>unix:dir=" +
                              QFile::encodeName(dir_.path()) +
                              "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                              "<allow send_destination=\"*\" eavesdrop=\"true\"/>" +
                              receive + "<allow own=\"*\"/></policy></busconfig>");
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
            address_ = daemon_.readLine().trimmed();
    }
    ~PrivateBus() {
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    const QByteArray& address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QByteArray address_;
};
} // namespace

TEST(KeychainTest, WithoutASessionBusTheFileIsUsedAtOnce) {
    ScopedEnvironment env;
    env.set("AMPELIO_KEYCHAIN", QByteArray());
    env.set("DBUS_SESSION_BUS_ADDRESS", QByteArray());
    EXPECT_FALSE(Keychain::probeSecretService());

    QTemporaryDir dir;
    Keychain keychain(dir.filePath(QStringLiteral("items")));
    EXPECT_EQ(keychain.add(QStringLiteral("s"), QStringLiteral("a"), "one"),
              Keychain::Status::Success);
    EXPECT_EQ(keychain.add(QStringLiteral("s"), QStringLiteral("a"), "two"),
              Keychain::Status::DuplicateItem);
    EXPECT_EQ(keychain.find(QStringLiteral("s"), QStringLiteral("a")), QByteArray("one"));
    EXPECT_FALSE(keychain.find(QStringLiteral("s"), QStringLiteral("other")));
    EXPECT_EQ(keychain.remove(QStringLiteral("s"), QStringLiteral("a")), Keychain::Status::Success);
    EXPECT_EQ(keychain.remove(QStringLiteral("s"), QStringLiteral("a")),
              Keychain::Status::ItemNotFound);
    EXPECT_FALSE(QFileInfo(dir.filePath(QStringLiteral("items"))).permissions() &
                 (QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

// The keychain's view of a private bus: the session bus address points at it.
class KeychainOnBus : public ::testing::Test {
protected:
    void start(bool deaf) {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "no dbus-daemon on this machine";
        bus_ = std::make_unique<PrivateBus>(deaf);
        ASSERT_FALSE(bus_->address().isEmpty());
        env_.set("AMPELIO_KEYCHAIN", QByteArray());
        env_.set("DBUS_SESSION_BUS_ADDRESS", bus_->address());
    }
    // The answer, checked to come within the time the keychain promises to wait.
    bool probeQuickly() {
        QElapsedTimer timer;
        timer.start();
        const bool answer = Keychain::probeSecretService();
        EXPECT_LT(timer.elapsed(), 2000);
        return answer;
    }
    const QByteArray& address() const { return bus_->address(); }

private:
    ScopedEnvironment env_;
    std::unique_ptr<PrivateBus> bus_;
};

TEST_F(KeychainOnBus, AsksOnlyWhetherTheSecretServiceIsThere) {
    start(false);
    if (IsSkipped() || HasFatalFailure())
        return;
    EXPECT_FALSE(probeQuickly());

    GDBusConnection* owner = g_dbus_connection_new_for_address_sync(
        address().constData(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    ASSERT_TRUE(owner);
    GVariant* reply = g_dbus_connection_call_sync(
        owner, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", "org.freedesktop.secrets", 0u), nullptr,
        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    ASSERT_TRUE(reply);
    g_variant_unref(reply);
    EXPECT_TRUE(probeQuickly());
    g_dbus_connection_close_sync(owner, nullptr, nullptr);
    g_object_unref(owner);
}

TEST_F(KeychainOnBus, ABusThatDoesNotAnswerIsNotWaitedFor) {
    start(true);
    if (IsSkipped() || HasFatalFailure())
        return;
    EXPECT_FALSE(probeQuickly());
}

TEST(KeychainTest, TheEnvironmentCanForceTheFile) {
    ScopedEnvironment env;
    env.set("AMPELIO_KEYCHAIN", "file");
    env.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    EXPECT_FALSE(Keychain::probeSecretService());
}
