#include "ChargeServices.h"

#include "BatteryLogHandler.h"
#include "ChargeAlarmMonitor.h"
#include "ChargeTimeTracker.h"
#include "DesktopNotifier.h"
#include "Device.h"
#include "LogCategories.h"
#include "MetricsTextfileWriter.h"
#include "UserDefaults.h"

namespace {
QString& metricsOverride() {
    static QString directory;
    return directory;
}
} // namespace

ChargeServices::ChargeServices(Device& device, BatteryLogHandler& log, UserDefaults& defaults,
                               bool readOnly, QObject* parent)
    : QObject(parent), device_(device), log_(log), defaults_(defaults),
      times_(std::make_unique<ChargeTimeTracker>(device)) {
    connect(times_.get(), &ChargeTimeTracker::estimateChanged, this,
            &ChargeServices::estimateChanged);
    if (readOnly)
        return;
    alarms_ = std::make_unique<ChargeAlarmMonitor>(device_, defaults_, nullptr);
    applyMetricsSetting();
}

ChargeServices::~ChargeServices() = default;

void ChargeServices::overrideMetricsDirectory(const QString& directory) {
    metricsOverride() = directory;
}

QString ChargeServices::estimateText() const {
    return times_->text();
}

void ChargeServices::enableDesktopNotifications() {
    if (!alarms_ || notifier_)
        return;
    notifier_ = std::make_unique<DesktopNotifier>();
    alarms_ = std::make_unique<ChargeAlarmMonitor>(device_, defaults_, notifier_.get());
}

void ChargeServices::applyMetricsSetting() {
    if (!alarms_)
        return; // read only
    const QString directory =
        metricsOverride().isEmpty()
            ? defaults_.objectForKey(MetricsTextfileWriter::DirectoryKey).toString()
            : metricsOverride();
    if (metrics_ && metrics_->directory() == directory)
        return;
    metrics_.reset();
    if (directory.isEmpty())
        return;
    qCInfo(lcApp, "Writing the battery metrics to %s", qPrintable(directory));
    metrics_ = std::make_unique<MetricsTextfileWriter>(log_, device_.powerSource(), times_.get(),
                                                       directory);
}
