#include "catalogue/ProjectSource.h"

#include "catalogue/LazarusProject.h"
#include "platform/FileNames.h"
#include "platform/Folder.h"
#include "platform/TextCodec.h"

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr QByteArrayView TitleMarker = "Application.Title := '";

// Where a project's files are asked for: in an open folder by the part of a path after
// it, else by the whole path. A listing of the folder, when known, answers whether an
// entry is there without asking the file system.
struct NamesAt {
    int fd = AT_FDCWD;
    qsizetype skip = 0; // bytes of a path before the name in `fd`
    const platform::FolderEntries* listed = nullptr;

    const char* name(const QByteArray& path) const { return path.constData() + skip; }
};

// A project's folder, held open while its files are looked at: names are then found
// in it directly, where a full path is walked from the root, folder by folder, for each
// of the file and its three executable names. Without one (a folder that may be entered
// but not read), paths are given whole.
class FolderAt {
public:
    // `path` is the project file's; `nameStart` the index of its name in it.
    FolderAt(const QByteArray& path, qsizetype nameStart)
    {
        if (nameStart > 0)
            fd_ = ::open(path.left(nameStart).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0)
            at_ = {fd_, nameStart, nullptr};
    }
    ~FolderAt()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderAt(const FolderAt&) = delete;
    FolderAt& operator=(const FolderAt&) = delete;

    const NamesAt& at() const { return at_; }

private:
    int fd_ = -1;
    NamesAt at_;
};

// Reads a file line by line through a fixed buffer. A line longer than the limit is cut
// there; the rest of it is skipped.
class LineReader {
public:
    explicit LineReader(const QByteArray& path) : LineReader(AT_FDCWD, path.constData()) {}
    LineReader(int folder, const char* name)
    {
        fd_ = ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        struct stat st {};
        // Only regular files: a folder, a pipe or a device is no project text.
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        // A file read to its known size needs no further read to learn that it ended
        // (a size of 0 may be a file that does not know its size: read it to the end).
        unread_ = st.st_size > 0 ? qint64(st.st_size) : -1;
        line_.reserve(256);
    }
    ~LineReader()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line without its end; false when the text has ended. The line is valid
    // until the next call: a line that lies within one read is shown where it was read,
    // and only one that runs across reads is pieced together.
    bool next(QByteArrayView& line)
    {
        line_.clear();
        bool consumed = false;
        bool pieced = false;
        const auto finish = [&](const char* p, const char* q) {
            const qsizetype length = q - p;
            if (!pieced) {
                line = QByteArrayView(p, std::min<qsizetype>(length, MaxProjectLineBytes));
                return;
            }
            const qsizetype room = std::max<qsizetype>(MaxProjectLineBytes - line_.size(), 0);
            line_.append(p, std::min(length, room));
            line = line_;
        };
        for (;;) {
            if (at_ == filled_ && !fill())
                break;
            if (skipLf_) {
                skipLf_ = false;
                if (buffer_[at_] == '\n') {
                    ++at_;
                    continue;
                }
            }
            const char* p = buffer_ + at_;
            const char* const end = buffer_ + filled_;
            const char* q = p;
            while (q < end && *q != '\r' && *q != '\n' && *q != 26)
                ++q;
            consumed = consumed || q > p;
            at_ = q - buffer_;
            if (q == end) {
                // The line goes on in the next read, which overwrites this one.
                const qsizetype room = std::max<qsizetype>(MaxProjectLineBytes - line_.size(), 0);
                line_.append(p, std::min<qsizetype>(q - p, room));
                pieced = true;
                continue;
            }
            finish(p, q);
            if (*q == 26) {
                ended_ = true;
                at_ = filled_ = 0;
                return consumed;
            }
            ++at_;
            skipLf_ = *q == '\r';
            return true;
        }
        line = line_;
        return consumed;
    }

private:
    bool fill()
    {
        if (fd_ < 0 || ended_ || unread_ == 0)
            return false;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ended_ = true;
                return false;
            }
            filled_ = n;
            at_ = 0;
            if (unread_ > 0)
                unread_ = std::max<qint64>(unread_ - n, 0);
            return true;
        }
    }

    int fd_ = -1;
    qint64 unread_ = -1; // bytes the file holds beyond those read; -1 unknown
    char buffer_[64 * 1024];
    qsizetype filled_ = 0;
    qsizetype at_ = 0;
    bool ended_ = false;
    bool skipLf_ = false;
    QByteArray line_;
};

// Drops the last `count` characters (code points) of `text`.
void dropLastCharacters(QString& text, int count)
{
    for (int i = 0; i < count && !text.isEmpty(); ++i) {
        const qsizetype n = text.size();
        if (n >= 2 && text[n - 1].isLowSurrogate() && text[n - 2].isHighSurrogate())
            text.chop(2);
        else
            text.chop(1);
    }
}

// Delphi's Trim: blanks and control characters at both ends.
QString trimControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

