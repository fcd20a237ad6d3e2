#include "StatisticsFile.h"

#include "AtomicFile.h"
#include "LogCategories.h"
#include "PropertyListGuard.h"
#include "StatisticsRange.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "PlistNode.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {
// The format numbers the log line reports, as property-list readers number them.
constexpr int FormatUnknown = 0;
constexpr int FormatXml = 100;
constexpr int FormatBinary = 200;

// Five numbers in one flat dictionary; anything far bigger is not a statistics file.
constexpr PropertyListGuard::Limits Limits{64 * 1024, 4, 1000};

// A missing total is zero, as after a reset; a total of another type (a string, a date) is
// damage and gives NaN, which the caller refuses.
float realForKey(plist_t dict, const char* key) {
    plist_t node = plist_dict_get_item(dict, key);
    if (!node)
        return 0.0f;
    const QVariant value = plistLeafValue(node);
    const bool number =
        value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong;
    return number ? value.toFloat() : std::numeric_limits<float>::quiet_NaN();
}

void logReadFailure(const QString& description, int format) {
    qCInfo(lcLog, "Couldn't read Statistics.plist: %s, format: %d. First run?",
           qPrintable(description), format);
}

void moveDamagedAside(const QString& path) {
    const QString stem =
        path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    // A second damaged file within the same second must not stay in place.
    QString aside = stem;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n);
    if (QFile::rename(path, aside))
        qCWarning(lcLog, "Kept the unreadable statistics file as %s", qPrintable(aside));
}
} // namespace

bool StatisticsFile::read(const QString& path, StatisticsRange& range, Damaged damaged) {
    const auto refuse = [&](const QString& description, int format) {
        logReadFailure(description, format);
        if (damaged == Damaged::MoveAside)
            moveDamagedAside(path);
        return false;
    };
    QFile file(path);
    if (!file.exists()) {
        logReadFailure(
            QStringLiteral("The file \u201cStatistics.plist\u201d couldn\u2019t be opened "
                           "because there is no such file."),
            FormatUnknown);
        return false;
    }
    // Resources (the shipped default) are no files on disk but are ours and small.
    const QFileInfo info(path);
    if (!path.startsWith(QLatin1Char(':')) && !info.isFile())
        return refuse(QStringLiteral("It isn\u2019t a regular file."), FormatUnknown);
    if (info.size() > Limits.maxBytes)
        return refuse(QStringLiteral("It is larger than %1 bytes.").arg(Limits.maxBytes),
                      FormatUnknown);
    if (!file.open(QIODevice::ReadOnly)) {
        logReadFailure(file.errorString(), FormatUnknown);
        return false;
    }
    const QByteArray bytes = file.read(Limits.maxBytes + 1);
    file.close();
    if (const auto refusal = PropertyListGuard::refusal(bytes, Limits))
        return refuse(QStringLiteral("It is %1.").arg(*refusal), FormatUnknown);
    const int format = plist_is_binary(bytes.constData(), static_cast<uint32_t>(bytes.size()))
                           ? FormatBinary
                           : FormatXml;
    plist_t parsed = nullptr;
    if (!bytes.isEmpty())
        plist_from_memory(bytes.constData(), static_cast<uint32_t>(bytes.size()), &parsed);
    PlistPtr root(parsed);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT)
        return refuse(QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in "
                                     "the correct format."),
                      root ? format : FormatUnknown);
    const float values[] = {
        realForKey(root.get(), "loadCycles"), realForKey(root.get(), "raisingSum"),
        realForKey(root.get(), "fallingSum"), realForKey(root.get(), "raisingSecs"),
        realForKey(root.get(), "fallingSecs")};
    // A NaN or infinite total would stay in every later sum and be written back for good.
    if (!std::all_of(std::begin(values), std::end(values),
                     [](float v) { return std::isfinite(v); }))
        return refuse(QStringLiteral("The totals aren\u2019t finite numbers."), format);
    range.setLoadCycles(values[0]);
    range.setRaisingSum(values[1]);
    range.setFallingSum(values[2]);
    range.setRaisingSecs(values[3]);
    range.setFallingSecs(values[4]);
    return true;
}

bool StatisticsFile::write(const QString& path, const StatisticsRange& range) {
    PlistPtr dict(plist_new_dict());
    const std::pair<const char*, float> entries[] = {{"loadCycles", range.loadCycles()},
                                                     {"raisingSum", range.raisingSum()},
                                                     {"fallingSum", range.fallingSum()},
                                                     {"raisingSecs", range.raisingSecs()},
                                                     {"fallingSecs", range.fallingSecs()}};
    for (const auto& [key, value] : entries)
        plist_dict_set_item(dict.get(), key, plist_new_real(static_cast<double>(value)));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(dict.get(), &xml, &length);
    if (!xml) {
        qCWarning(lcLog, "Couldn't serialise the statistics");
        return false;
    }
    const QByteArray data(xml, static_cast<qsizetype>(length));
    plist_to_xml_free(xml);

    return AtomicFile::write(path, data);
}
