#include "GraphTileRenderer.h"

#include "GraphDelegate.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {
// The platform's stroke defaults: butt caps, mitre joins with a limit of 10.
QPen strokePen(const QColor& color, qreal width) {
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10.0);
    return pen;
}

std::optional<double> badgeValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toDouble();
}
} // namespace

GraphTileRenderer::GraphTileRenderer(const GraphCoordinates& coordinates)
    : coordinates_(coordinates) {}

void GraphTileRenderer::draw(QPainter& painter) const {
    const GraphGeometry& g = coordinates_.geometry();
    if (!(g.width > 0) || !(g.xRange > 0))
        return; // no scale to map time with
    const QRectF clip = painter.clipBoundingRect();
    const float toSecs =
        g.pixelsToOriginSecs(static_cast<float>(clip.x() + clip.width()) + tileOverlap);
    const float fromSecs = g.pixelsToOriginSecs(static_cast<float>(clip.x()) - tileOverlap);
    const GraphData data = coordinates_.source().dataFromX(fromSecs, toSecs);
    if (data.isEmpty()) {
        qInfo("No record in dataSource\n\n");
        return;
    }
    const QStringList keys = coordinates_.source().yKeys();
    for (const QString& key : keys) {
        drawSeries(painter, data, key);
        drawBadges(painter, data, keys.first());
    }
    drawTicks(painter, fromSecs, toSecs);
}

void GraphTileRenderer::drawSeries(QPainter& painter, const GraphData& data,
                                   const QString& key) const {
    const GraphDelegate& source = coordinates_.source();
    const QColor color = source.lineColor(key).value_or(QColor::fromRgbF(0.3f, 0.3f, 0.3f, 0.7f));
    const bool bars = source.lineType(key) == 1;
    const float zeroLine = coordinates_.geometry().yValueToPixels(0, 1.0f);
    QPainterPath path;
    for (qsizetype j = 0; j < data.size(); ++j) {
        const GraphDataObject& object = *data[j];
        const float y = coordinates_.getYCord(object, key);
        const float x = coordinates_.getXCord(object);
        if (bars) {
            path.moveTo(x, zeroLine);
            path.lineTo(x, y);
            continue;
        }
        if (j > 0)
            path.lineTo(x, y);
        else
            path.moveTo(x, y);
        // The dot joins the same path (its start linked to the centre), and the next segment
        // starts from the centre again.
        path.arcTo(QRectF(x - 3.0, y - 3.0, 6.0, 6.0), 0, -360);
        path.moveTo(x, y);
    }
    // One path is stroked once, so the last width set wins: dotted lines are always 5 wide.
    const float width = bars ? source.lineSize(key).value_or(4.0f) : 5.0f;
    painter.strokePath(path, strokePen(color, width));
}

void GraphTileRenderer::drawBadges(QPainter& painter, const GraphData& data,
                                   const QString& key) const {
    const std::optional<StateBadgeTable> table = coordinates_.source().stateChangeNewStateBadge();
    if (!table || table->isEmpty())
        return;
    const StateBadges& badges = table->first();
    std::optional<double> previous;
    bool first = true;
    for (const GraphDataObjectPtr& object : data) {
        const std::optional<double> value = badgeValue(object->valueForKey(badges.attribute));
        // A missing value never equals anything, not even another missing one.
        if (first || !value || !previous || *value != *previous) {
            const auto image =
                value ? badges.imageForValue.constFind(*value) : badges.imageForValue.constEnd();
            if (image != badges.imageForValue.constEnd()) {
                const float x = coordinates_.getXCord(*object);
                const float y = coordinates_.getYCord(*object, key);
                const float half = badgeSize / 2;
                painter.drawImage(QRectF(x - half, y - half, badgeSize, badgeSize), *image);
            }
        }
        previous = value;
        first = false;
    }
}

void GraphTileRenderer::drawTicks(QPainter& painter, float fromSecs, float toSecs) const {
    const GraphGeometry& g = coordinates_.geometry();
    const float z = g.yValueToPixels(0, 1.0f);
    const float lo = std::min(fromSecs, toSecs);
    const float hi = std::max(fromSecs, toSecs);
    if (!(std::fabs(lo) < 2.0e9f && std::fabs(hi) < 2.0e9f))
        return; // beyond whole seconds in an int: no sensible ticks
    const bool hours = g.secondsOnScreen() < 172800.0f;
    const int step = hours ? 3600 : 86400;
    const int period = hours ? 21600 : 604800;
    QPainterPath path;
    // Start on a whole step, not merely a whole hour, so that day ticks sit at whole days
    // counted back from now in every tile alike.
    for (int t = static_cast<int>(lo / static_cast<float>(step)) * step; static_cast<float>(t) < hi;
         t += step) {
        const float x = g.secsToOriginPixels(static_cast<float>(t));
        path.moveTo(x, z + 30);
        path.lineTo(x, t % period == 0 ? z + 23 : z + 25);
    }
    painter.strokePath(path, strokePen(QColor::fromRgbF(0.7f, 0.7f, 0.7f, 1.0f), 1.5));
}
