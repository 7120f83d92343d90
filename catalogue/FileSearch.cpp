#include "catalogue/FileSearch.h"

#include "platform/FileNames.h"
#include "platform/Folder.h"
#include "platform/Wildcard.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

using platform::EntryType;

// One search's state. Each folder is listed once: its matches are reported and its
// sub-folders noted in the same pass, then the sub-folders are walked. The notes of each
// level and the folder ids of the current path are all the memory a walk needs.
struct TFileSearchThread::Walk {
    QByteArray path;                     // the folder being listed, no trailing separator
    QString mask;
    std::vector<platform::WildcardMask> masks; // the mask's ";"-separated parts

    bool matches(QByteArrayView name) const
    {
        return std::any_of(masks.begin(), masks.end(), [&](const platform::WildcardMask& m) { return m.matches(name); });
    }
    platform::FolderLister lister;
    std::deque<std::string> subFolders;  // per depth: names, each ended by a NUL
    std::vector<platform::FolderId> onPath;
};

TFileSearchThread::TFileSearchThread(TFileSearch& owner) : owner_(owner)
{
    setObjectName(QStringLiteral("TFileSearchThread"));
}

void TFileSearchThread::start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Execute(); });
}

TFileSearchThread::~TFileSearchThread() { terminateAndWait(); }

namespace {
// A copy with data of its own: no string buffer is shared between the two threads.
QString detached(const QString& text) { return QString(text.constData(), text.size()); }
} // namespace

QString TFileSearchThread::InitialDir() const
{
    std::lock_guard lock(mutex_);
    return detached(initialDir_);
}

void TFileSearchThread::setInitialDir(const QString& dir)
{
    std::lock_guard lock(mutex_);
    initialDir_ = detached(dir);
}

QString TFileSearchThread::FileMask() const
{
    std::lock_guard lock(mutex_);
    return detached(fileMask_);
}

void TFileSearchThread::setFileMask(const QString& mask)
{
    std::lock_guard lock(mutex_);
    fileMask_ = detached(mask);
}

bool TFileSearchThread::SearchSubDirectories() const
{
    std::lock_guard lock(mutex_);
    return searchSubDirectories_;
}

void TFileSearchThread::setSearchSubDirectories(bool on)
{
    std::lock_guard lock(mutex_);
    searchSubDirectories_ = on;
}

bool TFileSearchThread::wake()
{
    std::lock_guard lock(mutex_);
    if (terminate_ || initialDir_.isEmpty() || fileMask_.isEmpty())
        return false;
    if (!searching_) {
        stop_ = false; // a stop belongs to the search it was given for
        startPending_ = true;
        wakeUp_.notify_one();
    }
    return true;
}

void TFileSearchThread::stop()
{
    std::lock_guard lock(mutex_);
    if (searching_ || startPending_)
        stop_ = true;
}

void TFileSearchThread::terminateAndWait()
{
    {
        std::lock_guard lock(mutex_);
        terminate_ = true;
        wakeUp_.notify_one();
    }
    if (thread_.joinable()) {
        Q_ASSERT(thread_.get_id() != std::this_thread::get_id());
        thread_.join();
    }
}

void TFileSearchThread::Execute()
{
    for (;;) {
        Walk walk;
        bool subDirectories = false;
        {
            std::unique_lock lock(mutex_);
            wakeUp_.wait(lock, [this] { return startPending_ || terminate_; });
            if (terminate_)
                return;
            startPending_ = false;
            searching_ = true;
            walk.path = platform::fileNameToBytes(initialDir_);
            walk.mask = detached(fileMask_);
            subDirectories = searchSubDirectories_;
        }
        while (walk.path.size() > 1 && walk.path.endsWith('/'))
            walk.path.chop(1);
        for (const QString& part : walk.mask.split(u';', Qt::SkipEmptyParts))
            walk.masks.emplace_back(QStringView(part).trimmed());

        if (subDirectories)
            SearchTree(walk);
        else
            SearchFolder(walk);

        {
            // From here on a Start is remembered, even one made inside OnComplete.
            std::lock_guard lock(mutex_);
            searching_ = false;
        }
        if (terminate_)
            return;
        emit owner_.OnComplete(this);
    }
}

namespace {

// path + "/" + name, where a path of "/" keeps its single separator.
void appendName(QByteArray& path, QByteArrayView name)
{
    if (!path.endsWith('/'))
        path.append('/');
    path.append(name);
}

} // namespace

void TFileSearchThread::SearchFolder(Walk& walk)
{
    const platform::FolderHandle folder = platform::FolderHandle::open(walk.path);
    walk.lister.begin(folder);
    platform::FolderLister::Entry entry;
    const qsizetype base = walk.path.size();
    while (!cancelled() && walk.lister.next(entry)) {
        if (!walk.matches(entry.name))
            continue;
        const auto info = folder.info(entry.name.data());
        if (!info)
            continue;
        appendName(walk.path, entry.name);
        emit owner_.OnMatchFound(this, qint32(info->dosTime), qint32(info->size), qint32(info->attributes),
                                 platform::fileNameFromBytes(walk.path));
        walk.path.truncate(base);
    }
}

