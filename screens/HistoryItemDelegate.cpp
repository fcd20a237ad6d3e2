#include "HistoryItemDelegate.h"

#include "HistoryListModel.h"
#include "Theme.h"

#include <QPainter>

void HistoryItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QRect cell = option.rect;
    const qint64 age = index.data(HistoryListModel::InsertedAtRole).toLongLong();
    const qreal opacity =
        age < 0 || age >= FadeMilliseconds ? 1.0 : static_cast<qreal>(age) / FadeMilliseconds;
    painter->save();
    painter->fillRect(cell, Theme::background());
    if (editing_ && (option.state & QStyle::State_Selected))
        painter->fillRect(cell, Theme::selection());
    painter->setOpacity(opacity);

    QFont title(QStringLiteral("Helvetica"));
    title.setPixelSize(18);
    title.setBold(true);
    QFont detail(QStringLiteral("Helvetica"));
    detail.setPixelSize(14);
    QRect text = cell.adjusted(10, 3, -10, -3);
    if (editing_) {
        // A red disc with a white bar, as a list in edit mode shows it.
        const QRect control = deleteControlRect(cell);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0xe0, 0x2f, 0x2f));
        painter->drawEllipse(control);
        painter->fillRect(
            QRect(control.left() + 5, control.center().y() - 1, control.width() - 10, 3),
            Qt::white);
        text.setLeft(control.right() + 10);
    }
    painter->setFont(title);
    painter->setPen(Theme::primaryText());
    painter->drawText(
        QRect(text.left(), text.top(), text.width(), 22), Qt::AlignLeft | Qt::AlignVCenter,
        painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, text.width()));
    painter->setFont(detail);
    painter->setPen(Theme::secondaryText());
    const QString charge = index.data(HistoryListModel::DetailTextRole).toString();
    painter->drawText(QRect(text.left(), text.top() + 22, text.width(), 17),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(charge, Qt::ElideRight, text.width()));

    painter->setOpacity(1.0);
    painter->setPen(Theme::separator());
    painter->drawLine(cell.left() + 10, cell.bottom(), cell.right(), cell.bottom());
    painter->restore();
}

QRect HistoryItemDelegate::deleteControlRect(const QRect& cell) {
    constexpr int diameter = 22;
    return {cell.left() + 10, cell.center().y() - diameter / 2 + 1, diameter, diameter};
}

QSize HistoryItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}
