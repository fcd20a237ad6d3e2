#pragma once

#include <atomic>

// What one session may hold, so that stored and sent data stay bounded.
constexpr int MAX_EVENT_PARAMETERS = 10;
constexpr int MAX_EVENT_COUNTS = 100;
constexpr int MAX_EVENT_LOG_COUNT = 1000;
constexpr int MAX_ERRORS = 10;
// Saved sessions kept for the next report; changed through AnalyticsSessionStore::setMaxSessions.
inline std::atomic<int> MAX_SESSIONS{50};

// The agent version written into reports and into the names of stored files.
constexpr int ANALYTICS_AGENT_VERSION = 122;
