#include "platform/FolderWatch.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<int> simulatedLimit{-1};

constexpr std::uint32_t WatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB
                                    | IN_ONLYDIR;

class InotifyWatch final : public FolderWatch {
public:
    InotifyWatch(int fd, int wakeFd, int limit) : fd_(fd), wakeFd_(wakeFd), limit_(limit) {}
    ~InotifyWatch() override
    {
        ::close(fd_);
        ::close(wakeFd_);
    }

    Added watch(const QByteArray& folder) override
    {
        if (paths_.count(folder))
            return Added::Watched;
        if (limit_ >= 0 && folders_.size() >= std::size_t(limit_))
            return Added::LimitReached;
        const int wd = ::inotify_add_watch(fd_, folder.constData(), WatchMask);
        if (wd < 0)
            return errno == ENOSPC ? Added::LimitReached : Added::CannotWatch;
        // The same folder reached by a second path (a link) gives the same watch.
        folders_[wd].push_back(folder);
        paths_[folder] = wd;
        return Added::Watched;
    }

    void unwatchTree(const QByteArray& folder) override
    {
        // Paths below a folder sort right after it: folder + "/" up to folder + "0".
        const QByteArray below = folder + '/';
        const QByteArray end = folder + char('/' + 1);
        auto first = paths_.lower_bound(below);
        auto last = paths_.lower_bound(end);
        std::vector<std::pair<QByteArray, int>> gone(first, last);
        paths_.erase(first, last);
        if (auto self = paths_.find(folder); self != paths_.end()) {
            gone.emplace_back(self->first, self->second);
            paths_.erase(self);
        }
        for (const auto& [path, wd] : gone)
            forget(wd, path, true);
    }

    std::size_t watchCount() const override { return folders_.size(); }

    std::vector<WatchEvent> wait(int timeoutMs) override
    {
        std::vector<WatchEvent> events;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeoutMs);
        if (ready <= 0)
            return events;
        if (fds[1].revents & POLLIN) {
            std::uint64_t count = 0;
            (void)!::read(wakeFd_, &count, sizeof count);
        }
        if (fds[0].revents & POLLIN)
            readEvents(events);
        return events;
    }

    void wake() override
    {
        const std::uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
    }

private:
    void forget(int wd, const QByteArray& path, bool remove)
    {
        auto it = folders_.find(wd);
        if (it == folders_.end())
            return;
        std::erase(it->second, path);
        if (it->second.empty()) {
            folders_.erase(it);
            if (remove)
                ::inotify_rm_watch(fd_, wd);
        }
    }

    void readEvents(std::vector<WatchEvent>& events)
    {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0)
                return;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                take(*event, events);
            }
        }
    }

    void take(const inotify_event& event, std::vector<WatchEvent>& events)
    {
        if (event.mask & IN_Q_OVERFLOW) {
            events.push_back({WatchEvent::Kind::Overflow, {}, {}});
            return;
        }
        auto it = folders_.find(event.wd);
        if (it == folders_.end())
            return;
        if (event.mask & IN_IGNORED) {
            // The folder itself is gone: the system dropped its watch.
            for (const QByteArray& path : it->second)
                paths_.erase(path);
            folders_.erase(it);
            return;
        }
        const QByteArray name(event.name, qsizetype(::strnlen(event.name, event.len)));
        if (name.isEmpty())
            return;
        const bool folder = event.mask & IN_ISDIR;
        WatchEvent::Kind kind;
        if (event.mask & (IN_DELETE | IN_MOVED_FROM))
            kind = folder ? WatchEvent::Kind::FolderRemoved : WatchEvent::Kind::FileRemoved;
        else if (folder && (event.mask & (IN_CREATE | IN_MOVED_TO)))
            kind = WatchEvent::Kind::FolderAdded;
        else if (folder)
            return; // a sub-folder's own attributes change nothing
        else
            kind = WatchEvent::Kind::FileChanged;
        for (const QByteArray& path : it->second)
            events.push_back({kind, path, name});
    }

    int fd_;
    int wakeFd_;
    int limit_;
    std::unordered_map<int, std::vector<QByteArray>> folders_;
    std::map<QByteArray, int> paths_;
};

} // namespace

std::unique_ptr<FolderWatch> createFolderWatch()
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<InotifyWatch>(fd, wakeFd, simulatedLimit.load());
}

int systemWatchLimit()
{
    QFile file(QStringLiteral("/proc/sys/fs/inotify/max_user_watches"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const int limit = file.readLine(32).trimmed().toInt(&ok);
    return ok ? limit : -1;
}

void setSimulatedWatchLimit(int limit) { simulatedLimit = limit; }

} // namespace platform
