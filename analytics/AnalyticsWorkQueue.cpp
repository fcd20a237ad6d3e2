#include "AnalyticsWorkQueue.h"

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
