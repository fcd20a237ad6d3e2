#include "SysfsPowerSource.h"

#include "LogCategories.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SysfsPowerSource::SysfsPowerSource(QString supplyDirectory)
    : supplyDirectory_(std::move(supplyDirectory)) {}

std::optional<QString> SysfsPowerSource::batteryDirectory() const {
    const QStringList all = batteryDirectories();
    return all.isEmpty() ? std::nullopt : std::optional<QString>(all.first());
}

QStringList SysfsPowerSource::batteryDirectories() const {
    QStringList batteries;
    const QDir root(supplyDirectory_);
    const QStringList entries =
        root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        const QString dir = root.filePath(entry);
        if (readText(dir, "type").value_or(QString()) != QLatin1String("Battery"))
            continue;
        // Peripherals (mice, headsets) report scope "Device"; they do not power the machine.
        if (readText(dir, "scope").value_or(QString()) == QLatin1String("Device"))
            continue;
        batteries.append(dir);
    }
    return batteries;
}

QList<BatteryReading> SysfsPowerSource::batteries() const {
    QList<BatteryReading> readings;
    for (const QString& dir : batteryDirectories()) {
        const QString status = readText(dir, "status").value_or(QString());
        readings.append({nameOf(dir), identityOf(dir), propertiesOf(dir), levelOf(dir),
                         stateFromStatus(status), status == QLatin1String("Not charging")});
    }
    return readings;
}

QString SysfsPowerSource::name() const {
    const auto dir = batteryDirectory();
    return dir ? nameOf(*dir) : QStringLiteral("No battery");
}

QString SysfsPowerSource::nameOf(const QString& dir) const {
    const QString model = readText(dir, "model_name").value_or(QString());
    const QString base = QFileInfo(dir).fileName();
    return model.isEmpty() ? base : QStringLiteral("%1 (%2)").arg(model, base);
}

PowerSource::Properties SysfsPowerSource::properties() const {
    const auto dir = batteryDirectory();
    return dir ? propertiesOf(*dir) : Properties();
}

PowerSource::Properties SysfsPowerSource::propertiesOf(const QString& dir) const {
    Properties table;
    addCapacities(dir, table);
    addElectricals(dir, stateFromStatus(readText(dir, "status").value_or(QString())), table);
    if (const auto cycles = readNumber(dir, "cycle_count"); cycles && *cycles > 0)
        table.insert(CycleCount, *cycles);
    if (const auto temp = readNumber(dir, "temp"))
        table.insert(Temperature, *temp * 10.0);
    return table;
}

void SysfsPowerSource::addCapacities(const QString& dir, Properties& table) const {
    struct Source {
        const QString* key;
        const char* charge;
        const char* energy;
        const QString* energyKey;
    };
    const Source sources[] = {
        {&CurrentCapacity, "charge_now", "energy_now", &CurrentEnergy},
        {&MaxCapacity, "charge_full", "energy_full", &MaxEnergy},
        {&DesignCapacity, "charge_full_design", "energy_full_design", &DesignEnergy}};
    const auto designMicrovolts = readNumber(dir, "voltage_min_design");
    bool any = false;
    for (const Source& source : sources) {
        const auto uWh = readNumber(dir, source.energy);
        if (uWh) {
            table.insert(*source.energyKey, *uWh / 1000.0);
            any = true;
        }
        if (const auto uAh = readNumber(dir, source.charge)) {
            table.insert(*source.key, *uAh / 1000.0);
            any = true;
        } else if (uWh && designMicrovolts && *designMicrovolts > 0) {
            // uWh / uV = Ah.
            table.insert(*source.key, *uWh / *designMicrovolts * 1000.0);
            any = true;
        }
    }
    if (any)
        return;
    // Batteries that only report a percentage are presented as a 100-unit battery.
    if (const auto percent = readNumber(dir, "capacity")) {
        table.insert(MaxCapacity, 100.0);
        table.insert(CurrentCapacity, *percent);
    }
}

