#pragma once

#include "GroupedTableView.h"
#include "TabScreen.h"

#include <QPointer>

#include <memory>

class BatteryLogHandler;
class HistoryViewController;
class StatisticsReport;
class UIDeviceHardware;

// The statistics tab: load cycles, charging and draining times, full charge and drain
// estimates and energy for four periods, the battery hardware report, and the export rows.
class StatisticsTableViewController : public TabScreen {
    Q_OBJECT
public:
    static constexpr int ExportSection = 5;
    static const QString MailSubject;

    explicit StatisticsTableViewController(QWidget* parent = nullptr);
    ~StatisticsTableViewController() override;

    // Keeps the handler and registers for its new samples.
    void setBatteryLogHandler(BatteryLogHandler* handler);
    BatteryLogHandler* batteryLogHandler() const { return batteryLogHandler_; }
    void setHistoryViewController(HistoryViewController* history) {
        historyViewController_ = history;
    }
    // The hardware the report reads; the controller does not own it.
    void setHardware(const UIDeviceHardware* hardware) { hardware_ = hardware; }

    void updateData();
    void reloadData();
    void sendCsvMail();
    void didSelectRow(int section, int row);
    bool isViewLoaded() const { return report_ != nullptr; }
    GroupedTableView* tableView() const { return table_; }
    const StatisticsReport* report() const { return report_.get(); }

    // A new sample was stored (the log's broadcast).
    void dataAdded(int index);

    static QString titleForHeaderInSection(int section);

protected:
    void prepareToAppear() override;

private:
    void viewDidLoad();

    BatteryLogHandler* batteryLogHandler_ = nullptr;
    QPointer<HistoryViewController> historyViewController_;
    const UIDeviceHardware* hardware_ = nullptr;
    std::unique_ptr<UIDeviceHardware> ownHardware_;
    std::unique_ptr<StatisticsReport> report_;
    GroupedTableView* table_ = nullptr;
};
