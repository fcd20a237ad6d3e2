#include "LogCategories.h"

Q_LOGGING_CATEGORY(lcPlatform, "ampelio.platform")
Q_LOGGING_CATEGORY(lcLog, "ampelio.log")
Q_LOGGING_CATEGORY(lcGraph, "ampelio.graph")
Q_LOGGING_CATEGORY(lcScreens, "ampelio.screens")
Q_LOGGING_CATEGORY(lcApp, "ampelio.app")
Q_LOGGING_CATEGORY(lcAlerts, "ampelio.alerts")
Q_LOGGING_CATEGORY(lcMetrics, "ampelio.metrics")
Q_LOGGING_CATEGORY(lcAnalytics, "ampelio.analytics")
