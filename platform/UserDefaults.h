#pragma once

#include <QSettings>
#include <QVariant>

#include <memory>

// The per-user defaults store: an INI file in the configuration directory.
class UserDefaults {
public:
    static UserDefaults& standard();
    // Drops the cached store so the next use reads the file at the current configuration path.
    static void resetStandard();

    explicit UserDefaults(const QString& filePath);

    QVariant objectForKey(const QString& key) const;
    bool boolForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    void setObject(const QString& key, const QVariant& value);
    void removeObject(const QString& key);
    bool synchronize();

private:
    std::unique_ptr<QSettings> settings_;
};
