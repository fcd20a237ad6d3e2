#pragma once

#include "PowerSource.h"

#include <QSet>
#include <QStringList>

#include <mutex>
#include <optional>
#include <utility>

// A battery in the kernel's power_supply class format (/sys/class/power_supply/<name>/).
// The battery directory is looked up again on every call, so batteries that appear, vanish or
// change their files are followed without a restart.
class SysfsPowerSource : public PowerSource {
public:
    explicit SysfsPowerSource(QString supplyDirectory);

    // The first battery (type "Battery", scope not "Device") below the directory, sorted by name.
    std::optional<QString> batteryDirectory() const;
    // Every such battery, sorted by name.
    QStringList batteryDirectories() const;

    QString name() const override;
    Properties properties() const override;
    float level() const override;
    BatteryState state() const override;
    std::optional<double> designVoltage() const override;
    BatteryIdentity identity() const override;
    bool isNotCharging() const override;
    QList<BatteryReading> batteries() const override;

    static BatteryState stateFromStatus(const QString& status);

private:
    QString nameOf(const QString& dir) const;
    Properties propertiesOf(const QString& dir) const;
    BatteryIdentity identityOf(const QString& dir) const;
    float levelOf(const QString& dir) const;
    std::optional<double> readNumber(const QString& dir, const char* file) const;
    std::optional<QString> readText(const QString& dir, const char* file) const;
    static std::optional<std::pair<double, double>> plausibleRange(const char* file);
    void addCapacities(const QString& dir, Properties& table) const;
    void addElectricals(const QString& dir, BatteryState state, Properties& table) const;
    // The current of an online adapter that reports it, in mA at the battery's voltage.
    std::optional<double> adapterMilliamps(std::optional<double> batteryMicrovolts) const;

    QString supplyDirectory_;
    mutable std::mutex warnedMutex_;
    mutable QSet<QString> warnedFiles_;
};
