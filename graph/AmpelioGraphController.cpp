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
}

AmpelioGraphController::~AmpelioGraphController() {
    // The tile threads call back into this object; they must end before its members do.
    ScrollingGraphViewController::viewDidUnload();
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
    const double p = graphView()->pixelsBeyondNow();
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
    batteryLogHandler_.setVisibleRange(static_cast<int>(left), static_cast<int>(right));
    if (decorationsView_)
        decorationsView_->updateTimeLabels();
}

std::optional<bool> AmpelioGraphController::xAxisReversed() const {
    return batteryLogHandler_.xAxisIsReversed();
}

// On a tile thread: a read context of its own, never the log's main context.
GraphData AmpelioGraphController::dataFromX(float fromSecs, float toSecs) const {
    GraphData data;
    if (storePath_.isEmpty())
        return data;
    ReadContext context(storePath_);
    const double later = Clock::now() + static_cast<double>(std::max(fromSecs, toSecs));
    const double earlier = Clock::now() + static_cast<double>(std::min(fromSecs, toSecs));
    appendEvents(data, context.executeFetchRequest({std::nullopt, earlier, false, 1}));
    appendEvents(data, context.executeFetchRequest({earlier, later, true, fetchLimit}));
    appendEvents(data, context.executeFetchRequest({later, std::nullopt, true, 1}));
    return data;
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
