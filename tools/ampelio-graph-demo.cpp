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
    const GraphViewpoint::Options view;
    const QCommandLineOption bars(QStringLiteral("bars"), QStringLiteral("Bar style."));
    const QCommandLineOption empty(QStringLiteral("empty"), QStringLiteral("No data at all."));
    const QCommandLineOption reversed(QStringLiteral("reversed"),
                                      QStringLiteral("Now at the left."));
    const QCommandLineOption landscape(QStringLiteral("landscape"),
                                       QStringLiteral("Tablet in landscape."));
    const QCommandLineOption interval(QStringLiteral("interval"),
                                      QStringLiteral("Mean seconds between samples."),
                                      QStringLiteral("S"), QStringLiteral("288"));
    view.addTo(parser);
    parser.addOptions({bars, empty, reversed, landscape, interval});
    parser.process(app);

    view.applyIdiom(parser);
    MainScreen::setLandscape(parser.isSet(landscape));
    auto curve = std::make_shared<SyntheticBatteryCurve>(Clock::now() - 60, 60,
                                                         parser.value(interval).toDouble());
    DemoGraphController controller(
        curve, {parser.isSet(bars), parser.isSet(reversed), parser.isSet(empty)});
    QWidget* window = DeviceScreenWindow::build(controller.view(), QStringLiteral("Graph demo"));
    window->show();

    view.applyView(parser, controller);

    if (!parser.isSet(view.screenshot))
        return app.exec();
    DeviceScreenWindow::waitForTiles(window, controller.graphView()->tiledLayer());
    const bool saved = DeviceScreenWindow::save(window, parser.value(view.screenshot));
    delete window;
    return saved ? 0 : 1;
}
