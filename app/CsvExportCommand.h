#pragma once

#include <QString>

// `ampelio --export-csv [FILE]`: the whole log as comma-separated text, newest first; with
// --health the batteries' daily health readings instead.
class CsvExportCommand {
public:
    enum Content { Samples, Health };
    // An empty path writes to stdout. Returns the process exit status.
    // iso: the samples in the format for tools (ISO 8601 UTC times, percent, plain state words).
    static int run(const QString& documentsDirectory, const QString& outputPath,
                   Content content = Samples, bool iso = false);
};
