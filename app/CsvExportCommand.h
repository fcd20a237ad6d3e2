#pragma once

#include <QString>

// `ampelio --export-csv [FILE]`: the whole log as comma-separated text, newest first.
class CsvExportCommand {
public:
    // An empty path writes to stdout. Returns the process exit status.
    // iso: the format for tools (ISO 8601 UTC times, percent, plain state words).
    static int run(const QString& documentsDirectory, const QString& outputPath, bool iso = false);
};
