#include "CsvExportCommand.h"

#include "AtomicFile.h"
#include "EventCsvWriter.h"
#include "ReadContext.h"
#include "ReadOnlyLog.h"

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {
constexpr qsizetype FlushChars = 1 << 16;

// Streams the log in chunks, so memory does not grow with it. False when the log could not be
// read to its end or the output could not be written: a cut export is never a success.
bool exportTo(const std::function<bool(const QByteArray&)>& write, ReadContext* log) {
    const EventCsvWriter writer;
    QString chunk = EventCsvWriter::Header;
    bool written = true;
    const bool read = !log || log->forEachNewestFirst([&](const Event& event) {
        writer.appendRow(chunk, event);
        if (chunk.size() >= FlushChars) {
            written = write(chunk.toUtf8());
            chunk.clear();
        }
        return written;
    });
    return read && written && write(chunk.toUtf8());
}
} // namespace

int CsvExportCommand::run(const QString& documentsDirectory, const QString& outputPath) {
    // Read only: exporting never creates, converts or writes the log of a running logger.
    std::unique_ptr<ReadContext> log;
    if (const auto status = ReadOnlyLog::open(documentsDirectory, log); status != 0)
        return status;
    // The file appears only once complete, so an interrupted or failed export never leaves half
    // a file or replaces an older export. Stdout is written in place; a failed write still fails.
    AtomicFile out = outputPath.isEmpty() ? AtomicFile(STDOUT_FILENO) : AtomicFile(outputPath);
    const auto write = [&out](const QByteArray& bytes) { return out.write(bytes); };
    if (!out.open() || !exportTo(write, log.get()) || !out.commit()) {
        const QString reason = out.errorString().isEmpty()
                                   ? QStringLiteral("the log could not be read to its end")
                                   : out.errorString();
        std::fprintf(stderr, "The export to %s failed: %s\n",
                     qPrintable(outputPath.isEmpty() ? QStringLiteral("stdout") : outputPath),
                     qPrintable(reason));
        return 1;
    }
    return 0;
}
