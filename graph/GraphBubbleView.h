#pragma once

#include <QLabel>
#include <QWidget>

// The content of a graph callout: a header, a sub-header, and two label columns side by side,
// captions on the left and values on the right.
class GraphBubbleView : public QWidget {
    Q_OBJECT
public:
    explicit GraphBubbleView(const QRectF& frame, QWidget* parent = nullptr);

    QLabel* headerLabel() const { return headerLabel_; }
    QLabel* subHeader() const { return subHeader_; }
    QLabel* contentLabelsLabel() const { return contentLabelsLabel_; }
    QLabel* contentValuesLabel() const { return contentValuesLabel_; }

private:
    void initLabels();
    QLabel* makeLabel(const QRect& frame, const QColor& colour, qreal fontSize,
                      Qt::Alignment alignment);

    QLabel* headerLabel_ = nullptr;
    QLabel* subHeader_ = nullptr;
    QLabel* contentLabelsLabel_ = nullptr;
    QLabel* contentValuesLabel_ = nullptr;
};
