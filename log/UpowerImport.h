#pragma once

#include "Event.h"

#include <QList>
#include <QString>
#include <QStringList>

class ManagedObjectContext;

// Earlier battery history from the desktop's power daemon: its history-charge-*.dat files
// (lines "time<TAB>percent<TAB>state") become samples of the log. Samples go through the log's
// drop rule against their neighbours in time, and a sample the log already holds is skipped, so
// importing the same files twice adds nothing. Its history-rate-*.dat files (power in W) are
// read and counted, but the log keeps no power figures.
class UpowerImport {
public:
    static const QString DefaultDirectory;

    struct Result {
        int files = 0;
        int chargeLines = 0;
        int rateLines = 0;
        int badLines = 0;       // lines that are not "time, value, state"
        int taken = 0;          // new samples in the log
        int duplicates = 0;     // samples the log already held
        int dropped = 0;        // samples the drop rule left out
        int otherBatteries = 0; // charge histories of batteries other than the newest one
        QStringList errors;     // files that could not be read
    };

    // Whether the directory holds history files worth offering to import.
    static bool hasHistory(const QString& directory);
    // The samples of one charge file, oldest first; bad lines are counted, never taken.
    static QList<Event> parseChargeFile(const QString& path, int* lines, int* badLines,
                                        QString* error);
    static Result run(ManagedObjectContext& context, const QString& directory);
    // "Took 120 of 20160 samples from /var/lib/upower (...)"
    static QString summary(const Result& result, const QString& directory);

private:
    static int countRateLines(const QString& path, int* badLines, QString* error);
};
