#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// Battery states as the platform reports them.
enum BatteryState : int {
    BatteryStateUnknown = 0,
    BatteryStateUnplugged = 1,
    BatteryStateCharging = 2,
    BatteryStateFull = 3,
};

// What a battery is, as its firmware names it; a field the battery does not report is empty
// (designCapacity, in mAh, is -1). Two readings with the same key come from the same cell.
struct BatteryIdentity {
    QString manufacturer;
    QString model;
    QString serial;
    double designCapacity = -1.0;

    bool isEmpty() const { return manufacturer.isEmpty() && model.isEmpty() && serial.isEmpty(); }
    friend bool operator==(const BatteryIdentity&, const BatteryIdentity&) = default;
    // manufacturer/model/serial, with the design capacity standing in for a missing serial.
    QString key() const;
};

class PowerSource;

// One battery as read at one moment, for machines with several.
struct BatteryReading {
    QString name;
    BatteryIdentity identity;
    QMap<QString, double> properties;
    float level = -1.0f;
    BatteryState state = BatteryStateUnknown;
    bool notCharging = false;

    // CurrentCapacity / MaxCapacity as PowerSource::accurateBatteryLevel() takes it.
    float accurateLevel() const;
};

// A battery's property table (mAh, mV, mA, 1/100 degC) and the platform's coarse readings.
// Implementations read the battery afresh on every call and may be called from any thread.
class PowerSource {
public:
    using Properties = QMap<QString, double>;

    virtual ~PowerSource() = default;

    // The keys a property table may hold; a key the battery does not report is absent.
    static const QString CurrentCapacity;
    static const QString MaxCapacity;
    static const QString DesignCapacity;
    static const QString Voltage;
    static const QString BootVoltage;
    static const QString Amperage;
    static const QString InstantAmperage;
    static const QString CycleCount;
    static const QString Temperature;
    // Batteries that count in energy also report it as such (mWh), and their power (mW, + into
    // the battery), so the report can show Wh without a conversion through a guessed voltage.
    static const QString CurrentEnergy;
    static const QString MaxEnergy;
    static const QString DesignEnergy;
    static const QString Power;

    // Name shown to the user, e.g. "Simulated battery" or the sysfs battery's name.
    virtual QString name() const = 0;
    virtual Properties properties() const = 0;
    // The platform's own level as a fraction 0..1, or -1.0 when unknown.
    virtual float level() const = 0;
    virtual BatteryState state() const = 0;
    // The battery's nominal (design) voltage in volts, when it reports one.
    virtual std::optional<double> designVoltage() const { return std::nullopt; }
    virtual BatteryIdentity identity() const { return {}; }
    // True while the battery is neither charging nor draining although not full: a charge limit
    // holds it (the kernel's "Not charging"). state() reports BatteryStateFull then, as stored
    // logs expect; this tells the two apart.
    virtual bool isNotCharging() const { return false; }

    // Every battery of the machine, in name order; the default is this source's one battery.
    virtual QList<BatteryReading> batteries() const;

    // The level of all batteries together, as the desktop's own indicator shows it: the total
    // charge (or energy) over the total full capacity; with one battery accurateBatteryLevel().
    float combinedBatteryLevel() const;
    static float combinedLevel(const QList<BatteryReading>& batteries);

    // The named property of a table, nothing when the battery does not report it.
    static std::optional<double> find(const Properties& table, const QString& key);
    // The named property as a single-precision number, -1.0 when the battery does not report it.
    float batteryData(const QString& key) const;
    // CurrentCapacity / MaxCapacity, or -1.0 when either is unavailable.
    float accurateBatteryLevel() const;
};
