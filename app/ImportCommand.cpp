#include "ImportCommand.h"

#include "EventStore.h"
#include "ManagedObjectContext.h"
#include "Paths.h"
#include "UpowerImport.h"

#include <QDir>

#include <cstdio>

int ImportCommand::run(const QString& documentsDirectory, const QString& upowerDirectory) {
    if (!QDir(upowerDirectory).exists()) {
        std::fprintf(stderr, "Couldn't import: %s does not exist\n", qPrintable(upowerDirectory));
        return 1;
    }
    if (!UpowerImport::hasHistory(upowerDirectory)) {
        std::fprintf(stderr, "Couldn't import: %s holds no history-charge-*.dat files\n",
                     qPrintable(upowerDirectory));
        return 1;
    }
    // A running logger may hold the log open as well; the write waits for its turn.
    EventStore store(Paths::storePath(documentsDirectory));
    if (!store.hasStore()) {
        std::fprintf(stderr, "Couldn't open the log %s: %s\n", qPrintable(store.path()),
                     qPrintable(store.openError().description));
        return 1;
    }
    ManagedObjectContext context(store);
    const UpowerImport::Result result = UpowerImport::run(context, upowerDirectory);
    for (const QString& error : result.errors)
        std::fprintf(stderr, "Couldn't import all of it: %s\n", qPrintable(error));
    std::printf("%s\n", qPrintable(UpowerImport::summary(result, upowerDirectory)));
    return result.errors.isEmpty() ? 0 : 1;
}
