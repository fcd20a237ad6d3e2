#include "PointClickedView.h"

#include "BatteryLogHandler.h"
#include "CustomCalloutView.h"
#include "DateIntervalFormatter.h"
#include "DateTimeFormatter.h"
#include "Device.h"
#include "EventStateText.h"
#include "GraphBubbleView.h"
#include "LogCategories.h"
#include "StatisticsHandler.h"
#include "StatisticsRange.h"

#include <cmath>
#include <limits>

namespace {
constexpr float week = 604800.0f;
constexpr int oldestAge = std::numeric_limits<int>::max();

QString describe(const Event& event) {
    return QString::asprintf("<Event date=%.0f level=%.2f state=%d>", event.creationDate,
                             static_cast<double>(event.batteryLevel), event.batteryState);
}

QString describe(const QList<Event>& events) {
    if (events.isEmpty())
        return QStringLiteral("()");
    return QString::asprintf("(%d samples, %s ... %s)", static_cast<int>(events.size()),
                             qUtf8Printable(describe(events.first())),
                             qUtf8Printable(describe(events.last())));
}

int wholeAge(float age) {
    return static_cast<int>(std::trunc(age));
}
} // namespace

void PointClickedView::touchedPoint(const QPointF& point, const Event& object, const QString&,
                                    QWidget* view) {
    setSuperView(view);
    handleDataPointSelected(object, point);
}

void PointClickedView::handleDataPointSelected(const Event& object, const QPointF& point) {
    showCallout(point, describeSelection(object));
}

PointClickedView::Texts PointClickedView::describeSelection(const Event& object) {
    if (!logHandler_)
        return compose(object, object.batteryState, {});
    const Run run = findRunStart(object);
    const QList<Event> range = dataRange(object, run);
    return compose(object, run.state, accumulate(range));
}

double PointClickedView::ageOf(const Event& event) const {
    return logHandler_->getFromDate() - event.creationDate;
}

// One week at a time, back from the sample, until a week holds two samples or none.
PointClickedView::Run PointClickedView::findRunStart(const Event& selected) {
    Run run{selected.batteryState, std::nullopt};
    float a = static_cast<float>(ageOf(selected));
    // Ages are whole seconds in an int; a log that old has nothing more to find.
    while (a < static_cast<float>(oldestAge) - 2 * week) {
        const int newer = wholeAge(a) - 1;
        const int older = wholeAge(std::trunc(a) + week);
        const QList<Event> window = logHandler_->getArrayFrom(newer, older, false);
        a += week;
        if (window.isEmpty())
            break;
        if (window.size() == 1)
            continue;
        run.state = window.first().batteryState;
        Event candidate = window.first();
        for (qsizetype i = 0; i < window.size() - 1; ++i) {
            candidate = window[i];
            if (candidate.batteryState != run.state)
                break;
        }
        run.start = candidate;
        qCInfo(lcGraph, "Found start-event: %s", qUtf8Printable(describe(candidate)));
        return run;
    }
    qCInfo(lcGraph, "Found start-event: (null)");
    run.state = selected.batteryState;
    return run;
}

QList<Event> PointClickedView::dataRange(const Event& selected, const Run& run) {
    const int newer = wholeAge(static_cast<float>(ageOf(selected))) - 1;
    // Without a start the run reaches back over the older log, as far as one query returns.
    const int older = run.start ? wholeAge(static_cast<float>(ageOf(*run.start))) + 1 : oldestAge;
    const QList<Event> range = logHandler_->getArrayFrom(newer, older, false);
    qCInfo(lcGraph, "Found dataarray: %s", qUtf8Printable(describe(range)));
    return range;
}

// Pairs of neighbours, oldest first; the range is newest first.
PointClickedView::Accumulated PointClickedView::accumulate(const QList<Event>& range) {
    Accumulated totals;
    for (qsizetype t = range.size() - 1; t >= 1; --t) {
        const Event& earlier = range[t];
        const Event& later = range[t - 1];
        // An unknown level or two samples of the same second give no rate; counting them
        // would make every total meaningless.
        if (earlier.batteryLevel < 0.0f || later.batteryLevel < 0.0f)
            continue;
        const float perHour = StatisticsRange::calculateSlope(earlier, later) * 3600.0f;
        if (!std::isfinite(perHour))
            continue;
        const double dt = later.creationDate - earlier.creationDate;
        const float weighted = static_cast<float>(dt) * perHour;
        if (perHour > 0.0f) {
            totals.chargingSecs = static_cast<float>(static_cast<double>(totals.chargingSecs) + dt);
            totals.chargingSum += weighted;
        } else if (perHour < 0.0f) {
            totals.drainingSecs = static_cast<float>(static_cast<double>(totals.drainingSecs) + dt);
            totals.drainingSum += weighted;
        }
    }
    return totals;
}

PointClickedView::Texts PointClickedView::compose(const Event& selected, int runState,
                                                  const Accumulated& totals) const {
    const DateTimeFormatter formatter(DateTimeFormatter::Style::Medium,
                                      DateTimeFormatter::Style::Short);
    const QString date = formatter.format(selected.creationDate);
    const QString state = EventStateText::statistics(selected);
    const QString runText = StatisticsHandler::formatBatteryState(runState);
    const float level = selected.batteryLevel;
    const float max =
        logHandler_ ? logHandler_->device().powerSource().batteryData(PowerSource::MaxCapacity)
                    : -1.0f;

    Texts texts;
    // A capacity in percent (100) or none at all gives no charge in mAh, nor does an unknown
    // level.
    if (max == -1.0f || max == 100.0f || level < 0.0f)
        texts.subHeader =
            QString::asprintf("%s \nState: %s.", qUtf8Printable(date), qUtf8Printable(state));
    else
        texts.subHeader =
            QString::asprintf("%s \nState: %s.\nCharge: %4.0f mAh", qUtf8Printable(date),
                              qUtf8Printable(state), static_cast<double>(max * level));
    texts.header = QString::asprintf("%3.1f%% Battery", static_cast<double>(level * 100.0f));

    const bool charging = totals.chargingSecs > totals.drainingSecs;
    const float secs = charging ? totals.chargingSecs : totals.drainingSecs;
    const float sum = charging ? totals.chargingSum : totals.drainingSum;
    const double rate = secs != 0.0f ? static_cast<double>(sum / secs) * 100.0 : 0.0;
    texts.values = QString::asprintf(
        "\n%s \n%3.1f%% per hour",
        DateIntervalFormatter::formatDetailledRelativeTime(secs).toUtf8().constData(), rate);
    texts.labels = QString::asprintf(charging ? "Since %s: \nCharging for: \nCharging:"
                                              : "Since %s: \nDraining for: \nDraining:",
                                     qUtf8Printable(runText));
    return texts;
}

void PointClickedView::showCallout(const QPointF& point, const Texts& texts) {
    if (!superView_)
        return;
    auto* callout = new CustomCalloutView(superView_, QRectF(point, QSizeF(230, 160)));
    auto* bubble = new GraphBubbleView(QRectF(0, 0, 175, 170));
    bubble->headerLabel()->setText(texts.header);
    bubble->subHeader()->setText(texts.subHeader);
    bubble->contentLabelsLabel()->setText(texts.labels);
    bubble->contentValuesLabel()->setText(texts.values);
    bubble->setParent(callout->contentView());
    bubble->show();
    callout->display(); // the graph view owns it from here
}
