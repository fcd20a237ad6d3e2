#include "ReportCommand.h"

#include "BatteryLogHandler.h"
#include "Device.h"
#include "MainScreen.h"
#include "StatisticsReport.h"
#include "UIDeviceHardware.h"
#include "UserDefaults.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

int ReportCommand::run(const QString& documentsDirectory, Format format) {
    Device& device = Device::current();
    BatteryLogHandler handler(device, documentsDirectory, UserDefaults::standard());
    const UIDeviceHardware hardware(device.powerSource(), MainScreen::bounds().width());
    StatisticsReport report(handler, hardware);
    report.buildRows();
    report.updateData();
    QByteArray out;
    if (format == Json) {
        QJsonObject object = report.toJson();
        object.insert(QStringLiteral("power_source"), device.powerSource().name());
        out = QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else {
        out = report.toText().toUtf8() + "\nPower source: " + device.powerSource().name().toUtf8() +
              '\n';
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
