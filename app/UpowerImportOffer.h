#pragma once

#include <QString>

class BatteryLogHandler;
class QWidget;
class UserDefaults;

// Once per user: when the desktop's power daemon kept battery history the log does not have,
// the window asks whether to import it; without a window a log line says how.
class UpowerImportOffer {
public:
    // The daemon's history folder; AMPELIO_UPOWER_DIR overrides it.
    static QString directory();
    // Asks with a question in the window (parent) or, headless (no parent), logs a hint.
    static void offer(BatteryLogHandler& log, UserDefaults& defaults, QWidget* parent);
};
