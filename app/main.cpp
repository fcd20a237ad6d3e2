#include "Alert.h"
#include "Ampelio_ProAppDelegate.h"
#include "CsvExportCommand.h"
#include "Device.h"
#include "HeadlessRunner.h"
#include "KeepAliveService.h"
#include "MainScreen.h"
#include "MainWindow.h"
#include "Paths.h"
#include "ReportCommand.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "UserDefaults.h"
#include "WindowedApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {
struct Options {
    bool help = false;
    bool headless = false;
    bool report = false;
    std::optional<QString> exportCsv; // empty string: stdout
    std::optional<QString> screenshotDir;
    UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone;
    QString error;
};

Options parse(const QStringList& args) {
    Options o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"));
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.help = true;
        } else if (arg == QLatin1String("--headless")) {
            o.headless = true;
        } else if (arg == QLatin1String("--report")) {
            o.report = true;
        } else if (arg == QLatin1String("--export-csv")) {
            o.exportCsv = hasValue ? args[++i] : QString();
        } else if (arg == QLatin1String("--screenshot") && hasValue) {
            o.screenshotDir = args[++i];
        } else if (arg == QLatin1String("--idiom") && hasValue) {
            const QString idiom = args[++i];
            if (idiom == QLatin1String("tablet"))
                o.idiom = UserInterfaceIdiom::Pad;
            else if (idiom != QLatin1String("phone"))
                o.error = QStringLiteral("Unknown idiom %1 (phone or tablet)").arg(idiom);
        } else if (arg == QLatin1String("--screenshot") || arg == QLatin1String("--idiom")) {
            o.error = QStringLiteral("%1 needs a value").arg(arg);
        } else {
            o.error = QStringLiteral("Unknown option %1").arg(arg);
        }
    }
    return o;
}

void printUsage(FILE* out) {
    std::fputs("Usage: ampelio [--idiom phone|tablet] [--headless | --screenshot DIR |\n"
               "               --export-csv [FILE] | --report]\n"
               "  --headless          log without a window until SIGINT/SIGTERM\n"
               "  --screenshot DIR    render each tab offscreen to DIR/<tab>.png\n"
               "  --export-csv [FILE] write the whole log as CSV (stdout without FILE)\n"
               "  --report            print the statistics and the battery hardware report\n"
               "  --idiom IDIOM       the device screen: phone (320x480) or tablet (768x1024)\n",
               out);
}

bool hasDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

// True when another Ampelio logs already; it is asked to show its window.
bool alreadyRunning(SingleInstance& instance) {
    if (instance.acquire())
        return false;
    instance.handOverToRunningInstance();
    std::fputs("Ampelio is already running; it was asked to show its window.\n", stderr);
    return true;
}

int runHeadless(int argc, char* argv[], bool explicitlyAsked) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Ampelio"));
    SingleInstance instance(Paths::documentsDirectory());
    if (alreadyRunning(instance))
        return 0;
    instance.listen();
    if (!explicitlyAsked)
        std::fputs("No display found: Ampelio is running headless; stop it with Ctrl+C.\n", stderr);
    KeepAliveService keepAlive;
    Ampelio_ProAppDelegate delegate(Device::current(), Paths::documentsDirectory(),
                                    UserDefaults::standard(), keepAlive);
    HeadlessRunner runner(delegate);
    return runner.run();
}

int runWindowed(int argc, char* argv[], const Options& options) {
    if (options.screenshotDir)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Ampelio"));
    // Closing the window hides it behind the tray icon; only Quit ends the application.
    QApplication::setQuitOnLastWindowClosed(false);
    MainScreen::setIdiom(options.idiom);
    if (!options.screenshotDir) {
        Alert::setPresenter([](const QString& title, const QString& message, const QStringList&) {
            QMessageBox::warning(nullptr, title, message, QMessageBox::Ok);
        });
    }
    SingleInstance instance(Paths::documentsDirectory());
    if (!options.screenshotDir) {
        if (alreadyRunning(instance))
            return 0;
        instance.listen();
    }
    WindowedApplication application(Device::current(), Paths::documentsDirectory(),
                                    UserDefaults::standard());
    QObject::connect(&instance, &SingleInstance::showRequested, &application.window(),
                     &MainWindow::restore);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app,
                     [&application] { application.terminate(); });
    return options.screenshotDir ? application.screenshot(*options.screenshotDir)
                                 : application.run();
}
} // namespace

int main(int argc, char* argv[]) {
    TerminationSignals::install();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const Options options = parse(args);
    if (options.help) {
        printUsage(stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        printUsage(stderr);
        return 2;
    }
    if (const auto problem = Paths::problem()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    if (options.exportCsv || options.report) {
        TerminationSignals::uninstall();
        QCoreApplication app(argc, argv);
        return options.report
                   ? ReportCommand::run(Paths::documentsDirectory())
                   : CsvExportCommand::run(Paths::documentsDirectory(), *options.exportCsv);
    }
    // Failures here show when the store opens, with the reason and the path.
    Paths::createPrivateDirectories();
    if (options.headless || (!options.screenshotDir && !hasDisplay()))
        return runHeadless(argc, argv, options.headless);
    return runWindowed(argc, argv, options);
}
