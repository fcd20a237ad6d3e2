#include "MetricsTextfileWriter.h"

#include "AtomicFile.h"
#include "BatteryLogHandler.h"
#include "BatteryMetrics.h"
#include "ChargeTimeTracker.h"
#include "LogCategories.h"
#include "ManagedObjectContext.h"
#include "PrometheusTextfile.h"

#include <QDir>

const QString MetricsTextfileWriter::DirectoryKey = QStringLiteral("metricsTextfileDirectory");

MetricsTextfileWriter::MetricsTextfileWriter(BatteryLogHandler& log, PowerSource& source,
                                             const ChargeTimeTracker* times, QString directory,
                                             QObject* parent)
    : QObject(parent), log_(log), source_(source), times_(times), directory_(std::move(directory)) {
    // Counted once; each kept sample adds one, so no sample pays for a count of the whole log.
    if (ManagedObjectContext* context = log_.managedObjectContext())
        samples_ = context->savedCount();
    connect(&log_, &BatteryLogHandler::dataAdded, this, &MetricsTextfileWriter::sampleKept);
    write();
}

QString MetricsTextfileWriter::path() const {
    return QDir(directory_).filePath(QString::fromLatin1(PrometheusTextfile::FileName));
}

void MetricsTextfileWriter::sampleKept() {
    ++samples_;
    write();
}

bool MetricsTextfileWriter::write() {
    const BatteryMetrics metrics =
        BatteryMetrics::read(source_, times_ ? times_->estimate() : ChargeTimeEstimate{}, samples_);
    AtomicFile file(path());
    // The exporter runs as its own user; the file holds nothing private.
    file.setPermissions(0644);
    // Rewritten with every sample and again after a crash: an fsync per sample buys nothing.
    file.setDurable(false);
    const bool written =
        file.open() && file.write(PrometheusTextfile::format(metrics)) && file.commit();
    // One line when writing starts to fail and one when it works again, not one per sample.
    if (!written && !failing_)
        qCWarning(lcMetrics, "Couldn't write the metrics file %s: %s", qPrintable(path()),
                  qPrintable(file.errorString()));
    else if (written && failing_)
        qCInfo(lcMetrics, "The metrics file %s is written again", qPrintable(path()));
    failing_ = !written;
    return written;
}
