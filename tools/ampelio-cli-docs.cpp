// Writes the manual page and the bash completion of `ampelio` from its option table, and keeps
// the README's option table in step with it.
#include "BashCompletion.h"
#include "ManPage.h"
#include "ReadmeOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>
#include <optional>

namespace {
// Leaves an unchanged file alone, so that nothing depending on it is rebuilt.
bool write(const QString& path, const QString& content) {
    const QByteArray bytes = content.toUtf8();
    if (QFile existing(path); existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return true;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    std::fprintf(stderr, "ampelio-cli-docs: couldn't write %s: %s\n", qPrintable(path),
                 qPrintable(file.errorString()));
    return false;
}

int updateReadme(const QString& path, bool checkOnly) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "ampelio-cli-docs: couldn't read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray readme = file.readAll();
    const std::optional<QString> updated = ReadmeOptions::updated(QString::fromUtf8(readme));
    if (!updated) {
        std::fprintf(stderr, "ampelio-cli-docs: %s lacks the marker lines %s and %s\n",
                     qPrintable(path), ReadmeOptions::Begin, ReadmeOptions::End);
        return 1;
    }
    if (!checkOnly)
        return write(path, *updated) ? 0 : 1;
    if (updated->toUtf8() == readme)
        return 0;
    std::fprintf(stderr,
                 "ampelio-cli-docs: the option table in %s is out of date; run "
                 "ampelio-cli-docs --readme %s\n",
                 qPrintable(path), qPrintable(path));
    return 1;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes ampelio's manual page and bash completion from its option table."));
    parser.addHelpOption();
    const QCommandLineOption man(QStringLiteral("man"), QStringLiteral("Writes the manual page."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption completion(QStringLiteral("completion"),
                                        QStringLiteral("Writes the bash completion script."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption readme(QStringLiteral("readme"),
                                    QStringLiteral("Rewrites the README's option table."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption check(QStringLiteral("check-readme"),
                                   QStringLiteral("Fails when the README's option table is out "
                                                  "of date."),
                                   QStringLiteral("FILE"));
    parser.addOptions({man, completion, readme, check});
    parser.process(app);

    if (parser.isSet(man) && !write(parser.value(man), ManPage::generate()))
        return 1;
    if (parser.isSet(completion) && !write(parser.value(completion), BashCompletion::generate()))
        return 1;
    if (parser.isSet(readme) && updateReadme(parser.value(readme), false) != 0)
        return 1;
    if (parser.isSet(check))
        return updateReadme(parser.value(check), true);
    return 0;
}
