#include "PointClickedView.h"
#include "CustomCalloutView.h"
#include "GraphBubbleView.h"
#include "LogHandlerFixture.h"
#include "StoreEvents.h"

#include <gtest/gtest.h>

namespace {
constexpr double hour = 3600;
constexpr double day = 86400;

class PointClickedViewTest : public LogHandlerFixture {
protected:
    void SetUp() override {
        handler = makeHandler();
        battery->setCharge(1000, 1400);
        selection.setLogHandler(handler.get());
    }
    double now() const { return clock.now(); }
    Event save(double age, float level, int state) {
        return saveEvent(*handler, now() - age, level, state);
    }

    // The run's labels and values for a tapped sample; the texts for further checks.
    PointClickedView::Texts expectRun(const Event& tapped, const QString& labels,
                                      const char* values) {
        const PointClickedView::Texts texts = selection.describeSelection(tapped);
        EXPECT_EQ(texts.labels, labels);
        EXPECT_EQ(texts.values, QString::fromUtf8(values));
        return texts;
    }

    std::unique_ptr<BatteryLogHandler> handler;
    PointClickedView selection;
};

const QString DrainingOnBattery = QStringLiteral("Since on battery: \nDraining for: \nDraining:");
const QString ChargingOnBattery = QStringLiteral("Since on battery: \nCharging for: \nCharging:");
} // namespace

// 85 % on battery after 3 hours of draining at 5.2 % an hour, with a short rise between.
TEST_F(PointClickedViewTest, TheWorkedExample) {
    save(100 + 5 * hour, 0.80f, 2);  // older than the run, the week's oldest
    save(100 + 3.1 * hour, 1.0f, 3); // the start event
    save(100 + 2.1 * hour, 0.94f, 1);
    save(100 + 2.0 * hour, 0.946f, 1); // rises for 6 minutes
    const Event tapped = save(100, 0.85f, 1);

    const auto texts = expectRun(tapped, DrainingOnBattery, "\n3.0 hours \n-5.2% per hour");
    EXPECT_EQ(texts.header, QStringLiteral("85.0% Battery"));
    EXPECT_TRUE(texts.subHeader.endsWith(QStringLiteral(" \nState: on battery.\nCharge: 1190 mAh")))
        << texts.subHeader.toStdString();
    EXPECT_TRUE(texts.subHeader.startsWith(QStringLiteral("Jan 15, 2027, 7:58")));
}

TEST_F(PointClickedViewTest, ARunLongerThanTheWeekStartsAtItsSecondOldestSample) {
    for (int i = 6; i >= 1; --i)
        save(i * day, 0.3f + 0.1f * static_cast<float>(i), 1);
    const Event tapped = save(0, 0.2f, 1);
    // Pairs from 5 days ago on: the oldest sample of the week is not part of the run.
    EXPECT_EQ(selection.describeSelection(tapped).values,
              QStringLiteral("\n5.0 days \n-0.5% per hour"));
}

TEST_F(PointClickedViewTest, ALonelySampleSearchesTheOlderWeeks) {
    save(20 * day, 0.9f, 3);
    save(16 * day, 0.8f, 2); // the start of the run: the newest of another state
    save(15 * day, 0.4f, 1);
    save(9 * day, 0.3f, 1);
    const Event tapped = save(hour, 0.2f, 1); // alone in its week, and the next
    const PointClickedView::Texts texts = selection.describeSelection(tapped);
    EXPECT_EQ(texts.labels, DrainingOnBattery);
    EXPECT_TRUE(texts.values.startsWith(QStringLiteral("\n2.3 weeks \n")))
        << texts.values.toStdString();
}

TEST_F(PointClickedViewTest, WithoutAStartTheRunReachesBackOverTheOlderLog) {
    save(30 * day, 0.2f, 2);
    save(29 * day, 0.44f, 2);
    const Event tapped = save(0, 0.44f, 1); // an empty week lies before it
    expectRun(tapped, ChargingOnBattery, "\n1.0 days \n1.0% per hour");
}

TEST_F(PointClickedViewTest, ChargingTextsWhenChargingTookLonger) {
    save(3 * hour, 0.3f, 1);
    save(2 * hour, 0.5f, 2);
    save(1 * hour, 0.7f, 2);
    const Event tapped = save(0, 0.8f, 2);
    const auto texts =
        expectRun(tapped, QStringLiteral("Since plugged in: \nCharging for: \nCharging:"),
                  "\n2.0 hours \n15.0% per hour");
    EXPECT_TRUE(texts.subHeader.contains(QStringLiteral("State: plugged in.")));
}

