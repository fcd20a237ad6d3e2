#include "AnalyticsUtil.h"

#include "AnalyticsGlobalVariableStorage.h"
#include "AnalyticsLog.h"
#include "AnalyticsPropertyList.h"
#include "AtomicFile.h"
#include "LogCategories.h"
#include "Paths.h"
#include "SystemInfo.h"

#include <QRegularExpression>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <array>
#include <mutex>

namespace {
constexpr quint32 crcPolynomial = 0xEDB88320u;

std::array<quint32, 256> crcTable;
std::once_flag crcTableOnce;

void buildCrcTable() {
    ANALYTICS_LOG(Exactly3, "AnalyticsSession: generating CRC table");
    for (quint32 i = 0; i < 256; ++i) {
        quint32 value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ crcPolynomial : value >> 1;
        crcTable[i] = value;
    }
}

const char* const cacheDirTag = "Signature: 8a477f597d28d172789f06886806bc55\n"
                                "# This directory holds analytics data that is not worth a "
                                "backup.\n";
} // namespace

void AnalyticsUtil::generateChecksumTable() {
    bool built = false;
    std::call_once(crcTableOnce, [&] {
        buildCrcTable();
        built = true;
    });
    if (!built)
        ANALYTICS_LOG(Exactly3, "AnalyticsSession: CRC table already generated");
}

quint32 AnalyticsUtil::dataChecksum(const QByteArray& data) {
    generateChecksumTable();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = crcTable[(crc ^ static_cast<quint8>(byte)) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

quint32 AnalyticsUtil::keyHash(const QString& apiKey) {
    quint32 hash = 2166136261u;
    for (const char byte : apiKey.toUtf8()) {
        hash ^= static_cast<quint8>(byte);
        hash *= 16777619u;
    }
    return hash;
}

QString AnalyticsUtil::filePathDirectory() {
    const QString path =
        QString::asprintf("%s/AnalyticsFiles", qUtf8Printable(Paths::documentsDirectory()));
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).path());
        // Only this user may look at what the client records.
        ::mkdir(QFile::encodeName(path).constData(), 0700);
        addSkipBackupAttributeToItemAtURL(path);
    }
    ANALYTICS_LOG(Exactly3, "Analytics: AnalyticsSession directory path [%s]",
                  qUtf8Printable(path));
    return path;
}

void AnalyticsUtil::addSkipBackupAttributeToItemAtURL(const QString& directory) {
    // The Cache Directory Tagging convention is honoured by tar, borg, restic and others.
    QFile tag(directory + QStringLiteral("/CACHEDIR.TAG"));
    if (tag.exists() || !tag.open(QIODevice::WriteOnly))
        return;
    tag.write(cacheDirTag);
}

bool AnalyticsUtil::archiveRootObject(const QVariant& object, const QString& path) {
    return AtomicFile::write(path, AnalyticsPropertyList::toBinary(object));
}

std::optional<QVariant>
AnalyticsUtil::safeUnarchiveObjectWithFile(const QString& path,
                                           const PropertyListGuard::Limits& limits) {
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    // Only regular files are read (a FIFO would block the queue for good), and only up to the
    // limits: a refused file is put aside so that no later start parses it again.
    if (!info.isFile() || info.size() > limits.maxBytes) {
        quarantine(path,
                   info.isFile() ? QStringLiteral("too large") : QStringLiteral("not a file"));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(limits.maxBytes + 1);
    file.close();
    if (const auto refusal = PropertyListGuard::refusal(bytes, limits)) {
        quarantine(path, *refusal);
        return std::nullopt;
    }
    const auto object = AnalyticsPropertyList::fromBytes(bytes, limits);
    if (object)
        return object;
    file.close();
    discardDamagedFile(path, QStringLiteral("unreadable stored object"));
    return std::nullopt;
}

void AnalyticsUtil::quarantine(const QString& path, const QString& reason) {
    const QString aside = path + QStringLiteral(".refused");
    QFile::remove(aside);
    if (!QFile::rename(path, aside))
        QFile::remove(path);
    qCWarning(lcAnalytics, "Refused the stored object %s (%s); kept as %s", qPrintable(path),
              qPrintable(reason), qPrintable(aside));
}

void AnalyticsUtil::discardDamagedFile(const QString& path, const QString& reason) {
    // A file we cannot trust is worth less than the disk space it takes.
    QFile::remove(path);
    handleException(AnalyticsException{QStringLiteral("AnalyticsArchiveException"),
                                       reason + QStringLiteral(", file deleted"), path});
}

void AnalyticsUtil::handleException(const AnalyticsException& exception) {
    if (!AnalyticsGlobalVariableStorage::sharedInstance().showErrorInLogEnabled())
        return;
    ANALYTICS_LOG(AtLeast2, "Analytics: Caught Exception in Analytics Code");
    ANALYTICS_LOG(AtLeast2, "Analytics: -----------------------------------------");
    ANALYTICS_LOG(AtLeast2, "Analytics: Name:%s Reason:%s", qUtf8Printable(exception.name),
                  qUtf8Printable(exception.reason));
    ANALYTICS_LOG(AtLeast2, "Analytics: %s", qUtf8Printable(exception.userInfo));
}

void AnalyticsUtil::handleException(const std::exception& exception) {
    handleException(AnalyticsException{QStringLiteral("std::exception"),
                                       QString::fromUtf8(exception.what()), QString()});
}

QString AnalyticsUtil::getAnalyticsAgentVersion() {
    return QString::asprintf("Analytics_iOS_%d_%d.%d.%d%s%s", 122, 4, 3, 1, "", "");
}

int AnalyticsUtil::versionNumberFor(const QString& version) {
    // Kernel releases carry a suffix ("6.1.0-18-amd64"): only the leading digits of a part count.
    static const QRegularExpression leadingDigits(QStringLiteral("^\\d+"));
    const QStringList parts = version.split(QLatin1Char('.'));
    int number = 0;
    for (int i = 0; i < 3; ++i) {
        const auto match = leadingDigits.match(parts.value(i));
        number = number * 100 + (match.hasMatch() ? match.captured().toInt() : 0);
    }
    return number;
}

int AnalyticsUtil::systemVersionNumber() {
    static const int number = versionNumberFor(SystemInfo::kernelRelease());
    return number;
}
