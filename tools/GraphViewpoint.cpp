#include "GraphViewpoint.h"

#include "GraphView.h"
#include "MainScreen.h"
#include "ScrollView.h"
#include "ScrollingGraphViewController.h"

#include <QCommandLineParser>

void GraphViewpoint::zoom(ScrollingGraphViewController& controller, float scale) {
    if (!(scale > 0) || scale == 1.0f)
        return;
    ScrollView* scroll = controller.scrollView();
    scroll->setZoomScale(scale);
    controller.scrollViewDidEndZooming(scroll, controller.graphView(), scroll->zoomScale());
}

void GraphViewpoint::scrollBack(ScrollingGraphViewController& controller, double hours) {
    if (hours == 0)
        return;
    GraphView* graph = controller.graphView();
    const double dx = hours * 3600 / graph->pixelsToSecsFactor();
    const QPointF offset = controller.scrollView()->contentOffset();
    controller.scrollView()->setContentOffset(
        QPointF(offset.x() + (graph->REVERSED() ? dx : -dx), offset.y()));
}

GraphViewpoint::Options::Options()
    : screenshot(QStringLiteral("screenshot"), QStringLiteral("Render to a PNG file and quit."),
                 QStringLiteral("FILE")),
      zoom(QStringLiteral("zoom"), QStringLiteral("Zoom factor (1 = a day)."), QStringLiteral("Z"),
           QStringLiteral("1")),
      scrollHours(QStringLiteral("scroll-hours"),
                  QStringLiteral("Scroll this many hours into the past."), QStringLiteral("H"),
                  QStringLiteral("0")),
      idiom(QStringLiteral("idiom"), QStringLiteral("phone or tablet."), QStringLiteral("IDIOM"),
            QStringLiteral("phone")) {}

void GraphViewpoint::Options::addTo(QCommandLineParser& parser) const {
    parser.addOptions({screenshot, zoom, scrollHours, idiom});
}

void GraphViewpoint::Options::applyIdiom(const QCommandLineParser& parser) const {
    if (parser.value(idiom) == QLatin1String("tablet"))
        MainScreen::setIdiom(UserInterfaceIdiom::Pad);
}

void GraphViewpoint::Options::applyView(const QCommandLineParser& parser,
                                        ScrollingGraphViewController& controller) const {
    GraphViewpoint::zoom(controller, parser.value(zoom).toFloat());
    GraphViewpoint::scrollBack(controller, parser.value(scrollHours).toDouble());
}
