#pragma once

#include <QPointF>

class GraphView;

// Listener for the taps a GraphView recognises; points are in the graph's coordinates.
class TapDetectingViewDelegate {
public:
    virtual ~TapDetectingViewDelegate() = default;
    virtual void gotSingleTapAtPoint(GraphView*, const QPointF&) {}
    virtual void gotDoubleTapAtPoint(GraphView*, const QPointF&) {}
    virtual void gotTwoFingerTapAtPoint(GraphView*, const QPointF&) {}
};
