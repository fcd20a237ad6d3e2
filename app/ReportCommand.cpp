#include "ReportCommand.h"

#include "AtomicFile.h"
#include "BatteryLogHandler.h"
#include "ChargeTimeEstimator.h"
#include "Clock.h"
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

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {
// A one-off run has no polls to follow: the last two hours of the log give the slope where the
// battery reports no current.
ChargeTimeEstimate currentEstimate(BatteryLogHandler& handler, const PowerSource& source) {
    constexpr int Window = 2 * 3600;
    ChargeTimeEstimator estimator(Window);
    const QList<Event> recent = handler.getArrayFrom(0, Window, false);
    for (auto event = recent.crbegin(); event != recent.crend(); ++event) {
        ChargeReading reading;
        reading.time = event->creationDate;
        reading.level = event->batteryLevel;
        reading.state = static_cast<BatteryState>(event->batteryState);
        estimator.addReading(reading);
    }
    estimator.addReading(ChargeReading::from(source, Clock::now()));
    return estimator.estimate();
}

QByteArray estimateLine(const ChargeTimeEstimate& estimate) {
    switch (estimate.kind) {
    case ChargeTimeEstimate::ToEmpty:
        return "Time to empty: " + estimate.duration().toUtf8() + '\n';
    case ChargeTimeEstimate::ToFull:
        return "Time to full: " + estimate.duration().toUtf8() + '\n';
    case ChargeTimeEstimate::None:
        break;
    }
    return "Time to full or empty: " + estimate.duration().toUtf8() + '\n';
}
} // namespace

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
    const ChargeTimeEstimate estimate = currentEstimate(handler, device.powerSource());
    HealthReport health(handler);
    health.updateData();
    QByteArray text;
    if (format == Json) {
        QJsonObject object = report.toJson();
        object.insert(QStringLiteral("power_source"), device.powerSource().name());
        const auto seconds = [&](ChargeTimeEstimate::Kind kind) {
            return estimate.kind == kind ? QJsonValue(std::round(estimate.seconds))
                                         : QJsonValue(QJsonValue::Null);
        };
        object.insert(QStringLiteral("time_to_empty_s"), seconds(ChargeTimeEstimate::ToEmpty));
        object.insert(QStringLiteral("time_to_full_s"), seconds(ChargeTimeEstimate::ToFull));
        object.insert(QStringLiteral("health"), health.toJson());
        text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    } else {
        text = (log ? QByteArray() : QByteArray("No battery log yet\n\n")) +
               report.toText().toUtf8() + '\n' + health.toText().toUtf8() + '\n' +
               estimateLine(estimate) + "Power source: " + device.powerSource().name().toUtf8() +
               '\n';
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
