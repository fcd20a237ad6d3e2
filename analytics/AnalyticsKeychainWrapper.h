#pragma once

#include "Keychain.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

// Keychain items of the analytics client: one service, items named by key, values in the
// stored form of AnalyticsPropertyList.
class AnalyticsKeychainWrapper {
public:
    static const QString IDENTIFIER;

    static std::unique_ptr<AnalyticsKeychainWrapper>
    keychainWrapperWithIdentifier(const QString& identifier);

    std::optional<QVariant> objectForKey(const QString& key) const;
    bool setObject(const QVariant& object, const QString& key);
    void removeObjectForKey(const QString& key);

    std::optional<QByteArray> dataForKey(const QString& key) const;
    bool setData(const QByteArray& data, const QString& key);
    bool updateValueData(const QByteArray& data, const QString& key);

    const QString& service() const { return service_; }

private:
    explicit AnalyticsKeychainWrapper(const QString& service);

    QString service_;
    Keychain keychain_;
};
