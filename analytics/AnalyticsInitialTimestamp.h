#pragma once

#include <QString>

// The start of the first session this application ever recorded on this machine: kept in the
// keychain, taken over from the file of older versions, or made from the current session.
class AnalyticsInitialTimestamp {
public:
    static const QString KEYCHAIN_KEY;

    static double read(const QString& apiKey, double sessionStart);

    // The file older versions kept it in, in the data directory and in the cache directory.
    static QString filePath(const QString& apiKey);
    static QString legacyFilePath(const QString& apiKey);

private:
    static void migrateLegacyFile(const QString& apiKey);
};
