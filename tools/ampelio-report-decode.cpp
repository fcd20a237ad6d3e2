// Prints an analytics report as JSON: ampelio-report-decode FILE (or - for standard input).
// Exits 0 for a complete report with a valid checksum, 1 for a bad checksum, 2 when the report
// cannot be read.
#include "ReportDecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: ampelio-report-decode FILE|-\n");
        return 2;
    }
    QFile file(args[1]);
    const bool opened = args[1] == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                      : file.open(QIODevice::ReadOnly);
    if (!opened) {
        std::fprintf(stderr, "ampelio-report-decode: cannot read %s\n", qUtf8Printable(args[1]));
        return 2;
    }
    const ReportDecoder::Result result = ReportDecoder::decode(file.readAll());
    std::fputs(QJsonDocument(result.report).toJson(QJsonDocument::Indented).constData(), stdout);
    if (!result.ok) {
        std::fprintf(stderr, "ampelio-report-decode: %s\n", qUtf8Printable(result.error));
        return 2;
    }
    if (!result.checksumValid) {
        std::fprintf(stderr, "ampelio-report-decode: checksum mismatch\n");
        return 1;
    }
    return 0;
}
