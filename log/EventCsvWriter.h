#pragma once

#include "Event.h"

#include <QString>

#include <memory>

class DateTimeFormatter;

// The log as comma-separated text: a header, then one line per sample, newest first, with the
// short date and time of the user's locale, the state text and the level with two decimals.
// Fields holding a comma, a quote or a line break are quoted, so locales whose short date has
// a comma keep their columns.
class EventCsvWriter {
public:
    static const QString Header;

    EventCsvWriter();
    ~EventCsvWriter();

    // The history list's state texts ("State: Running from Battery", ...; "" for other values).
    static QString stateDescr(int state);
    static QString quoteField(const QString& field);

    // Appends one line for the event.
    void appendRow(QString& out, const Event& event) const;

private:
    std::unique_ptr<DateTimeFormatter> dateFormatter_;
};
