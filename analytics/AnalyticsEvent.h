#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <mutex>
#include <optional>

// One event the application logged. Events are shared: a paused session's pending events move
// to its successor.
class AnalyticsEvent {
public:
    explicit AnalyticsEvent(const QString& name, bool timed = false,
                            const QVariantMap& parameters = {});

    const QString& name() const { return name_; }
    double started() const { return started_; }
    std::optional<double> ended() const { return ended_; }
    void setEnded(std::optional<double> date) { ended_ = date; }
    bool timed() const { return timed_; }
    bool automaticallyEnded() const { return automaticallyEnded_; }
    void setAutomaticallyEnded(bool value) { automaticallyEnded_ = value; }
    QVariantMap parameters() const;
    qint64 eventLogId() const { return eventLogId_; }

    // A new id from the event counter, for an event handed to a new session.
    void updateID();
    // Merges the given parameters in, unless that would exceed the parameter limit.
    void updateParameters(const QVariantMap& parameters);
    bool isUnterminated() const { return timed_ && !ended_; }
    qint64 startOffsetFromSessionStart(double sessionStart) const;
    qint64 duration() const;

    QByteArray dataRelativeToSessionStart(double sessionStart) const;

    QVariantMap toStored() const;
    // Nothing when the stored value is not an event.
    static std::shared_ptr<AnalyticsEvent> fromStored(const QVariant& stored);

private:
    struct Restored {};
    explicit AnalyticsEvent(Restored) {}

    QString name_;
    double started_ = 0;
    std::optional<double> ended_;
    bool timed_ = false;
    bool automaticallyEnded_ = false;
    QVariantMap parameters_;
    qint64 eventLogId_ = 0;
    mutable std::mutex mutex_;
};
