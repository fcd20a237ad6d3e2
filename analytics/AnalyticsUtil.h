#pragma once

#include "AnalyticsFailure.h"
#include "AnalyticsPropertyList.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <exception>
#include <optional>

// Services shared by the analytics classes: the checksum of reports, the data directory, the
// stored form of objects and the logger for failures inside the client.
class AnalyticsUtil {
public:
    // CRC-32 of IEEE 802.3, byte by byte through a table built once per process.
    static quint32 dataChecksum(const QByteArray& data);
    static void generateChecksumTable();

    // A stable 32-bit hash of the API key for file names (FNV-1a over its UTF-8 bytes).
    static quint32 keyHash(const QString& apiKey);

    // "AnalyticsFiles" in the application's data directory, created 0700 when missing.
    static QString filePathDirectory();
    // Keeps the data directory out of backups, marking it the way Linux backup tools recognise.
    static void addSkipBackupAttributeToItemAtURL(const QString& directory);

    // Writes the object's stored form; false when the file could not be written.
    static bool archiveRootObject(const QVariant& object, const QString& path);
    // The stored object, or nothing; an unreadable file is deleted and the failure logged. A
    // file beyond the limits, or one that is not a regular file, is quarantined unparsed.
    static std::optional<QVariant> safeUnarchiveObjectWithFile(
        const QString& path,
        const PropertyListGuard::Limits& limits = AnalyticsPropertyList::DefaultLimits);
    // Renames a refused file to "<name>.refused" (one kept per name), so it is never read again
    // but can still be looked at.
    static void quarantine(const QString& path, const QString& reason);
    // Deletes a stored file that cannot be trusted and hands the failure to the logger.
    static void discardDamagedFile(const QString& path, const QString& reason);

    // "Analytics_iOS_122_4.3.1", the text reports and logs name the client by.
    static QString getAnalyticsAgentVersion();
    // a.b.c of the kernel release as a * 10000 + b * 100 + c, read once.
    static int systemVersionNumber();
    static int versionNumberFor(const QString& version);

    static void handleException(const AnalyticsException& exception);
    static void handleException(const std::exception& exception);

    // Runs a public operation so that nothing thrown inside the client reaches the application.
    template <typename Operation> static void guarded(Operation operation) {
        try {
            operation();
        } catch (const std::exception& exception) {
            handleException(exception);
        } catch (...) {
            handleException(AnalyticsException{
                QStringLiteral("unknown"), QStringLiteral("non-standard exception"), {}});
        }
    }
};
