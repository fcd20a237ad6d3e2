#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Generic-password items kept per (service, account). Items go to the desktop's Secret Service
// when one answers on the session bus; otherwise, as on servers and in CI, to a file that only
// this user may read. AMPELIO_KEYCHAIN=file forces the file.
class Keychain {
public:
    enum class Status { Success, DuplicateItem, ItemNotFound, Failed };

    explicit Keychain(QString fallbackFile);

    std::optional<QByteArray> find(const QString& service, const QString& account) const;
    // Fails with DuplicateItem when the item exists already.
    Status add(const QString& service, const QString& account, const QByteArray& data);
    Status update(const QString& service, const QString& account, const QByteArray& data);
    Status remove(const QString& service, const QString& account);

    // Whether a Secret Service answers; asked once per process.
    static bool secretServiceAvailable();
    // Asks the session bus afresh, waiting at most half a second for its answer.
    static bool probeSecretService();

private:
    QString fallbackFile_;
    bool secretService_;
};
