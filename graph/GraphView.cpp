#include "GraphView.h"

#include "CustomCalloutView.h"
#include "GraphDelegate.h"
#include "GraphTileRenderer.h"
#include "MainScreen.h"
#include "NearestPoint.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

GraphView::GraphView(const QRectF& frame, QWidget* parent)
    : ZoomableView(frame, parent), layer_(QSize(tileWidth, tileHeight)) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_AcceptTouchEvents);
    layer_.setRendererFactory([this] { return tileRenderer(); });
    connect(&layer_, &TiledLayer::tileReady, this, [this](const QRectF& rect) {
        const QTransform t = transform();
        update(QRectF(rect.x() * t.m11(), rect.y(), rect.width() * t.m11(), rect.height())
                   .toAlignedRect());
    });
    connect(&taps_, &TapRecognizer::singleTap, this, &GraphView::handleSingleTap);
    connect(&taps_, &TapRecognizer::doubleTap, this, &GraphView::handleDoubleTap);
    connect(&taps_, &TapRecognizer::twoFingerTap, this, &GraphView::handleTwoFingerTap);
}

GraphView::~GraphView() = default;

GraphGeometry GraphView::graphGeometry() const {
    GraphGeometry g;
    g.width = static_cast<float>(boundsSize().width());
    g.height = static_cast<float>(boundsSize().height());
    g.zoomScale = zoomScale_;
    g.pixelsBeyondNow = pixelsBeyondNow_;
    g.reversed = reversed_;
    if (graphDelegate_) {
        g.xRange = graphDelegate_->xRange();
        g.bottomClearance = graphDelegate_->yBottomClearance().value_or(0.0f);
    }
    return g;
}

GraphCoordinates GraphView::graphCoordinates() const {
    return GraphCoordinates(graphGeometry(),
                            graphDelegate_ ? GraphStyle::of(*graphDelegate_) : GraphStyle());
}

float GraphView::getXCord(const GraphDataObject& object) const {
    return graphDelegate_ ? graphCoordinates().getXCord(object) : 0;
}

float GraphView::getYCord(const GraphDataObject& object, const QString& key) const {
    return graphDelegate_ ? graphCoordinates().getYCord(object, key) : 0;
}

void GraphView::drawLayer(QPainter& painter) const {
    if (graphDelegate_)
        GraphTileRenderer(graphCoordinates(), graphDelegate_->dataFetch()).draw(painter);
}

TiledLayer::TileRenderer GraphView::tileRenderer() const {
    if (!graphDelegate_)
        return [](QPainter&) {};
    return [renderer = GraphTileRenderer(graphCoordinates(), graphDelegate_->dataFetch())](
               QPainter& painter) { renderer.draw(painter); };
}

void GraphView::setTransform(const QTransform& transform) {
    ZoomableView::setTransform(QTransform(transform.m11(), 0, 0, 1, 0, 0));
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        child->hide();
        child->deleteLater();
    }
}

QSizeF GraphView::sizeThatFits() const {
    const QSizeF size = defaultSize(graphDelegate_ ? graphDelegate_->xRange() : 0);
    return QSizeF(size.width() * zoomScale_, size.height());
}

QSizeF GraphView::defaultSize(float rangeSeconds) {
    const QRectF a = MainScreen::applicationFrame();
    return QSizeF(rangeSeconds * MainScreen::layoutWidth() / 86400.0,
                  a.height() - MainScreen::navigationBarHeight - MainScreen::statusBarHeight);
}

void GraphView::clearTileCache() {
    layer_.clear();
    update();
}

void GraphView::setNeedsDisplay() {
    layer_.invalidate();
    update();
}

void GraphView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const qreal sx = transform().m11() > 0 ? transform().m11() : 1.0;
    painter.scale(sx, 1.0);
    const QRectF exposed(event->rect().x() / sx, event->rect().y(), event->rect().width() / sx,
                         event->rect().height());
    const QRectF visible = visibleRegion().boundingRect();
    layer_.setVisibleRect(
        QRectF(visible.x() / sx, visible.y(), visible.width() / sx, visible.height()));
    // Mid-zoom the cached tiles are stretched, and the ones missing, as a pinch outwards
    // uncovers more of the graph, are drawn at the scale the zoom started from; the fold
    // redraws everything at the new scale.
    layer_.paint(painter, exposed, boundsSize(), devicePixelRatioF());
}

bool GraphView::closeCallouts(const QPointF& tap) {
    bool onCallout = false;
    for (CustomCalloutView* callout :
         findChildren<CustomCalloutView*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!callout->isOpen())
            continue;
        onCallout = onCallout || callout->bubbleContains(tap);
        callout->touchesEnded();
    }
    return onCallout;
}

bool GraphView::closeOpenCallouts() {
    bool closed = false;
    for (CustomCalloutView* callout :
         findChildren<CustomCalloutView*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (callout->isOpen()) {
            callout->touchesEnded();
            closed = true;
        }
    }
    return closed;
}

void GraphView::handleSingleTap() {
    const QPointF tap = tapLocation();
    // A finger's tap reaches the graph even over a callout (a mouse click stays with the
    // callout): one on the callout only closes it, one elsewhere closes it and goes on.
    if (closeCallouts(tap))
        return;
    emit gotSingleTapAtPoint(tap);
    if (!graphDelegate_)
        return;
    const GraphCoordinates coordinates = graphCoordinates();
    const GraphGeometry& g = coordinates.geometry();
    const float t = g.pixelsToOriginSecs(static_cast<float>(tap.x()));
    const float h = std::trunc(g.secondsOnScreen() / 10);
    // As many columns as the window spans on screen, so that what can be hit is what is drawn.
    const float perPoint = g.pixelsToSecsFactor();
    const int columns =
        perPoint > 0 && std::isfinite(perPoint) ? static_cast<int>(std::ceil(2 * h / perPoint)) : 0;
    const GraphData data = graphDelegate_->dataFetch()(t - h, t + h, columns);
    const std::optional<NearestPoint> hit = findNearestPoint(coordinates, data, tap);
    if (hit)
        graphDelegate_->objectSelected(data[hit->index], hit->location, hit->key);
}

void GraphView::handleDoubleTap() {
    emit gotDoubleTapAtPoint(tapLocation());
}

void GraphView::handleTwoFingerTap() {
    emit gotTwoFingerTapAtPoint(tapLocation());
}

void GraphView::touchesBegan(const TouchList&, int touchesOnView) {
    taps_.touchesBegan(touchesOnView);
}

void GraphView::touchesEnded(const TouchList& ended, int touchesOnView) {
    taps_.touchesEnded(ended, touchesOnView);
}

void GraphView::touchesCancelled() {
    taps_.touchesCancelled();
}
