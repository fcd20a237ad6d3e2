#include "ReadmeOptions.h"

#include "CommandLineOptions.h"

#include <QStringList>

const char* const ReadmeOptions::Begin =
    "<!-- Made from the option table: build/tools/ampelio-cli-docs --readme README.md -->";
const char* const ReadmeOptions::End = "<!-- End of the option table -->";

QString ReadmeOptions::table() {
    QString out = QStringLiteral("| Option | Does |\n|---|---|\n");
    QStringList modes;
    for (const CommandLineOption& option : CommandLineOptions::options()) {
        QString names = QStringLiteral("--") + QLatin1String(option.name);
        if (option.takesValue())
            names += (option.valueIsOptional() ? QStringLiteral(" [%1]") : QStringLiteral(" %1"))
                         .arg(QLatin1String(option.valueName));
        names = QLatin1Char('`') + names + QLatin1Char('`');
        if (option.shortName)
            names += QStringLiteral(", `-%1`").arg(QLatin1String(option.shortName));
        QString does = QString::fromUtf8(option.description);
        if (option.appliesTo)
            does += QStringLiteral(" Only with `--%1`.")
                        .arg(QString::fromLatin1(option.appliesTo)
                                 .replace(QLatin1Char(' '), QStringLiteral("`, `--")));
        out += QStringLiteral("| %1 | %2 |\n").arg(names, does);
        if (option.kind == CommandLineOption::Mode)
            modes.append(QStringLiteral("`--%1`").arg(QLatin1String(option.name)));
    }
    out += QStringLiteral("\nThe modes %1 exclude each other. Exit status: %2.\n")
               .arg(modes.join(QStringLiteral(", ")), CommandLineOptions::exitStatusSummary());
    return out;
}

std::optional<QString> ReadmeOptions::updated(const QString& readme) {
    const qsizetype begin = readme.indexOf(QLatin1String(Begin));
    const qsizetype end = readme.indexOf(QLatin1String(End));
    if (begin < 0 || end < begin)
        return std::nullopt;
    const qsizetype from = begin + qstrlen(Begin) + 1;
    return readme.left(from) + table() + readme.mid(end);
}
