#pragma once

#include <QString>

#include <memory>

class ReadContext;

// The log as the read-only commands see it: nothing is created, converted or written, and a
// file that cannot be read is reported with the reason and the path.
class ReadOnlyLog {
public:
    static QString path(const QString& documentsDirectory);
    // Opens the log into `log`, which stays empty when there is no log yet. Returns 0, or prints
    // what is wrong to stderr and returns the exit status 1.
    static int open(const QString& documentsDirectory, std::unique_ptr<ReadContext>& log);
};
