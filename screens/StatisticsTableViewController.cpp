#include "StatisticsTableViewController.h"

#include "BatteryLogHandler.h"
#include "HealthReport.h"
#include "HistoryViewController.h"
#include "MailComposer.h"
#include "NavigationBar.h"
#include "StatisticsReport.h"
#include "UIDeviceHardware.h"

#include <QVBoxLayout>

const QString StatisticsTableViewController::MailSubject = QStringLiteral("Ampelio .csv export.");

StatisticsTableViewController::StatisticsTableViewController(BatteryLogHandler& handler,
                                                             const UIDeviceHardware& hardware,
                                                             QWidget* parent)
    : TabScreen(parent), batteryLogHandler_(handler), hardware_(hardware) {
    connect(&handler, &BatteryLogHandler::dataAdded, this,
            &StatisticsTableViewController::dataAdded);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new NavigationBar(QStringLiteral("Statistics"), this));
    table_ = new GroupedTableView(this);
    layout->addWidget(table_);
    connect(table_, &GroupedTableView::rowSelected, this,
            &StatisticsTableViewController::didSelectRow);
}

StatisticsTableViewController::~StatisticsTableViewController() = default;

QString StatisticsTableViewController::titleForHeaderInSection(int section) {
    if (section < StatisticsReport::PeriodCount)
        return StatisticsReport::periodHeader(section);
    if (section == 4)
        return QStringLiteral("Battery Hardware Report");
    if (section == ExportSection)
        return QStringLiteral("Export");
    if (section == HealthSection)
        return HealthReport::Header;
    return QString();
}

void StatisticsTableViewController::viewDidLoad() {
    if (report_)
        return;
    report_ = std::make_unique<StatisticsReport>(batteryLogHandler_, hardware_);
    report_->buildRows();
    health_ = std::make_unique<HealthReport>(batteryLogHandler_);
    updateData();
    reloadData();
}

void StatisticsTableViewController::updateData() {
    if (report_)
        report_->updateData();
    if (health_)
        health_->updateData();
}

void StatisticsTableViewController::reloadData() {
    if (!report_)
        return;
    QList<GroupedTableView::Section> sections;
    for (int k = 0; k < StatisticsReport::PeriodCount; ++k) {
        GroupedTableView::Section section{titleForHeaderInSection(k), {}};
        for (const QStringList& row : report_->statisticsEntries())
            section.rows.append({row[0], row[k + 1]});
        sections.append(section);
    }
    GroupedTableView::Section hardware{titleForHeaderInSection(4), {}};
    for (const auto& [label, value] : report_->hardwareEntries())
        hardware.rows.append({label, value});
    sections.append(hardware);
    sections.append({titleForHeaderInSection(ExportSection),
                     {{QStringLiteral("e-mail .csv file"), QString()},
                      {QStringLiteral("Reload Data"), QString()}}});
    GroupedTableView::Section health{titleForHeaderInSection(HealthSection), {}};
    for (const auto& [label, value] : health_->entries())
        health.rows.append({label, value});
    sections.append(health);
    table_->setSections(sections);
}

void StatisticsTableViewController::didSelectRow(int section, int row) {
    if (section != ExportSection)
        return;
    if (row == 0) {
        sendCsvMail();
    } else if (row == 1) {
        updateData();
        reloadData();
    }
}

void StatisticsTableViewController::sendCsvMail() {
    if (!MailComposer::canSendMail() || !historyViewController_)
        return;
    MailComposer::compose(MailSubject, historyViewController_->csvData().toUtf8(),
                          QStringLiteral("ampelio.csv"));
}

void StatisticsTableViewController::dataAdded(int) {
    if (!report_)
        return;
    if (isVisible()) {
        updateData();
        reloadData();
        return;
    }
    // Not showing: forget the rows so they are built afresh, with fresh values, when shown.
    report_.reset();
    health_.reset();
}

void StatisticsTableViewController::prepareToAppear() {
    viewDidLoad();
}
