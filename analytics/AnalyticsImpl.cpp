#include "AnalyticsImpl.h"

#include "AnalyticsAutoIncrement.h"
#include "AnalyticsDataSender.h"
#include "AnalyticsLog.h"
#include "AnalyticsSession.h"
#include "Clock.h"

#include <mutex>

namespace {
constexpr int EndSessionWaitMs = 3000;
std::mutex implMutex;
AnalyticsImpl* impl = nullptr;
} // namespace

AnalyticsImpl& AnalyticsImpl::instance() {
    std::lock_guard lock(implMutex);
    if (!impl)
        impl = new AnalyticsImpl;
    return *impl;
}

AnalyticsImpl* AnalyticsImpl::existing() {
    std::lock_guard lock(implMutex);
    return impl;
}

void AnalyticsImpl::shutdown() {
    AnalyticsImpl* released = nullptr;
    {
        std::lock_guard lock(implMutex);
        std::swap(released, impl);
    }
    delete released;
}

AnalyticsImpl::~AnalyticsImpl() {
    queue_.sync([this] {
        AnalyticsDataSender::destroyInstance();
        session_.reset();
    });
}

void AnalyticsImpl::setupForApiKey(const QString& apiKey) {
    apiKey_ = apiKey;
    startTime_ = Clock::now();
    const double startTime = startTime_;
    queue_.async([this, apiKey, startTime] {
        // The sender reads the key for its data key: it is set up once the key is known.
        AnalyticsDataSender::setupInstanceWithQueue(queue_);
        AnalyticsAutoIncrement::instance().resetAll();
        if (session_) {
            session_->archiveSession();
            if (!apiKey.isEmpty())
                session_ = session_->sessionWithNewEventsWithApiKey(apiKey, startTime);
        } else if (!apiKey.isEmpty()) {
            session_ = AnalyticsSession::sessionWithApiKey(apiKey, startTime);
        }
    });
}

void AnalyticsImpl::async(std::function<void(AnalyticsSession&)> operation) {
    // On the queue itself (a last-resort handler of a failure there) a later turn may never
    // come: the operation runs now.
    if (queue_.isCurrent()) {
        if (session_)
            operation(*session_);
        return;
    }
    queue_.async([this, operation = std::move(operation)] {
        if (session_)
            operation(*session_);
    });
}

void AnalyticsImpl::sync(const std::function<void(AnalyticsSession&)>& operation) {
    queue_.sync([this, &operation] {
        if (session_)
            operation(*session_);
    });
}

void AnalyticsImpl::flush() {
    queue_.sync([] {});
}

void AnalyticsImpl::recordEvent(const QString& name, const QVariantMap& parameters, bool timed) {
    async([=](AnalyticsSession& s) { s.recordEvent(name, parameters, timed); });
}

void AnalyticsImpl::endTimedEvent(const QString& name, const QVariantMap& parameters) {
    async([=](AnalyticsSession& s) { s.endTimedEvent(name, parameters); });
}

template <typename Cause>
void AnalyticsImpl::recordError(const QString& errorId, const QString& message,
                                const std::optional<Cause>& cause, const QByteArray& liveReport) {
    async([=](AnalyticsSession& s) { s.recordError(errorId, message, cause, liveReport); });
}

template void AnalyticsImpl::recordError(const QString&, const QString&,
                                         const std::optional<AnalyticsException>&,
                                         const QByteArray&);
template void AnalyticsImpl::recordError(const QString&, const QString&,
                                         const std::optional<AnalyticsErrorObject>&,
                                         const QByteArray&);

void AnalyticsImpl::pauseSession() {
    async([](AnalyticsSession& s) { s.pauseSession(); });
}

void AnalyticsImpl::markSessionAsResuming() {
    async([](AnalyticsSession& s) { s.markSessionAsResuming(); });
}

void AnalyticsImpl::resumeSession() {
    async([](AnalyticsSession& s) { s.resumeSession(); });
}

void AnalyticsImpl::endSession() {
    // Ending is on the way out of the process: work still queued (a huge stored file being
    // read, a slow disk) must not hold quitting for long.
    const bool inTime = queue_.syncWithin(
        [this] {
            if (session_)
                session_->endSession();
        },
        EndSessionWaitMs);
    if (!inTime)
        ANALYTICS_LOG(AtLeast1, "Analytics: the session could not be ended in time; quitting "
                                "without storing it");
}

void AnalyticsImpl::sendSessionsToServerForCreateSession() {
    async([](AnalyticsSession& s) { s.sendSessionsToServerForCreateSession(); });
}
