#include "MailComposer.h"

#include "LogCategories.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

namespace {
const QString Program = QStringLiteral("xdg-email");
const QString DirectoryPrefix = QStringLiteral("ampelio-mail-");

// Each export leaves its attachment for the mail program; those a day old have been sent or
// abandoned, so they go before the next one is written.
void removeOldAttachments() {
    const QDir temp(QDir::tempPath());
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    for (const QFileInfo& dir :
         temp.entryInfoList({DirectoryPrefix + QLatin1Char('*')}, QDir::Dirs)) {
        if (dir.ownerId() == ::getuid() && dir.lastModified().toUTC() < dayAgo)
            QDir(dir.filePath()).removeRecursively();
    }
}
} // namespace

bool MailComposer::canSendMail() {
    return !QStandardPaths::findExecutable(Program).isEmpty();
}

bool MailComposer::compose(const QString& subject, const QByteArray& attachment,
                           const QString& attachmentFileName) {
    // The mail program reads the file after we return, so the directory is left in place;
    // it lives under the temporary directory and carries the export's own name.
    removeOldAttachments();
    QTemporaryDir dir(QDir::tempPath() + QLatin1Char('/') + DirectoryPrefix +
                      QStringLiteral("XXXXXX"));
    if (!dir.isValid()) {
        qCWarning(lcPlatform, "Couldn't create a directory for the mail attachment");
        return false;
    }
    dir.setAutoRemove(false);
    const QString path = dir.filePath(attachmentFileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(attachment) != attachment.size()) {
        qCWarning(lcPlatform, "Couldn't write the mail attachment %s", qPrintable(path));
        return false;
    }
    file.close();
    // xdg-email returns once the mail program has the message; the program may read the file
    // a little later, so the folder goes a while after that, or at once when the hand-off
    // failed. Folders left by an exit before then go with the next export.
    const QString folder = dir.path();
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, [process, folder](int code) {
        process->deleteLater();
        if (code != 0) {
            qCWarning(lcPlatform, "%s could not hand the message to a mail program (exit %d)",
                      qPrintable(Program), code);
            QDir(folder).removeRecursively();
            return;
        }
        QTimer::singleShot(MailComposer::AttachmentLifetimeMs, QCoreApplication::instance(),
                           [folder] { QDir(folder).removeRecursively(); });
    });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, folder](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         qCWarning(lcPlatform, "Couldn't start %s", qPrintable(Program));
                         QDir(folder).removeRecursively();
                         process->deleteLater();
                     });
    process->start(QStandardPaths::findExecutable(Program),
                   {QStringLiteral("--subject"), subject, QStringLiteral("--attach"), path});
    return true;
}
