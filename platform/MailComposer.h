#pragma once

#include <QString>

// Hands a message with one attachment to the user's mail program through xdg-email.
class MailComposer {
public:
    // The attachment's folder is removed this long after the mail program took the message.
    static constexpr int AttachmentLifetimeMs = 10 * 60 * 1000;
    // Whether a mail program can be asked at all: xdg-email is on the PATH.
    static bool canSendMail();
    // Writes the attachment to a file of its own and starts the mail program with it, no
    // recipient and no body. Returns false (and logs why) when that was not possible.
    static bool compose(const QString& subject, const QByteArray& attachment,
                        const QString& attachmentFileName);
};
