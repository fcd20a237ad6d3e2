#include "ReportCommand.h"

#include "AtomicFile.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "MainScreen.h"
#include "ReadContext.h"
#include "ReadOnlyLog.h"
#include "StatisticsReport.h"
#include "UIDeviceHardware.h"
#include "UserDefaults.h"

#include <cstdio>
#include <unistd.h>

int ReportCommand::run(const QString& documentsDirectory) {
    std::unique_ptr<ReadContext> log;
    if (const int status = ReadOnlyLog::open(documentsDirectory, log); status != 0)
        return status;
    Device& device = Device::current();
    // Read-only: a report neither creates the store nor writes the statistics file.
    BatteryLogHandler handler(device, documentsDirectory, UserDefaults::standard(), nullptr,
                              StoreAccess::ReadOnly);
    const UIDeviceHardware hardware(device.powerSource(), MainScreen::bounds().width());
    StatisticsReport report(handler, hardware);
    report.buildRows();
    report.updateData();
    QString text = log ? QString() : QStringLiteral("No battery log yet\n\n");
    text += report.toText();
    text += QStringLiteral("\nPower source: %1\n").arg(device.powerSource().name());
    // Written unbuffered so a full disk or a closed pipe is a failure, not a cut report.
    AtomicFile out(STDOUT_FILENO);
    if (!out.open() || !out.write(text.toUtf8()) || !out.commit()) {
        std::fprintf(stderr, "The report could not be written: %s\n",
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
