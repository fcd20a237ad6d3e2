#include "Paths.h"

#include <QDir>
#include <QDirIterator>

#include <sys/stat.h>

namespace {
QString home() {
    const QString value = qEnvironmentVariable("HOME");
    return QDir::isAbsolutePath(value) && QDir::cleanPath(value) != QLatin1String("/") ? value
                                                                                       : QString();
}

QString xdgDirectory(const char* variable, const char* fallbackBelowHome) {
    const QString value = qEnvironmentVariable(variable);
    // Relative values are invalid per the XDG rules and are ignored like an unset variable.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return value;
    return home() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
}

bool hasBase(const char* variable) {
    const QString value = qEnvironmentVariable(variable);
    return (!value.isEmpty() && QDir::isAbsolutePath(value)) || !home().isEmpty();
}

// Drops the group and other bits; the owner's bits stay as they are.
void tighten(const QString& path, mode_t allowed) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0 && (info.st_mode & ~allowed & 07777) != 0)
        ::chmod(name.constData(), info.st_mode & allowed & 07777);
}

// Creates the directory 0700 (its parents as the umask says) and makes an existing one and the
// files below it private.
void makePrivateDirectory(const QString& dir) {
    QDir().mkpath(QFileInfo(dir).path());
    ::mkdir(QFile::encodeName(dir).constData(), 0700);
    tighten(dir, 0700);
    QDirIterator files(dir,
                       QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System |
                           QDir::NoDotAndDotDot | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo info(files.next());
        tighten(info.filePath(), info.isDir() ? 0700 : 0600);
    }
}
} // namespace

QString Paths::documentsDirectory() {
    return xdgDirectory("XDG_DATA_HOME", ".local/share") + QStringLiteral("/Ampelio");
}

QString Paths::configDirectory() {
    return xdgDirectory("XDG_CONFIG_HOME", ".config") + QStringLiteral("/Ampelio");
}

std::optional<QString> Paths::problem() {
    if (!hasBase("XDG_DATA_HOME") || !hasBase("XDG_CONFIG_HOME"))
        return QStringLiteral("Neither HOME nor XDG_DATA_HOME/XDG_CONFIG_HOME is set to a "
                              "directory; Ampelio will not keep its data in the root directory. "
                              "Set HOME (or both XDG variables) and start again.");
    return std::nullopt;
}

void Paths::createPrivateDirectories() {
    makePrivateDirectory(documentsDirectory());
    makePrivateDirectory(configDirectory());
}
