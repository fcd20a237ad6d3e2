#include "Ampelio_ProAppDelegate.h"
#include "CsvExportCommand.h"
#include "Device.h"
#include "HeadlessRunner.h"
#include "KeepAliveService.h"
#include "Paths.h"
#include "ReportCommand.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {
void printUsage() {
    std::fputs("Usage: ampelio [--headless] [--export-csv [FILE]] [--report]\n"
               "  --headless          log without a window until SIGINT/SIGTERM\n"
               "  --export-csv [FILE] write the whole log as CSV (stdout without FILE)\n"
               "  --report            print the statistics and the battery hardware report\n",
               stdout);
}

int runHeadless(bool explicitlyAsked) {
    if (!explicitlyAsked)
        std::fputs("Ampelio is running headless (no window); stop it with Ctrl+C.\n", stderr);
    KeepAliveService keepAlive;
    Ampelio_ProAppDelegate delegate(Device::current(), Paths::documentsDirectory(),
                                    UserDefaults::standard(), keepAlive);
    HeadlessRunner runner(delegate);
    return runner.run();
}
} // namespace

int main(int argc, char* argv[]) {
    // The result is deliberately ignored: an existing or refused directory changes nothing here,
    // and the store reports its own failure.
    Paths::createDocumentsDirectory();

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Ampelio"));
    const QStringList args = QCoreApplication::arguments().mid(1);

    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        printUsage();
        return 0;
    }
    const qsizetype exportAt = args.indexOf(QStringLiteral("--export-csv"));
    if (exportAt >= 0) {
        const QString file =
            exportAt + 1 < args.size() && !args[exportAt + 1].startsWith(QLatin1String("--"))
                ? args[exportAt + 1]
                : QString();
        return CsvExportCommand::run(Paths::documentsDirectory(), file);
    }
    if (args.contains(QStringLiteral("--report")))
        return ReportCommand::run(Paths::documentsDirectory());
    for (const QString& arg : args) {
        if (arg != QLatin1String("--headless")) {
            std::fprintf(stderr, "Unknown option %s\n", qPrintable(arg));
            printUsage();
            return 2;
        }
    }
    return runHeadless(args.contains(QStringLiteral("--headless")));
}
