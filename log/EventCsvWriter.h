#pragma once

#include "Event.h"

#include <QString>

#include <memory>

class DateTimeFormatter;
class QIODevice;
class ReadContext;

// The log as comma-separated text: a header, then one line per sample, newest first, with the
// short date and time of the user's locale, the state text and the level with two decimals.
// Fields holding a comma, a quote or a line break are quoted, so locales whose short date has
// a comma keep their columns. The Unicode spaces of locale formats (a narrow no-break space
// before "PM") are written as plain spaces, so every export of a log has the same bytes and
// reads the same in tools that expect ASCII.
//
// The Iso format is for tools instead: "time,state,level_percent", ISO 8601 UTC times with
// seconds, a plain state word and the level in percent, identical in every locale.
class EventCsvWriter {
public:
    enum class Format { Display, Iso };
    static const QString Header;
    static const QString IsoHeader;

    explicit EventCsvWriter(Format format = Format::Display);
    ~EventCsvWriter();

    static QString quoteField(const QString& field);

    // Appends one line for the event.
    void appendRow(QString& out, const Event& event) const;

    // Streams the header and every saved record of the log (none without a log) in chunks, so
    // memory does not grow with the log. False when the log could not be read to its end or
    // the output could not be written: a cut export is never a success.
    static bool write(QIODevice& out, ReadContext* log, Format format = Format::Display);
    // The whole export as one text, for the mail attachment.
    static QString text(ReadContext* log);

private:
    void appendIsoRow(QString& out, const Event& event) const;

    Format format_;
    std::unique_ptr<DateTimeFormatter> dateFormatter_;
};
