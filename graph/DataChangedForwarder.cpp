#include "DataChangedForwarder.h"

#include "BatteryLogHandler.h"

DataChangedForwarder::DataChangedForwarder(BatteryLogHandler& handler, QObject* receiver,
                                           std::function<void(int)> onChanged)
    : QObject(&handler), receiver_(receiver), onChanged_(std::move(onChanged)) {}

DataChangedForwarder* DataChangedForwarder::add(BatteryLogHandler& handler, QObject* receiver,
                                                std::function<void(int)> onChanged) {
    auto* forwarder = new DataChangedForwarder(handler, receiver, std::move(onChanged));
    handler.addDataChangedListener(forwarder);
    return forwarder;
}

void DataChangedForwarder::dataChanged(int index) {
    if (receiver_ && onChanged_)
        onChanged_(index);
}
