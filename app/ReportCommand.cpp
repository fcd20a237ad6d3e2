#include "ReportCommand.h"

#include "AtomicFile.h"
#include "BatteryLogHandler.h"
#include "Device.h"
#include "HealthReport.h"
#include "MainScreen.h"
#include "ReadContext.h"
#include "ReadOnlyLog.h"
#include "StatisticsReport.h"
#include "UIDeviceHardware.h"
#include "UserDefaults.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <unistd.h>

int ReportCommand::run(const QString& documentsDirectory, Format format) {
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
    HealthReport health(handler);
    health.updateData();
    QByteArray text;
    if (format == Json) {
        QJsonObject object = report.toJson();
        object.insert(QStringLiteral("power_source"), device.powerSource().name());
        object.insert(QStringLiteral("health"), health.toJson());
        text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else {
        text = (log ? QByteArray() : QByteArray("No battery log yet\n\n")) +
               report.toText().toUtf8() + '\n' + health.toText().toUtf8() +
               "\nPower source: " + device.powerSource().name().toUtf8() + '\n';
    }
    // Written unbuffered so a full disk or a closed pipe is a failure, not a cut report.
    AtomicFile out(STDOUT_FILENO);
    if (!out.open() || !out.write(text) || !out.commit()) {
        std::fprintf(stderr, "The report could not be written: %s\n",
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
