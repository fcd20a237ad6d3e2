// The manual page, the bash completion and the README, each against the option table.
#include "CommandLineOptions.h"
#include "ManPage.h"
#include "ReadmeOptions.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QStringList optionNames() {
    QStringList names;
    for (const CommandLineOption& option : CommandLineOptions::options())
        names.append(QStringLiteral("--") + QLatin1String(option.name));
    return names;
}

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

Finished run(const QString& program, const QStringList& arguments, const QString& directory = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MANWIDTH", "80");
    env.insert("MANPAGER", "cat");
    env.insert("LC_ALL", "C.UTF-8");
    process.setProcessEnvironment(env);
    if (!directory.isEmpty())
        process.setWorkingDirectory(directory);
    process.start(program, arguments);
    if (!process.waitForFinished(20000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// What the completion offers for the words typed so far; the last word is being completed.
QStringList completions(const QStringList& words, const QString& directory = {}) {
    QString typed;
    for (const QString& word : words)
        typed += QStringLiteral(" '%1'").arg(word);
    const QString script =
        QStringLiteral("source '%1' || exit 3\n"
                       "COMP_WORDS=(%2); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                       "_ampelio 2>/dev/null; printf '%s\\n' \"${COMPREPLY[@]}\"\n")
            .arg(AMPELIO_COMPLETION, typed);
    const Finished result = run("bash", {"--norc", "--noprofile", "-c", script}, directory);
    EXPECT_EQ(result.exitCode, 0) << qPrintable(result.err);
    QStringList offered = result.out.split('\n', Qt::SkipEmptyParts);
    offered.sort();
    return offered;
}
} // namespace

TEST(ManPage, RendersWithoutWarningsAndDescribesEveryOption) {
    const Finished man = run("man", {"--warnings", "-l", AMPELIO_MAN_PAGE});
    ASSERT_EQ(man.exitCode, 0) << qPrintable(man.err);
    EXPECT_EQ(man.err, "") << "groff's warnings";
    for (const QString& name : optionNames())
        EXPECT_TRUE(man.out.contains(name)) << qPrintable(name);
    for (const EnvironmentVariable& variable : CommandLineOptions::environment())
        EXPECT_TRUE(man.out.contains(QLatin1String(variable.name))) << variable.name;
    for (const char* section : {"SYNOPSIS", "EXIT STATUS", "ENVIRONMENT", "FILES", "EXAMPLES"})
        EXPECT_TRUE(man.out.contains(QStringLiteral("\n%1\n").arg(section))) << section;
    EXPECT_TRUE(man.out.contains("--export-csv [FILE]")) << "an optional value is bracketed";
    EXPECT_TRUE(man.out.contains("Locations.sqlite"));
}

TEST(ManPage, TextCannotTurnIntoRequests) {
    EXPECT_EQ(ManPage::escaped(".TH x\n'br -a \\n"), "\\&.TH x\n\\&'br \\-a \\en");
}

TEST(BashCompletion, OffersTheOptionsAndTheirValues) {
    const Finished registered =
        run("bash", {"--norc", "-c",
                     QStringLiteral("source '%1' && complete -p ampelio").arg(AMPELIO_COMPLETION)});
    EXPECT_EQ(registered.exitCode, 0) << qPrintable(registered.err);
    EXPECT_TRUE(registered.out.contains("-F _ampelio ampelio")) << qPrintable(registered.out);

    QStringList names = optionNames();
    names.sort();
    EXPECT_EQ(completions({"ampelio", "--"}), names);
    EXPECT_EQ(completions({"ampelio", "--report", "--j"}), QStringList{"--json"});
    EXPECT_EQ(completions({"ampelio", "--idiom", ""}), (QStringList{"phone", "tablet"}));
    EXPECT_EQ(completions({"ampelio", "--idiom", "=", "t"}), QStringList{"tablet"});
    // The export's file may be left out, so an option can follow it.
    EXPECT_EQ(completions({"ampelio", "--export-csv", "--j"}), QStringList{"--json"});
}

TEST(BashCompletion, CompletesDirectoriesAndFilesWithSpaces) {
    QTemporaryDir root;
    QDir(root.path()).mkpath("shot dir");
    writeFile(root.filePath("old log.csv"), "x");
    EXPECT_EQ(completions({"ampelio", "--screenshot", ""}, root.path()), QStringList{"shot dir"});
    EXPECT_EQ(completions({"ampelio", "--export-csv", "o"}, root.path()),
              QStringList{"old log.csv"});
}

TEST(Readme, OptionTableIsTheProgramsTable) {
    QFile file(AMPELIO_README);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString readme = QString::fromUtf8(file.readAll());
    const QString section = readme.section("## Command line", 1).section("\n## ", 0, 0);
    for (const QString& name : optionNames())
        EXPECT_TRUE(section.contains(QStringLiteral("`%1").arg(name)))
            << qPrintable(name) << " is missing from the README's command-line section";
    EXPECT_EQ(ReadmeOptions::updated(readme), readme)
        << "The README's option table is out of date: run build/tools/ampelio-cli-docs --readme "
           "README.md";
}
