#pragma once

#include "ScrollingGraphViewController.h"
#include "TabBarItem.h"

#include <QImage>
#include <QPointer>

#include "BatteryLogHandler.h"
#include "DecorationsView.h"

// The battery graph screen: the graph's data source over the stored samples, read on the tile
// threads through a read context of their own per call; the state badges; the background with
// the time labels; the callout for a tapped sample. It owns the visible window, announces it
// after every scroll and redraws when the log changes.
class AmpelioGraphController : public ScrollingGraphViewController {
    Q_OBJECT
public:
    // Reads the log's store and follows its changes; does not own it.
    explicit AmpelioGraphController(BatteryLogHandler& handler, QObject* parent = nullptr);

    BatteryLogHandler& batteryLogHandler() const { return batteryLogHandler_; }
    // The log's change notification: new labels, then a redraw.
    void dataChanged(int index);
    // The window on screen, in seconds before the log's reference time.
    int visibleBeginAge() const { return visibleBeginAge_; }
    int visibleEndAge() const { return visibleEndAge_; }

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
    GraphFetch dataFetch() const override;
    std::optional<bool> xAxisReversed() const override;
    std::optional<float> yBottomClearance() const override { return 0.0f; }
    std::optional<StateBadgeTable> stateChangeNewStateBadge() const override {
        return stateChangeBadges_;
    }
    void objectSelected(const GraphDataObjectPtr& object, const QPointF& location,
                        const QString& key) override;

    // A window of up to this many samples is drawn whole; a denser one is thinned per column.
    static constexpr int fetchLimit = 400;

signals:
    // After every scroll and zoom; the log keeps the window for the labels and the other tabs.
    void visibleRangeChanged(int beginAge, int endAge);

private:
    BatteryLogHandler& batteryLogHandler_;
    // The store file, which the fetch function captures: tiles depend on nothing else.
    const QString storePath_;
    QImage imageCharging_;
    QImage imageFull_;
    QImage imageOnbattery_;
    StateBadgeTable stateChangeBadges_;
    QPointer<DecorationsView> decorationsView_;
    int visibleBeginAge_ = 0;
    int visibleEndAge_ = 0;
};