TEST_F(PointClickedViewTest, NoRatesGiveTheDrainingTextsOfNothing) {
    save(2 * hour, 0.5f, 3);
    save(1 * hour, 0.5f, 1); // equal levels count for neither
    const Event tapped = save(0, 0.5f, 1);
    expectRun(tapped, DrainingOnBattery, "\n0 seconds \n0.0% per hour");
}

TEST_F(PointClickedViewTest, TwoSamplesOfOneSecondAddNoRate) {
    save(3 * hour, 1.0f, 3);
    save(2 * hour, 1.0f, 3);
    save(1 * hour, 0.9f, 1);
    save(1 * hour, 0.85f, 1); // the same time stamp: an infinite rate
    const Event tapped = save(0, 0.7f, 1);
    const PointClickedView::Texts texts = selection.describeSelection(tapped);
    EXPECT_TRUE(texts.values.startsWith(QStringLiteral("\n2.0 hours \n-1")))
        << texts.values.toStdString();
    EXPECT_FALSE(texts.values.contains(QStringLiteral("nan")));
}

TEST_F(PointClickedViewTest, AnUnknownLevelAddsNoRate) {
    save(4 * hour, 1.0f, 3);
    save(3 * hour, 0.9f, 3);
    save(2 * hour, 0.8f, 1);
    save(1 * hour, -1.0f, 1);
    const Event tapped = save(0, 0.7f, 1);
    EXPECT_EQ(selection.describeSelection(tapped).values,
              QStringLiteral("\n1.0 hours \n-10.0% per hour"));
}

TEST_F(PointClickedViewTest, TheChargeLineNeedsACapacityInMilliampHours) {
    const Event tapped = save(0, 0.05f, 1);
    battery->setCharge(100, 100); // reported in percent
    PointClickedView::Texts texts = selection.describeSelection(tapped);
    EXPECT_EQ(texts.header, QStringLiteral("5.0% Battery"));
    EXPECT_TRUE(texts.subHeader.endsWith(QStringLiteral(" \nState: on battery.")));
    battery->table.clear(); // not reported at all
    texts = selection.describeSelection(tapped);
    EXPECT_FALSE(texts.subHeader.contains(QStringLiteral("Charge")));
    EXPECT_EQ(selection.describeSelection(save(0, 1.0f, 3)).header,
              QStringLiteral("100.0% Battery"));
    battery->setCharge(700, 1400);
    EXPECT_FALSE(selection.describeSelection(save(0, -1.0f, 1)).subHeader.contains("Charge"));
}

TEST_F(PointClickedViewTest, TheRunStateCanDifferFromTheSamplesOwn) {
    save(3 * hour, 0.5f, 1);
    const Event tapped = save(2 * hour, 0.6f, 2);
    save(2 * hour - 0.5, 0.6f, 1); // newer, yet inside the first week window
    const PointClickedView::Texts texts = selection.describeSelection(tapped);
    EXPECT_TRUE(texts.subHeader.contains(QStringLiteral("State: plugged in.")));
    EXPECT_TRUE(texts.labels.startsWith(QStringLiteral("Since on battery: ")));
}

TEST_F(PointClickedViewTest, TheCalloutPointsAtTheTapWithTheTexts) {
    save(2 * hour, 1.0f, 3);
    save(hour, 0.9f, 1);
    const Event tapped = save(0, 0.85f, 1);
    QWidget graph;
    graph.resize(1000, 416);
    selection.touchedPoint(QPointF(300, 250), tapped, QStringLiteral("batteryLevel"), &graph);
    EXPECT_EQ(selection.superView(), &graph);
    const QList<CustomCalloutView*> callouts = graph.findChildren<CustomCalloutView*>();
    ASSERT_EQ(callouts.size(), 1);
    EXPECT_EQ(callouts.first()->location(), QRectF(300, 250, 230, 160));
    EXPECT_EQ(callouts.first()->frame(), QRectF(185, 70, 230, 180));
    const GraphBubbleView* bubble = callouts.first()->findChild<GraphBubbleView*>();
    ASSERT_TRUE(bubble);
    EXPECT_EQ(bubble->headerLabel()->text(), QStringLiteral("85.0% Battery"));
    EXPECT_EQ(bubble->contentLabelsLabel()->text(), DrainingOnBattery);
    EXPECT_EQ(bubble->contentValuesLabel()->text(), QStringLiteral("\n1.0 hours \n-5.0% per hour"));
}
