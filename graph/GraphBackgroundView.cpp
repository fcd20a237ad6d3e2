#include "GraphBackgroundView.h"

#include "GraphDelegate.h"
#include "GraphView.h"
#include "Theme.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QFont helvetica(int size) {
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(size); // points of the device screen are our logical pixels
    return font;
}

QPen roundPen(const QColor& color, qreal width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
}
} // namespace

GraphBackgroundView::GraphBackgroundView(const QRectF& frame, QWidget* parent)
    : UIBackgroundView(frame, parent) {
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Theme::background());
    setPalette(palette);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

float GraphBackgroundView::levelY(float value) const {
    return graphView() ? graphView()->yValueToPixels(value, 1.0f) : 0.0f;
}

float GraphBackgroundView::bottomClearance() const {
    const GraphDelegate* source = graphView() ? graphView()->graphDelegate() : nullptr;
    return source ? source->yBottomClearance().value_or(0.0f) : 0.0f;
}

void GraphBackgroundView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::background());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (graphView())
        drawGrid(painter);
    drawDirections(painter);
}

void GraphBackgroundView::drawGrid(QPainter& painter) const {
    const float w = static_cast<float>(width());
    const float m = w * 0.5f;
    QPainterPath minor;
    for (int i = 1; i <= 20; ++i) {
        if (i % 5 == 0)
            continue;
        const float y = levelY(static_cast<float>(i * 5) / 100.0f);
        minor.moveTo(20, y);
        minor.lineTo(w - 20, y);
    }
    painter.strokePath(minor, roundPen(Theme::gridMinor(), 1.0));

    QPainterPath major;
    const QColor majorGrey = Theme::gridMajor();
    painter.setPen(majorGrey);
    painter.setFont(helvetica(12));
    for (int i = 0; i <= 4; ++i) {
        const float y = levelY(static_cast<float>(i * 25) / 100.0f);
        major.moveTo(10, y);
        major.lineTo(m - 18, y);
        major.moveTo(m + 18, y);
        major.lineTo(w - 10, y);
        painter.drawText(QPointF(m - 14, y + 3), QString::asprintf("%d%%", i * 25));
    }
    painter.strokePath(major, roundPen(majorGrey, 1.5));
}

void GraphBackgroundView::drawDirections(QPainter& painter) const {
    const float w = static_cast<float>(width());
    const float h = static_cast<float>(height());
    const float base = h + (-17.0f - bottomClearance());
    QPainterPath arrows;
    arrows.moveTo(5, base - 4);
    arrows.lineTo(13, base - 8);
    arrows.lineTo(13, base);
    arrows.closeSubpath();
    arrows.moveTo(w - 5, base - 4);
    arrows.lineTo(w - 13, base - 8);
    arrows.lineTo(w - 13, base);
    arrows.closeSubpath();
    const QColor majorGrey = Theme::gridMajor();
    painter.fillPath(arrows, majorGrey);

    painter.setPen(majorGrey);
    painter.setFont(helvetica(14));
    const bool reversed = graphView() && graphView()->REVERSED();
    if (!reversed) {
        painter.drawText(QPointF(18, base), QStringLiteral("past"));
        painter.drawText(QPointF(w - 56, base), QStringLiteral("future"));
    } else {
        painter.drawText(QPointF(18, base), QStringLiteral("future"));
        painter.drawText(QPointF(w - 45, base), QStringLiteral("past"));
    }
}