void SysfsPowerSource::addElectricals(const QString& dir, BatteryState state,
                                      Properties& table) const {
    const auto uV = readNumber(dir, "voltage_now");
    if (uV)
        table.insert(Voltage, *uV / 1000.0);
    if (const auto boot = readNumber(dir, "voltage_boot"))
        table.insert(BootVoltage, *boot / 1000.0);

    std::optional<double> mA;
    const auto uW = readNumber(dir, "power_now");
    if (const auto uA = readNumber(dir, "current_now"))
        mA = std::fabs(*uA) / 1000.0;
    else if (uW && uV && *uV > 0)
        mA = std::fabs(*uW) / *uV * 1000.0;
    if (uW)
        table.insert(Power, state == BatteryStateUnplugged ? -std::fabs(*uW) / 1000.0
                                                           : std::fabs(*uW) / 1000.0);

    // Drivers disagree on the sign of current_now; the status tells the direction.
    if (mA) {
        const double signedMa = state == BatteryStateUnplugged ? -*mA : *mA;
        table.insert(InstantAmperage, signedMa);
    }
    // The charger's current is only known where an adapter reports it; the battery's own
    // current is no stand-in, as the charger also feeds the machine. Without a charger
    // reporting, a discharging battery gets nothing from one.
    if (const auto adapter = adapterMilliamps(uV))
        table.insert(Amperage, *adapter);
    else if (state == BatteryStateUnplugged)
        table.insert(Amperage, 0.0);
}

std::optional<double>
SysfsPowerSource::adapterMilliamps(std::optional<double> batteryMicrovolts) const {
    if (!batteryMicrovolts || *batteryMicrovolts <= 0)
        return std::nullopt;
    const QDir root(supplyDirectory_);
    const QStringList entries =
        root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        const QString dir = root.filePath(entry);
        if (readText(dir, "type").value_or(QStringLiteral("Battery")) == QLatin1String("Battery") ||
            readNumber(dir, "online").value_or(0) != 1)
            continue;
        const auto uA = readNumber(dir, "current_now");
        const auto uV = readNumber(dir, "voltage_now");
        if (!uA || !uV || *uV <= 0)
            continue;
        // At the battery's voltage (the adapter's power over it), so that it compares with the
        // battery's current: a 20 V adapter's amperes are not the 12 V battery's.
        return std::fabs(*uA) / 1000.0 * *uV / *batteryMicrovolts;
    }
    return std::nullopt;
}

float SysfsPowerSource::level() const {
    // With several batteries the platform's level is theirs together, as its indicator shows.
    const QStringList dirs = batteryDirectories();
    if (dirs.size() > 1) {
        const float combined = combinedLevel(batteries());
        if (combined >= 0.0f)
            return combined;
    }
    return dirs.isEmpty() ? -1.0f : levelOf(dirs.first());
}

float SysfsPowerSource::levelOf(const QString& dir) const {
    const auto percent = readNumber(dir, "capacity");
    if (!percent || *percent < 0)
        return -1.0f;
    return static_cast<float>(std::min(*percent, 100.0) / 100.0);
}

// Several batteries are charging when one is, draining when one is (laptops drain them one
// after the other), and full only when all are.
BatteryState SysfsPowerSource::state() const {
    const QStringList dirs = batteryDirectories();
    QList<BatteryState> states;
    for (const QString& dir : dirs)
        states.append(stateFromStatus(readText(dir, "status").value_or(QString())));
    if (states.size() <= 1)
        return states.value(0, BatteryStateUnknown);
    for (BatteryState wanted : {BatteryStateCharging, BatteryStateUnplugged}) {
        if (states.contains(wanted))
            return wanted;
    }
    return states.count(BatteryStateFull) == states.size() ? BatteryStateFull : states.first();
}

std::optional<double> SysfsPowerSource::designVoltage() const {
    const auto dir = batteryDirectory();
    if (!dir)
        return std::nullopt;
    const auto uV = readNumber(*dir, "voltage_min_design");
    if (!uV || *uV <= 0)
        return std::nullopt;
    return *uV / 1e6;
}

