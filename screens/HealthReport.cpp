#include "HealthReport.h"

#include "BatteryCatalog.h"
#include "BatteryLogHandler.h"
#include "DateTimeFormatter.h"
#include "HealthStore.h"
#include "HealthTrend.h"

const QString HealthReport::Header = QStringLiteral("Battery Health");

HealthReport::HealthReport(BatteryLogHandler& handler) : handler_(handler) {}

void HealthReport::updateData() {
    entries_.clear();
    json_ = QJsonObject();
    BatteryCatalog* catalog = handler_.batteryCatalog();
    HealthStore* health = handler_.healthStore();
    if (!catalog || !health) {
        entries_.append({QStringLiteral("No readings yet"), QString()});
        return;
    }
    QList<QPair<BatteryCatalog::Entry, HealthTrend>> trends;
    for (const BatteryCatalog::Entry& battery : catalog->entries()) {
        const QList<HealthReading> readings = health->readings(battery.id);
        HealthTrend trend = HealthTrend::compute(readings);
        if (trend.currentPercent())
            trends.append({battery, std::move(trend)});
    }
    if (trends.isEmpty()) {
        entries_.append({QStringLiteral("No readings yet"), QString()});
        return;
    }
    const DateTimeFormatter dates(DateTimeFormatter::Style::Medium, DateTimeFormatter::Style::None);
    QStringList names;
    for (const auto& entry : trends)
        names.append(entry.first.name);
    for (const auto& [battery, trend] : trends) {
        // A swapped battery has the same name as the one before it; its identity tells them apart.
        const QString name = names.count(battery.name) > 1
                                 ? QStringLiteral("%1 [%2]").arg(battery.name, battery.key)
                                 : battery.name;
        if (trends.size() > 1)
            entries_.append({name, QString()});
        QJsonObject figures;
        const auto add = [&](const QString& label, const QString& text, const char* key,
                             double value) {
            entries_.append({label, text});
            figures.insert(QLatin1String(key), value);
        };
        add(QStringLiteral("Health"), QString::asprintf("%2.1f%%", *trend.currentPercent()),
            "health_percent", *trend.currentPercent());
        if (const auto perMonth = trend.changePerMonth())
            add(QStringLiteral("Change per Month"), QString::asprintf("%+.2f%%", *perMonth),
                "change_per_month_percent", *perMonth);
        if (const auto cycles = trend.cycles())
            add(QStringLiteral("Cycle Count"), QStringLiteral("%1 cycles").arg(*cycles),
                "cycle_count", *cycles);
        for (const int level : {80, 70}) {
            const QString label = QStringLiteral("%1% Expected").arg(level);
            const auto projection = trend.projectedDate(level);
            if (!projection) {
                entries_.append({label, QStringLiteral("not in sight")});
                continue;
            }
            const QString text = projection->alreadyReached ? QStringLiteral("reached")
                                                            : dates.format(projection->date);
            add(label, text, level == 80 ? "expected_80_percent_date" : "expected_70_percent_date",
                projection->date);
        }
        if (trend.flaggedCount() > 0)
            add(QStringLiteral("Flagged Readings"),
                QStringLiteral("%1 (left out)").arg(trend.flaggedCount()), "flagged_readings",
                trend.flaggedCount());
        json_.insert(name.isEmpty() ? battery.key : name, figures);
    }
}

QString HealthReport::toText() const {
    QString out = Header + QLatin1Char('\n');
    for (const auto& [label, value] : entries_)
        out += QStringLiteral("  %1 %2\n").arg(label, -26).arg(value);
    return out;
}
