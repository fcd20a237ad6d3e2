#include "AtomicFile.h"

#include "LogCategories.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

AtomicFile::AtomicFile(QString path) : path_(std::move(path)) {}

AtomicFile::AtomicFile(int descriptor) : inPlace_(descriptor) {}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
}

bool AtomicFile::fail(int code) {
    if (failure_ == 0)
        failure_ = code;
    return false;
}

bool AtomicFile::open() {
    if (inPlace_ >= 0) {
        fd_ = ::fcntl(inPlace_, F_DUPFD_CLOEXEC, 0);
        return fd_ >= 0 || fail(errno);
    }
    const QByteArray target = QFile::encodeName(path_);
    struct stat info {};
    if (::stat(target.constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        // Opened non-blocking so a pipe without reader fails instead of hanging; writes block.
        fd_ = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0)
            return fail(errno);
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        return true;
    }
    temporary_ = target + ".XXXXXX";
    // mkostemp creates the file 0600 regardless of the umask.
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        temporary_.clear();
        return fail(errno);
    }
    if (mode_ != 0600 && ::fchmod(fd_, static_cast<mode_t>(mode_)) != 0)
        return fail(errno);
    return true;
}

bool AtomicFile::write(const QByteArray& data) {
    if (fd_ < 0 || failure_ != 0)
        return fail(EBADF);
    const char* at = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t done = ::write(fd_, at, static_cast<size_t>(left));
        if (done < 0 && errno == EINTR)
            continue;
        // A write that makes no progress is a full disk as well.
        if (done <= 0)
            return fail(done < 0 ? errno : ENOSPC);
        at += done;
        left -= done;
    }
    return true;
}

bool AtomicFile::commit() {
    if (fd_ < 0 || failure_ != 0)
        return fail(EBADF);
    // The sync makes the data durable before the name points at it; a failed sync (EIO, or
    // ENOSPC with delayed allocation) is a failed write. Devices and pipes cannot be synced.
    if (!temporary_.isEmpty() && durable_ && ::fsync(fd_) != 0)
        fail(errno);
    if (::close(fd_) != 0)
        fail(errno);
    fd_ = -1;
    if (failure_ != 0)
        return false;
    if (temporary_.isEmpty())
        return true;
    if (::rename(temporary_.constData(), QFile::encodeName(path_).constData()) != 0)
        return fail(errno);
    temporary_.clear();
    return true;
}

QString AtomicFile::errorString() const {
    return failure_ ? QString::fromLocal8Bit(std::strerror(failure_)) : QString();
}

bool AtomicFile::write(const QString& path, const QByteArray& data, QString* error) {
    AtomicFile file(path);
    if (file.open() && file.write(data) && file.commit())
        return true;
    qCWarning(lcPlatform, "Couldn't write %s: %s; the previous file is kept", qPrintable(path),
              qPrintable(file.errorString()));
    if (error)
        *error = file.errorString();
    return false;
}
