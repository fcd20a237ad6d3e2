#pragma once

// Read-only opens what exists and never creates or converts anything: for the commands that only
// show the log, and for a process that must not add samples while a logger runs.
enum class StoreAccess { ReadWrite, ReadOnly };
