// Shows the graph engine on its own over a synthetic battery curve, without a log. Not part of
// the application: for looking at the graph while the battery screen is being built.
#include "Clock.h"
#include "DemoGraphController.h"
#include "DeviceScreenWindow.h"
#include "GraphView.h"
#include "GraphViewpoint.h"
#include "MainScreen.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows the graph over a synthetic battery."));
    parser.addHelpOption();
    const QCommandLineOption shot(QStringLiteral("screenshot"),
                                  QStringLiteral("Render to a PNG file and quit."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption zoom(QStringLiteral("zoom"),
                                  QStringLiteral("Zoom factor (1 = a day)."), QStringLiteral("Z"),
                                  QStringLiteral("1"));
    const QCommandLineOption past(QStringLiteral("scroll-hours"),
                                  QStringLiteral("Scroll this many hours into the past."),
                                  QStringLiteral("H"), QStringLiteral("0"));
    const QCommandLineOption bars(QStringLiteral("bars"), QStringLiteral("Bar style."));
    const QCommandLineOption empty(QStringLiteral("empty"), QStringLiteral("No data at all."));
    const QCommandLineOption reversed(QStringLiteral("reversed"),
                                      QStringLiteral("Now at the left."));
    const QCommandLineOption idiom(QStringLiteral("idiom"), QStringLiteral("phone or tablet."),
                                   QStringLiteral("IDIOM"), QStringLiteral("phone"));
    const QCommandLineOption landscape(QStringLiteral("landscape"),
                                       QStringLiteral("Tablet in landscape."));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      QStringLiteral("Mean seconds between samples."),
                                      QStringLiteral("S"), QStringLiteral("288"));
    parser.addOptions({shot, zoom, past, bars, empty, reversed, idiom, landscape, interval});
    parser.process(app);

    if (parser.value(idiom) == QLatin1String("tablet"))
        MainScreen::setIdiom(UserInterfaceIdiom::Pad);
    MainScreen::setLandscape(parser.isSet(landscape));
    auto curve = std::make_shared<SyntheticBatteryCurve>(Clock::now() - 60, 60,
                                                         parser.value(interval).toDouble());
    DemoGraphController controller(
        curve, {parser.isSet(bars), parser.isSet(reversed), parser.isSet(empty)});
    QWidget* window = DeviceScreenWindow::build(controller.view(), QStringLiteral("Graph demo"));
    window->show();

    GraphViewpoint::zoom(controller, parser.value(zoom).toFloat());
    GraphViewpoint::scrollBack(controller, parser.value(past).toDouble());

    if (!parser.isSet(shot))
        return app.exec();
    DeviceScreenWindow::waitForTiles(window, controller.graphView()->tiledLayer());
    const bool saved = DeviceScreenWindow::save(window, parser.value(shot));
    delete window;
    return saved ? 0 : 1;
}
