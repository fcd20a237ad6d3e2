#include "AmpelioGraphController.h"

#include "BatteryLogHandler.h"
#include "Clock.h"
#include "DecorationsView.h"
#include "EventGraphObject.h"
#include "EventStore.h"
#include "GraphBackgroundView.h"
#include "MainScreen.h"
#include "PointClickedView.h"
#include "ReadContext.h"
#include "ResourceImage.h"
#include "WindowSampler.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int badgePoints = 29;

void appendEvents(GraphData& data, const QList<Event>& events) {
    for (const Event& event : events)
        data.append(std::make_shared<EventGraphObject>(event));
}
QString storePathOf(BatteryLogHandler& handler) {
    EventStore* store = handler.persistentStoreCoordinator();
    return store && store->hasStore() ? store->path() : QString();
}
} // namespace

AmpelioGraphController::AmpelioGraphController(BatteryLogHandler& handler, QObject* parent)
    : ScrollingGraphViewController(parent), batteryLogHandler_(handler),
      storePath_(storePathOf(handler)),
      imageCharging_(ResourceImage::bitmap(QStringLiteral("bullet-charging"), badgePoints)),
      imageFull_(ResourceImage::bitmap(QStringLiteral("bullet-full"), badgePoints)),
      imageOnbattery_(ResourceImage::bitmap(QStringLiteral("bullet-onbattery"), badgePoints)) {
    StateBadges states{QStringLiteral("batteryState"), {}};
    // A missing picture leaves its state without a badge.
    const std::pair<int, const QImage*> badges[] = {
        {1, &imageOnbattery_}, {2, &imageCharging_}, {3, &imageFull_}};
    for (const auto& [state, image] : badges) {
        if (!image->isNull())
            states.imageForValue.insert(state, *image);
    }
    stateChangeBadges_.append(states);
    connect(&handler, &BatteryLogHandler::dataChanged, this, &AmpelioGraphController::dataChanged);
    connect(this, &AmpelioGraphController::visibleRangeChanged, &handler,
            &BatteryLogHandler::setVisibleRange);
}

void AmpelioGraphController::dataChanged(int) {
    if (decorationsView_)
        decorationsView_->updateTimeLabels();
    updateGraph();
}

TabBarItem AmpelioGraphController::tabBarItem() const {
    return TabBarItem{QStringLiteral("Graph"), ResourceImage::icon(QStringLiteral("16-line-chart")),
                      0};
}

UIBackgroundView* AmpelioGraphController::backgroundView() {
    // The area of the tab screens; the layout later fits the background to the scroll view.
    const QRectF f(QPointF(0, 0), MainScreen::applicationFrame().size());
    auto* background = new GraphBackgroundView(QRectF(f.x(), f.y() + 5, f.width(), f.height() - 5));
    decorationsView_ =
        new DecorationsView(QRectF(background->geometry()), batteryLogHandler_, background);
    return background;
}

void AmpelioGraphController::loadView() {
    ScrollingGraphViewController::loadView();
    viewDidLoad();
}

void AmpelioGraphController::viewDidLoad() {
    // So that the log and the labels learn the window shown first.
    if (scrollView())
        scrollViewDidScroll(scrollView());
}

void AmpelioGraphController::viewDidUnload() {
    ScrollingGraphViewController::viewDidUnload();
    decorationsView_ = nullptr;
}

void AmpelioGraphController::layoutSubviews() {
    ScrollingGraphViewController::layoutSubviews();
    QWidget* root = isViewLoaded() ? view() : nullptr;
    if (!decorationsView_ || !root)
        return;
    const float clearance = yBottomClearance().value_or(0.0f);
    decorationsView_->setGeometry(root->geometry().translated(0, -qRound(clearance)));
    decorationsView_->layoutSubviews(); // a hidden view gets no resize event until shown
}

void AmpelioGraphController::didRotateFromInterfaceOrientation() {
    ScrollingGraphViewController::didRotateFromInterfaceOrientation();
    if (decorationsView_)
        decorationsView_->updateTimeLabels();
}

void AmpelioGraphController::scrollViewDidScroll(ScrollView* scroll) {
    if (amZooming() || !scroll || !graphView())
        return;
    const double b = scroll->width();
    const double c = scroll->contentSize().width();
    const double r = xWholeValueRange();
    // Mid-zoom the margin beyond now is scaled with the rest of the graph.
    const double p = graphView()->pixelsBeyondNow() * graphView()->transform().m11();
    const double o = scroll->contentOffset().x();
    const double span = r / (c / b);
    double left = 0;
    double right = 0;
    if (!xAxisReversed().value_or(false)) {
        left = r * (c - o - p) / c;
        right = left - span;
    } else {
        left = r * (o - p) / c;
        right = span + left;
    }
    visibleBeginAge_ = static_cast<int>(left);
    visibleEndAge_ = static_cast<int>(right);
    emit visibleRangeChanged(visibleBeginAge_, visibleEndAge_);
    if (decorationsView_)
        decorationsView_->updateTimeLabels();
}

std::optional<bool> AmpelioGraphController::xAxisReversed() const {
    return batteryLogHandler_.xAxisIsReversed();
}

GraphFetch AmpelioGraphController::dataFetch() const {
    return [path = storePath_](float fromSecs, float toSecs, int columns) {
        GraphData data;
        if (path.isEmpty())
            return data;
        // On a tile thread: a read context of its own, never the log's main context.
        ReadContext context(path);
        const double now = Clock::now();
        const double later = now + static_cast<double>(std::max(fromSecs, toSecs));
        const double earlier = now + static_cast<double>(std::min(fromSecs, toSecs));
        appendEvents(data, context.executeFetchRequest({std::nullopt, earlier, false, 1}));
        // The whole window in one pass, thinned to what its columns can show; a caller that
        // names no columns gets about as many points as a window used to hold.
        WindowSampler sampler(earlier, later, columns > 0 ? columns : fetchLimit / 2, fetchLimit);
        context.forEachBetween(earlier, later, [&sampler](const Event& event) {
            sampler.add(event);
            return true;
        });
        appendEvents(data, sampler.take());
        appendEvents(data, context.executeFetchRequest({later, std::nullopt, true, 1}));
        return data;
    };
}

void AmpelioGraphController::objectSelected(const GraphDataObjectPtr& object,
                                            const QPointF& location, const QString& key) {
    const auto* sample = dynamic_cast<const EventGraphObject*>(object.get());
    if (!sample)
        return;
    PointClickedView selection;
    selection.setLogHandler(&batteryLogHandler_);
    selection.touchedPoint(location, sample->event(), key, graphView());
}
