#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRectF>
#include <QThreadPool>

#include <functional>

class QPainter;

// A drawing surface cut into tiles that are drawn on worker threads and cached as images.
// Each tile is drawn by a renderer that sees a painter clipped to the tile's rectangle (in layer
// coordinates), so a tile can be drawn without knowing about its neighbours. The GUI thread only
// blits finished tiles and schedules missing ones; it never waits for a tile.
class TiledLayer : public QObject {
    Q_OBJECT
public:
    // Runs on a worker thread, once per tile.
    using TileRenderer = std::function<void(QPainter&)>;
    // Runs on the GUI thread when tiles are scheduled: captures what the renderer may read, so
    // that workers never touch state the GUI thread changes.
    using RendererFactory = std::function<TileRenderer()>;

    explicit TiledLayer(const QSize& tileSize, QObject* parent = nullptr);
    ~TiledLayer() override;

    void setRendererFactory(RendererFactory factory) { factory_ = std::move(factory); }
    QSize tileSize() const { return tileSize_; }

    // Blits the cached tiles that meet `exposed` and schedules those missing or out of date.
    // When `schedule` is false (a view scaled mid-gesture) only what is cached is shown.
    void paint(QPainter& painter, const QRectF& exposed, const QSizeF& layerSize, qreal dpr,
               bool schedule = true);
    // The part of the layer on screen; its tiles are never evicted.
    void setVisibleRect(const QRectF& rect) { visible_ = rect; }
    // Discards every tile; results still being drawn are dropped when they arrive.
    void clear();
    // Keeps the tiles on screen until their replacements, drawn now, arrive.
    void invalidate();

    // The cache evicts least recently shown tiles beyond this many bytes, except visible ones,
    // so it holds at most this much or one screen of tiles, whichever is more.
    void setCacheLimitBytes(qint64 bytes) { cacheLimit_ = bytes; }
    qint64 cacheLimitBytes() const { return cacheLimit_; }
    qint64 cachedBytes() const { return cachedBytes_; }
    int cachedTileCount() const { return static_cast<int>(tiles_.size()); }
    int pendingTileCount() const { return static_cast<int>(pending_.size()); }
    quint64 generation() const { return generation_; }
    QThreadPool& threadPool() { return pool_; }

    static constexpr qint64 defaultCacheLimitBytes = 64LL * 1024 * 1024;

signals:
    // A tile arrived; the owner repaints the rectangle (layer coordinates).
    void tileReady(const QRectF& rect);
    // No tile is being drawn any more.
    void idle();

private:
    struct Tile {
        QImage image;
        quint64 generation = 0;
        quint64 lastUsed = 0;
    };

    QRectF tileRect(const QPoint& key, const QSizeF& layerSize) const;
    void schedule(const QPoint& key, const QRectF& rect, qreal dpr);
    void startScheduled();
    void tileFinished(const QPoint& key, quint64 generation, const QImage& image);
    void evictBeyondLimit();
    static qint64 bytesOf(const QImage& image) { return image.sizeInBytes(); }

    QSize tileSize_;
    RendererFactory factory_;
    QHash<QPoint, Tile> tiles_;
    QHash<QPoint, quint64> pending_;         // tile -> generation it is being drawn for
    QList<std::function<void()>> scheduled_; // jobs waiting for the paint to finish
    QRectF visible_;
    qreal dpr_ = 1.0;
    quint64 generation_ = 1;
    quint64 useCounter_ = 0;
    qint64 cachedBytes_ = 0;
    qint64 cacheLimit_ = defaultCacheLimitBytes;
    QThreadPool pool_;
};
