#pragma once

#include <QObject>
#include <QString>

#include <memory>

class BatteryLogHandler;
class ChargeAlarmMonitor;
class ChargeTimeTracker;
class DesktopNotifier;
class Device;
class MetricsTextfileWriter;
class UserDefaults;

// What follows the battery beside the log: the live time estimate, the charge alarms and the
// fleet metrics file. Each watches the device's polls or the log's kept samples itself, so none
// of it runs in a paint.
class ChargeServices : public QObject {
    Q_OBJECT
public:
    // Read-only runs (screenshots) get the estimate only: no alarm, no file written.
    ChargeServices(Device& device, BatteryLogHandler& log, UserDefaults& defaults, bool readOnly,
                   QObject* parent = nullptr);
    ~ChargeServices() override;

    // The command line's --metrics-textfile for this process; wins over the setting.
    static void overrideMetricsDirectory(const QString& directory);

    ChargeTimeTracker& times() const { return *times_; }
    // The current estimate as shown ("2:05 left", "0:40 to full" or a dash), for the tray.
    QString estimateText() const;
    ChargeAlarmMonitor* alarms() const { return alarms_.get(); }
    MetricsTextfileWriter* metrics() const { return metrics_.get(); }

    // Alarms become desktop notifications on the session bus (the window has a desktop);
    // without this they are log lines.
    void enableDesktopNotifications();
    // Starts, moves or stops the metrics file after the setting changed.
    void applyMetricsSetting();

signals:
    void estimateChanged(const QString& text);

private:
    Device& device_;
    BatteryLogHandler& log_;
    UserDefaults& defaults_;
    std::unique_ptr<ChargeTimeTracker> times_;
    std::unique_ptr<DesktopNotifier> notifier_;
    std::unique_ptr<ChargeAlarmMonitor> alarms_;
    std::unique_ptr<MetricsTextfileWriter> metrics_;
};
