#pragma once

#include "PowerSource.h"

#include <memory>

// Chooses the power source from the environment:
//   AMPELIO_POWER_SOURCE = auto (default) | sysfs | simulated
//   AMPELIO_POWER_SUPPLY_DIR = the power_supply directory (default /sys/class/power_supply)
//   AMPELIO_SIMULATION_SPEED = speed-up of the simulated battery (default 1)
class PowerSourceFactory {
public:
    static std::unique_ptr<PowerSource> createFromEnvironment();
};
