#include "platform/AtomicFile.h"

#include "platform/LastError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
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

} // namespace

bool replaceFile(const QString& path, QByteArrayView contents)
{
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString resolved = info.canonicalFilePath();
        if (!resolved.isEmpty())
            target = resolved;
    }

    const QByteArray targetName = QFile::encodeName(target);
    QByteArray temporaryName = targetName + ".XXXXXX";
    const int fd = ::mkstemp(temporaryName.data());
    if (fd < 0) {
        recordError(errno);
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
