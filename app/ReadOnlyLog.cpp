#include "ReadOnlyLog.h"

#include "ReadContext.h"
#include "StoreLayout.h"

#include <cstdio>

QString ReadOnlyLog::path(const QString& documentsDirectory) {
    return documentsDirectory + QStringLiteral("/Locations.sqlite");
}

int ReadOnlyLog::open(const QString& documentsDirectory, std::unique_ptr<ReadContext>& log) {
    const QString file = path(documentsDirectory);
    const StoreLayout::Result layout = StoreLayout::inspect(file);
    if (layout.verdict == StoreLayout::Verdict::Missing ||
        layout.verdict == StoreLayout::Verdict::Empty)
        return 0;
    if (StoreLayout::isUsable(layout.verdict)) {
        log = std::make_unique<ReadContext>(file);
        if (log->hasStore())
            return 0;
    }
    const QString reason =
        layout.reason.isEmpty() ? QStringLiteral("it cannot be opened for reading") : layout.reason;
    std::fprintf(stderr, "Couldn't read the log %s: %s\n", qPrintable(file), qPrintable(reason));
    log.reset();
    return 1;
}
