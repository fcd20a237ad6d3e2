#include "DataChangedForwarder.h"

#include "BatteryLogHandler.h"

DataChangedForwarder::DataChangedForwarder(BatteryLogHandler& handler, QObject* receiver,
                                           std::function<void(int)> onChanged,
                                           std::function<void(int)> onAdded)
    : QObject(&handler), receiver_(receiver), onChanged_(std::move(onChanged)),
      onAdded_(std::move(onAdded)) {}

DataChangedForwarder* DataChangedForwarder::add(BatteryLogHandler& handler, QObject* receiver,
                                                std::function<void(int)> onChanged,
                                                std::function<void(int)> onAdded) {
    auto* forwarder =
        new DataChangedForwarder(handler, receiver, std::move(onChanged), std::move(onAdded));
    handler.addDataChangedListener(forwarder);
    return forwarder;
}

void DataChangedForwarder::dataChanged(int index) {
    if (receiver_ && onChanged_)
        onChanged_(index);
}

void DataChangedForwarder::dataAdded(int index) {
    if (receiver_ && onAdded_)
        onAdded_(index);
}
