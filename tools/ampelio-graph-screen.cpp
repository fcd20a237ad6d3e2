// Shows the battery graph screen over a real log, seeded with a synthetic history when empty,
// and renders pictures of it: the present, a window in the past, a zoom, a tapped sample.
// Not part of the application: for looking at the screen on its own.
#include "AmpelioGraphController.h"
#include "BatteryLogHandler.h"
#include "Clock.h"
#include "CustomCalloutView.h"
#include "Device.h"
#include "DeviceScreenWindow.h"
#include "EventStore.h"
#include "GraphView.h"
#include "GraphViewpoint.h"
#include "MainScreen.h"
#include "ManagedObjectContext.h"
#include "Paths.h"
#include "SimulatedPowerSource.h"
#include "SyntheticHistory.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

namespace {
constexpr int longPollMs = 3600 * 1000;

void seedIfEmpty(const QString& dir, double days) {
    EventStore store(Paths::storePath(dir));
    ManagedObjectContext context(store);
    if (!store.hasStore() || context.savedCount() > 0)
        return;
    SyntheticHistory history;
    history.endDate = Clock::now() - 60;
    history.days = days;
    writeSyntheticHistory(history, context, nullptr);
    std::printf("Seeded %lld samples in %s\n", static_cast<long long>(context.savedCount()),
                qPrintable(dir));
}

// Taps the sample drawn nearest to the given time, as the graph's tap handling would.
bool tapSampleAt(AmpelioGraphController& controller, double hoursAgo) {
    GraphView* graph = controller.graphView();
    const float t = static_cast<float>(-hoursAgo * 3600);
    const GraphData data = controller.dataFromX(t - 7200, t + 7200);
    const double target = Clock::now() + t;
    GraphDataObjectPtr nearest;
    for (const GraphDataObjectPtr& object : data) {
        const double date = object->valueForKey(QStringLiteral("creationDate")).toDouble();
        if (!nearest ||
            std::fabs(date - target) <
                std::fabs(nearest->valueForKey(QStringLiteral("creationDate")).toDouble() - target))
            nearest = object;
    }
    if (!nearest)
        return false;
    const QString key = controller.yKeys().first();
    const QPointF at(graph->getXCord(*nearest), graph->getYCord(*nearest, key));
    std::printf("Tapping the sample at (%.0f, %.0f) in the graph\n", at.x(), at.y());
    controller.objectSelected(nearest, at, key);
    for (CustomCalloutView* callout : graph->findChildren<CustomCalloutView*>()) {
        while (!callout->runningAnimation().isEmpty())
            callout->completeAnimation();
    }
    return true;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows the battery graph screen over a log."));
    parser.addHelpOption();
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("Data directory (default: a temporary one)."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption daysOption(
        QStringLiteral("days"), QStringLiteral("Days of history to seed an empty log with."),
        QStringLiteral("N"), QStringLiteral("60"));
    const GraphViewpoint::Options view;
    const QCommandLineOption tap(QStringLiteral("tap-hours-ago"),
                                 QStringLiteral("Tap the sample nearest to this many hours ago."),
                                 QStringLiteral("H"));
    const QCommandLineOption settle(
        QStringLiteral("settle-ms"),
        QStringLiteral("Let the labels' fades run this long before the picture (default 1200)."),
        QStringLiteral("MS"), QStringLiteral("1200"));
    view.addTo(parser);
    parser.addOptions({dirOption, daysOption, tap, settle});
    parser.process(app);

    view.applyIdiom(parser);
    QTemporaryDir temporary;
    const QString dir = parser.isSet(dirOption) ? parser.value(dirOption) : temporary.path();
    QDir().mkpath(dir);
    seedIfEmpty(dir, parser.value(daysOption).toDouble());

    Device device(std::make_unique<SimulatedPowerSource>(), longPollMs);
    UserDefaults defaults(dir + QStringLiteral("/Ampelio.ini"));
    BatteryLogHandler handler(device, dir, defaults);
    AmpelioGraphController controller(handler);
    QWidget* window = DeviceScreenWindow::build(controller.view(), device.powerSource().name());
    window->show();

    view.applyView(parser, controller);
    if (parser.isSet(tap) && !tapSampleAt(controller, parser.value(tap).toDouble()))
        std::fputs("No sample to tap there\n", stderr);

    int status = 0;
    if (!parser.isSet(view.screenshot)) {
        status = app.exec();
    } else {
        DeviceScreenWindow::waitForTiles(window, controller.graphView()->tiledLayer());
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < parser.value(settle).toInt())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        status = DeviceScreenWindow::save(window, parser.value(view.screenshot)) ? 0 : 1;
    }
    delete window;
    return status;
}
