#include "HealthCsvWriter.h"

#include "BatteryCatalog.h"
#include "EventCsvWriter.h"
#include "HealthStore.h"
#include "HealthTrend.h"

#include <QDateTime>
#include <QIODevice>

#include <cmath>

const QString HealthCsvWriter::Header =
    QStringLiteral("Time,Battery,Full,Design,Unit,Health,Cycles,Temperature,Flagged\n");

bool HealthCsvWriter::write(QIODevice& out, HealthStore& health, BatteryCatalog& catalog) {
    QString text = Header;
    // A log that cannot be read to the end is a failed export, not a shorter one.
    bool complete = true;
    const QList<BatteryCatalog::Entry> batteries = catalog.entries(&complete);
    if (!complete)
        return false;
    for (const BatteryCatalog::Entry& battery : batteries) {
        const QList<HealthReading> readings = health.readings(battery.id, &complete);
        if (!complete)
            return false;
        // The trend's points are the readings with a known health, in the same order.
        const HealthTrend trend = HealthTrend::compute(readings);
        qsizetype point = 0;
        for (const HealthReading& reading : readings) {
            const auto percent = reading.healthPercent();
            bool flagged = false;
            if (percent && std::isfinite(*percent) && point < trend.points().size())
                flagged = trend.points()[point++].flagged;
            text += QDateTime::fromMSecsSinceEpoch(qint64(reading.date * 1000.0), Qt::UTC)
                        .toString(Qt::ISODate);
            text += QLatin1Char(',') + EventCsvWriter::quoteField(battery.name);
            text += QString::asprintf(",%.0f,%.0f,", reading.full, reading.design) + reading.unit;
            text += percent ? QString::asprintf(",%.2f", *percent) : QStringLiteral(",");
            text +=
                reading.cycles ? QStringLiteral(",%1").arg(*reading.cycles) : QStringLiteral(",");
            text += reading.temperature ? QString::asprintf(",%.1f", *reading.temperature)
                                        : QStringLiteral(",");
            text += flagged ? QStringLiteral(",yes\n") : QStringLiteral(",no\n");
        }
    }
    return out.write(text.toUtf8()) >= 0;
}
