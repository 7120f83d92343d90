#include "platform/AtomicFile.h"

#include "platform/FileNames.h"
#include "platform/LastError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool writeAll(int fd, QByteArrayView contents)
{
    const char* p = contents.data();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

// The user may replace an existing file only when they may write it. Root may write
// anything, but a file without any write bit was protected on purpose (as rm asks
// before removing one), so it is refused to root too.
bool mayReplace(const QByteArray& target)
{
    struct stat st {};
    if (::stat(target.constData(), &st) != 0)
        return true; // a new file
    if (::access(target.constData(), W_OK) != 0)
        return false;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// Rewrites the file where it is: for a writable file in a folder that refuses new files,
// the only way to save at all.
bool writeInPlace(const QByteArray& target, QByteArrayView contents)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, contents) && ::fdatasync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return written;
}

} // namespace

bool replaceFile(const QString& path, QByteArrayView contents)
{
    QByteArray targetName = fileNameToBytes(path);
    struct stat link {};
    if (::lstat(targetName.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(targetName.constData(), nullptr)) {
            targetName = resolved;
            std::free(resolved);
        }
    }
    if (!mayReplace(targetName)) {
        recordError(EACCES);
        return false;
    }

    QByteArray temporaryName = targetName + ".XXXXXX";
    const int fd = ::mkstemp(temporaryName.data());
    if (fd < 0) {
        const int error = errno;
        if ((error == EACCES || error == EROFS || error == EPERM) && ::access(targetName.constData(), W_OK) == 0) {
            if (writeInPlace(targetName, contents))
                return true;
            recordError(errno);
            return false;
        }
        recordError(error);
        return false;
    }

    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old {};
    if (::stat(targetName.constData(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }

    if (!writeAll(fd, contents) || ::fdatasync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporaryName.constData());
        recordError(error);
        return false;
    }
    if (::close(fd) != 0 || ::rename(temporaryName.constData(), targetName.constData()) != 0) {
        const int error = errno;
        ::unlink(temporaryName.constData());
        recordError(error);
        return false;
    }
    return true;
}

} // namespace platform
