#pragma once

#include "GraphDelegate.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "GraphView.h"
#include "ScrollView.h"
class UIBackgroundView;
class ZoomableView;

// Hosts a GraphView in a scrolling, zooming container: folds every finished zoom into the
// graph's width and zoom factor, zooms in on a double tap and out on a two-finger tap, lays the
// views out for phone and tablet, and redraws the graph as time passes. Subclasses supply the
// data (as the graph's data source) and the time ranges.
class ScrollingGraphViewController : public QObject, public GraphDelegate {
    Q_OBJECT
public:
    explicit ScrollingGraphViewController(QObject* parent = nullptr);
    ~ScrollingGraphViewController() override;

    // The root view, built on first use.
    QWidget* view();
    bool isViewLoaded() const { return !rootView_.isNull(); }
    GraphView* graphView() const { return graphView_; }
    ScrollView* scrollView() const { return scrollView_; }
    bool amZooming() const { return amZooming_; }
    void setAmZooming(bool zooming) { amZooming_ = zooming; }

    // Seconds across the whole graph, and across one screen width when first shown.
    virtual float xWholeValueRange() const = 0;
    virtual float xDefaultScreenValueRange() const = 0;
    // The view behind the scroll view; none by default.
    virtual UIBackgroundView* backgroundView() { return nullptr; }

    virtual void loadView();
    virtual void viewDidAppear();
    virtual void viewDidDisappear();
    virtual void viewDidUnload();
    int supportedInterfaceOrientations() const { return 30; }
    virtual void didRotateFromInterfaceOrientation();
    virtual void layoutSubviews();
    // The screen took a new size (a resizable window): the graph keeps its time scale unless
    // the idiom changed, and keeps the time shown at its edge nearest "now".
    void didResizeScreen();

    // Keyboard navigation: scrolls by a fraction of the visible width (negative into the past
    // on a graph whose present is on the right), zooms about the middle, returns to the present.
    void scrollByScreens(double screens);
    void zoomAboutCentre(float factor);
    void scrollToNow();

    GraphView* viewForZoomingInScrollView(ScrollView* scrollView) const;
    virtual void scrollViewDidEndZooming(ScrollView* scrollView, ZoomableView* view, float scale);
    virtual void scrollViewDidScroll(ScrollView*) {}

    // The graph's taps, connected when the view loads.
    void gotDoubleTapAtPoint(const QPointF& point);
    void gotTwoFingerTapAtPoint(const QPointF& point);
    QRectF zoomRectForScale(float scale, const QPointF& center) const;

    void setupUpdateTimer();
    void stopUpdateTimer();
    void updateGraph();
    bool updateTimerActive() const { return updateTimer_.isActive(); }
    double updateTimerDelaySeconds() const { return updateDelaySeconds_; }

    static constexpr float minimumZoomScale = 0.03125f;
    static constexpr float maximumZoomScale = 32.1f;
    static constexpr float doubleTapZoom = 2.0f;
    static constexpr float twoFingerTapZoom = 0.5f;
    static constexpr int resizeSettleMs = 150;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Replaces the root view, which the controller owns.
    void setRootView(QWidget* view);

private:
    float newContentOffsetX(float offsetX, float scale, float newZoom) const;

    QPointer<QWidget> rootView_;
    QPointer<GraphView> graphView_;
    QPointer<ScrollView> scrollView_;
    bool amZooming_ = false;
    QTimer updateTimer_;
    // Tiles drawn for the old height are redrawn once a resize pauses, not on every step of it.
    QTimer resizeSettle_;
    double updateDelaySeconds_ = 0;
};