namespace {

// What a walk found, in walk order: a folder entered, or a match with its details.
struct WalkRecord {
    bool match = false;
    platform::EntryInfo info;
    QByteArray path;
};

// The walk's records on their way from the thread that lists the folders to the worker
// that raises the events: batches in order, at most a few thousand records ahead.
class RecordQueue {
public:
    // Producer: blocks while the queue is full; returns at once once the consumer closed it.
    void push(std::vector<WalkRecord>&& batch)
    {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [this] { return closed_ || batches_.size() < MaxBatches; });
        if (closed_)
            return;
        batches_.push_back(std::move(batch));
        ready_.notify_one();
    }
    void finish()
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        ready_.notify_one();
    }
    // Consumer: the next batch; false once the producer has finished and all is taken.
    bool pop(std::vector<WalkRecord>& batch)
    {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return finished_ || !batches_.empty(); });
        if (batches_.empty())
            return false;
        batch = std::move(batches_.front());
        batches_.pop_front();
        room_.notify_one();
        return true;
    }
    void close()
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        batches_.clear();
        room_.notify_one();
    }

    static constexpr std::size_t BatchSize = 256;

private:
    static constexpr std::size_t MaxBatches = 16;
    std::mutex mutex_;
    std::condition_variable room_, ready_;
    std::deque<std::vector<WalkRecord>> batches_;
    bool finished_ = false;
    bool closed_ = false;
};

} // namespace

void TFileSearchThread::SearchTree(Walk& walk)
{
    // Listing folders is system calls, raising events is the handlers' work (a scan reads
    // each project there): one thread lists ahead while this one raises the events, in
    // exactly the walk's order, so the two share the machine's cores.
    RecordQueue queue;
    std::thread lister([&] {
        std::vector<WalkRecord> batch;
        batch.reserve(RecordQueue::BatchSize);
        const auto add = [&](bool match, const platform::EntryInfo& info) {
            // A copy of its own: no byte buffer is shared between the two threads.
            batch.push_back({match, info, QByteArray(walk.path.constData(), walk.path.size())});
            if (batch.size() == RecordQueue::BatchSize) {
                queue.push(std::move(batch));
                batch.clear();
                batch.reserve(RecordQueue::BatchSize);
            }
        };
        ListTree(walk, add);
        if (!batch.empty())
            queue.push(std::move(batch));
        queue.finish();
    });
    std::vector<WalkRecord> batch;
    while (queue.pop(batch)) {
        for (const WalkRecord& record : batch) {
            if (cancelled())
                break;
            if (record.match)
                emit owner_.OnMatchFound(this, qint32(record.info.dosTime), qint32(record.info.size),
                                         qint32(record.info.attributes), platform::fileNameFromBytes(record.path));
            else
                emit owner_.OnProgress(this, platform::fileNameFromBytes(record.path), walk.mask);
        }
        if (cancelled()) {
            queue.close();
            break;
        }
    }
    lister.join();
}

template <typename Add>
void TFileSearchThread::ListTree(Walk& walk, Add& add)
{
    platform::FolderHandle root = platform::FolderHandle::open(walk.path);
    if (!root.isValid())
        return;
    if (const auto id = root.id())
        walk.onPath.push_back(*id);

    // Lists `folder` (at `depth`), noting matches when asked and its sub-folders, and
    // walks the sub-folders in the order they were listed. `add` takes each record with
    // walk.path naming it.
    auto level = [&](auto& self, const platform::FolderHandle& folder, std::size_t depth, bool report) -> void {
        if (walk.subFolders.size() <= depth)
            walk.subFolders.emplace_back();
        walk.subFolders[depth].clear();

        const qsizetype base = walk.path.size();
        walk.lister.begin(folder);
        platform::FolderLister::Entry entry;
        while (!cancelled() && walk.lister.next(entry)) {
            if (report && walk.matches(entry.name)) {
                if (const auto info = folder.info(entry.name.data())) {
                    appendName(walk.path, entry.name);
                    add(true, *info);
                    walk.path.truncate(base);
                }
            }
            // Every sub-folder that is not hidden is walked, whatever dots its name holds
            // (mORMot-1.18, Delphi 7.0): real trees keep most projects in such folders.
            // Only real folders (or links to them) count; a plain file without an
            // extension is no folder.
            if (entry.name.front() == '.')
                continue;
            EntryType type = entry.type;
            if (type == EntryType::Link || type == EntryType::Unknown)
                type = folder.resolvedType(entry.name.data());
            if (type != EntryType::Folder)
                continue;
            walk.subFolders[depth].append(entry.name.data(), std::size_t(entry.name.size()));
            walk.subFolders[depth].push_back('\0');
        }

        for (std::size_t at = 0; !cancelled() && at < walk.subFolders[depth].size();) {
            const std::string& names = walk.subFolders[depth];
            const char* name = names.c_str() + at;
            const std::size_t length = std::strlen(name);
            at += length + 1;

            platform::FolderHandle child = folder.openChild(name);
            const auto id = child.isValid() ? child.id() : std::nullopt;
            // A folder already open higher up on this path is a loop (a link to an
            // ancestor, or a bind mount): it is not entered again.
            if (id && std::find(walk.onPath.begin(), walk.onPath.end(), *id) != walk.onPath.end())
                continue;

            appendName(walk.path, QByteArrayView(name, qsizetype(length)));
            add(false, platform::EntryInfo{});
            if (child.isValid() && !cancelled()) {
                if (id)
                    walk.onPath.push_back(*id);
                self(self, child, depth + 1, true);
                if (id)
                    walk.onPath.pop_back();
            }
            walk.path.truncate(base);
        }
    };
    level(level, root, 0, false);
}

TFileSearch::TFileSearch(QObject* owner) : QObject(owner), worker_(std::make_unique<TFileSearchThread>(*this))
{
    worker_->start();
}

TFileSearch::~TFileSearch() { worker_->terminateAndWait(); }