// The program rule of a first line: what follows "program ", less its last character
// (normally the semicolon).
QString programNameOf(const QByteArray& firstLine)
{
    const QString text = platform::decodeText(firstLine);
    const qsizetype at = text.indexOf(u"program ");
    if (at < 0)
        return QString();
    QString name = text.mid(at + 8);
    dropLastCharacters(name, 1);
    return name;
}

// base + ".exe", base + ".scr", or (when `bareCounts`) base itself as an executable
// file; as the bytes after `nameStart`, else empty.
QString executableFor(const QByteArray& base, qsizetype nameStart, bool bareCounts, const NamesAt& at = {})
{
    using platform::EntryType;
    const auto statOf = [&at](const QByteArray& candidate, struct stat& st) {
        return ::fstatat(at.fd, at.name(candidate), &st, 0);
    };
    // What the listing says of a candidate; a link, or an entry of unknown type, is asked.
    const auto listedAs = [&at](const QByteArray& candidate) -> std::optional<EntryType> {
        if (!at.listed)
            return EntryType::Unknown;
        return at.listed->find(QByteArrayView(at.name(candidate)));
    };
    const auto fileExists = [&](const QByteArray& candidate) {
        const std::optional<EntryType> listed = listedAs(candidate);
        if (!listed || *listed == EntryType::Folder)
            return false;
        if (*listed == EntryType::File || *listed == EntryType::Other)
            return true;
        struct stat st {};
        return statOf(candidate, st) == 0 && !S_ISDIR(st.st_mode);
    };
    const auto nameOf = [&](const QByteArray& candidate) {
        return platform::fileNameFromBytes(QByteArrayView(candidate).sliced(nameStart));
    };
    for (const char* extension : {".exe", ".scr"}) {
        const QByteArray candidate = base + extension;
        if (fileExists(candidate))
            return nameOf(candidate);
    }
    if (bareCounts) {
        // Only its mode tells whether it runs; the listing may say it is not there at all.
        const std::optional<EntryType> listed = listedAs(base);
        struct stat st {};
        if (listed && *listed != EntryType::Folder && statOf(base, st) == 0 && S_ISREG(st.st_mode)
            && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)))
            return nameOf(base);
    }
    return {};
}

} // namespace

namespace {

QString applicationNameOf(const QByteArray& path, const NamesAt& at)
{
    QString result;
    QByteArray firstLine;
    {
        LineReader reader(at.fd, at.name(path));
        QByteArrayView line;
        bool first = true;
        while (reader.next(line)) {
            if (first) {
                firstLine = line.toByteArray();
                first = false;
            }
            if (!line.contains(TitleMarker))
                continue;
            const QString text = platform::decodeText(line);
            const qsizetype at = text.indexOf(u":= '");
            QString title = text.mid(at + 4);
            dropLastCharacters(title, 2);
            result = title;
        }
    }
    // The first line was kept from the pass above; reading it again would give the same.
    if (result.isEmpty() && !firstLine.isEmpty())
        result = programNameOf(firstLine);
    return trimControls(result);
}

QString executableNameOf(const QByteArray& path, const NamesAt& at)
{
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    const QByteArray base = dot > slash ? path.left(dot) : path;
    // Without an extension the bare base would be the project file itself.
    return executableFor(base, slash + 1, base.size() != path.size(), at);
}

} // namespace

QString ReadApplicationName(const QString& projectFile)
{
    return applicationNameOf(platform::fileNameToBytes(projectFile), NamesAt{});
}

QString ReadProgramName(const QString& programFile)
{
    LineReader reader(platform::fileNameToBytes(programFile));
    QByteArrayView line;
    if (!reader.next(line))
        return QString();
    return trimControls(programNameOf(line.toByteArray()));
}

QString FindExecutableName(const QString& projectFile)
{
    return executableNameOf(platform::fileNameToBytes(projectFile), NamesAt{});
}

QString ExecutableNameFor(const QString& folder, const QString& base)
{
    const QByteArray bytes = platform::fileNameToBytes(base);
    const QByteArray folderBytes = platform::fileNameToBytes(folder);
    if (!bytes.startsWith(folderBytes) || bytes.size() == folderBytes.size())
        return {};
    return executableFor(bytes, folderBytes.size(), true);
}

bool isLazarusProject(const QString& projectFile)
{
    return projectFile.endsWith(QLatin1String(".lpi"), Qt::CaseInsensitive);
}

ProjectTexts ReadProjectTexts(const QString& projectFile)
{
    if (isLazarusProject(projectFile)) {
        const LazarusProject project = ReadLazarusProject(projectFile);
        return {project.applicationName, project.executableName};
    }
    // Both texts from one opening of the project's folder.
    const QByteArray path = platform::fileNameToBytes(projectFile);
    const FolderAt folder(path, path.lastIndexOf('/') + 1);
    return {applicationNameOf(path, folder.at()), executableNameOf(path, folder.at())};
}

ProjectTexts ReadProjectTexts(const platform::FolderHandle& folder, const platform::FolderEntries* entries,
                              const char* name)
{
    if (!folder.isValid())
        return {};
    const QByteArray file(name);
    const NamesAt at{folder.descriptor(), 0, entries};
    return {applicationNameOf(file, at), executableNameOf(file, at)};
}
