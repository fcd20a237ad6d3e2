#include "StatisticsFile.h"

#include "StatisticsRange.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

#include <plist/plist.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
// The format numbers the log line reports, as property-list readers number them.
constexpr int FormatUnknown = 0;
constexpr int FormatXml = 100;
constexpr int FormatBinary = 200;

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistDeleter>;

float realForKey(plist_t dict, const char* key) {
    plist_t node = plist_dict_get_item(dict, key);
    if (!node)
        return 0.0f;
    switch (plist_get_node_type(node)) {
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return static_cast<float>(value);
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<float>(static_cast<int64_t>(value));
    }
    default:
        return 0.0f;
    }
}

void logReadFailure(const QString& description, int format) {
    qInfo("Couldn't read Statistics.plist: %s, format: %d. First run?", qPrintable(description),
          format);
}

void moveDamagedAside(const QString& path) {
    const QString aside =
        path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    if (QFile::rename(path, aside))
        qWarning("Kept the unreadable statistics file as %s", qPrintable(aside));
}
} // namespace

bool StatisticsFile::read(const QString& path, StatisticsRange& range) {
    QFile file(path);
    if (!file.exists()) {
        logReadFailure(
            QStringLiteral("The file \u201cStatistics.plist\u201d couldn\u2019t be opened "
                           "because there is no such file."),
            FormatUnknown);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        logReadFailure(file.errorString(), FormatUnknown);
        return false;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    const int format = plist_is_binary(bytes.constData(), static_cast<uint32_t>(bytes.size()))
                           ? FormatBinary
                           : FormatXml;
    plist_t parsed = nullptr;
    if (!bytes.isEmpty())
        plist_from_memory(bytes.constData(), static_cast<uint32_t>(bytes.size()), &parsed);
    PlistPtr root(parsed);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        logReadFailure(QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the "
                                      "correct format."),
                       root ? format : FormatUnknown);
        moveDamagedAside(path);
        return false;
    }
    const float values[] = {
        realForKey(root.get(), "loadCycles"), realForKey(root.get(), "raisingSum"),
        realForKey(root.get(), "fallingSum"), realForKey(root.get(), "raisingSecs"),
        realForKey(root.get(), "fallingSecs")};
    // A NaN or infinite total would stay in every later sum and be written back for good.
    if (!std::all_of(std::begin(values), std::end(values),
                     [](float v) { return std::isfinite(v); })) {
        logReadFailure(QStringLiteral("The totals aren\u2019t finite numbers."), format);
        moveDamagedAside(path);
        return false;
    }
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
        qWarning("Couldn't serialise the statistics");
        return false;
    }
    const QByteArray data(xml, static_cast<qsizetype>(length));
    plist_to_xml_free(xml);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        qWarning("Couldn't write %s: %s", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}
