#include "StatisticsTableViewController.h"

#include "BatteryLogHandler.h"
#include "HealthReport.h"
#include "HistoryViewController.h"
#include "MailComposer.h"
#include "NavigationBar.h"
#include "StatisticsReport.h"
#include "UIDeviceHardware.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
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
    if (offersSaveRow_)
        sections.last().rows.append({QStringLiteral("Save .csv file..."), QString()});
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
    } else if (row == 2) {
        saveCsvFile();
    }
}

void StatisticsTableViewController::sendCsvMail() {
    if (!historyViewController_)
        return;
    if (!MailComposer::canSendMail()) {
        emit statusMessage(QStringLiteral("No mail program found; use Save .csv file instead"));
        return;
    }
    MailComposer::compose(MailSubject, historyViewController_->csvData().toUtf8(),
                          QStringLiteral("ampelio.csv"));
}

void StatisticsTableViewController::saveCsvFile() {
    if (!historyViewController_)
        return;
    const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .filePath(QStringLiteral("ampelio.csv"));
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save CSV"), start,
                                     QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (historyViewController_->saveCsv(path, &error))
        emit statusMessage(QStringLiteral("Saved %1").arg(QFileInfo(path).fileName()));
    else
        QMessageBox::warning(
            this, QStringLiteral("Save CSV"),
            QStringLiteral("The log could not be saved to %1: %2").arg(path, error));
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
