#include "platform/Folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {

std::uint32_t dosTime(std::time_t seconds)
{
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return 0;
    const int year = local.tm_year + 1900;
    if (year < 1980)
        return (1 << 5 | 1) << 16; // 1980-01-01, the earliest the form can hold
    if (year > 2107)
        return 0xFF9FBF7Du; // 2107-12-31 23:59:58
    const std::uint32_t date = std::uint32_t((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    const std::uint32_t time = std::uint32_t(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    return date << 16 | time;
}

EntryType typeOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryType::Folder;
    if (S_ISREG(mode))
        return EntryType::File;
    return EntryType::Other;
}

} // namespace

FolderHandle::~FolderHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FolderHandle FolderHandle::open(const QByteArray& path)
{
    return FolderHandle(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

FolderHandle FolderHandle::openChild(const char* name) const
{
    if (fd_ < 0)
        return {};
    return FolderHandle(::openat(fd_, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

std::optional<FolderId> FolderHandle::id() const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return std::nullopt;
    return FolderId{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

bool FolderHandle::marksListingEnd() const
{
    // The ext family's hashed listing ends at this offset, which no entry can have.
    constexpr unsigned long ExtMagic = 0xEF53;
    struct statfs fs {};
    return fd_ >= 0 && ::fstatfs(fd_, &fs) == 0 && static_cast<unsigned long>(fs.f_type) == ExtMagic;
}

EntryType FolderHandle::resolvedType(const char* name) const
{
    struct stat st {};
    if (fd_ < 0 || ::fstatat(fd_, name, &st, 0) != 0)
        return EntryType::Unknown;
    return typeOfMode(st.st_mode);
}

std::optional<EntryInfo> FolderHandle::info(const char* name) const
{
    struct stat st {};
    if (fd_ < 0)
        return std::nullopt;
    // A dangling link is still an entry of the folder: report the link itself.
    if (::fstatat(fd_, name, &st, 0) != 0 && ::fstatat(fd_, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    EntryInfo info;
    info.dosTime = dosTime(st.st_mtime);
    info.size = std::uint32_t(std::uint64_t(st.st_size) & 0xFFFFFFFFu);
    if (S_ISDIR(st.st_mode))
        info.attributes |= attr::Directory;
    if (S_ISREG(st.st_mode))
        info.attributes |= attr::Archive;
    if (!(st.st_mode & S_IWUSR))
        info.attributes |= attr::ReadOnly;
    if (name[0] == '.')
        info.attributes |= attr::Hidden;
    return info;
}

std::optional<qint64> FolderHandle::fileModifiedMs(const char* name) const
{
    struct stat st {};
    if (fd_ < 0 || ::fstatat(fd_, name, &st, 0) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

void FolderEntries::clear()
{
    names_.clear();
    items_.clear();
}

void FolderEntries::add(QByteArrayView name, EntryType type)
{
    items_.push_back({names_.size(), std::uint32_t(name.size()), type});
    names_.append(name.data(), std::size_t(name.size()));
}

void FolderEntries::index()
{
    std::sort(items_.begin(), items_.end(), [this](const Item& a, const Item& b) { return nameOf(a) < nameOf(b); });
}

std::optional<EntryType> FolderEntries::find(QByteArrayView name) const
{
    const auto at = std::lower_bound(items_.begin(), items_.end(), name,
                                     [this](const Item& item, QByteArrayView key) { return nameOf(item) < key; });
    if (at == items_.end() || nameOf(*at) != name)
        return std::nullopt;
    return at->type;
}

// The kernel's own record; glibc does not declare it.
struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

namespace {
// Where the ext family's hashed listing puts its end.
constexpr off64_t EndOffset = 0x7FFFFFFFFFFFFFFF;
} // namespace

struct FolderLister::Buffer {
    static constexpr std::size_t Size = 64 * 1024;
    alignas(LinuxDirent64) char bytes[Size];
    long filled = 0;
    long at = 0;
    off64_t lastOffset = 0; // of the entry read last
};

FolderLister::FolderLister() : buffer_(std::make_unique<Buffer>()) {}
FolderLister::~FolderLister() = default;

void FolderLister::begin(const FolderHandle& folder, const std::optional<FolderId>& id)
{
    if (!id) {
        begin(folder, false);
        return;
    }
    for (const auto& [device, marked] : endMarks_) {
        if (device == id->device) {
            begin(folder, marked);
            return;
        }
    }
    const bool marked = folder.marksListingEnd();
    endMarks_.emplace_back(id->device, marked);
    begin(folder, marked);
}

void FolderLister::begin(const FolderHandle& folder, bool endMarked)
{
    fd_ = folder.fd_;
    endMarked_ = endMarked;
    buffer_->filled = buffer_->at = 0;
    buffer_->lastOffset = 0;
}

bool FolderLister::next(Entry& entry)
{
    if (fd_ < 0)
        return false;
    Buffer& b = *buffer_;
    for (;;) {
        if (b.at >= b.filled) {
            const bool ended = endMarked_ && b.filled > 0 && b.lastOffset == EndOffset;
            const long n = ended ? 0 : ::syscall(SYS_getdents64, fd_, b.bytes, Buffer::Size);
            if (n <= 0) {
                fd_ = -1;
                return false;
            }
            b.filled = n;
            b.at = 0;
        }
        const auto* d = reinterpret_cast<const LinuxDirent64*>(b.bytes + b.at);
        b.at += d->d_reclen;
        b.lastOffset = d->d_off;
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entry.name = QByteArrayView(name, qsizetype(std::strlen(name)));
        switch (d->d_type) {
        case DT_DIR: entry.type = EntryType::Folder; break;
        case DT_REG: entry.type = EntryType::File; break;
        case DT_LNK: entry.type = EntryType::Link; break;
        case DT_UNKNOWN: entry.type = EntryType::Unknown; break;
        default: entry.type = EntryType::Other; break;
        }
        return true;
    }
}

} // namespace platform
