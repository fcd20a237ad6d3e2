#pragma once

#include <QStyledItemDelegate>

// Draws a history row in the subtitle style: the date in bold above the charge line in grey,
// 45 points high, fading in while the row is new.
class HistoryItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int RowHeight = 45;
    static constexpr int FadeMilliseconds = 300;

    using QStyledItemDelegate::QStyledItemDelegate;

    // In edit mode each row shows a delete control on its left and its texts move right.
    void setEditing(bool editing) { editing_ = editing; }
    bool isEditing() const { return editing_; }
    static QRect deleteControlRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool editing_ = false;
};
