#pragma once

#include "GraphDelegate.h"
#include "GraphView.h"

#include <QHash>
#include <QImage>
#include <QPainter>

#include <mutex>
#include <vector>

class FakeObject : public GraphDataObject {
public:
    FakeObject(double date, float level, QVariant state)
        : date_(date), level_(level), state_(state) {}
    QVariant valueForKey(const QString& key) const override {
        if (key == QLatin1String("date"))
            return date_;
        if (key == QLatin1String("level"))
            return level_;
        if (key == QLatin1String("state"))
            return state_;
        return QVariant();
    }

private:
    double date_;
    float level_;
    QVariant state_;
};

// A data source whose answers the test sets; it records what the graph asks and selects.
class FakeGraphSource : public GraphDelegate {
public:
    struct Selection {
        GraphDataObjectPtr object;
        QPointF location;
        QString key;
    };

    float range = 864000; // ten days across a 3200-point graph: 270 seconds per point
    QStringList keys{QStringLiteral("level")};
    GraphData data;
    std::optional<int> type;
    std::optional<float> clearance;
    std::optional<StateBadgeTable> badges;
    std::vector<Selection> selected;
    // The windows asked for, from whichever thread drew.
    struct Windows {
        std::mutex mutex;
        std::vector<std::pair<float, float>> list;
    };
    std::shared_ptr<Windows> asked = std::make_shared<Windows>();
    std::vector<std::pair<float, float>> windows() const {
        std::lock_guard lock(asked->mutex);
        return asked->list;
    }

    float xRange() const override { return range; }
    float yRange(const QString&) const override { return 1.0f; }
    QString xKey() const override { return QStringLiteral("date"); }
    QStringList yKeys() const override { return keys; }
    GraphFetch dataFetch() const override {
        return [data = data, asked = asked](float from, float to, int) {
            std::lock_guard lock(asked->mutex);
            asked->list.emplace_back(from, to);
            return data;
        };
    }
    std::optional<int> lineType(const QString&) const override { return type; }
    std::optional<float> yBottomClearance() const override { return clearance; }
    std::optional<StateBadgeTable> stateChangeNewStateBadge() const override { return badges; }
    void objectSelected(const GraphDataObjectPtr& object, const QPointF& at,
                        const QString& key) override {
        selected.push_back({object, at, key});
    }

    void add(double date, float level, QVariant state = 1) {
        data.append(std::make_shared<FakeObject>(date, level, state));
    }
};

// The taps a graph announces, in order.
struct TapLog {
    QList<QPair<QString, QPointF>> taps;
    void listen(GraphView& view) {
        QObject::connect(&view, &GraphView::gotSingleTapAtPoint, [this](const QPointF& p) {
            taps.append({"single", p});
        });
        QObject::connect(&view, &GraphView::gotDoubleTapAtPoint, [this](const QPointF& p) {
            taps.append({"double", p});
        });
        QObject::connect(&view, &GraphView::gotTwoFingerTapAtPoint, [this](const QPointF& p) {
            taps.append({"two", p});
        });
    }
};

// Draws the tile with the given clip rectangle into an image of the tile's size.
inline QImage renderTile(const GraphView& view, const QRectF& clip) {
    QImage image(clip.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-clip.topLeft());
    painter.setClipRect(clip);
    view.drawLayer(painter);
    return image;
}

inline QImage solidImage(const QColor& colour, int side = 29) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}
