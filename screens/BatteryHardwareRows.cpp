#include "BatteryHardwareRows.h"

namespace {
using K = PowerSource;

bool available(float value) {
    return value != -1.0f;
}
} // namespace

QList<BatteryHardwareRows::Row> BatteryHardwareRows::of(const PowerSource::Properties& table) {
    BatteryHardwareRows rows(table);
    rows.addAmountRows();
    rows.addChargeAndHealthRows();
    rows.addFlowRows();
    rows.addConditionRows();
    return rows.rows_;
}

BatteryHardwareRows::BatteryHardwareRows(const PowerSource::Properties& table)
    : table_(table), charge_{read(K::CurrentCapacity), read(K::MaxCapacity),
                             read(K::DesignCapacity)},
      energy_{read(K::CurrentEnergy), read(K::MaxEnergy), read(K::DesignEnergy)} {}

float BatteryHardwareRows::read(const QString& key) const {
    return static_cast<float>(PowerSource::find(table_, key).value_or(-1.0));
}

// Each row is one figure: its text is the figure through the format.
void BatteryHardwareRows::add(const char* label, const char* format, const char* key,
                              double value) {
    rows_.append({QString::fromLatin1(label), QString::asprintf(format, value),
                  QString::fromLatin1(key), value});
}

bool BatteryHardwareRows::inMilliampHours() const {
    return available(charge_.full) && charge_.full != 100.0f;
}

// Energy batteries count in Wh; their own figures are shown as such, and charge and health come
// from them, which no guessed voltage can distort.
bool BatteryHardwareRows::energyKnown() const {
    return available(energy_.full) && energy_.full > 0.0f;
}

void BatteryHardwareRows::addAmountRows() {
    if (const float voltage = read(K::Voltage); available(voltage))
        add("Voltage", "%2.2f V", "voltage_v", voltage / 1000.0f);
    if (inMilliampHours() && available(charge_.now))
        add("Current Capacity", "%4.0f mAh", "current_capacity_mah", charge_.now);
    if (inMilliampHours())
        add("Max Capacity", "%4.0f mAh", "max_capacity_mah", charge_.full);
    if (available(charge_.design))
        add("Design Capacity", "%4.0f mAh", "design_capacity_mah", charge_.design);
    if (available(energy_.now))
        add("Current Energy", "%2.2f Wh", "current_energy_wh", energy_.now / 1000.0f);
    if (energyKnown())
        add("Full Energy", "%2.2f Wh", "full_energy_wh", energy_.full / 1000.0f);
    if (available(energy_.design))
        add("Design Energy", "%2.2f Wh", "design_energy_wh", energy_.design / 1000.0f);
}

void BatteryHardwareRows::addChargeAndHealthRows() {
    if (energyKnown() && available(energy_.now))
        add("Charge", "%2.2f%%", "charge_percent", energy_.now * 100.0f / energy_.full);
    else if (available(charge_.full) && available(charge_.now) && charge_.full != 0.0f)
        add("Charge", "%2.2f%%", "charge_percent", charge_.now * 100.0f / charge_.full);
    if (energyKnown() && available(energy_.design) && energy_.design > 0.0f)
        add("Health", "%2.2f%%", "health_percent", energy_.full * 100.0f / energy_.design);
    else if (inMilliampHours() && available(charge_.design) && charge_.design > 0.0f)
        add("Health", "%2.2f%%", "health_percent", charge_.full * 100.0f / charge_.design);
}

void BatteryHardwareRows::addFlowRows() {
    const float amperage = read(K::Amperage);
    const float instant = read(K::InstantAmperage);
    const float power = read(K::Power);
    if (available(amperage))
        add("conn. Charger Capacity", "%4.0f mA", "charger_capacity_ma", amperage);
    if (available(instant) && instant > 0.0f)
        add("Flow to Battery", "%4.0f mA", "flow_to_battery_ma", instant);
    if (available(instant) && instant < 0.0f)
        add("Flow from Battery", "%4.0f mA", "flow_from_battery_ma", -instant);
    if (available(power) && power > 0.0f)
        add("Power to Battery", "%2.2f W", "power_to_battery_w", power / 1000.0f);
    if (available(power) && power < 0.0f)
        add("Power from Battery", "%2.2f W", "power_from_battery_w", -power / 1000.0f);

    // What the device draws: the charger's supply less what flows into the battery.
    const bool chargeKnown =
        available(charge_.now) && available(charge_.full) && charge_.full != 0.0f;
    const bool showPowerUse =
        available(instant) && available(amperage) &&
        (amperage == 0.0f ||
         (chargeKnown && static_cast<double>(charge_.now / charge_.full) < 0.95));
    if (!showPowerUse)
        return;
    const float milliamps = amperage - instant;
    add("Current Power Use", "%4.0f mA", "power_use_ma", milliamps);
    if (const float voltage = read(K::Voltage); available(voltage))
        add("Current Power Use", "%2.2f W", "power_use_w", milliamps / 1000.0f * voltage / 1000.0f);
}

void BatteryHardwareRows::addConditionRows() {
    if (const float boot = read(K::BootVoltage); available(boot))
        add("Boot Voltage", "%2.2f V", "boot_voltage_v", boot / 1000.0f);
    if (const float cycles = read(K::CycleCount); available(cycles))
        add("Cycle Count", "%2.0f cycles", "cycle_count", cycles);
    if (const float temperature = read(K::Temperature); available(temperature))
        add("Temperature", "%2.1f C", "temperature_c", static_cast<double>(temperature) / 100.0);
}
