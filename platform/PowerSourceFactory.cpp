#include "PowerSourceFactory.h"

#include "LogCategories.h"
#include "SimulatedPowerSource.h"
#include "SysfsPowerSource.h"

std::unique_ptr<PowerSource> PowerSourceFactory::createFromEnvironment() {
    const QString choice = qEnvironmentVariable("AMPELIO_POWER_SOURCE", QStringLiteral("auto"));
    QString supplyDir = qEnvironmentVariable("AMPELIO_POWER_SUPPLY_DIR");
    if (supplyDir.isEmpty())
        supplyDir = QStringLiteral("/sys/class/power_supply");
    bool speedOk = false;
    double speed = qEnvironmentVariable("AMPELIO_SIMULATION_SPEED").toDouble(&speedOk);
    if (!speedOk || speed <= 0)
        speed = 1.0;

    if (choice == QLatin1String("simulated"))
        return std::make_unique<SimulatedPowerSource>(speed);

    auto sysfs = std::make_unique<SysfsPowerSource>(supplyDir);
    if (choice == QLatin1String("sysfs")) {
        if (!sysfs->batteryDirectory())
            qCWarning(lcPlatform, "No battery found in %s; battery readings are unavailable",
                      qPrintable(supplyDir));
        return sysfs;
    }
    if (choice != QLatin1String("auto"))
        qCWarning(lcPlatform, "Unknown AMPELIO_POWER_SOURCE \"%s\"; choosing automatically",
                  qPrintable(choice));
    if (sysfs->batteryDirectory())
        return sysfs;
    return std::make_unique<SimulatedPowerSource>(speed);
}
