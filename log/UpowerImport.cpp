#include "UpowerImport.h"

#include "DropRule.h"
#include "LogCategories.h"
#include "ManagedObjectContext.h"
#include "PowerSource.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace {
// Fields of one history line; false for anything else.
bool splitLine(const QByteArray& line, double* time, double* value, QByteArray* state) {
    const QList<QByteArray> fields = line.trimmed().split('\t');
    if (fields.size() != 3)
        return false;
    bool timeOk = false;
    bool valueOk = false;
    *time = fields[0].toDouble(&timeOk);
    *value = fields[1].toDouble(&valueOk);
    *state = fields[2];
    return timeOk && valueOk && std::isfinite(*time) && std::isfinite(*value) && *time > 0;
}

// The daemon's state names; "pending-charge" is plugged in and held below full.
bool stateOf(const QByteArray& name, int* state, bool* notCharging) {
    *notCharging = false;
    if (name == "discharging" || name == "empty" || name == "pending-discharge")
        *state = BatteryStateUnplugged;
    else if (name == "charging")
        *state = BatteryStateCharging;
    else if (name == "fully-charged")
        *state = BatteryStateFull;
    else if (name == "pending-charge")
        *state = BatteryStateFull, *notCharging = true;
    else if (name == "unknown")
        *state = BatteryStateUnknown;
    else
        return false;
    return true;
}

