#include "CsvExportCommand.h"

#include "AtomicFile.h"
#include "AtomicFileDevice.h"
#include "BatteryCatalog.h"
#include "EventCsvWriter.h"
#include "HealthCsvWriter.h"
#include "HealthStore.h"
#include "ReadContext.h"
#include "ReadOnlyLog.h"

#include <cstdio>
#include <unistd.h>

int CsvExportCommand::run(const QString& documentsDirectory, const QString& outputPath,
                          Content content, bool iso) {
    // Read only: exporting never creates, converts or writes the log of a running logger.
    std::unique_ptr<ReadContext> log;
    if (const auto status = ReadOnlyLog::open(documentsDirectory, log); status != 0)
        return status;
    // The file appears only once complete, so an interrupted or failed export never leaves half
    // a file or replaces an older export. Stdout is written in place; a failed write still fails.
    AtomicFile out = outputPath.isEmpty() ? AtomicFile(STDOUT_FILENO) : AtomicFile(outputPath);
    bool written = out.open();
    if (written) {
        AtomicFileDevice device(out);
        if (content == Samples) {
            written = EventCsvWriter::write(device, log.get(),
                                            iso ? EventCsvWriter::Format::Iso
                                                : EventCsvWriter::Format::Display);
        } else if (!log) {
            written = device.write(HealthCsvWriter::Header.toUtf8()) >= 0;
        } else {
            BatteryCatalog catalog(*log->database());
            HealthStore health(*log->database(), catalog);
            written = HealthCsvWriter::write(device, health, catalog);
        }
    }
    if (!written || !out.commit()) {
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
