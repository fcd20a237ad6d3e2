#include "EventStateText.h"

QString EventStateText::history(int state) {
    switch (state) {
    case 0:
        return QStringLiteral("State: Unknown");
    case 1:
        return QStringLiteral("State: Running from Battery");
    case 2:
        return QStringLiteral("State: Battery Charging");
    case 3:
        return QStringLiteral("State: Battery Full");
    default:
        return QString();
    }
}

QString EventStateText::statistics(int state) {
    switch (state) {
    case 0:
        return QStringLiteral("Unknown");
    case 1:
        return QStringLiteral("on battery");
    case 2:
        return QStringLiteral("plugged in");
    case 3:
        return QStringLiteral("fully charged");
    default:
        return QString();
    }
}

QString EventStateText::plain(int state) {
    switch (state) {
    case 0:
        return QStringLiteral("unknown");
    case 1:
        return QStringLiteral("discharging");
    case 2:
        return QStringLiteral("charging");
    case 3:
        return QStringLiteral("full");
    default:
        return QString();
    }
}

QString EventStateText::history(const Event& event) {
    return event.notCharging && event.batteryState == 3 ? QStringLiteral("State: Not charging")
                                                        : history(event.batteryState);
}

QString EventStateText::statistics(const Event& event) {
    return event.notCharging && event.batteryState == 3 ? QStringLiteral("Not charging")
                                                        : statistics(event.batteryState);
}

QString EventStateText::plain(const Event& event) {
    return event.notCharging && event.batteryState == 3 ? QStringLiteral("not charging")
                                                        : plain(event.batteryState);
}
