#pragma once
// Listing folders the fast way: a folder is opened once, its entries are read in large
// batches with their type from the listing itself, and nothing is asked of a single entry
// unless the caller needs it (a link's target, a match's time and size).

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// File-attribute bits as the Windows enumeration reports them.
namespace attr {
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t VolumeLabel = 0x08;
constexpr std::uint32_t Directory = 0x10;
constexpr std::uint32_t Archive = 0x20;
} // namespace attr

enum class EntryType { Folder, File, Link, Other, Unknown };

// Device and inode: what makes two paths the same folder.
struct FolderId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FolderId&, const FolderId&) = default;
};

// What a search reports of a matching entry.
struct EntryInfo {
    std::uint32_t dosTime = 0; // local time, date in the high 16 bits
    std::uint32_t size = 0;    // low 32 bits of the size in bytes
    std::uint32_t attributes = 0;
};

// An open folder; move-only, closes itself.
class FolderHandle {
public:
    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // Opens a folder by its path (links followed); invalid when it cannot be listed.
    static FolderHandle open(const QByteArray& path);
    // Opens the sub-folder `name` (NUL-terminated bytes) of this folder.
    FolderHandle openChild(const char* name) const;

    bool isValid() const { return fd_ >= 0; }
    std::optional<FolderId> id() const;
    // Whether the folder's file system marks the last part of a listing as such (ext2, 3
    // and 4 give its last entry the end's offset): a listing then needs no further read
    // to learn that it has ended. Asks the file system; the answer holds for its device.
    bool marksListingEnd() const;

    // The descriptor, for opening and asking entries relative to the folder; -1 when
    // invalid. The handle keeps owning it.
    int descriptor() const { return fd_; }

    // The type of `name` after following links: Folder, File, Other, or Unknown when it
    // cannot be read (a dangling link).
    EntryType resolvedType(const char* name) const;

    // Time, size and attributes of `name` (links followed); nullopt when it vanished.
    std::optional<EntryInfo> info(const char* name) const;

    // The last-write time of `name` in milliseconds since the epoch (UTC) when it is a
    // regular file (links followed); nullopt for anything else or when it vanished.
    std::optional<qint64> fileModifiedMs(const char* name) const;

private:
    friend class FolderLister;
    explicit FolderHandle(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// The entries of one folder as a listing gave them, to be looked up by name: what a
// listing already told need not be asked of the file system again.
class FolderEntries {
public:
    void clear();
    void add(QByteArrayView name, EntryType type);
    std::size_t size() const { return items_.size(); }
    // Makes the entries ready for find(); call once all are added.
    void index();
    // The type the listing gave `name`, or nullopt when the folder held no such entry.
    std::optional<EntryType> find(QByteArrayView name) const;

private:
    struct Item {
        std::size_t offset;
        std::uint32_t length; // a name is at most a few hundred bytes
        EntryType type;
    };
    QByteArrayView nameOf(const Item& item) const { return QByteArrayView(names_.data() + item.offset, item.length); }
    std::string names_;
    std::vector<Item> items_; // sorted by name once indexed
};

// Reads the entries of one folder at a time into a buffer it keeps; "." and ".." are
// left out. One lister serves a whole walk, so a walk holds one buffer, however deep.
class FolderLister {
public:
    FolderLister();
    ~FolderLister();
    FolderLister(const FolderLister&) = delete;
    FolderLister& operator=(const FolderLister&) = delete;

    struct Entry {
        QByteArrayView name; // NUL-terminated; valid until the next call of next()
        EntryType type = EntryType::Unknown;
    };

    // Starts listing `folder`, which must stay open until next() returns false;
    // `endMarked` is its marksListingEnd().
    void begin(const FolderHandle& folder, bool endMarked = false);
    // The same for a folder whose id is known: whether its device marks the end of a
    // listing is asked once per device and lister.
    void begin(const FolderHandle& folder, const std::optional<FolderId>& id);
    // The next entry; false at the end or on a read error.
    bool next(Entry& entry);

private:
    struct Buffer;
    std::unique_ptr<Buffer> buffer_;
    int fd_ = -1;
    bool endMarked_ = false;
    std::vector<std::pair<std::uint64_t, bool>> endMarks_; // device, marksListingEnd()
};

} // namespace platform
