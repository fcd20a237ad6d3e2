#pragma once

#include <QPointer>
#include <QWidget>

#include "GraphView.h"

// A view placed behind the scrolling graph; it knows the graph so that it can draw in step
// with it.
class UIBackgroundView : public QWidget {
    Q_OBJECT
public:
    explicit UIBackgroundView(const QRectF& frame, QWidget* parent = nullptr);

    GraphView* graphView() const { return graphView_; }
    void setGraphView(GraphView* view) { graphView_ = view; }

private:
    QPointer<GraphView> graphView_;
};
