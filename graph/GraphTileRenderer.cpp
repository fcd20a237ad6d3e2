#include "GraphTileRenderer.h"

#include "LogCategories.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace {
// The platform's stroke defaults: butt caps, mitre joins with a limit of 10 beyond which the
// join is bevelled (Qt::MiterJoin would instead cut a long spike off at the limit).
QPen strokePen(const QColor& color, qreal width) {
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
    pen.setMiterLimit(10.0);
    return pen;
}

std::optional<double> badgeValue(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toDouble();
}
} // namespace

GraphTileRenderer::GraphTileRenderer(const GraphCoordinates& coordinates, GraphFetch fetch)
    : coordinates_(coordinates), fetch_(std::move(fetch)) {}

void GraphTileRenderer::draw(QPainter& painter) const {
    const GraphGeometry& g = coordinates_.geometry();
    if (!(g.width > 0) || !(g.xRange > 0) || !fetch_)
        return; // no scale to map time with, or nothing to draw
    const QRectF clip = painter.clipBoundingRect();
    if (clip.top() > g.yValueToPixels(0, 1.0f) + 30)
        return; // the strip under the ticks, where nothing is ever drawn: no fetch for it
    const float toSecs =
        g.pixelsToOriginSecs(static_cast<float>(clip.x() + clip.width()) + tileOverlap);
    const float fromSecs = g.pixelsToOriginSecs(static_cast<float>(clip.x()) - tileOverlap);
    const int columns = static_cast<int>(std::ceil(clip.width() + 2 * tileOverlap));
    const GraphData data = fetch_(fromSecs, toSecs, columns);
    if (data.isEmpty()) {
        qCInfo(lcGraph, "No record in dataSource\n\n");
        return;
    }
    const QList<GraphSeriesStyle>& series = coordinates_.style().series;
    for (const GraphSeriesStyle& s : series) {
        drawSeries(painter, data, s);
        drawBadges(painter, data, series.first().key);
    }
    drawTicks(painter, fromSecs, toSecs);
}

void GraphTileRenderer::drawSeries(QPainter& painter, const GraphData& data,
                                   const GraphSeriesStyle& series) const {
    const QColor& color = series.color;
    const bool bars = series.bars;
    // An unknown value (below the plot's zero, as the log's -1) is drawn nowhere: the line
    // breaks there instead of plunging under the plot.
    QList<QList<QPointF>> runs(1);
    for (const GraphDataObjectPtr& object : data) {
        if (!isDrawnValue(object->valueForKey(series.key))) {
            if (!runs.last().isEmpty())
                runs.append(QList<QPointF>());
            continue;
        }
        const float y = coordinates_.getYCord(*object, series.key);
        runs.last().append(QPointF(coordinates_.getXCord(*object), y));
    }
    const float width = series.lineWidth;

    // The series is one path stroked once, so where its parts overlap the translucent colour
    // must not build up. Drawing the parts opaque into a mask and laying the mask down once
    // with the colour's alpha gives that picture, many times faster than stroking one path of
    // hundreds of arcs.
    const QRectF clip = painter.clipBoundingRect();
    const qreal dpr = painter.device()->devicePixelRatioF();
    QImage mask(QSize(static_cast<int>(std::ceil(clip.width() * dpr)),
                      static_cast<int>(std::ceil(clip.height() * dpr))),
                QImage::Format_ARGB32_Premultiplied);
    mask.setDevicePixelRatio(dpr);
    mask.fill(Qt::transparent);
    {
        QPainter parts(&mask);
        parts.setRenderHint(QPainter::Antialiasing);
        parts.translate(-clip.topLeft());
        QColor opaque = color;
        opaque.setAlphaF(1.0f);
        parts.setPen(strokePen(opaque, width));
        for (const QList<QPointF>& points : runs) {
            if (bars)
                drawBars(parts, points);
            else
                drawDottedLine(parts, points);
        }
    }
    painter.save();
    painter.setOpacity(painter.opacity() * color.alphaF());
    painter.drawImage(clip.topLeft(), mask);
    painter.restore();
}

void GraphTileRenderer::drawBars(QPainter& painter, const QList<QPointF>& points) const {
    const qreal zeroLine = coordinates_.geometry().yValueToPixels(0, 1.0f);
    QList<QLineF> bars;
    bars.reserve(points.size());
    for (const QPointF& p : points)
        bars.append(QLineF(QPointF(p.x(), zeroLine), p));
    painter.drawLines(bars);
}

void GraphTileRenderer::drawDottedLine(QPainter& painter, const QList<QPointF>& points) const {
    // Each segment ends in the 3-point link to its dot's start, with a join between the two;
    // the next segment starts afresh from the dot's centre.
    for (qsizetype j = 0; j < points.size(); ++j) {
        const QPointF& p = points[j];
        const QPointF arcStart = p + QPointF(3.0, 0.0);
        if (j > 0) {
            const QPointF segment[] = {points[j - 1], p, arcStart};
            painter.drawPolyline(segment, 3);
        } else {
            painter.drawLine(p, arcStart);
        }
        painter.drawEllipse(p, 3.0, 3.0);
    }
}

void GraphTileRenderer::drawBadges(QPainter& painter, const GraphData& data,
                                   const QString& key) const {
    const std::optional<StateBadges>& table = coordinates_.style().badges;
    if (!table)
        return;
    const StateBadges& badges = *table;
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
                // A state change of unknown level sits on the zero line.
                const float zero =
                    coordinates_.geometry().yValueToPixels(0, coordinates_.style().yRange(key));
                const float y = std::min(coordinates_.getYCord(*object, key), zero);
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
