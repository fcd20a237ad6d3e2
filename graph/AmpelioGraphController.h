#pragma once

#include "ScrollingGraphViewController.h"
#include "TabBarItem.h"

#include <QImage>
#include <QPointer>

#include "BatteryLogHandler.h"
#include "DecorationsView.h"

// The battery graph screen: the graph's data source over the stored samples, read on the tile
// threads through a read context of their own per call; the state badges; the background with
// the time labels; the callout for a tapped sample. It tells the log which window is visible
// after every scroll and redraws when the log changes.
class AmpelioGraphController : public ScrollingGraphViewController {
    Q_OBJECT
public:
    // Reads the log's store and follows its changes; does not own it.
    explicit AmpelioGraphController(BatteryLogHandler& handler, QObject* parent = nullptr);
    ~AmpelioGraphController() override;

    BatteryLogHandler& batteryLogHandler() const { return batteryLogHandler_; }
    // The log's change notification: new labels, then a redraw.
    void dataChanged(int index);

    DecorationsView* decorationsView() const { return decorationsView_; }
    const QImage& imageOnbattery() const { return imageOnbattery_; }
    const QImage& imageCharging() const { return imageCharging_; }
    const QImage& imageFull() const { return imageFull_; }
    TabBarItem tabBarItem() const;

    float xWholeValueRange() const override { return 31536000.0f; }
    float xDefaultScreenValueRange() const override { return 86400.0f; }
    UIBackgroundView* backgroundView() override;
    void loadView() override;
    void viewDidLoad();
    void viewDidUnload() override;
    void layoutSubviews() override;
    void didRotateFromInterfaceOrientation() override;
    void scrollViewDidScroll(ScrollView* scrollView) override;

    float xRange() const override { return xWholeValueRange(); }
    float yRange(const QString&) const override { return 1.0f; }
    QString xKey() const override { return QStringLiteral("creationDate"); }
    QStringList yKeys() const override { return {QStringLiteral("batteryLevel")}; }
    GraphData dataFromX(float fromSecs, float toSecs) const override;
    std::optional<bool> xAxisReversed() const override;
    std::optional<float> yBottomClearance() const override { return 0.0f; }
    std::optional<StateBadgeTable> stateChangeNewStateBadge() const override {
        return stateChangeBadges_;
    }
    void objectSelected(const GraphDataObjectPtr& object, const QPointF& location,
                        const QString& key) override;

    static constexpr int fetchLimit = 400;

private:
    BatteryLogHandler& batteryLogHandler_;
    // What the tile threads read: the store file alone, fixed at construction, so that they
    // depend on nothing the GUI thread owns, not even the log.
    const QString storePath_;
    QImage imageCharging_;
    QImage imageFull_;
    QImage imageOnbattery_;
    StateBadgeTable stateChangeBadges_;
    QPointer<DecorationsView> decorationsView_;
};
