#pragma once

#include "AnalyticsFailure.h"
#include "AnalyticsWorkQueue.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class AnalyticsSession;

// Moves every operation on the current session record onto the one serial work queue, in the
// order the calls were made. The record is touched nowhere else.
class AnalyticsImpl {
public:
    static AnalyticsImpl& instance();
    // The instance while one exists; never creates it.
    static AnalyticsImpl* existing();
    // Stores what is pending and releases the queue, the record and the data sender.
    static void shutdown();

    ~AnalyticsImpl();

    void setupForApiKey(const QString& apiKey);
    void recordEvent(const QString& name, const QVariantMap& parameters, bool timed);
    void endTimedEvent(const QString& name, const QVariantMap& parameters);
    // Cause is AnalyticsException or AnalyticsErrorObject; the session records either.
    template <typename Cause>
    void recordError(const QString& errorId, const QString& message,
                     const std::optional<Cause>& cause, const QByteArray& liveReport);
    void pauseSession();
    void markSessionAsResuming();
    void resumeSession();
    // Waits until the record is ended, sent and stored.
    void endSession();
    void sendSessionsToServerForCreateSession();

    // Runs an operation on the record, later or (for the getters) while the caller waits.
    void async(std::function<void(AnalyticsSession&)> operation);
    void sync(const std::function<void(AnalyticsSession&)>& operation);
    // Waits until everything enqueued so far has run.
    void flush();

    const QString& apiKey() const { return apiKey_; }
    AnalyticsWorkQueue& queue() { return queue_; }

private:
    AnalyticsImpl() = default;

    QString apiKey_;
    double startTime_ = 0;
    AnalyticsWorkQueue queue_;
    std::unique_ptr<AnalyticsSession> session_; // on the queue only
};
