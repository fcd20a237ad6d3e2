#include "GraphStyle.h"

#include "GraphDelegate.h"
#include "Theme.h"

GraphStyle GraphStyle::of(const GraphDelegate& source) {
    GraphStyle style;
    style.xKey = source.xKey();
    for (const QString& key : source.yKeys()) {
        GraphSeriesStyle series;
        series.key = key;
        series.yRange = source.yRange(key);
        series.color = source.lineColor(key).value_or(Theme::graphLine());
        series.bars = source.lineType(key) == 1;
        // The last width set before the stroke wins, so dotted lines are always 5 wide.
        series.lineWidth = series.bars ? source.lineSize(key).value_or(4.0f) : 5.0f;
        style.series.append(series);
    }
    const std::optional<StateBadgeTable> table = source.stateChangeNewStateBadge();
    if (table && !table->isEmpty())
        style.badges = table->first();
    return style;
}

float GraphStyle::yRange(const QString& key) const {
    for (const GraphSeriesStyle& s : series) {
        if (s.key == key)
            return s.yRange;
    }
    return 1.0f;
}
