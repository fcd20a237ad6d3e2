#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class UserDefaults;

// The small preferences dialog behind "Alarms and Metrics…": the two charge alarms and the
// folder of the fleet metrics file, kept in Ampelio.ini.
class AlarmsDialog : public QDialog {
    Q_OBJECT
public:
    explicit AlarmsDialog(UserDefaults& defaults, QWidget* parent = nullptr);

    // Writes the choices to the settings file.
    void save();

private:
    UserDefaults& defaults_;
    QCheckBox* chargeOn_;
    QSpinBox* chargePercent_;
    QCheckBox* drainOn_;
    QSpinBox* drainPercent_;
    QLineEdit* metricsDirectory_;
};
