#include "ReportCommand.h"

#include "BatteryLogHandler.h"
#include "Device.h"
#include "MainScreen.h"
#include "StatisticsReport.h"
#include "UIDeviceHardware.h"
#include "UserDefaults.h"

#include <cstdio>

int ReportCommand::run(const QString& documentsDirectory) {
    Device& device = Device::current();
    BatteryLogHandler handler(device, documentsDirectory, UserDefaults::standard());
    const UIDeviceHardware hardware(device.powerSource(), MainScreen::bounds().width());
    StatisticsReport report(handler, hardware);
    report.buildRows();
    report.updateData();
    const QByteArray text = report.toText().toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::printf("\nPower source: %s\n", qPrintable(device.powerSource().name()));
    return std::fflush(stdout) == 0 ? 0 : 1;
}
