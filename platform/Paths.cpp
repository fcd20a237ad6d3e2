#include "Paths.h"

#include <QDir>

#include <sys/stat.h>

namespace {
QString xdgDirectory(const char* variable, const char* fallbackBelowHome) {
    const QString value = qEnvironmentVariable(variable);
    // Relative values are invalid per the XDG rules and are ignored like an unset variable.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
}
} // namespace

QString Paths::documentsDirectory() {
    return xdgDirectory("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Ampelio");
}

QString Paths::configDirectory() {
    return xdgDirectory("XDG_CONFIG_HOME", ".config") + QStringLiteral("/Ampelio");
}

void Paths::createDocumentsDirectory() {
    const QString dir = documentsDirectory();
    QDir().mkpath(QFileInfo(dir).path());
    ::mkdir(QFile::encodeName(dir).constData(), 0755);
}
