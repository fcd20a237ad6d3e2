#include "ManPage.h"

#include "AmpelioVersion.h"
#include "CommandLineOptions.h"

#include <QStringList>

namespace {
QString text(const char* utf8) {
    return ManPage::escaped(QString::fromUtf8(utf8));
}

// "\fB\-\-export\-csv\fR [\fIFILE\fR]"
QString synopsisOf(const CommandLineOption& option) {
    QString out = QStringLiteral("\\fB\\-\\-%1\\fR").arg(text(option.name));
    if (option.shortName)
        out.prepend(QStringLiteral("\\fB\\-%1\\fR, ").arg(text(option.shortName)));
    if (!option.takesValue())
        return out;
    const QString value = QStringLiteral("\\fI%1\\fR").arg(text(option.valueName));
    return out +
           (option.valueIsOptional() ? QStringLiteral(" [%1]") : QStringLiteral(" %1")).arg(value);
}

bool appliesTo(const CommandLineOption& setting, const QString& mode) {
    return !setting.appliesTo ||
           QString::fromLatin1(setting.appliesTo).split(QLatin1Char(' ')).contains(mode);
}

// One line per way of running: the window, then each mode, each with the settings it takes.
QString synopsis() {
    const auto line = [](const CommandLineOption* mode) {
        QString out = QStringLiteral(".B ampelio\n");
        if (mode)
            out += synopsisOf(*mode) + QLatin1Char('\n');
        const QString modeName = mode ? QLatin1String(mode->name) : QString();
        for (const CommandLineOption& setting : CommandLineOptions::options())
            if (setting.kind == CommandLineOption::Setting && appliesTo(setting, modeName))
                out += QStringLiteral("[%1]\n").arg(synopsisOf(setting));
        return out + QStringLiteral(".br\n");
    };
    QString out = line(nullptr);
    for (const CommandLineOption& option : CommandLineOptions::options())
        if (option.kind == CommandLineOption::Mode)
            out += line(&option);
    return out;
}

QString optionList(CommandLineOption::Kind first, CommandLineOption::Kind second) {
    QString out;
    for (const CommandLineOption& option : CommandLineOptions::options()) {
        if (option.kind != first && option.kind != second)
            continue;
        out += QStringLiteral(".TP\n%1\n%2").arg(synopsisOf(option), text(option.description));
        if (option.choices)
            out += QStringLiteral(" One of: %1.")
                       .arg(text(option.choices).replace(QLatin1Char(' '), QStringLiteral(", ")));
        if (option.appliesTo)
            out += QStringLiteral(" Only with: \\-\\-%1.")
                       .arg(text(option.appliesTo)
                                .replace(QLatin1Char(' '), QStringLiteral(", \\-\\-")));
        out += QLatin1Char('\n');
    }
    return out;
}

QString modeNames() {
    QStringList names;
    for (const CommandLineOption& option : CommandLineOptions::options())
        if (option.kind == CommandLineOption::Mode)
            names.append(QStringLiteral("\\fB\\-\\-%1\\fR").arg(text(option.name)));
    return names.join(QStringLiteral(", "));
}

QString exitStatuses() {
    QString out;
    for (const ExitStatus& status : CommandLineOptions::exitStatuses())
        out += QStringLiteral(".TP\n.B %1\n%2\n").arg(status.code).arg(text(status.meaning));
    return out;
}

QString environment() {
    QString out;
    for (const EnvironmentVariable& variable : CommandLineOptions::environment())
        out +=
            QStringLiteral(".TP\n.B %1\n%2\n").arg(text(variable.name), text(variable.description));
    return out;
}

const char* const Files = R"(.TP
.I $XDG_DATA_HOME/Ampelio/Locations.sqlite
The log: one row per sample of the battery's level and state (SQLite, WAL mode).
.TP
.I $XDG_DATA_HOME/Ampelio/Statistics.plist
The running charge statistics behind the overall column of the report.
.TP
.I $XDG_DATA_HOME/Ampelio/AnalyticsFiles/
Analytics reports waiting to be sent, at most 50.
.TP
.I $XDG_DATA_HOME/Ampelio/.instance.lock
Held by the running logger, so that one logger runs per user and data folder; a second start
asks the first to show its window.
.TP
.I $XDG_CONFIG_HOME/Ampelio/Ampelio.ini
The settings.
)";

const char* const Examples = R"(Log a battery in the background and read the log:
.PP
.nf
.RS
ampelio \-\-headless &
ampelio \-\-report
ampelio \-\-export\-csv battery.csv
.RE
.fi
.PP
The battery's charge, from the machine-readable report:
.PP
.nf
.RS
ampelio \-\-report \-\-json | jq .hardware.charge_percent
.RE
.fi
.PP
Try it on a fake battery that polls every second:
.PP
.nf
.RS
mkdir \-p /tmp/bat/BAT0 && cd /tmp/bat/BAT0
echo Battery > type; echo Discharging > status; echo 80 > capacity
AMPELIO_POWER_SUPPLY_DIR=/tmp/bat AMPELIO_POLL_SECONDS=1 ampelio \-\-headless
.RE
.fi
.PP
Render the tablet screens for documentation:
.PP
.nf
.RS
ampelio \-\-screenshot shots \-\-idiom tablet
.RE
.fi
)";
} // namespace

QString ManPage::escaped(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
    out.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    out.replace(QStringLiteral("\n."), QStringLiteral("\n\\&."));
    out.replace(QStringLiteral("\n'"), QStringLiteral("\n\\&'"));
    if (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char('\'')))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

QString ManPage::generate() {
    QString page;
    page += QStringLiteral(".TH AMPELIO 1 \"\" \"Ampelio %1\" \"User Commands\"\n")
                .arg(QLatin1String(AmpelioVersion));
    page += QStringLiteral(".SH NAME\nampelio \\- battery logger with a graph, a history and "
                           "charge statistics\n");
    page += QStringLiteral(".SH SYNOPSIS\n") + synopsis();
    page += QStringLiteral(".SH DESCRIPTION\n%1\n").arg(text(CommandLineOptions::description()));
    page += QStringLiteral(".SH MODES\nThe modes %1 exclude each other; give at most one.\n")
                .arg(modeNames());
    page += optionList(CommandLineOption::Mode, CommandLineOption::Mode);
    page += QStringLiteral(".SH OPTIONS\n");
    page += optionList(CommandLineOption::Setting, CommandLineOption::Info);
    page += QStringLiteral(".SH EXIT STATUS\n") + exitStatuses();
    page += QStringLiteral(".SH ENVIRONMENT\n") + environment();
    page += QStringLiteral(".SH FILES\n") + QString::fromUtf8(Files);
    page += QStringLiteral(".SH EXAMPLES\n") + QString::fromUtf8(Examples);
    page += QStringLiteral(".SH SEE ALSO\n.BR sqlite3 (1),\n.BR jq (1)\n");
    return page;
}
