#include "TiledLayer.h"

#include <QPainter>
#include <QRunnable>

#include <cmath>
#include <utility>

TiledLayer::TiledLayer(const QSize& tileSize, QObject* parent)
    : QObject(parent), tileSize_(tileSize) {
    pool_.setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
}

TiledLayer::~TiledLayer() {
    // Renderers read the data source; it must outlive every tile still being drawn.
    pool_.clear();
    pool_.waitForDone();
}

void TiledLayer::paint(QPainter& painter, const QRectF& exposed, const QSizeF& layerSize, qreal dpr,
                       bool schedule) {
    if (dpr != dpr_) {
        clear();
        dpr_ = dpr;
    }
    const QRectF area = exposed.intersected(QRectF(QPointF(0, 0), layerSize));
    if (area.isEmpty())
        return;
    const int firstColumn = static_cast<int>(std::floor(area.left() / tileSize_.width()));
    const int lastColumn = static_cast<int>(std::ceil(area.right() / tileSize_.width())) - 1;
    const int firstRow = static_cast<int>(std::floor(area.top() / tileSize_.height()));
    const int lastRow = static_cast<int>(std::ceil(area.bottom() / tileSize_.height())) - 1;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const QPoint key(column, row);
            const QRectF rect = tileRect(key, layerSize);
            auto it = tiles_.find(key);
            if (it != tiles_.end()) {
                it->lastUsed = ++useCounter_;
                painter.drawImage(rect.topLeft(), it->image);
            }
            const bool current = it != tiles_.end() && it->generation == generation_;
            if (schedule && !current && pending_.value(key) != generation_)
                this->schedule(key, rect, dpr);
        }
    }
    // Workers start once the paint is over, so that they do not compete with it for a core.
    if (!scheduled_.isEmpty())
        QMetaObject::invokeMethod(this, &TiledLayer::startScheduled, Qt::QueuedConnection);
}

void TiledLayer::startScheduled() {
    const QList<std::function<void()>> jobs = std::exchange(scheduled_, {});
    for (const std::function<void()>& job : jobs)
        pool_.start(job);
}

void TiledLayer::clear() {
    ++generation_;
    scheduled_.clear();
    pool_.clear();
    pending_.clear();
    tiles_.clear();
    cachedBytes_ = 0;
}

void TiledLayer::invalidate() {
    ++generation_;
    scheduled_.clear();
    pool_.clear();
    pending_.clear();
}

QRectF TiledLayer::tileRect(const QPoint& key, const QSizeF& layerSize) const {
    const QRectF full(key.x() * tileSize_.width(), key.y() * tileSize_.height(), tileSize_.width(),
                      tileSize_.height());
    return full.intersected(QRectF(QPointF(0, 0), layerSize));
}

void TiledLayer::schedule(const QPoint& key, const QRectF& rect, qreal dpr) {
    if (!factory_)
        return;
    pending_.insert(key, generation_);
    const quint64 generation = generation_;
    TileRenderer renderer = factory_();
    scheduled_.append([this, key, rect, dpr, generation, renderer = std::move(renderer)] {
        const QSize pixels(static_cast<int>(std::ceil(rect.width() * dpr)),
                           static_cast<int>(std::ceil(rect.height() * dpr)));
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.translate(-rect.topLeft());
            painter.setClipRect(rect);
            renderer(painter);
        }
        QMetaObject::invokeMethod(
            this, [this, key, generation, image] { tileFinished(key, generation, image); },
            Qt::QueuedConnection);
    });
}

void TiledLayer::tileFinished(const QPoint& key, quint64 generation, const QImage& image) {
    if (generation != generation_)
        return; // drawn for a cache that has since been discarded or a zoom since changed
    pending_.remove(key);
    Tile& tile = tiles_[key];
    cachedBytes_ += bytesOf(image) - bytesOf(tile.image);
    tile.image = image;
    tile.generation = generation;
    tile.lastUsed = ++useCounter_;
    evictBeyondLimit();
    const QSizeF size = image.deviceIndependentSize();
    emit tileReady(
        QRectF(QPointF(key.x() * tileSize_.width(), key.y() * tileSize_.height()), size));
    if (pending_.isEmpty())
        emit idle();
}

void TiledLayer::evictBeyondLimit() {
    while (cachedBytes_ > cacheLimit_) {
        auto oldest = tiles_.end();
        for (auto it = tiles_.begin(); it != tiles_.end(); ++it) {
            const QRectF rect(
                QPointF(it.key().x() * tileSize_.width(), it.key().y() * tileSize_.height()),
                it->image.deviceIndependentSize());
            if (rect.intersects(visible_))
                continue;
            if (oldest == tiles_.end() || it->lastUsed < oldest->lastUsed)
                oldest = it;
        }
        if (oldest == tiles_.end())
            return; // only visible tiles left: never evict what is on screen
        cachedBytes_ -= bytesOf(oldest->image);
        tiles_.erase(oldest);
    }
}
