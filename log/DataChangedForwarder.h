#pragma once

#include "DataChangedListener.h"

#include <QObject>
#include <QPointer>

#include <functional>

class BatteryLogHandler;

// The log keeps its listeners for its whole life and cannot forget one, while screens and views
// may go first. So they register this stand-in instead: a child of the handler, dying with it,
// that passes the broadcasts on only while its receiver still exists.
class DataChangedForwarder : public QObject, public DataChangedListener {
    Q_OBJECT
public:
    // Registers a new forwarder with the handler. Either function may be empty for a receiver
    // that does not answer that broadcast.
    static DataChangedForwarder* add(BatteryLogHandler& handler, QObject* receiver,
                                     std::function<void(int)> onChanged,
                                     std::function<void(int)> onAdded = {});

    QObject* receiver() const { return receiver_; }
    void dataChanged(int index) override;
    void dataAdded(int index) override;

private:
    DataChangedForwarder(BatteryLogHandler& handler, QObject* receiver,
                         std::function<void(int)> onChanged, std::function<void(int)> onAdded);

    QPointer<QObject> receiver_;
    std::function<void(int)> onChanged_;
    std::function<void(int)> onAdded_;
};
