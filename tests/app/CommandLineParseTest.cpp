// The option table as the user meets it: what is accepted, and what each refusal names.
#include "CommandLine.h"
#include "CommandLineOptions.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {
CommandLine parse(const QStringList& arguments) {
    return CommandLine::parse(arguments);
}

// The error of a refused command line, or a note that it was accepted.
QString refusal(const QStringList& arguments) {
    const CommandLine line = parse(arguments);
    return line.outcome() == CommandLine::UsageError ? line.error() : QStringLiteral("<accepted>");
}
} // namespace

TEST(CommandLineParse, UnknownOptionsAreNamedAsTyped) {
    EXPECT_EQ(refusal({"--frobnicate", "/tmp/x"}), "unknown option --frobnicate");
    EXPECT_EQ(refusal({"--foo", "bar"}), "unknown option --foo");
    EXPECT_EQ(refusal({"--report", "--foo=3"}), "unknown option --foo");
    EXPECT_EQ(refusal({"-x"}), "unknown option -x");
    EXPECT_EQ(refusal({"--report", "extra"}), "unexpected argument 'extra'");
    EXPECT_EQ(refusal({"--report=yes"}), "--report takes no value, but was given --report=yes");
}

TEST(CommandLineParse, ValuesThatAreMissingOrLeftOut) {
    for (const QStringList& arguments :
         {QStringList{"--screenshot"}, QStringList{"--screenshot", "--report"},
          QStringList{"--screenshot="}})
        EXPECT_EQ(refusal(arguments), "--screenshot needs a value: --screenshot DIR")
            << qPrintable(arguments.join(' '));

    // An option that looks like a value is not swallowed; a real value starting with a dash
    // can still be given inline.
    EXPECT_EQ(parse({"--screenshot=--odd"}).value("screenshot"), "--odd");
    EXPECT_EQ(parse({"--idiom", "tablet", "--screenshot", "shots"}).value("screenshot"), "shots");

    // The export's file may be left out: standard output.
    EXPECT_EQ(parse({"--export-csv"}).value("export-csv"), "-");
    const CommandLine beforeSetting = parse({"--export-csv", "--idiom", "tablet"});
    EXPECT_EQ(beforeSetting.outcome(), CommandLine::Run);
    EXPECT_EQ(beforeSetting.value("export-csv"), "-");
    EXPECT_EQ(beforeSetting.value("idiom"), "tablet");
    EXPECT_EQ(parse({"--export-csv", "out.csv"}).value("export-csv"), "out.csv");
    EXPECT_EQ(parse({"--export-csv=out.csv"}).value("export-csv"), "out.csv");
    EXPECT_EQ(parse({"--export-csv", "-"}).value("export-csv"), "-");
}

TEST(CommandLineParse, EveryPairOfModesIsRefused) {
    QStringList modes;
    for (const CommandLineOption& option : CommandLineOptions::options())
        if (option.kind == CommandLineOption::Mode)
            modes.append(QLatin1String(option.name));
    ASSERT_GE(modes.size(), 4);
    const auto withValue = [](const QString& mode) {
        return QStringList{"--" + mode} +
               (CommandLineOptions::find(mode)->takesValue() ? QStringList{"x"} : QStringList{});
    };
    for (const QString& first : modes) {
        EXPECT_EQ(parse(withValue(first)).mode(), first);
        for (const QString& second : modes) {
            if (first == second)
                continue;
            const QString error = refusal(withValue(first) + withValue(second));
            EXPECT_TRUE(error.contains("--" + first) && error.contains("--" + second) &&
                        error.contains("cannot be used together"))
                << qPrintable(error);
        }
    }
    EXPECT_EQ(refusal({"--headless", "--report", "--screenshot", "d"}),
              "--headless, --report and --screenshot cannot be used together; give one of them");
}

TEST(CommandLineParse, SettingsAndTheirValues) {
    EXPECT_EQ(refusal({"--idiom", "desk"}), "--idiom does not know 'desk'; use phone or tablet");
    EXPECT_EQ(parse({"--idiom=tablet"}).value("idiom"), "tablet");
    EXPECT_EQ(refusal({"--json"}), "--json works only with --report");
    EXPECT_EQ(refusal({"--export-csv", "--json"}), "--json works only with --report");
    const CommandLine json = parse({"--json", "--report"});
    EXPECT_EQ(json.outcome(), CommandLine::Run);
    EXPECT_TRUE(json.isSet("json"));

    const CommandLine window = parse({});
    EXPECT_EQ(window.outcome(), CommandLine::Run);
    EXPECT_EQ(window.mode(), "");
    EXPECT_EQ(parse({"-headless"}).mode(), "headless") << "one dash reads as two";
}

TEST(CommandLineParse, HelpAndVersionWinOverModesAndListEveryOption) {
    EXPECT_EQ(parse({"--report", "-h"}).outcome(), CommandLine::Help);
    EXPECT_EQ(parse({"--headless", "--report", "--help"}).outcome(), CommandLine::Help);
    EXPECT_EQ(parse({"--version"}).outcome(), CommandLine::Version);
    EXPECT_EQ(parse({"--version", "--foo"}).outcome(), CommandLine::UsageError);

    const QString help = CommandLine::helpText();
    EXPECT_TRUE(help.startsWith("Usage: ampelio [options]\n")) << qPrintable(help);
    for (const CommandLineOption& option : CommandLineOptions::options()) {
        QString shown = QStringLiteral("--") + QLatin1String(option.name);
        if (option.takesValue())
            shown += QStringLiteral(" <%1>").arg(QLatin1String(option.valueName));
        EXPECT_TRUE(help.contains(shown)) << qPrintable(shown);
    }
    for (const EnvironmentVariable& variable : CommandLineOptions::environment())
        EXPECT_TRUE(help.contains(QStringLiteral("\n  %1\n").arg(variable.name))) << variable.name;
    for (const QString& line : help.split('\n'))
        EXPECT_LE(line.size(), 80) << qPrintable(line);
}
