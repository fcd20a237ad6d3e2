#pragma once

#include <QLoggingCategory>

// One category per folder, so a user can turn a subsystem's lines on or off with
// QT_LOGGING_RULES (for example "ampelio.graph.info=false").
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcLog)
Q_DECLARE_LOGGING_CATEGORY(lcGraph)
Q_DECLARE_LOGGING_CATEGORY(lcScreens)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcAnalytics)
Q_DECLARE_LOGGING_CATEGORY(lcAlerts)
Q_DECLARE_LOGGING_CATEGORY(lcMetrics)
