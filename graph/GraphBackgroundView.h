#pragma once

#include "UIBackgroundView.h"

class QPainter;

// The opaque white view behind the graph: the level grid with its 0% to 100% labels, in the
// graph's own vertical mapping, and two arrows along the bottom naming past and future.
class GraphBackgroundView : public UIBackgroundView {
    Q_OBJECT
public:
    explicit GraphBackgroundView(const QRectF& frame, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawGrid(QPainter& painter) const;
    void drawDirections(QPainter& painter) const;
    float levelY(float value) const;
    float bottomClearance() const;
};
