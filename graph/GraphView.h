#pragma once

#include "GraphCoordinates.h"
#include "GraphGeometry.h"
#include "TapRecognizer.h"
#include "TiledLayer.h"
#include "ZoomableView.h"

class GraphDelegate;

// The very wide, transparent drawing surface of a time graph. Time runs along x relative to
// the moment of drawing; everything drawn comes from the GraphDelegate, tile by tile, on the
// tiled layer's worker threads. Taps are recognised here and announced as signals.
class GraphView : public ZoomableView {
    Q_OBJECT
public:
    explicit GraphView(const QRectF& frame, QWidget* parent = nullptr);
    ~GraphView() override;

    float zoomScale() const { return zoomScale_; }
    void setZoomScale(float scale) { zoomScale_ = scale; }
    float pixelsBeyondNow() const { return pixelsBeyondNow_; }
    GraphDelegate* graphDelegate() const { return graphDelegate_; }
    void setGraphDelegate(GraphDelegate* source) { graphDelegate_ = source; }
    bool REVERSED() const { return reversed_; }
    void setREVERSED(bool reversed) { reversed_ = reversed; }
    bool twoFingerTapIsPossible() const { return taps_.twoFingerTapIsPossible(); }
    bool multipleTouches() const { return taps_.multipleTouches(); }
    QPointF tapLocation() const { return taps_.tapLocation(); }

    // The current mapping and the source's drawing style, as values a drawing thread may keep.
    GraphGeometry graphGeometry() const;
    GraphCoordinates graphCoordinates() const;
    float secondsOnScreen() const { return graphGeometry().secondsOnScreen(); }
    float pixelOffset() const { return graphGeometry().pixelOffset(); }
    float pixelsToSecsFactor() const { return graphGeometry().pixelsToSecsFactor(); }
    float pixelsToSecs(float x) const { return graphGeometry().pixelsToSecs(x); }
    float secsToPixels(float s) const { return graphGeometry().secsToPixels(s); }
    float pixelsToOriginSecs(float x) const { return graphGeometry().pixelsToOriginSecs(x); }
    float secsToOriginPixels(float s) const { return graphGeometry().secsToOriginPixels(s); }
    float yValueToPixels(float value, float maxY) const {
        return graphGeometry().yValueToPixels(value, maxY);
    }
    float getXCord(const GraphDataObject& object) const;
    float getYCord(const GraphDataObject& object, const QString& key) const;

    // Draws the tile given by the painter's clip rectangle.
    void drawLayer(QPainter& painter) const;
    // Only the horizontal scale takes effect; an open callout (any subview) is removed.
    void setTransform(const QTransform& transform) override;
    QSizeF sizeThatFits() const;
    static QSizeF defaultSize(float rangeSeconds);
    void clearTileCache();
    // Redraws every tile at the current time; the old ones stay until replaced.
    void setNeedsDisplay();
    TiledLayer& tiledLayer() { return layer_; }

    // Closes an open callout (Esc); false when none was open.
    bool closeOpenCallouts();

    void handleSingleTap();
    void handleDoubleTap();
    void handleTwoFingerTap();
    void touchesBegan(const TouchList& began, int touchesOnView) override;
    void touchesEnded(const TouchList& ended, int touchesOnView) override;
    void touchesCancelled() override;
    TapRecognizer& tapRecognizer() { return taps_; }

    static constexpr int tileWidth = 256;
    static constexpr int tileHeight = 411;

signals:
    // Points are in the graph's own coordinates.
    void gotSingleTapAtPoint(const QPointF& point);
    void gotDoubleTapAtPoint(const QPointF& point);
    void gotTwoFingerTapAtPoint(const QPointF& point);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TiledLayer::TileRenderer tileRenderer() const;
    // Closes the open callouts; true when the tap fell on one.
    bool closeCallouts(const QPointF& tap);

    float zoomScale_ = 1.0f;
    const float pixelsBeyondNow_ = 120.0f;
    GraphDelegate* graphDelegate_ = nullptr;
    bool reversed_ = false;
    TapRecognizer taps_;
    TiledLayer layer_;
};
