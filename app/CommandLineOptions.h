#pragma once

#include "CommandLineOption.h"

#include <QString>
#include <QStringView>

#include <span>

// The command line of `ampelio` as data: its options, the environment it reads and its exit
// statuses.
class CommandLineOptions {
public:
    enum Status { Success = 0, Failure = 1, UsageError = 2 };

    // What the program does, for --help and the manual page.
    static const char* description();
    static std::span<const CommandLineOption> options();
    // Null when the table has no option of that name.
    static const CommandLineOption* find(QStringView name);
    static std::span<const EnvironmentVariable> environment();
    static std::span<const ExitStatus> exitStatuses();
    // "0 success, 1 failure, 2 usage error"
    static QString exitStatusSummary();
};
