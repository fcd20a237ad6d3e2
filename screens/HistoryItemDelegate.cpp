#include "HistoryItemDelegate.h"

#include "HistoryListModel.h"

#include <QPainter>

void HistoryItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QRect cell = option.rect;
    const qint64 age = index.data(HistoryListModel::InsertedAtRole).toLongLong();
    const qreal opacity =
        age < 0 || age >= FadeMilliseconds ? 1.0 : static_cast<qreal>(age) / FadeMilliseconds;
    painter->save();
    painter->fillRect(cell, Qt::white);
    painter->setOpacity(opacity);

    QFont title(QStringLiteral("Helvetica"));
    title.setPixelSize(18);
    title.setBold(true);
    QFont detail(QStringLiteral("Helvetica"));
    detail.setPixelSize(14);
    const QRect text = cell.adjusted(10, 3, -10, -3);
    painter->setFont(title);
    painter->setPen(Qt::black);
    painter->drawText(
        QRect(text.left(), text.top(), text.width(), 22), Qt::AlignLeft | Qt::AlignVCenter,
        painter->fontMetrics().elidedText(index.data().toString(), Qt::ElideRight, text.width()));
    painter->setFont(detail);
    painter->setPen(QColor(128, 128, 128));
    const QString charge = index.data(HistoryListModel::DetailTextRole).toString();
    painter->drawText(QRect(text.left(), text.top() + 22, text.width(), 17),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(charge, Qt::ElideRight, text.width()));

    painter->setOpacity(1.0);
    painter->setPen(QColor(224, 224, 224));
    painter->drawLine(cell.left() + 10, cell.bottom(), cell.right(), cell.bottom());
    painter->restore();
}

QSize HistoryItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), RowHeight};
}
