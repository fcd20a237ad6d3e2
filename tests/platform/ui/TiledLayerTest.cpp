#include "TiledLayer.h"

#include <QPainter>
#include <QSemaphore>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>

namespace {
const QSize kTile(256, 411);

// Paints the layer once onto a scratch image, which schedules whatever is missing.
void paintLayer(TiledLayer& layer, const QRectF& exposed, const QSizeF& size, qreal dpr = 1.0) {
    layer.setVisibleRect(exposed);
    QImage target(size.toSize().boundedTo(QSize(4096, 1024)), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&target);
    layer.paint(painter, exposed, size, dpr);
}

void waitUntilIdle(TiledLayer& layer) {
    QSignalSpy idle(&layer, &TiledLayer::idle);
    if (layer.pendingTileCount() > 0) {
        ASSERT_TRUE(idle.wait(5000));
    }
}
} // namespace

TEST(TiledLayerTest, DrawsEachVisibleTileOnceWithItsOwnClip) {
    TiledLayer layer(kTile);
    std::mutex mutex;
    QList<QRectF> clips;
    layer.setRendererFactory([&] {
        return [&](QPainter& painter) {
            std::lock_guard lock(mutex);
            clips.append(painter.clipBoundingRect());
        };
    });
    paintLayer(layer, QRectF(100, 0, 320, 416), QSizeF(2000, 416));
    EXPECT_EQ(layer.pendingTileCount(), 4);
    waitUntilIdle(layer);
    std::sort(clips.begin(), clips.end(), [](const QRectF& a, const QRectF& b) {
        return std::make_pair(a.y(), a.x()) < std::make_pair(b.y(), b.x());
    });
    EXPECT_EQ(clips, (QList<QRectF>{QRectF(0, 0, 256, 411), QRectF(256, 0, 256, 411),
                                    QRectF(0, 411, 256, 5), QRectF(256, 411, 256, 5)}));
    paintLayer(layer, QRectF(100, 0, 320, 416), QSizeF(2000, 416));
    EXPECT_EQ(layer.pendingTileCount(), 0); // cached
    EXPECT_EQ(layer.cachedTileCount(), 4);
}

TEST(TiledLayerTest, TilesAreImagesAtTheDevicePixelRatio) {
    TiledLayer layer(kTile);
    layer.setRendererFactory(
        [] { return [](QPainter& p) { p.fillRect(p.clipBoundingRect(), Qt::red); }; });
    QSignalSpy ready(&layer, &TiledLayer::tileReady);
    paintLayer(layer, QRectF(0, 0, 10, 10), QSizeF(2000, 416), 2.0);
    waitUntilIdle(layer);
    EXPECT_EQ(layer.cachedBytes(), 512LL * 822 * 4);
    EXPECT_EQ(ready.first().first().toRectF(), QRectF(0, 0, 256, 411));
}

TEST(TiledLayerTest, TileFinishedAfterAClearIsDropped) {
    TiledLayer layer(kTile);
    QSemaphore started;
    QSemaphore release;
    layer.setRendererFactory([&] {
        return [&](QPainter&) {
            started.release();
            release.acquire();
        };
    });
    paintLayer(layer, QRectF(0, 0, 10, 10), QSizeF(2000, 416));
    QCoreApplication::sendPostedEvents(&layer); // workers start after the paint
    ASSERT_TRUE(started.tryAcquire(1, 5000));
    layer.clear();
    release.release();
    layer.threadPool().waitForDone();
    QCoreApplication::sendPostedEvents(&layer);
    EXPECT_EQ(layer.cachedTileCount(), 0);
    EXPECT_EQ(layer.pendingTileCount(), 0);
}

TEST(TiledLayerTest, InvalidateKeepsOldTilesUntilTheirReplacementsArrive) {
    TiledLayer layer(kTile);
    std::atomic<int> drawn{0};
    layer.setRendererFactory([&] { return [&](QPainter&) { ++drawn; }; });
    paintLayer(layer, QRectF(0, 0, 10, 10), QSizeF(2000, 416));
    waitUntilIdle(layer);
    layer.invalidate();
    EXPECT_EQ(layer.cachedTileCount(), 1);
    paintLayer(layer, QRectF(0, 0, 10, 10), QSizeF(2000, 416));
    EXPECT_EQ(layer.pendingTileCount(), 1);
    waitUntilIdle(layer);
    EXPECT_EQ(drawn.load(), 2);
}

TEST(TiledLayerTest, CacheStaysWithinItsLimitButKeepsVisibleTiles) {
    TiledLayer layer(kTile);
    layer.setRendererFactory([] { return [](QPainter&) {}; });
    const qint64 tileBytes = 256LL * 411 * 4;
    layer.setCacheLimitBytes(3 * tileBytes);
    const QSizeF size(256 * 40, 411);
    for (int column = 0; column < 40; ++column) {
        paintLayer(layer, QRectF(column * 256, 0, 256, 411), size);
        waitUntilIdle(layer);
        ASSERT_LE(layer.cachedBytes(), 3 * tileBytes);
    }
    EXPECT_EQ(layer.cachedTileCount(), 3);
    // A screen wider than the limit keeps all of its tiles.
    paintLayer(layer, QRectF(0, 0, 256 * 5, 411), size);
    waitUntilIdle(layer);
    EXPECT_EQ(layer.cachedTileCount(), 5);
}
