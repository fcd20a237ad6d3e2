#include "CsvExportCommand.h"

#include "EventCsvWriter.h"
#include "ReadContext.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {
constexpr qsizetype FlushChars = 1 << 16;

// Streams the log in chunks, so memory does not grow with it. False when the log could not be
// read to its end or the output could not be written: a cut export is never a success.
bool exportTo(QIODevice& out, ReadContext* log) {
    const EventCsvWriter writer;
    QString chunk = EventCsvWriter::Header;
    bool written = true;
    const bool read = !log || log->forEachNewestFirst([&](const Event& event) {
        writer.appendRow(chunk, event);
        if (chunk.size() >= FlushChars) {
            written = out.write(chunk.toUtf8()) >= 0;
            chunk.clear();
        }
        return written;
    });
    return read && written && out.write(chunk.toUtf8()) >= 0;
}
} // namespace

int CsvExportCommand::run(const QString& documentsDirectory, const QString& outputPath) {
    // Read only: exporting never creates, converts or writes the log of a running logger.
    const QString path = documentsDirectory + QStringLiteral("/Locations.sqlite");
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
        if (!out.open(stdout, QIODevice::WriteOnly) || !exportTo(out, log.get())) {
            std::fprintf(stderr, "The export to stdout is incomplete\n");
            return 1;
        }
        return 0;
    }
    // The file appears only once complete, so an interrupted export never leaves half a file.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly) || !exportTo(out, log.get()) || !out.commit()) {
        std::fprintf(stderr, "Couldn't write %s: %s\n", qPrintable(outputPath),
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
