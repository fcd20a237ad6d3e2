#pragma once

#include <QString>

// Where the application keeps its files: data in $XDG_DATA_HOME/Ampelio, settings in
// $XDG_CONFIG_HOME/Ampelio. Read from the environment at each call so tests can redirect them.
class Paths {
public:
    // The files of the data folder.
    static inline const QString StoreFileName = QStringLiteral("Locations.sqlite");
    static inline const QString StatisticsFileName = QStringLiteral("Statistics.plist");
    static QString storePath(const QString& documentsDirectory) {
        return documentsDirectory + QLatin1Char('/') + StoreFileName;
    }
    static QString statisticsPath(const QString& documentsDirectory) {
        return documentsDirectory + QLatin1Char('/') + StatisticsFileName;
    }

    static QString documentsDirectory();
    static QString configDirectory();
    // Creates the documents directory (mode 0755); the result is deliberately not reported.
    static void createDocumentsDirectory();
};
