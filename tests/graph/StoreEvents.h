#pragma once

#include "BatteryLogHandler.h"
#include "ManagedObjectContext.h"

// Saves a sample in the handler's log, as the sampling would.
inline Event saveEvent(BatteryLogHandler& handler, double date, float level, int state) {
    ManagedObjectContext* context = handler.managedObjectContext();
    const Event event = context->insertNewEvent(date, level, state);
    context->save(nullptr);
    return event;
}
