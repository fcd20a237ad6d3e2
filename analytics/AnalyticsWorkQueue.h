#pragma once

#include <QObject>
#include <QThread>

#include <functional>

// One serial work queue: a thread of its own that runs the blocks it is given one after the
// other, in the order they were enqueued.
class AnalyticsWorkQueue {
public:
    AnalyticsWorkQueue();
    ~AnalyticsWorkQueue();

    // The object whose thread is the queue; objects moved there run their slots on the queue.
    QObject* context() const { return worker_; }
    QThread* thread() const { return const_cast<QThread*>(&thread_); }
    bool isCurrent() const { return QThread::currentThread() == &thread_; }

    void async(std::function<void()> block);
    // Waits until the block has run; runs it at once when called on the queue itself, which
    // would otherwise wait for itself.
    void sync(const std::function<void()>& block);
    // Like sync, but gives up waiting after the time; the block still runs when its turn comes.
    // True when it ran in time.
    bool syncWithin(std::function<void()> block, int milliseconds);

private:
    QThread thread_;
    QObject* worker_;
};