QStringList historyFiles(const QString& directory, const char* pattern) {
    QStringList files;
    const QDir dir(directory);
    for (const QString& name : dir.entryList({QLatin1String(pattern)}, QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

bool readLines(const QString& path, QList<QByteArray>* lines, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    // The daemon keeps a week or so; a file far beyond that is not one of its histories.
    constexpr qint64 MaxBytes = 64 << 20;
    if (file.size() > MaxBytes) {
        *error = QStringLiteral("%1: larger than %2 MB").arg(path).arg(MaxBytes >> 20);
        return false;
    }
    *lines = file.readAll().split('\n');
    return true;
}

// A sample the log holds already: the same second, state and level (to the percent the daemon
// writes).
bool isDuplicate(const QMultiHash<qint64, Event>& held, const Event& sample) {
    const qint64 second = static_cast<qint64>(std::floor(sample.creationDate));
    for (qint64 s = second - 1; s <= second + 1; ++s) {
        for (auto it = held.constFind(s); it != held.constEnd() && it.key() == s; ++it) {
            if (std::fabs(it->creationDate - sample.creationDate) < 1.0 &&
                it->batteryState == sample.batteryState &&
                std::fabs(it->batteryLevel - sample.batteryLevel) < 0.005f)
                return true;
        }
    }
    return false;
}
} // namespace

const QString UpowerImport::DefaultDirectory = QStringLiteral("/var/lib/upower");

bool UpowerImport::hasHistory(const QString& directory) {
    return !historyFiles(directory, "history-charge-*.dat").isEmpty();
}

QList<Event> UpowerImport::parseChargeFile(const QString& path, int* lines, int* badLines,
                                           QString* error) {
    QList<Event> samples;
    QList<QByteArray> text;
    if (!readLines(path, &text, error))
        return samples;
    for (const QByteArray& line : text) {
        if (line.trimmed().isEmpty())
            continue;
        ++*lines;
        double time = 0;
        double percent = 0;
        QByteArray stateName;
        Event sample;
        if (!splitLine(line, &time, &percent, &stateName) || percent < 0 || percent > 100 ||
            !stateOf(stateName, &sample.batteryState, &sample.notCharging)) {
            ++*badLines;
            continue;
        }
        sample.creationDate = time;
        sample.batteryLevel = static_cast<float>(percent / 100.0);
        samples.append(sample);
    }
    std::stable_sort(samples.begin(), samples.end(), [](const Event& a, const Event& b) {
        return a.creationDate < b.creationDate;
    });
    return samples;
}

int UpowerImport::countRateLines(const QString& path, int* badLines, QString* error) {
    QList<QByteArray> text;
    if (!readLines(path, &text, error))
        return 0;
    int count = 0;
    for (const QByteArray& line : text) {
        if (line.trimmed().isEmpty())
            continue;
        double time = 0;
        double watts = 0;
        QByteArray state;
        if (splitLine(line, &time, &watts, &state))
            ++count;
        else
            ++*badLines;
    }
    return count;
}

UpowerImport::Result UpowerImport::run(ManagedObjectContext& context, const QString& directory) {
    Result result;
    // The daemon keeps a history per battery, a replaced one's included. The log holds one
    // series, and two batteries' levels interleaved would read as a sawtooth: the battery with
    // the newest history is taken and the others are counted.
    QList<Event> incoming;
    for (const QString& path : historyFiles(directory, "history-charge-*.dat")) {
        QString error;
        const QList<Event> samples =
            parseChargeFile(path, &result.chargeLines, &result.badLines, &error);
        error.isEmpty() ? void(++result.files) : result.errors.append(error);
        if (samples.isEmpty())
            continue;
        if (!incoming.isEmpty() && samples.last().creationDate <= incoming.last().creationDate) {
            ++result.otherBatteries;
            continue;
        }
        result.otherBatteries += incoming.isEmpty() ? 0 : 1;
        incoming = samples;
    }
    for (const QString& path : historyFiles(directory, "history-rate-*.dat")) {
        QString error;
        result.rateLines += countRateLines(path, &result.badLines, &error);
        error.isEmpty() ? void(++result.files) : result.errors.append(error);
    }
    if (incoming.isEmpty())
        return result;
    std::stable_sort(incoming.begin(), incoming.end(), [](const Event& a, const Event& b) {
        return a.creationDate < b.creationDate;
    });

    // The log's samples over the same span, and the one before it, are the neighbours.
    const double first = incoming.first().creationDate;
    const double last = incoming.last().creationDate;
    QList<Event> held = context.executeFetchRequest({std::nullopt, first - 1.0, false, 1});
    context.forEachTakenBetween(first - 1.0, last + 2.0, [&held](const Event& e) {
        held.append(e);
        return true;
    });
    std::stable_sort(held.begin(), held.end(), [](const Event& a, const Event& b) {
        return a.creationDate < b.creationDate;
    });
    QMultiHash<qint64, Event> bySecond;
    for (const Event& e : held)
        bySecond.insert(static_cast<qint64>(std::floor(e.creationDate)), e);

    std::optional<Event> previous;
    qsizetype next = 0;
    for (const Event& sample : incoming) {
        while (next < held.size() && held[next].creationDate <= sample.creationDate)
            previous = held[next++];
        if (isDuplicate(bySecond, sample)) {
            ++result.duplicates;
            continue;
        }
        if (previous && shouldDropSample(*previous, sample)) {
            ++result.dropped;
            continue;
        }
        previous = context.insertNewEvent(sample.creationDate, sample.batteryLevel,
                                          sample.batteryState, sample.notCharging);
        ++result.taken;
    }
    StoreError error;
    if (result.taken > 0 && !context.save(&error)) {
        result.errors.append(error.description);
        result.taken = 0;
    }
    return result;
}

QString UpowerImport::summary(const Result& result, const QString& directory) {
    QString text = QStringLiteral("Took %1 of %2 samples from %3")
                       .arg(result.taken)
                       .arg(result.chargeLines)
                       .arg(directory);
    text += QStringLiteral(" (%1 already in the log, %2 adding nothing, %3 unreadable lines")
                .arg(result.duplicates)
                .arg(result.dropped)
                .arg(result.badLines);
    if (result.otherBatteries > 0)
        text += QStringLiteral("; %1 other batteries' histories left out, the log keeps one "
                               "battery's")
                    .arg(result.otherBatteries);
    if (result.rateLines > 0)
        text += QStringLiteral("; %1 power readings not kept, the log has no place for them")
                    .arg(result.rateLines);
    return text + QStringLiteral(")");
}
