// Shows the graph engine on its own over a synthetic battery curve, without a log. Not part of
// the application: for looking at the graph while the battery screen is being built.
#include "Clock.h"
#include "DemoGraphController.h"
#include "GraphView.h"
#include "MainScreen.h"
#include "ScrollView.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLabel>
#include <QThread>

#include <cstdio>

namespace {
// The device screen: a status strip, the screen's content and an empty tab bar.
QWidget* buildWindow(QWidget* content) {
    auto* window = new QWidget;
    const QRectF screen = MainScreen::bounds();
    window->setFixedSize(screen.size().toSize());
    window->setWindowTitle(QStringLiteral("Ampelio graph"));
    auto* status = new QLabel(QStringLiteral("Graph demo"), window);
    status->setAlignment(Qt::AlignCenter);
    status->setGeometry(0, 0, window->width(), 20);
    status->setStyleSheet(QStringLiteral("background: #222; color: white; font-size: 11px;"));
    auto* area = new QWidget(window);
    area->setGeometry(MainScreen::applicationFrame().toRect());
    content->setParent(area);
    auto* tabBar = new QWidget(window);
    tabBar->setGeometry(0, window->height() - 49, window->width(), 49);
    tabBar->setStyleSheet(QStringLiteral("background: #333;"));
    return window;
}

// Paints until every visible tile has arrived, so that the picture is complete.
void waitForTiles(QWidget* window, TiledLayer& layer) {
    window->grab();
    QElapsedTimer elapsed;
    elapsed.start();
    while (layer.pendingTileCount() > 0 && elapsed.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}
} // namespace

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
    QWidget* window = buildWindow(controller.view());
    window->show();

    const float z = parser.value(zoom).toFloat();
    if (z > 0 && z != 1.0f) {
        // Fold the zoom in as a finished pinch would.
        ScrollView* scroll = controller.scrollView();
        scroll->setZoomScale(z);
        controller.scrollViewDidEndZooming(scroll, controller.graphView(), scroll->zoomScale());
    }
    const double hours = parser.value(past).toDouble();
    if (hours != 0) {
        GraphView* graph = controller.graphView();
        const float dx = hours * 3600 / graph->pixelsToSecsFactor();
        const QPointF offset = controller.scrollView()->contentOffset();
        controller.scrollView()->setContentOffset(
            QPointF(offset.x() + (graph->REVERSED() ? dx : -dx), offset.y()));
    }

    if (!parser.isSet(shot))
        return app.exec();
    waitForTiles(window, controller.graphView()->tiledLayer());
    if (!window->grab().save(parser.value(shot))) {
        std::fprintf(stderr, "Could not write %s\n", qPrintable(parser.value(shot)));
        return 1;
    }
    delete window;
    return 0;
}
