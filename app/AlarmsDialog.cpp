#include "AlarmsDialog.h"

#include "ChargeAlarm.h"
#include "MetricsTextfileWriter.h"
#include "UserDefaults.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
QSpinBox* percentBox(int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(1, 100);
    box->setSuffix(QStringLiteral(" %"));
    box->setValue(value);
    return box;
}
} // namespace

AlarmsDialog::AlarmsDialog(UserDefaults& defaults, QWidget* parent)
    : QDialog(parent), defaults_(defaults) {
    setWindowTitle(QStringLiteral("Alarms and Metrics"));
    const ChargeAlarmSettings settings = ChargeAlarmSettings::load(defaults_);
    chargeOn_ = new QCheckBox(QStringLiteral("Notify when charging reaches"), this);
    chargeOn_->setChecked(settings.chargePercent > 0);
    // Off by default; 80 % is the level that spares the cell.
    chargePercent_ =
        percentBox(settings.chargePercent > 0 ? settings.chargePercent
                                              : ChargeAlarmSettings::SuggestedChargePercent,
                   this);
    drainOn_ = new QCheckBox(QStringLiteral("Notify when draining reaches"), this);
    drainOn_->setChecked(settings.drainPercent > 0);
    drainPercent_ = percentBox(settings.drainPercent > 0 ? settings.drainPercent
                                                         : ChargeAlarmSettings::DefaultDrainPercent,
                               this);
    connect(chargeOn_, &QCheckBox::toggled, chargePercent_, &QWidget::setEnabled);
    connect(drainOn_, &QCheckBox::toggled, drainPercent_, &QWidget::setEnabled);
    chargePercent_->setEnabled(chargeOn_->isChecked());
    drainPercent_->setEnabled(drainOn_->isChecked());

    metricsDirectory_ =
        new QLineEdit(defaults_.objectForKey(MetricsTextfileWriter::DirectoryKey).toString(), this);
    metricsDirectory_->setPlaceholderText(QStringLiteral("off"));
    auto* browse = new QPushButton(QStringLiteral("Choose…"), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Folder of the node exporter's text files"),
            metricsDirectory_->text());
        if (!chosen.isEmpty())
            metricsDirectory_->setText(chosen);
    });
    auto* metricsRow = new QHBoxLayout;
    metricsRow->addWidget(metricsDirectory_, 1);
    metricsRow->addWidget(browse);

    auto* form = new QFormLayout(this);
    form->addRow(chargeOn_, chargePercent_);
    form->addRow(drainOn_, drainPercent_);
    form->addRow(QStringLiteral("Metrics folder"), metricsRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    connect(this, &QDialog::accepted, this, &AlarmsDialog::save);
}

void AlarmsDialog::save() {
    ChargeAlarmSettings settings;
    settings.chargePercent = chargeOn_->isChecked() ? chargePercent_->value() : 0;
    settings.drainPercent = drainOn_->isChecked() ? drainPercent_->value() : 0;
    defaults_.setObject(MetricsTextfileWriter::DirectoryKey, metricsDirectory_->text().trimmed());
    settings.save(defaults_);
}
