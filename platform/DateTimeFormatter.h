#pragma once

#include <QString>

#include <memory>

// Dates in the user's locale and time zone (from LANG/LC_* and TZ), through ICU. One instance is
// not safe for concurrent use; make one per thread or per task.
class DateTimeFormatter {
public:
    enum class Style { None, Short, Medium, Long, Full };

    DateTimeFormatter(Style dateStyle, Style timeStyle);
    // A Unicode date pattern such as "EEE\nMMM d\nh:mm a", localised where the pattern asks.
    explicit DateTimeFormatter(const QString& pattern);
    ~DateTimeFormatter();
    DateTimeFormatter(const DateTimeFormatter&) = delete;
    DateTimeFormatter& operator=(const DateTimeFormatter&) = delete;

    QString format(double secondsSinceEpoch) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
