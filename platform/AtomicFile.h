#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file as a whole or not at all. The new content goes to a temporary file beside the
// target, is written unbuffered, synced, and only then renamed over the target, so a full disk
// or a failed write leaves the old file untouched. New files are private to the user (0600)
// whatever the umask. A target that exists and is not a regular file (a terminal, a pipe,
// /dev/null) is written in place, since it cannot be replaced; its write errors still count.
class AtomicFile {
public:
    explicit AtomicFile(QString path);
    // Writes in place to an open descriptor (stdout), which cannot be replaced either.
    explicit AtomicFile(int descriptor);
    ~AtomicFile(); // discards what was not committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Before open(): the new file's permissions (default 0600), e.g. 0644 for a file another
    // user's service reads.
    void setPermissions(unsigned mode) { mode_ = mode; }
    // Before commit(): skips the fsync for files that are rewritten often and regenerated after
    // a crash anyway; readers still never see half a file.
    void setDurable(bool durable) { durable_ = durable; }

    bool open();
    bool write(const QByteArray& data);
    // Makes the content visible under the path; false (and the old file kept) on any failure.
    bool commit();
    // Why the last step failed, e.g. "No space left on device".
    QString errorString() const;

    // The whole dance for one buffer. On failure logs one line naming the path and the reason,
    // keeps the old file and returns false.
    static bool write(const QString& path, const QByteArray& data, QString* error = nullptr);

private:
    bool fail(int code);

    QString path_;
    QByteArray temporary_; // empty when writing in place
    int inPlace_ = -1;
    int fd_ = -1;
    int failure_ = 0;
    unsigned mode_ = 0600;
    bool durable_ = true;
};
