#pragma once

#include <QString>

// `ampelio --import-upower [DIR]`: merges the desktop power daemon's battery history into the
// log and says how many samples it took.
class ImportCommand {
public:
    // Returns the process exit status.
    static int run(const QString& documentsDirectory, const QString& upowerDirectory);
};
