#pragma once

#include "GroupedTableView.h"
#include "TabScreen.h"

#include <QPointer>

#include <memory>

class BatteryLogHandler;
class HistoryViewController;
class HealthReport;
class StatisticsReport;
class UIDeviceHardware;

// The statistics tab: load cycles, charging and draining times, full charge and drain
// estimates and energy for four periods, the battery hardware report, and the export rows.
class StatisticsTableViewController : public TabScreen {
    Q_OBJECT
public:
    static constexpr int ExportSection = 5;
    // After the export, so the sections before it keep their places.
    static constexpr int HealthSection = 6;
    static const QString MailSubject;

    // Listens for the log's new samples; reads the hardware report from `hardware`, which it
    // does not own.
    StatisticsTableViewController(BatteryLogHandler& handler, const UIDeviceHardware& hardware,
                                  QWidget* parent = nullptr);
    ~StatisticsTableViewController() override;

    BatteryLogHandler& batteryLogHandler() const { return batteryLogHandler_; }
    void setHistoryViewController(HistoryViewController* history) {
        historyViewController_ = history;
    }

    void updateData();
    void reloadData();
    void sendCsvMail();
    // Asks where to save the log as CSV and writes it there.
    void saveCsvFile();
    // The desktop window adds a "Save .csv file..." row to the export section.
    void setOffersSaveRow(bool offered) { offersSaveRow_ = offered; }
    void didSelectRow(int section, int row);
    bool isViewLoaded() const { return report_ != nullptr; }
    GroupedTableView* tableView() const { return table_; }
    const StatisticsReport* report() const { return report_.get(); }

    // A new sample was stored (the log's broadcast).
    void dataAdded(int index);

signals:
    // A short note for the window's status strip.
    void statusMessage(const QString& text);

public:
    static QString titleForHeaderInSection(int section);

protected:
    void prepareToAppear() override;

private:
    void viewDidLoad();

    BatteryLogHandler& batteryLogHandler_;
    QPointer<HistoryViewController> historyViewController_;
    const UIDeviceHardware& hardware_;
    std::unique_ptr<StatisticsReport> report_;
    std::unique_ptr<HealthReport> health_;
    GroupedTableView* table_ = nullptr;
    bool offersSaveRow_ = false;
};
