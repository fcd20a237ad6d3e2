#pragma once

class ApplicationLifecycle;
class HistoryViewController;
class StatisticsTableViewController;
class UserDefaults;

// The application's calls into the analytics client: the session at launch, the last-resort
// report of an uncaught exception, the lifecycle and the timed visits of two screens.
class AnalyticsHooks {
public:
    static constexpr const char* ApiKey = "QZ7HNM4TKD9WB2XRLC6V";

    // Makes the uncaught-exception reporter the process's terminate handler.
    static void installUncaughtExceptionHandler();
    // The user's choice: "shareUsageStatistics" in the settings (on when absent), which
    // AMPELIO_ANALYTICS=off overrides.
    static constexpr const char* SharingKey = "shareUsageStatistics";
    static bool sharingChosen(const UserDefaults& defaults);
    static bool sharingForcedOff();
    // Starts the session when the user shares statistics, else deletes what was kept.
    static void startSession(const UserDefaults& defaults);
    // Keeps a new choice and applies it at once.
    static void setSharing(UserDefaults& defaults, bool share);
    // Pauses, resumes and ends the session as the application comes and goes.
    static void attach(ApplicationLifecycle& lifecycle);
    // Each visit of either screen becomes one timed event; either may be absent (headless).
    static void attachScreens(HistoryViewController* history,
                              StatisticsTableViewController* statistics);

    // Records "Uncaught" / "Crash!" once, waits until it is stored, then ends the process.
    [[noreturn]] static void uncaughtExceptionHandler();
};
