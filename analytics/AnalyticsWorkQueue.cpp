#include "AnalyticsWorkQueue.h"

#include <QSemaphore>

#include <memory>

AnalyticsWorkQueue::AnalyticsWorkQueue() : worker_(new QObject) {
    thread_.setObjectName(QStringLiteral("org.ampelio.analytics.queue"));
    worker_->moveToThread(&thread_);
    thread_.start();
}

AnalyticsWorkQueue::~AnalyticsWorkQueue() {
    // Work already enqueued still runs: it may be the record of the session being stored.
    sync([] {});
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void AnalyticsWorkQueue::async(std::function<void()> block) {
    QMetaObject::invokeMethod(worker_, std::move(block), Qt::QueuedConnection);
}

void AnalyticsWorkQueue::sync(const std::function<void()>& block) {
    if (isCurrent()) {
        block();
        return;
    }
    QMetaObject::invokeMethod(worker_, block, Qt::BlockingQueuedConnection);
}

bool AnalyticsWorkQueue::syncWithin(std::function<void()> block, int milliseconds) {
    if (isCurrent()) {
        block();
        return true;
    }
    // Shared, as the block may outlive this call when the wait gives up.
    auto done = std::make_shared<QSemaphore>();
    async([block = std::move(block), done] {
        block();
        done->release();
    });
    return done->tryAcquire(1, milliseconds);
}
