#include "platform/Files.h"

#include "platform/FileNames.h"
#include "platform/Folder.h"
#include "platform/LastError.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

FileKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISREG(mode))
        return FileKind::File;
    return FileKind::Other;
}

bool statPath(const QString& path, struct stat& st)
{
    if (path.isEmpty())
        return false;
    return ::stat(fileNameToBytes(path).constData(), &st) == 0;
}

} // namespace

FileStatus fileStatus(const QString& path)
{
    FileStatus status;
    struct stat st {};
    if (!statPath(path, st))
        return status;
    const QByteArray bytes = fileNameToBytes(path);
    status.kind = kindOfMode(st.st_mode);
    status.size = status.kind == FileKind::File ? qint64(st.st_size) : 0;
    status.modifiedMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    status.writable = ::access(bytes.constData(), W_OK) == 0;
    status.executable = status.kind == FileKind::File && ::access(bytes.constData(), X_OK) == 0
                        && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH));
    status.readOnlyMode = !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
    return status;
}

bool pathExists(const QString& path)
{
    struct stat st {};
    return statPath(path, st);
}

bool isFolder(const QString& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool isExistingFile(const QString& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISREG(st.st_mode);
}

bool isExecutableFile(const QString& path) { return fileStatus(path).executable; }

FileRead readFile(const QString& path)
{
    FileRead result;
    const QByteArray name = fileNameToBytes(path);
    // Non-blocking, so that opening a FIFO does not wait for a writer; the kind is checked
    // on the open descriptor, so nothing can swap the file in between.
    const int fd = path.isEmpty() ? -1 : ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int error = path.isEmpty() ? ENOENT : errno;
        recordError(error);
        result.outcome = error == ENOENT || error == ENOTDIR ? FileRead::Outcome::Missing : FileRead::Outcome::Failed;
        result.errorText = errnoText(error);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        recordError(EINVAL);
        result.outcome = FileRead::Outcome::NotAFile;
        result.errorText = QCoreApplication::translate("Files", "Not a file");
        return result;
    }
    // A regular file never blocks; the flag only mattered for the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // Read straight into the result, sized by the file and one byte more, so that a file
    // that keeps its size takes one read and one more to see its end; one that grows
    // meanwhile is read on into a bigger array.
    QByteArray bytes;
    bytes.resize(std::max<qsizetype>(qsizetype(st.st_size) + 1, 4096));
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            recordError(error);
            result.outcome = FileRead::Outcome::Failed;
            result.errorText = errnoText(error);
            return result;
        }
        if (n == 0)
            break;
        filled += n;
    }
    ::close(fd);
    bytes.truncate(filled);
    result.outcome = FileRead::Outcome::Read;
    result.bytes = std::move(bytes);
    return result;
}

std::optional<std::vector<FolderEntry>> listFolder(const QString& folder)
{
    const FolderHandle handle = FolderHandle::open(fileNameToBytes(folder));
    if (!handle.isValid()) {
        recordError(errno);
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    FolderLister lister;
    lister.begin(handle);
    FolderLister::Entry entry;
    while (lister.next(entry)) {
        EntryType type = entry.type;
        if (type == EntryType::Link || type == EntryType::Unknown)
            type = handle.resolvedType(entry.name.data());
        FileKind kind = FileKind::Other;
        switch (type) {
        case EntryType::Folder: kind = FileKind::Folder; break;
        case EntryType::File: kind = FileKind::File; break;
        case EntryType::Unknown: kind = FileKind::Missing; break;
        default: break;
        }
        entries.push_back({fileNameFromBytes(entry.name), kind});
    }
    return entries;
}

bool canCreateFilesIn(const QString& folder)
{
    QByteArray probe = fileNameToBytes(folder);
    if (probe.isEmpty())
        return false;
    if (!probe.endsWith('/'))
        probe += '/';
    probe += ".kestrabel-probe.XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

bool makeFolders(const QString& folder)
{
    QByteArray path = fileNameToBytes(folder);
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    if (path.isEmpty())
        return false;
    for (qsizetype at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/')
            continue;
        const QByteArray part = path.left(at);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            recordError(errno);
            return false;
        }
    }
    return isFolder(folder);
}

QString resolvedPath(const QString& path)
{
    char* resolved = ::realpath(fileNameToBytes(path).constData(), nullptr);
    if (!resolved)
        return QString();
    const QString result = fileNameFromBytes(QByteArrayView(resolved, qsizetype(std::strlen(resolved))));
    std::free(resolved);
    return result;
}

QString executableFilePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || n >= ssize_t(sizeof buffer))
        return QString();
    return fileNameFromBytes(QByteArrayView(buffer, n));
}

QUrl fileUrl(const QString& path)
{
    return QUrl::fromEncoded("file://" + fileNameToBytes(path).toPercentEncoding("/"), QUrl::StrictMode);
}

QString displayName(const QString& name)
{
    const auto escaped = [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; };
    if (std::none_of(name.begin(), name.end(), escaped))
        return name;
    QString shown;
    shown.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        if (!escaped(name[i])) {
            shown += name[i++];
            continue;
        }
        QByteArray run;
        while (i < name.size() && escaped(name[i]))
            run.append(char(name[i++].unicode() - 0xDC00));
        shown += decodeCodePage(run, ansiCodePage());
    }
    return shown;
}

} // namespace platform
