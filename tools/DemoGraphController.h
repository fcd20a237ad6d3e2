#pragma once

#include "ScrollingGraphViewController.h"
#include "SyntheticBatteryCurve.h"

#include <memory>

// A battery graph over a synthetic curve instead of the log, for looking at the graph engine
// on its own, for its tests and for its benchmarks.
class DemoGraphController : public ScrollingGraphViewController {
    Q_OBJECT
public:
    struct Options {
        bool bars = false;
        bool reversed = false;
        bool empty = false;
    };

    DemoGraphController(std::shared_ptr<const SyntheticBatteryCurve> curve, const Options& options,
                        QObject* parent = nullptr);

    float xWholeValueRange() const override { return 31536000.0f; }
    float xDefaultScreenValueRange() const override { return 86400.0f; }
    UIBackgroundView* backgroundView() override;

    float xRange() const override { return xWholeValueRange(); }
    float yRange(const QString&) const override { return 1.0f; }
    QString xKey() const override { return QStringLiteral("creationDate"); }
    QStringList yKeys() const override { return {QStringLiteral("batteryLevel")}; }
    GraphFetch dataFetch() const override;
    std::optional<int> lineType(const QString&) const override;
    std::optional<bool> xAxisReversed() const override { return options_.reversed; }
    std::optional<float> yBottomClearance() const override { return 0.0f; }
    std::optional<StateBadgeTable> stateChangeNewStateBadge() const override { return badges_; }

private:
    std::shared_ptr<const SyntheticBatteryCurve> curve_;
    Options options_;
    StateBadgeTable badges_;
};
