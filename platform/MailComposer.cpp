#include "MailComposer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
const QString Program = QStringLiteral("xdg-email");
}

bool MailComposer::canSendMail() {
    return !QStandardPaths::findExecutable(Program).isEmpty();
}

bool MailComposer::compose(const QString& subject, const QByteArray& attachment,
                           const QString& attachmentFileName) {
    // The mail program reads the file after we return, so the directory is left in place;
    // it lives under the temporary directory and carries the export's own name.
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/ampelio-mail-XXXXXX"));
    if (!dir.isValid()) {
        qWarning("Couldn't create a directory for the mail attachment");
        return false;
    }
    dir.setAutoRemove(false);
    const QString path = dir.filePath(attachmentFileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(attachment) != attachment.size()) {
        qWarning("Couldn't write the mail attachment %s", qPrintable(path));
        return false;
    }
    file.close();
    if (!QProcess::startDetached(
            QStandardPaths::findExecutable(Program),
            {QStringLiteral("--subject"), subject, QStringLiteral("--attach"), path})) {
        qWarning("Couldn't start %s", qPrintable(Program));
        return false;
    }
    return true;
}
