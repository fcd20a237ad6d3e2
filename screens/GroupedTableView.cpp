#include "GroupedTableView.h"

#include "Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int Margin = 10;
constexpr int HeaderHeight = 36;
constexpr int SectionGap = 10;

QFont helvetica(int pixels, bool bold) {
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
} // namespace

class GroupedTableView::Content : public QWidget {
public:
    explicit Content(GroupedTableView* table) : QWidget(table), table_(table) {}

    int sectionTop(int section) const {
        int y = 0;
        for (int s = 0; s < section; ++s)
            y += blockHeight(s);
        return y;
    }
    int blockHeight(int section) const {
        const int rows = static_cast<int>(table_->sections_[section].rows.size());
        return HeaderHeight + rows * RowHeight + SectionGap;
    }
    int totalHeight() const {
        return sectionTop(static_cast<int>(table_->sections_.size())) + Margin;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paintBackground(painter);
        for (int s = 0; s < table_->sections_.size(); ++s)
            paintSection(painter, s);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        for (int s = 0; s < table_->sections_.size(); ++s) {
            for (int r = 0; r < table_->sections_[s].rows.size(); ++r) {
                if (table_->rowRect(s, r).contains(p)) {
                    emit table_->rowSelected(s, r);
                    return;
                }
            }
        }
    }

private:
    // The pinstripes of a grouped table's background.
    void paintBackground(QPainter& painter) const {
        painter.fillRect(rect(), Theme::groupedBackground());
        painter.setPen(Theme::groupedStripe());
        for (int x = 3; x < width(); x += 7)
            painter.drawLine(x, 0, x, height());
    }

    void paintSection(QPainter& painter, int s) const {
        const Section& section = table_->sections_[s];
        const int top = sectionTop(s);
        if (!section.header.isEmpty()) {
            painter.setFont(helvetica(17, true));
            painter.setPen(Theme::groupHeaderShadow());
            const QRect header(Margin + 10, top + 1, width() - 2 * Margin - 20, HeaderHeight);
            painter.drawText(header.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter,
                             section.header);
            painter.setPen(Theme::groupHeader());
            painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, section.header);
        }
        if (section.rows.isEmpty())
            return;
        const QRectF group(Margin + 0.5, top + HeaderHeight + 0.5, width() - 2 * Margin - 1,
                           section.rows.size() * RowHeight - 1);
        QPainterPath outline;
        outline.addRoundedRect(group, 9, 9);
        painter.fillPath(outline, Theme::groupFill());
        painter.setPen(Theme::groupOutline());
        painter.drawPath(outline);
        for (int r = 0; r < section.rows.size(); ++r) {
            const QRect cell = table_->rowRect(s, r);
            if (r > 0)
                painter.drawLine(cell.left(), cell.top(), cell.right(), cell.top());
            paintRow(painter, section.rows[r], cell.adjusted(10, 0, -10, 0));
            painter.setPen(Theme::groupOutline());
        }
    }

    static void paintRow(QPainter& painter, const Row& row, const QRect& cell) {
        painter.setFont(helvetica(15, true));
        painter.setPen(Theme::primaryText());
        // Metrics of the painter: the paint device's resolution decides the advance widths.
        const QFontMetrics titleMetrics = painter.fontMetrics();
        const int titleWidth =
            std::min(titleMetrics.horizontalAdvance(row.title) + 1, cell.width() * 2 / 3);
        painter.drawText(QRect(cell.left(), cell.top(), titleWidth, cell.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         titleMetrics.elidedText(row.title, Qt::ElideRight, titleWidth));
        painter.setFont(helvetica(15, false));
        painter.setPen(Theme::detailText());
        const QRect detail(cell.left() + titleWidth + 8, cell.top(), cell.width() - titleWidth - 8,
                           cell.height());
        painter.drawText(
            detail, Qt::AlignRight | Qt::AlignVCenter,
            painter.fontMetrics().elidedText(row.detail, Qt::ElideLeft, detail.width()));
    }

    GroupedTableView* table_;
};

GroupedTableView::GroupedTableView(QWidget* parent)
    : QScrollArea(parent), content_(new Content(this)) {
    setWidget(content_);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void GroupedTableView::setSections(QList<Section> sections) {
    sections_ = std::move(sections);
    content_->setMinimumHeight(content_->totalHeight());
    content_->update();
}

QRect GroupedTableView::rowRect(int section, int row) const {
    const int top = content_->sectionTop(section) + HeaderHeight + row * RowHeight;
    return {Margin, top, content_->width() - 2 * Margin, RowHeight};
}
