#include "EventCsvWriter.h"

#include "DateTimeFormatter.h"
#include "EventStateText.h"
#include "ReadContext.h"

#include <QBuffer>
#include <QDateTime>
#include <QIODevice>

#include <cmath>

namespace {
constexpr qsizetype FlushChars = 1 << 16;

QString plainSpaces(QString text) {
    for (QChar& c : text) {
        if (c.category() == QChar::Separator_Space)
            c = QLatin1Char(' ');
    }
    return text;
}
} // namespace

const QString EventCsvWriter::Header = QStringLiteral("Time,State,Level\n");
const QString EventCsvWriter::IsoHeader = QStringLiteral("time,state,level_percent\n");

EventCsvWriter::EventCsvWriter(Format format)
    : format_(format), dateFormatter_(std::make_unique<DateTimeFormatter>(
                           DateTimeFormatter::Style::Short, DateTimeFormatter::Style::Short)) {}

EventCsvWriter::~EventCsvWriter() = default;

QString EventCsvWriter::quoteField(const QString& field) {
    const bool needsQuotes = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                             field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void EventCsvWriter::appendRow(QString& out, const Event& event) const {
    if (format_ == Format::Iso) {
        appendIsoRow(out, event);
        return;
    }
    out += quoteField(plainSpaces(dateFormatter_->format(event.creationDate)));
    out += QLatin1Char(',');
    out += quoteField(EventStateText::history(event));
    out += QString::asprintf(",%1.2f\n", static_cast<double>(event.batteryLevel));
}

void EventCsvWriter::appendIsoRow(QString& out, const Event& event) const {
    // Whole seconds, rounded down, so a sample never appears to come from the next second.
    const auto seconds = static_cast<qint64>(std::floor(event.creationDate));
    out += QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
    out += QLatin1Char(',');
    out += EventStateText::plain(event);
    // asprintf ignores the locale: always a decimal point. An unknown level stays empty.
    if (event.batteryLevel >= 0)
        out += QString::asprintf(",%.2f\n", static_cast<double>(event.batteryLevel) * 100.0);
    else
        out += QStringLiteral(",\n");
}

bool EventCsvWriter::write(QIODevice& out, ReadContext* log, Format format) {
    const EventCsvWriter writer(format);
    QString chunk = format == Format::Iso ? IsoHeader : Header;
    bool written = true;
    const bool read = !log || log->forEachNewestFirst([&](const Event& event) {
        writer.appendRow(chunk, event);
        if (chunk.size() >= FlushChars) {
            written = out.write(chunk.toUtf8()) >= 0;
            chunk.clear();
        }
        return written;
    });
    return read && written && out.write(chunk.toUtf8()) >= 0;
}

QString EventCsvWriter::text(ReadContext* log) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    write(buffer, log);
    return QString::fromUtf8(buffer.data());
}
