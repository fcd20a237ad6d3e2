#include "GraphBubbleView.h"

#include "SystemFont.h"

namespace {
const QColor white = QColor::fromRgbF(1, 1, 1, 1);
const QColor lightGrey = QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f);
} // namespace

GraphBubbleView::GraphBubbleView(const QRectF& frame, QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    initLabels();
    // The labels reach past the view's own width and are meant to show in full, so the widget
    // spans them rather than clipping them.
    setGeometry(frame.toRect().united(childrenRect().translated(frame.topLeft().toPoint())));
}

void GraphBubbleView::initLabels() {
    headerLabel_ = makeLabel(QRect(2, 0, 190, 45), white, 16.5, Qt::AlignLeft | Qt::AlignVCenter);
    subHeader_ = makeLabel(QRect(5, 30, 190, 65), white, 14, Qt::AlignLeft | Qt::AlignVCenter);
    contentLabelsLabel_ =
        makeLabel(QRect(5, 70, 185, 100), lightGrey, 14, Qt::AlignLeft | Qt::AlignVCenter);
    contentValuesLabel_ =
        makeLabel(QRect(5, 70, 190, 100), lightGrey, 14, Qt::AlignRight | Qt::AlignVCenter);
}

QLabel* GraphBubbleView::makeLabel(const QRect& frame, const QColor& colour, qreal fontSize,
                                   Qt::Alignment alignment) {
    auto* label = new QLabel(this);
    label->setGeometry(frame);
    label->setFont(systemFont(fontSize));
    label->setWordWrap(true);
    label->setAlignment(alignment);
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}
