#pragma once

#include "Event.h"

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

#include "BatteryLogHandler.h"

// The details of one tapped battery sample: it finds the run of equal state the sample belongs
// to, measures how long and how fast the battery charged or drained in it, and shows that in a
// callout pointing at the tap. Lives for one tap.
class PointClickedView {
public:
    struct Texts {
        QString header;
        QString subHeader;
        QString labels;
        QString values;
    };

    BatteryLogHandler* logHandler() const { return logHandler_; }
    void setLogHandler(BatteryLogHandler* handler) { logHandler_ = handler; }
    QWidget* superView() const { return superView_; }
    void setSuperView(QWidget* view) { superView_ = view; }

    // `point` is in the coordinates of `view`, which receives the callout; `key` is unused.
    void touchedPoint(const QPointF& point, const Event& object, const QString& key, QWidget* view);
    void handleDataPointSelected(const Event& object, const QPointF& point);

    // Everything but the callout: the run's search, its data range and the four texts.
    Texts describeSelection(const Event& object);

private:
    struct Run {
        int state = 0;
        std::optional<Event> start;
    };
    struct Accumulated {
        float chargingSecs = 0;
        float chargingSum = 0;
        float drainingSecs = 0;
        float drainingSum = 0;
    };

    double ageOf(const Event& event) const;
    Run findRunStart(const Event& selected);
    QList<Event> dataRange(const Event& selected, const Run& run);
    static Accumulated accumulate(const QList<Event>& range);
    Texts compose(const Event& selected, int runState, const Accumulated& totals) const;
    void showCallout(const QPointF& point, const Texts& texts);

    QPointer<BatteryLogHandler> logHandler_;
    QPointer<QWidget> superView_;
};
