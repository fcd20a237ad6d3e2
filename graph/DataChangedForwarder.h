#pragma once

#include "DataChangedListener.h"

#include <QObject>
#include <QPointer>

#include <functional>

class BatteryLogHandler;

// The log keeps its listeners for its whole life and cannot forget one, while the graph's
// controller and views may go first. So they register this stand-in instead: a child of the
// handler, dying with it, that passes dataChanged on only while its receiver still exists.
class DataChangedForwarder : public QObject, public DataChangedListener {
    Q_OBJECT
public:
    // Registers a new forwarder with the handler; `onChanged` may be empty for a receiver that
    // registers but answers nothing.
    static DataChangedForwarder* add(BatteryLogHandler& handler, QObject* receiver,
                                     std::function<void(int)> onChanged);

    void dataChanged(int index) override;

private:
    DataChangedForwarder(BatteryLogHandler& handler, QObject* receiver,
                         std::function<void(int)> onChanged);

    QPointer<QObject> receiver_;
    std::function<void(int)> onChanged_;
};