BatteryIdentity SysfsPowerSource::identity() const {
    const auto dir = batteryDirectory();
    return dir ? identityOf(*dir) : BatteryIdentity();
}

BatteryIdentity SysfsPowerSource::identityOf(const QString& dir) const {
    BatteryIdentity id;
    id.manufacturer = readText(dir, "manufacturer").value_or(QString());
    id.model = readText(dir, "model_name").value_or(QString());
    id.serial = readText(dir, "serial_number").value_or(QString());
    if (const auto uAh = readNumber(dir, "charge_full_design"))
        id.designCapacity = *uAh / 1000.0;
    else if (const auto uWh = readNumber(dir, "energy_full_design"))
        id.designCapacity = *uWh / 1000.0; // mWh: an identity, not a figure to compare with mAh
    return id;
}

bool SysfsPowerSource::isNotCharging() const {
    if (state() != BatteryStateFull)
        return false;
    for (const QString& dir : batteryDirectories()) {
        if (readText(dir, "status").value_or(QString()) == QLatin1String("Not charging"))
            return true;
    }
    return false;
}

BatteryState SysfsPowerSource::stateFromStatus(const QString& status) {
    if (status == QLatin1String("Discharging"))
        return BatteryStateUnplugged;
    if (status == QLatin1String("Charging"))
        return BatteryStateCharging;
    if (status == QLatin1String("Full") || status == QLatin1String("Not charging"))
        return BatteryStateFull;
    return BatteryStateUnknown;
}

std::optional<QString> SysfsPowerSource::readText(const QString& dir, const char* file) const {
    const QByteArray path = QFile::encodeName(dir + QLatin1Char('/') + QLatin1String(file));
    // Non-blocking, and regular files only: a FIFO or device put in the folder would otherwise
    // hang the poll (and with it the event loop that handles SIGTERM).
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<QString> text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        // Attribute files are a single short line; cap the read so an odd file cannot stall us.
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got >= 0)
            text = QString::fromUtf8(buffer, got).trimmed();
    }
    ::close(fd);
    return text;
}

// What a battery can physically report, in the kernel's units (uAh, uWh, uV, uA, uW, 0.1 degC).
// A driver bug or a damaged value outside these is unknown, not a figure to show.
std::optional<std::pair<double, double>> SysfsPowerSource::plausibleRange(const char* file) {
    const QLatin1String name(file);
    if (name == QLatin1String("capacity"))
        return std::pair{0.0, 100.0};
    if (name.startsWith(QLatin1String("charge_")) || name.startsWith(QLatin1String("energy_")))
        return std::pair{0.0, 1e9};
    if (name.startsWith(QLatin1String("voltage_")))
        return std::pair{0.0, 1e8};
    if (name == QLatin1String("current_now") || name == QLatin1String("power_now"))
        return std::pair{-1e9, 1e9};
    if (name == QLatin1String("temp"))
        return std::pair{-1000.0, 2000.0};
    if (name == QLatin1String("cycle_count"))
        return std::pair{0.0, 1e6};
    return std::nullopt;
}

std::optional<double> SysfsPowerSource::readNumber(const QString& dir, const char* file) const {
    const auto text = readText(dir, file);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const double value = static_cast<double>(text->toLongLong(&ok));
    const auto range = plausibleRange(file);
    if (ok && (!range || (value >= range->first && value <= range->second)))
        return value;
    const QString path = dir + QLatin1Char('/') + QLatin1String(file);
    std::lock_guard lock(warnedMutex_);
    if (!warnedFiles_.contains(path)) {
        warnedFiles_.insert(path);
        qCWarning(lcPlatform, "Ignoring %s battery value in %s: \"%s\"",
                  ok ? "impossible" : "non-numeric", qPrintable(path), qPrintable(text->left(40)));
    }
    return std::nullopt;
}
