#include "Alert.h"
#include "AmpelioVersion.h"
#include "Ampelio_ProAppDelegate.h"
#include "ChargeServices.h"
#include "CommandLine.h"
#include "CommandLineOptions.h"
#include "CsvExportCommand.h"
#include "Device.h"
#include "HeadlessRunner.h"
#include "ImportCommand.h"
#include "KeepAliveService.h"
#include "MainScreen.h"
#include "MainWindow.h"
#include "Paths.h"
#include "ReportCommand.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "Theme.h"
#include "UpowerImportOffer.h"
#include "UserDefaults.h"
#include "WindowedApplication.h"

#include <QApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPalette>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {
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

// Checked at the start, so a mistyped folder is an error now, not a log line at every sample.
bool useMetricsDirectory(const QString& directory) {
    const QFileInfo info(directory);
    if (!info.isDir() || !info.isWritable()) {
        std::fprintf(stderr, "ampelio: --metrics-textfile: %s is not a folder you can write to\n",
                     qPrintable(directory));
        return false;
    }
    ChargeServices::overrideMetricsDirectory(info.absoluteFilePath());
    return true;
}

int runHeadless(int argc, char* argv[], bool explicitlyAsked) {
    QCoreApplication app(argc, argv);
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
    UpowerImportOffer::offer(delegate.batteryLogHandler(), UserDefaults::standard(), nullptr);
    return runner.run();
}

// AMPELIO_THEME=dark on a light desktop: Qt's own parts (scroll bars, dialogs) go dark with
// the screens. A dark desktop's palette is dark already.
void useDarkPaletteWhenAsked() {
    const QPalette current = QApplication::palette();
    if (!Theme::isDark() || current.color(QPalette::Window).lightness() <
                                current.color(QPalette::WindowText).lightness())
        return;
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
    dark.setColor(QPalette::WindowText, QColor(0xf2, 0xf2, 0xf2));
    dark.setColor(QPalette::Base, Theme::background());
    dark.setColor(QPalette::AlternateBase, QColor(0x26, 0x28, 0x2b));
    dark.setColor(QPalette::Text, Theme::primaryText());
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    dark.setColor(QPalette::ButtonText, QColor(0xf2, 0xf2, 0xf2));
    dark.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xd6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3e));
    dark.setColor(QPalette::ToolTipText, QColor(0xf2, 0xf2, 0xf2));
    QApplication::setPalette(dark);
}

// The window's terminal stays quiet but for warnings; a headless run prints its samples and
// lifecycle, which are its log. QT_LOGGING_RULES, read after these, still overrides them.
void applyLoggingDefaults(bool headless, bool verbose) {
    if (verbose) {
        QLoggingCategory::setFilterRules(QStringLiteral("ampelio.*=true"));
        return;
    }
    QLoggingCategory::setFilterRules(headless ? QStringLiteral("ampelio.*.debug=false")
                                              : QStringLiteral("ampelio.*.debug=false\n"
                                                               "ampelio.*.info=false"));
}

int runWindowed(int argc, char* argv[], const std::optional<QString>& screenshotDir,
                bool background = false) {
    if (screenshotDir)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Closing the window hides it behind the tray icon; only Quit ends the application.
    QApplication::setQuitOnLastWindowClosed(false);
    useDarkPaletteWhenAsked();
    if (!screenshotDir) {
        Alert::setPresenter([](const QString& title, const QString& message, const QStringList&) {
            QMessageBox::warning(nullptr, title, message, QMessageBox::Ok);
        });
    }
    SingleInstance instance(Paths::documentsDirectory());
    if (!screenshotDir) {
        if (alreadyRunning(instance))
            return 0;
        instance.listen();
    }
    WindowedApplication application(Device::current(), Paths::documentsDirectory(),
                                    UserDefaults::standard(),
                                    screenshotDir ? StoreAccess::ReadOnly : StoreAccess::ReadWrite);
    QObject::connect(&instance, &SingleInstance::showRequested, &application.window(),
                     &MainWindow::restore);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app,
                     [&application] { application.terminate(); });
    if (screenshotDir)
        return application.screenshot(*screenshotDir);
    if (background)
        return application.runInBackground();
    // Once the window shows: the question belongs in front of it.
    QTimer::singleShot(0, &application.window(), [&application] {
        UpowerImportOffer::offer(application.delegate().batteryLogHandler(),
                                 UserDefaults::standard(), &application.window());
    });
    return application.run();
}
} // namespace

int main(int argc, char* argv[]) {
    TerminationSignals::install();
    // Lines keep their plain text (the headless log is read by people and scripts); the
    // categories still let QT_LOGGING_RULES filter them.
    qSetMessagePattern(QStringLiteral("%{message}"));
    QCoreApplication::setApplicationName(QStringLiteral("Ampelio"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(AmpelioVersion));

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.outcome()) {
    case CommandLine::Help:
        std::fputs(qPrintable(CommandLine::helpText()), stdout);
        return CommandLineOptions::Success;
    case CommandLine::Version:
        std::printf("ampelio %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return CommandLineOptions::Success;
    case CommandLine::UsageError:
        std::fprintf(stderr, "ampelio: %s (see ampelio --help)\n", qPrintable(line.error()));
        return CommandLineOptions::UsageError;
    case CommandLine::Run:
        break;
    }
    if (const auto problem = Paths::problem()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    if (line.value("idiom") == QLatin1String("tablet"))
        MainScreen::setIdiom(UserInterfaceIdiom::Pad);
    // Without a device idiom the window is a desktop window that follows its own size;
    // screenshots keep the device screen so that the pictures stay comparable.
    if (!line.isSet("idiom") &&
        (line.mode().isEmpty() || line.mode() == QLatin1String("background")))
        MainScreen::setWindowSize(QSizeF(MainWindow::MinimumWidth, MainWindow::MinimumHeight));

    const QString mode = line.mode();
    if (mode == QLatin1String("report") || mode == QLatin1String("export-csv")) {
        TerminationSignals::uninstall();
        QCoreApplication app(argc, argv);
        if (mode == QLatin1String("report"))
            return ReportCommand::run(Paths::documentsDirectory(), line.isSet("json")
                                                                       ? ReportCommand::Json
                                                                       : ReportCommand::Text);
        const QString file = line.value("export-csv");
        return CsvExportCommand::run(
            Paths::documentsDirectory(), file == QLatin1String("-") ? QString() : file,
            line.isSet("health") ? CsvExportCommand::Health : CsvExportCommand::Samples,
            line.isSet("iso"));
    }
    if (line.isSet("metrics-textfile") && !useMetricsDirectory(line.value("metrics-textfile")))
        return CommandLineOptions::Failure;
    // Failures here show when the store opens, with the reason and the path.
    Paths::createPrivateDirectories();
    const bool headless = mode == QLatin1String("headless") || !hasDisplay();
    applyLoggingDefaults(headless, line.isSet("verbose"));
    if (mode == QLatin1String("import-upower")) {
        QCoreApplication app(argc, argv);
        return ImportCommand::run(Paths::documentsDirectory(), line.value("import-upower"));
    }
    if (mode == QLatin1String("screenshot"))
        return runWindowed(argc, argv, line.value("screenshot"));
    if (headless)
        return runHeadless(argc, argv, mode == QLatin1String("headless"));
    return runWindowed(argc, argv, std::nullopt, mode == QLatin1String("background"));
}
