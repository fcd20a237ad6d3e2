#include "VendorIdentifier.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <mutex>

namespace {
std::mutex identifierMutex;

QString readIdentifier(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(file.readAll()).trimmed();
    return QUuid::fromString(text).isNull() ? QString() : text.toUpper();
}
} // namespace

namespace {
QString pathIn(const QString& directory) {
    return directory + QStringLiteral("/.identifierForVendor");
}
} // namespace

void VendorIdentifier::forget(const QString& directory) {
    std::lock_guard lock(identifierMutex);
    QFile::remove(pathIn(directory));
}

QString VendorIdentifier::identifier(const QString& directory) {
    std::lock_guard lock(identifierMutex);
    const QString path = pathIn(directory);
    const QString existing = readIdentifier(path);
    if (!existing.isEmpty())
        return existing;
    const QString created = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QDir().mkpath(directory);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // An identifier that was not stored would change at the next start; better none at all.
    if (file.write(created.toLatin1() + '\n') < 0 || !file.flush())
        return {};
    return created;
}
