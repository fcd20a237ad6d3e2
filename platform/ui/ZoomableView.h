#pragma once

#include "Touch.h"

#include <QTransform>
#include <QWidget>

// A view that a ScrollView can zoom. Like a view with a transform, it has bounds (its own
// coordinate space, which drawing and taps use) and a frame (where it sits in its parent, the
// bounds scaled by the transform). Input reaches it as touches already mapped to its bounds.
class ZoomableView : public QWidget {
    Q_OBJECT
public:
    explicit ZoomableView(const QRectF& frame, QWidget* parent = nullptr);

    QSizeF boundsSize() const { return bounds_; }
    QRectF frame() const;
    // Sets the frame with the current transform reset to identity, as a finished zoom does.
    void setFrame(const QRectF& frame);
    QTransform transform() const { return transform_; }
    virtual void setTransform(const QTransform& transform);

    // Positions the widget for a scroll position; the frame itself stays in content coordinates.
    void placeAt(const QPointF& contentOffset);
    QPointF mapToBounds(const QPointF& widgetPoint) const;

    virtual void touchesBegan(const TouchList& began, int touchesOnView);
    virtual void touchesEnded(const TouchList& ended, int touchesOnView);
    virtual void touchesCancelled();

private:
    void applyGeometry();

    QPointF origin_;
    QSizeF bounds_;
    QTransform transform_;
    QPointF contentOffset_;
};
