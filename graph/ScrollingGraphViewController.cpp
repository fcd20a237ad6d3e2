#include "ScrollingGraphViewController.h"

#include "GraphView.h"
#include "MainScreen.h"
#include "ScrollView.h"
#include "UIBackgroundView.h"

#include <QEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
struct Layout {
    qreal graphHeight;
    QRectF scrollFrame;
};

// The graph fills the screen below the status strip and above the tab bar's share; for the
// fixed device screens this is 320x416, 768x960 and 1024x704.
Layout layoutForScreen() {
    const QRectF b = MainScreen::bounds();
    const qreal height = b.height() - MainScreen::statusBarHeight - MainScreen::navigationBarHeight;
    return {height, QRectF(0, 0, b.width(), height)};
}

// Where "now" lies across a graph of this width.
double nowX(double width, bool reversed, double pixelsBeyondNow) {
    return reversed ? pixelsBeyondNow : width - pixelsBeyondNow;
}
} // namespace

ScrollingGraphViewController::ScrollingGraphViewController(QObject* parent) : QObject(parent) {
    resizeSettle_.setSingleShot(true);
    resizeSettle_.setInterval(resizeSettleMs);
    connect(&resizeSettle_, &QTimer::timeout, this, [this] {
        if (graphView_)
            graphView_->setNeedsDisplay();
    });
    updateTimer_.setSingleShot(true);
    connect(&updateTimer_, &QTimer::timeout, this, &ScrollingGraphViewController::updateGraph);
}

ScrollingGraphViewController::~ScrollingGraphViewController() {
    stopUpdateTimer();
    delete rootView_.data(); // the controller owns its views
}

QWidget* ScrollingGraphViewController::view() {
    if (!rootView_)
        loadView();
    return rootView_;
}

void ScrollingGraphViewController::setRootView(QWidget* view) {
    if (rootView_ == view)
        return;
    if (rootView_)
        rootView_->deleteLater();
    rootView_ = view;
    if (view)
        view->installEventFilter(this);
}

bool ScrollingGraphViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == rootView_ && event->type() == QEvent::Show)
        viewDidAppear();
    else if (watched == rootView_ && event->type() == QEvent::Hide)
        viewDidDisappear();
    return QObject::eventFilter(watched, event);
}

void ScrollingGraphViewController::loadView() {
    const QRectF app = MainScreen::applicationFrame();
    const QRectF rootFrame(0, 0, app.width(), app.height() - MainScreen::tabBarHeight);
    const float w = static_cast<float>(rootFrame.width());
    // One default screen range spans the idiom's screen width, whatever the window's width.
    const float contentWidth = static_cast<float>(MainScreen::layoutWidth()) *
                               (xWholeValueRange() / xDefaultScreenValueRange());

    auto* scroll = new ScrollView(rootFrame);
    scroll->setContentSize(QSizeF(contentWidth, scroll->height()));
    scroll->setMinimumZoomScale(minimumZoomScale);
    scroll->setMaximumZoomScale(maximumZoomScale);
    connect(scroll, &ScrollView::didScroll, this, [this, scroll] { scrollViewDidScroll(scroll); });
    connect(scroll, &ScrollView::didEndZooming, this,
            [this, scroll](ZoomableView* view, float scale) {
                scrollViewDidEndZooming(scroll, view, scale);
            });
    scrollView_ = scroll;
    const std::optional<bool> reversed = xAxisReversed();
    if (!reversed.value_or(false))
        scroll->setContentOffset(QPointF(contentWidth - w, 0));

    auto* graph = new GraphView(QRectF(0, 0, contentWidth, scroll->contentSize().height()));
    graphView_ = graph;
    if (reversed)
        graph->setREVERSED(*reversed);
    graph->setGraphDelegate(this);
    connect(graph, &GraphView::gotDoubleTapAtPoint, this,
            &ScrollingGraphViewController::gotDoubleTapAtPoint);
    connect(graph, &GraphView::gotTwoFingerTapAtPoint, this,
            &ScrollingGraphViewController::gotTwoFingerTapAtPoint);

    if (UIBackgroundView* background = backgroundView()) {
        background->setGraphView(graph);
        scroll->setParent(background);
        scroll->show();
        setRootView(background);
    } else {
        setRootView(scroll);
    }
    scroll->setZoomView(viewForZoomingInScrollView(scroll));
    layoutSubviews();
}

