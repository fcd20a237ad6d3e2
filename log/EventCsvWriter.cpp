#include "EventCsvWriter.h"

#include "DateTimeFormatter.h"

const QString EventCsvWriter::Header = QStringLiteral("Time,State,Level\n");

EventCsvWriter::EventCsvWriter()
    : dateFormatter_(std::make_unique<DateTimeFormatter>(DateTimeFormatter::Style::Short,
                                                         DateTimeFormatter::Style::Short)) {}

EventCsvWriter::~EventCsvWriter() = default;

QString EventCsvWriter::stateDescr(int state) {
    switch (state) {
    case 0:
        return QStringLiteral("State: Unknown");
    case 1:
        return QStringLiteral("State: Running from Battery");
    case 2:
        return QStringLiteral("State: Battery Charging");
    case 3:
        return QStringLiteral("State: Battery Full");
    default:
        return QString();
    }
}

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
    out += quoteField(dateFormatter_->format(event.creationDate));
    out += QLatin1Char(',');
    out += quoteField(stateDescr(event.batteryState));
    out += QString::asprintf(",%1.2f\n", static_cast<double>(event.batteryLevel));
}
