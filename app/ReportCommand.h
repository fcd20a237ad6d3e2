#pragma once

#include <QString>

// `ampelio --report`: the statistics of the four periods and the battery hardware report.
class ReportCommand {
public:
    enum Format { Text, Json };
    // Returns the process exit status.
    static int run(const QString& documentsDirectory, Format format = Text);
};
