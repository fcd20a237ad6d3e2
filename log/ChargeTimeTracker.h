#pragma once

#include "ChargeTimeEstimator.h"

#include <QObject>
#include <QString>

class Device;

// Keeps the live time-to-full/empty: every reading the device's poll reports feeds the estimator,
// so the figure is as fresh as the last poll and costs no paint a file read.
class ChargeTimeTracker : public QObject {
    Q_OBJECT
public:
    explicit ChargeTimeTracker(Device& device, QObject* parent = nullptr);

    ChargeTimeEstimate estimate() const { return estimate_; }
    // The estimate as shown: "2:05 left", "0:40 to full" or an em dash.
    QString text() const { return estimate_.text(); }

    // Reads the battery once more (also called on every level or state change of the device).
    void update();

signals:
    void estimateChanged(const QString& text);

private:
    Device& device_;
    ChargeTimeEstimator estimator_;
    ChargeTimeEstimate estimate_;
};