GraphView* ScrollingGraphViewController::viewForZoomingInScrollView(ScrollView*) const {
    return graphView_;
}

void ScrollingGraphViewController::viewDidAppear() {
    setupUpdateTimer();
    layoutSubviews();
}

void ScrollingGraphViewController::viewDidDisappear() {
    stopUpdateTimer();
}

void ScrollingGraphViewController::viewDidUnload() {
    stopUpdateTimer();
    delete rootView_.data();
}

void ScrollingGraphViewController::didRotateFromInterfaceOrientation() {
    if (!graphView_)
        return;
    rootView_->update();
    layoutSubviews();
    graphView_->clearTileCache();
    graphView_->setNeedsDisplay();
}

void ScrollingGraphViewController::didResizeScreen() {
    if (!graphView_ || !scrollView_)
        return;
    ScrollView* scroll = scrollView_;
    const double oldWidth = scroll->width();
    const double oldContent = std::max(1.0, scroll->contentSize().width());
    const double offset = scroll->contentOffset().x();
    const bool reversed = graphView_->REVERSED();
    // The edge nearest "now" keeps the time it shows, so a graph at the present stays there.
    const double edgeFraction = reversed ? offset / oldContent : (offset + oldWidth) / oldContent;
    const QSizeF fits = graphView_->sizeThatFits();
    const bool rescaled = std::abs(fits.width() - graphView_->frame().width()) > 0.5;
    if (rescaled)
        graphView_->setFrame(QRectF(0, 0, fits.width(), graphView_->frame().height()));
    const qreal oldHeight = graphView_->frame().height();
    layoutSubviews();
    const double newContent = scroll->contentSize().width();
    const double newOffset =
        reversed ? edgeFraction * newContent : edgeFraction * newContent - scroll->width();
    if (rescaled)
        graphView_->clearTileCache();
    else if (graphView_->frame().height() != oldHeight)
        resizeSettle_.start(); // redraw once the drag pauses; until then the old tiles show
    scroll->setContentOffset(
        QPointF(std::clamp(newOffset, 0.0, std::max(0.0, newContent - scroll->width())),
                scroll->contentOffset().y()));
    scrollViewDidScroll(scroll);
}

void ScrollingGraphViewController::scrollByScreens(double screens) {
    if (!scrollView_)
        return;
    const double width = scrollView_->width();
    const double limit = std::max(0.0, scrollView_->contentSize().width() - width);
    const double x = std::clamp(scrollView_->contentOffset().x() + screens * width, 0.0, limit);
    scrollView_->setContentOffset(QPointF(x, scrollView_->contentOffset().y()));
}

void ScrollingGraphViewController::zoomAboutCentre(float factor) {
    if (!scrollView_ || !graphView_)
        return;
    const QPointF centre(scrollView_->width() * 0.5, scrollView_->height() * 0.5);
    scrollView_->zoomToRect(zoomRectForScale(factor, scrollView_->toBounds(centre)), false);
}

void ScrollingGraphViewController::scrollToNow() {
    if (!scrollView_ || !graphView_)
        return;
    const double width = scrollView_->width();
    const double x =
        graphView_->REVERSED() ? 0.0 : std::max(0.0, scrollView_->contentSize().width() - width);
    scrollView_->setContentOffset(QPointF(x, scrollView_->contentOffset().y()));
}

void ScrollingGraphViewController::layoutSubviews() {
    if (graphView_ && scrollView_) {
        const Layout layout = layoutForScreen();
        graphView_->setFrame(QRectF(0, 0, graphView_->frame().width(), layout.graphHeight));
        scrollView_->setGeometry(layout.scrollFrame.toRect());
        rootView_->setGeometry(layout.scrollFrame.toRect());
        scrollView_->setContentSize(graphView_->frame().size());
    }
    setupUpdateTimer();
}

