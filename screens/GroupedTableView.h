#pragma once

#include <QList>
#include <QScrollArea>
#include <QString>

// A grouped table: titled sections of rounded white groups on a striped background, each row a
// title on the left and a detail on the right. Tapping a row emits its section and row.
class GroupedTableView : public QScrollArea {
    Q_OBJECT
public:
    struct Row {
        QString title;
        QString detail;
    };
    struct Section {
        QString header;
        QList<Row> rows;
    };

    static constexpr int RowHeight = 44;

    explicit GroupedTableView(QWidget* parent = nullptr);

    void setSections(QList<Section> sections);
    const QList<Section>& sections() const { return sections_; }
    // Where a row is drawn, in the coordinates of the scrolled content.
    QRect rowRect(int section, int row) const;

signals:
    void rowSelected(int section, int row);

private:
    class Content;
    friend class Content;

    QList<Section> sections_;
    Content* content_;
};
