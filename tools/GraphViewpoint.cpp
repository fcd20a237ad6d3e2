#include "GraphViewpoint.h"

#include "GraphView.h"
#include "ScrollView.h"
#include "ScrollingGraphViewController.h"

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