void ScrollingGraphViewController::scrollViewDidEndZooming(ScrollView* scroll, ZoomableView*,
                                                           float scale) {
    if (!graphView_ || !scroll)
        return;
    amZooming_ = true;
    const float z = graphView_->zoomScale();
    const float newZoom = std::clamp(z * scale, minimumZoomScale, maximumZoomScale);
    const QPointF offset = scroll->contentOffset();
    const float newOffsetX = newContentOffsetX(static_cast<float>(offset.x()), scale, newZoom);

    scroll->setZoomScale(1.0f, false);
    scroll->setMinimumZoomScale(minimumZoomScale / newZoom);
    scroll->setMaximumZoomScale(maximumZoomScale / newZoom);
    graphView_->setZoomScale(newZoom);
    const QSizeF size = graphView_->sizeThatFits();
    graphView_->setFrame(QRectF(QPointF(0, 0), size));
    scroll->setContentSize(size);
    scroll->setContentOffset(QPointF(newOffsetX, offset.y()), false);

    layoutSubviews();
    graphView_->clearTileCache();
    graphView_->setNeedsDisplay();
    amZooming_ = false;
    // The offset was set while folding, when scrolls are not reported: report the final window.
    scrollViewDidScroll(scroll);
}

float ScrollingGraphViewController::newContentOffsetX(float offsetX, float scale,
                                                      float newZoom) const {
    const bool reversed = graphView_->REVERSED();
    const float p = reversed ? graphView_->pixelsBeyondNow() : -graphView_->pixelsBeyondNow();
    if (newZoom == graphView_->zoomScale() * scale) {
        // "Now" keeps its place on screen while the margin beyond it returns to its width.
        const float e = scale;
        return p + e * (offsetX / e - p);
    }
    // The zoom was clamped, so the graph grows by less than the pinch did: keep "now" where
    // it was on screen by measuring it in the pinched content and in the new graph.
    const double margin = graphView_->pixelsBeyondNow();
    const double before = nowX(graphView_->boundsSize().width(), reversed, margin) * scale;
    const double after =
        nowX(graphView_->defaultSize(xRange()).width() * newZoom, reversed, margin);
    return static_cast<float>(offsetX + after - before);
}

void ScrollingGraphViewController::gotDoubleTapAtPoint(const QPointF& point) {
    if (scrollView_)
        scrollView_->zoomToRect(zoomRectForScale(doubleTapZoom, point), true);
}

void ScrollingGraphViewController::gotTwoFingerTapAtPoint(const QPointF& point) {
    if (scrollView_)
        scrollView_->zoomToRect(zoomRectForScale(twoFingerTapZoom, point), true);
}

QRectF ScrollingGraphViewController::zoomRectForScale(float scale, const QPointF& center) const {
    const QSizeF bounds = rootView_ ? QSizeF(rootView_->size()) : QSizeF();
    const float width = static_cast<float>(bounds.width() / scale);
    const float height = static_cast<float>(bounds.height() / scale);
    const float x = static_cast<float>(center.x() - width * 0.5);
    const float y = static_cast<float>(center.y() - height * 0.5);
    return QRectF(x, y, width, height);
}

void ScrollingGraphViewController::setupUpdateTimer() {
    stopUpdateTimer();
    if (!graphView_)
        return;
    const float delay = graphView_->pixelsToSecsFactor() * 5.0f;
    updateDelaySeconds_ = delay;
    // A graph without a time scale would otherwise redraw in a busy loop.
    if (!(delay > 0) || !std::isfinite(delay))
        return;
    const double ms = std::min(updateDelaySeconds_ * 1000.0,
                               static_cast<double>(std::numeric_limits<int>::max()));
    updateTimer_.start(static_cast<int>(std::llround(ms)));
}

void ScrollingGraphViewController::stopUpdateTimer() {
    updateTimer_.stop();
}

void ScrollingGraphViewController::updateGraph() {
    if (rootView_ && rootView_->isVisible() && graphView_)
        graphView_->setNeedsDisplay();
    setupUpdateTimer();
}
