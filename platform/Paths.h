#pragma once

#include <QString>

#include <optional>

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
    // Why the directories cannot be used (no HOME and no XDG variables), or nothing.
    static std::optional<QString> problem();
    // Creates both directories 0700 whatever the umask, and takes the group and other bits
    // off existing ones and the files in them: the log says when the user was where.
    static void createPrivateDirectories();
};
