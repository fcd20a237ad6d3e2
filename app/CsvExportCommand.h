#pragma once

#include <QString>

// `ampelio --export-csv [FILE]`: the whole log as comma-separated text, newest first; with
// --health the batteries' daily health readings instead.
class CsvExportCommand {
public:
    enum Content { Samples, Health };
    // An empty path writes to stdout. Returns the process exit status.
    static int run(const QString& documentsDirectory, const QString& outputPath,
                   Content content = Samples);
};
