#include "CommandLineOptions.h"

#include <QStringList>

namespace {
using enum CommandLineOption::Kind;

// Adding an option is one entry here, and the code that acts on it. Descriptions are written
// once for --help, the manual page and the README alike.
constexpr CommandLineOption Options[] = {
    {.name = "help",
     .kind = Info,
     .description = "Prints the options and exits.",
     .shortName = "h"},
    {.name = "version", .kind = Info, .description = "Prints the version and exits."},
    {.name = "headless",
     .kind = Mode,
     .description = "Logs without a window until SIGINT or SIGTERM, then saves and exits."},
    {.name = "background",
     .kind = Mode,
     .description = "Logs without opening the window: behind the tray icon, which shows it "
                    "again, or like --headless where there is no tray. For the autostart entry."},
    {.name = "report",
     .kind = Mode,
     .description = "Prints the statistics of the four periods and the battery hardware report."},
    {.name = "export-csv",
     .kind = Mode,
     .description = "Writes the whole log as CSV, newest first, to FILE; without FILE or with - "
                    "to standard output.",
     .valueName = "FILE",
     .defaultValue = "-"},
    {.name = "import-upower",
     .kind = Mode,
     .description = "Merges the battery history the system's power daemon kept in DIR "
                    "(history-charge-*.dat) into the log, without duplicates, and says how many "
                    "samples it took.",
     .valueName = "DIR",
     .defaultValue = "/var/lib/upower"},
    {.name = "screenshot",
     .kind = Mode,
     .description = "Renders each tab offscreen to DIR/graph.png, DIR/history.png and "
                    "DIR/statistics.png.",
     .valueName = "DIR"},
    {.name = "idiom",
     .kind = Setting,
     .description = "The device screen: phone (320x480 points, the default) or tablet "
                    "(768x1024).",
     .valueName = "IDIOM",
     .choices = "phone tablet"},
    {.name = "iso",
     .kind = Setting,
     .description = "Writes the export for tools: ISO 8601 UTC times with seconds, the level in "
                    "percent and a plain state word, the same in every locale.",
     .appliesTo = "export-csv"},
    {.name = "metrics-textfile",
     .kind = Setting,
     .description = "Keeps DIR/ampelio.prom current for the Prometheus node exporter's textfile "
                    "collector, rewritten after each kept sample (overrides the setting).",
     .valueName = "DIR"},
    {.name = "verbose",
     .kind = Setting,
     .description = "Prints every diagnostic line. By default the window prints only warnings "
                    "and --headless also its \"Logging batLevel:\" lines."},
    {.name = "json",
     .kind = Setting,
     .description = "Prints the report as one JSON object, numbers with their units in the "
                    "key names.",
     .appliesTo = "report"},
    {.name = "health",
     .kind = Setting,
     .description = "Exports the batteries' daily health readings (capacities, health, cycles, "
                    "temperature) instead of the samples.",
     .appliesTo = "export-csv"},
};

constexpr EnvironmentVariable Environment[] = {
    {"AMPELIO_POWER_SOURCE", "auto (the default: a battery if one exists, else the simulation), "
                             "sysfs or simulated."},
    {"AMPELIO_POWER_SUPPLY_DIR", "The power_supply directory (default /sys/class/power_supply)."},
    {"AMPELIO_POLL_SECONDS", "How often the battery is read, in seconds (default 30)."},
    {"AMPELIO_SIMULATION_SPEED", "Runs the simulated battery N times faster."},
    {"AMPELIO_UPOWER_DIR", "Where the first start looks for the power daemon's battery history "
                           "(default /var/lib/upower)."},
    {"AMPELIO_ANALYTICS_URL", "Where analytics reports go (default: the reserved name "
                              "analytics.invalid, so nothing leaves the machine)."},
    {"AMPELIO_KEYCHAIN", "file keeps the analytics timestamp in a 0600 file instead of the "
                         "Secret Service."},
    {"XDG_DATA_HOME", "The log and the statistics are kept in $XDG_DATA_HOME/Ampelio (default "
                      "~/.local/share/Ampelio)."},
    {"XDG_CONFIG_HOME", "The settings are kept in $XDG_CONFIG_HOME/Ampelio (default "
                        "~/.config/Ampelio)."},
    {"AMPELIO_THEME", "light or dark instead of the desktop's colour scheme."},
    {"QT_LOGGING_RULES", "Turns diagnostic lines on or off by category (ampelio.app, ampelio.log, "
                         "ampelio.graph, ampelio.screens, ampelio.platform, ampelio.analytics), "
                         "e.g. ampelio.graph.info=true; it overrides the defaults and --verbose."},
    {"QT_SCALE_FACTOR", "Scales the window, e.g. 1.5 or 2 on a high-resolution screen."},
    {"DISPLAY", "Without DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM, ampelio runs as with "
                "--headless."},
};

constexpr ExitStatus ExitStatuses[] = {
    {CommandLineOptions::Success, "success",
     "Success, also when a running Ampelio was asked to show its window."},
    {CommandLineOptions::Failure, "failure",
     "The log, a file or a directory could not be read or written; the message says which."},
    {CommandLineOptions::UsageError, "usage error",
     "An unknown option, a missing or wrong value, or modes given together."},
};
} // namespace

const char* CommandLineOptions::description() {
    return "Ampelio logs every change of the battery's level and state and shows the log as a "
           "graph, a list and charge statistics. Without a mode it runs with its window, or "
           "headless where there is no display.";
}

std::span<const CommandLineOption> CommandLineOptions::options() {
    return Options;
}

const CommandLineOption* CommandLineOptions::find(QStringView name) {
    for (const CommandLineOption& option : Options) {
        if (name == QLatin1String(option.name) ||
            (option.shortName && name == QLatin1String(option.shortName)))
            return &option;
    }
    return nullptr;
}

std::span<const EnvironmentVariable> CommandLineOptions::environment() {
    return Environment;
}

std::span<const ExitStatus> CommandLineOptions::exitStatuses() {
    return ExitStatuses;
}

QString CommandLineOptions::exitStatusSummary() {
    QStringList statuses;
    for (const ExitStatus& status : ExitStatuses)
        statuses.append(QStringLiteral("%1 %2").arg(status.code).arg(QLatin1String(status.name)));
    return statuses.join(QStringLiteral(", "));
}
