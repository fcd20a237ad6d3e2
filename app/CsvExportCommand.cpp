#include "CsvExportCommand.h"

#include "EventCsvWriter.h"
#include "Paths.h"
#include "ReadContext.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

int CsvExportCommand::run(const QString& documentsDirectory, const QString& outputPath) {
    // Read only: exporting never creates, converts or writes the log of a running logger.
    const QString path = Paths::storePath(documentsDirectory);
    std::unique_ptr<ReadContext> log;
    if (QFile::exists(path)) {
        log = std::make_unique<ReadContext>(path);
        if (!log->hasStore()) {
            std::fprintf(stderr, "Couldn't open the log %s\n", qPrintable(path));
            return 1;
        }
    }
    if (outputPath.isEmpty()) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || !EventCsvWriter::write(out, log.get())) {
            std::fprintf(stderr, "The export to stdout is incomplete\n");
            return 1;
        }
        return 0;
    }
    // The file appears only once complete, so an interrupted export never leaves half a file.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly) || !EventCsvWriter::write(out, log.get()) ||
        !out.commit()) {
        std::fprintf(stderr, "Couldn't write %s: %s\n", qPrintable(outputPath),
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
