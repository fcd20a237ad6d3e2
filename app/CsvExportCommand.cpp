#include "CsvExportCommand.h"

#include "EventCsvWriter.h"
#include "EventStore.h"
#include "ManagedObjectContext.h"

#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {
constexpr qsizetype FlushChars = 1 << 16;

bool exportTo(QIODevice& out, ManagedObjectContext& context) {
    const EventCsvWriter writer;
    QString chunk = EventCsvWriter::Header;
    bool ok = true;
    context.forEachSavedNewestFirst([&](const Event& event) {
        writer.appendRow(chunk, event);
        if (chunk.size() >= FlushChars) {
            ok = out.write(chunk.toUtf8()) >= 0;
            chunk.clear();
        }
        return ok;
    });
    return ok && out.write(chunk.toUtf8()) >= 0;
}
} // namespace

int CsvExportCommand::run(const QString& documentsDirectory, const QString& outputPath) {
    EventStore store(documentsDirectory + QStringLiteral("/Locations.sqlite"));
    if (!store.hasStore()) {
        std::fprintf(stderr, "Couldn't open the log: %s\n",
                     qPrintable(store.openError().description));
        return 1;
    }
    ManagedObjectContext context(store);
    if (outputPath.isEmpty()) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || !exportTo(out, context)) {
            std::fprintf(stderr, "Couldn't write the export to stdout\n");
            return 1;
        }
        return 0;
    }
    // The file appears only once complete, so an interrupted export never leaves half a file.
    QSaveFile out(outputPath);
    if (!out.open(QIODevice::WriteOnly) || !exportTo(out, context) || !out.commit()) {
        std::fprintf(stderr, "Couldn't write %s: %s\n", qPrintable(outputPath),
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
