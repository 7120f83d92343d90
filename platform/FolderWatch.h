#pragma once
// Following changes in folders: each watched folder reports the names that appear, change
// or vanish in it. Linux keeps a per-user number of watches (fs.inotify.max_user_watches);
// a tree that needs more is told apart from other failures, so the caller can say so
// instead of silently missing changes. Used from one thread, except wake().

#include <QByteArray>

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace platform {

struct WatchEvent {
    enum class Kind {
        FileChanged,   // a non-folder entry was made, written, moved in or touched
        FileRemoved,   // a non-folder entry was deleted or moved out
        FolderAdded,   // a sub-folder was made or moved in
        FolderRemoved, // a sub-folder was deleted or moved out
        Overflow,      // the system dropped events: what is watched may be out of date
    };
    Kind kind = Kind::FileChanged;
    QByteArray folder; // the watched folder, no trailing separator
    QByteArray name;   // the entry in it; empty for Overflow
};

class FolderWatch {
public:
    virtual ~FolderWatch() = default;

    enum class Added { Watched, CannotWatch, LimitReached };
    // Starts watching `folder` (links followed). CannotWatch: it vanished or may not be
    // read; LimitReached: the system allows this user no more watches.
    virtual Added watch(const QByteArray& folder) = 0;
    // Stops watching `folder` and every watched folder below it.
    virtual void unwatchTree(const QByteArray& folder) = 0;
    virtual std::size_t watchCount() const = 0;

    // Waits up to `timeoutMs` (negative: without end) for events and returns those that
    // came; returns early, perhaps with none, after wake().
    virtual std::vector<WatchEvent> wait(int timeoutMs) = 0;
    // Any thread: ends the current or next wait().
    virtual void wake() = 0;
};

// The system's watcher; nullptr when the system gives this user none (too many
// instances in use).
std::unique_ptr<FolderWatch> createFolderWatch();

// The per-user watch limit the system reports, or -1 when it cannot be read.
int systemWatchLimit();

// Watchers made after this allow at most `limit` watches, as if the system's limit were
// that low (negative: the system's own). For tests of a tree larger than the limit.
void setSimulatedWatchLimit(int limit);

} // namespace platform
