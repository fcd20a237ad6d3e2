#pragma once

#include "BatteryLogHandler.h"
#include "Device.h"
#include "FakePowerSource.h"
#include "TestSupport.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

#include <memory>

// A battery log in a temporary home, on a battery the test controls and a clock that stands
// still until moved.
class LogHandlerFixture : public ::testing::Test {
protected:
    // The battery is monitored, as after the launch; the log follows it only once told to.
    explicit LogHandlerFixture(double start = 1.8e9) : clock(start) {
        device.setBatteryMonitoringEnabled(true);
    }

    std::unique_ptr<BatteryLogHandler> makeHandler() {
        return std::make_unique<BatteryLogHandler>(device, home.dataDir(), defaults);
    }

    FakeClock clock;
    TemporaryHome home;
    FakePowerSource* battery = new FakePowerSource; // owned by the device
    Device device{std::unique_ptr<PowerSource>(battery), 60000};
    UserDefaults defaults{home.configDir() + "/Ampelio.ini"};
};
