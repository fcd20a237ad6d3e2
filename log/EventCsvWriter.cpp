#include "EventCsvWriter.h"

#include "DateTimeFormatter.h"
#include "EventStateText.h"
#include "ReadContext.h"

#include <QBuffer>
#include <QIODevice>

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

EventCsvWriter::EventCsvWriter()
    : dateFormatter_(std::make_unique<DateTimeFormatter>(DateTimeFormatter::Style::Short,
                                                         DateTimeFormatter::Style::Short)) {}

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
    out += quoteField(plainSpaces(dateFormatter_->format(event.creationDate)));
    out += QLatin1Char(',');
    out += quoteField(EventStateText::history(event));
    out += QString::asprintf(",%1.2f\n", static_cast<double>(event.batteryLevel));
}

bool EventCsvWriter::write(QIODevice& out, ReadContext* log) {
    const EventCsvWriter writer;
    QString chunk = Header;
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
