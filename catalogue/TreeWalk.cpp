#include "catalogue/TreeWalk.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace catalogue {

using platform::EntryInfo;
using platform::EntryType;
using platform::FolderHandle;
using platform::FolderId;

namespace {

struct Task;

// One thing found, in walk order. Its path is the first `keep` bytes of the path of the
// batch's record before it, then `length` bytes of the batch's text from `offset`: the
// paths of a depth-first walk share most of their bytes, and the records waiting for the
// caller's turn take a third of the memory whole paths would.
struct Record {
    enum Kind : std::uint8_t { Folder, Match, Splice };
    Kind kind = Folder;
    std::uint32_t keep = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    EntryInfo info;
    Task* task = nullptr;            // Splice: the part of the walk that comes here
    std::unique_ptr<MatchNote> note; // Match: the visitor's, when it notes matches
};

struct Batch {
    std::vector<Record> records;
    std::string text;
};

// A part of the walk that one walker does alone: the start folder, or a sub-folder taken
// from another walker, with everything below it that no walker takes in turn.
struct Task {
    FolderHandle folder;
    std::string path;
    std::vector<FolderId> ancestors; // the folders open above it, for the loop check
    bool announce = true;            // its own folder record comes first
    bool report = true;              // its own matches are reported
    // Guarded by the walk's output lock.
    std::deque<Batch> batches;
    std::size_t queued = 0; // records in `batches`
    bool done = false;
};

// One folder being walked by a walker: its sub-folders, taken in order from the front by
// the walker itself and from the back by other walkers.
struct Level {
    FolderHandle folder;
    std::string path;
    std::string names; // each ended by a NUL
    std::vector<std::size_t> starts;
    std::size_t next = 0, end = 0; // the sub-folders not taken yet
    std::size_t idCount = 0;       // the entries of the walker's onPath up to this folder
    std::vector<Task*> taken;      // what other walkers took from the back, last first
};

struct Walker {
    // Guards what another walker may read or take: depth, the levels' next, end and
    // taken, and onPath. The walker's own reads need no lock.
    std::mutex mutex;
    std::deque<Level> levels; // [0, depth) in use; kept for their buffers
    std::size_t depth = 0;
    std::vector<FolderId> onPath;
    platform::FolderLister lister;
    Task* task = nullptr;
    Batch batch;
    std::string batchPath; // the path of the batch's last record
    std::string scratch;
    int foldersListed = 0;
    // The folder being listed, when matches are noted: all its entries (unless there are
    // too many to keep), and its matches' names (each ended by a NUL), noted once the
    // listing is whole.
    platform::FolderEntries entries;
    bool entriesKept = false;
    std::string matchNames;
    std::vector<std::size_t> matchStarts;
};

// path + "/" + name, where a path of "/" keeps its single separator.
void appendName(std::string& path, std::string_view name)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
}

// The bytes two paths start with alike.
std::size_t sharedLength(std::string_view a, std::string_view b)
{
    const std::size_t most = std::min(a.size(), b.size());
    std::size_t n = 0;
    while (n < most && a[n] == b[n])
        ++n;
    return n;
}

bool contains(const std::vector<FolderId>& ids, std::size_t count, const FolderId& id)
{
    return std::find(ids.begin(), ids.begin() + std::ptrdiff_t(count), id) != ids.begin() + std::ptrdiff_t(count);
}

constexpr std::size_t BatchText = 32 * 1024;

class Walk {
public:
    Walk(TreeWalkVisitor& visitor, const TreeWalkOptions& options)
        : visitor_(visitor), notes_(visitor.notesMatches()), aheadLimit_(std::max<std::size_t>(options.aheadLimit, 1)),
          batchRecords_(std::max<std::size_t>(options.batchRecords, 1)), keptEntries_(options.keptEntries)
    {
        const int count = std::max(options.walkers, 1);
        for (int i = 0; i < count; ++i)
            walkers_.push_back(std::make_unique<Walker>());
    }

    TreeWalkCounts run(const QByteArray& root)
    {
        Task* start = newTask();
        start->folder = FolderHandle::open(root);
        start->path.assign(root.constData(), std::size_t(root.size()));
        start->announce = false;
        start->report = false;
        head_ = start;

        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < walkers_.size(); ++i)
            threads.emplace_back([this, i, start] { work(*walkers_[i], i == 0 ? start : nullptr); });
        consume(start);
        {
            std::scoped_lock lock(outMutex_, idleMutex_);
            abort_ = true;
            room_.notify_all();
            workOffered_.notify_all();
        }
        for (std::thread& thread : threads)
            thread.join();

        TreeWalkCounts counts;
        for (const auto& walker : walkers_)
            counts.foldersListed += walker->foldersListed;
        counts.foldersTaken = taken_;
        return counts;
    }

private:
    bool cancelled() const { return abort_.load(std::memory_order_relaxed) || visitor_.cancelled(); }

    Task* newTask()
    {
        std::lock_guard lock(tasksMutex_);
        tasks_.push_back(std::make_unique<Task>());
        return tasks_.back().get();
    }

    // A walker's thread: its first task, then what it can take from the others, until
    // every walker is out of work.
    void work(Walker& w, Task* task)
    {
        for (;;) {
            if (!task) {
                const std::uint64_t seen = offers_.load();
                task = take(w);
                if (!task) {
                    std::unique_lock lock(idleMutex_);
                    if (finished_ || abort_)
                        return;
                    idle_.store(idle_.load() + 1);
                    if (idle_.load() == int(walkers_.size())) {
                        finished_ = true;
                        workOffered_.notify_all();
                        return;
                    }
                    workOffered_.wait(lock, [&] { return finished_ || abort_ || offers_.load() != seen; });
                    idle_.store(idle_.load() - 1);
                    if (finished_ || abort_)
                        return;
                    continue;
                }
            }
            runTask(w, *task);
            task = nullptr;
        }
    }

    // The farthest pending sub-folder of another walker: the last one not yet taken at
    // its shallowest level, so that the two work far apart and rarely meet again.
    Task* take(Walker& thief)
    {
        for (std::size_t k = 1; k < walkers_.size(); ++k) {
            Walker& victim = *walkers_[(indexOf(thief) + k) % walkers_.size()];
            std::lock_guard lock(victim.mutex);
            for (std::size_t d = 0; d < victim.depth; ++d) {
                Level& level = victim.levels[d];
                if (level.next >= level.end)
                    continue;
                const char* name = level.names.data() + level.starts[--level.end];
                Task* task = newTask();
                // Opened here, while the folder is sure to be open.
                task->folder = level.folder.openChild(name);
                task->path = level.path;
                appendName(task->path, name);
                task->ancestors.assign(victim.onPath.begin(), victim.onPath.begin() + std::ptrdiff_t(level.idCount));
                level.taken.push_back(task);
                taken_.fetch_add(1, std::memory_order_relaxed);
                return task;
            }
        }
        return nullptr;
    }

    std::size_t indexOf(const Walker& w) const
    {
        for (std::size_t i = 0; i < walkers_.size(); ++i)
            if (walkers_[i].get() == &w)
                return i;
        return 0;
    }

    // Tells idle walkers that there is work to take.
    void offer()
    {
        // Only when someone waits: the count is shared by all walkers, and a walker that
        // is just going idle sees the next offer.
        if (idle_.load() > 0) {
            offers_.fetch_add(1);
            std::lock_guard lock(idleMutex_);
            workOffered_.notify_all();
        }
    }

    void runTask(Walker& w, Task& task)
    {
        w.task = &task;
        const std::optional<FolderId> id = task.folder.isValid() ? task.folder.id() : std::nullopt;
        // A folder already open higher up on this path is a loop: it is not entered again.
        if (!(id && contains(task.ancestors, task.ancestors.size(), *id))) {
            if (task.announce)
                add(w, Record::Folder, task.path, {}, {});
            if (task.folder.isValid() && !cancelled()) {
                {
                    std::lock_guard lock(w.mutex);
                    w.onPath = std::move(task.ancestors);
                    if (id)
                        w.onPath.push_back(*id);
                    pushLevel(w, std::move(task.folder), task.path);
                }
                list(w, w.levels[0], task.report, id);
                walkLevels(w);
            }
        }
        task.ancestors.clear();
        task.ancestors.shrink_to_fit();
        publish(w, true);
        w.task = nullptr;
    }

    // Under the walker's lock.
    void pushLevel(Walker& w, FolderHandle folder, std::string_view path)
    {
        if (w.levels.size() <= w.depth)
            w.levels.emplace_back();
        Level& level = w.levels[w.depth++];
        level.folder = std::move(folder);
        level.path.assign(path);
        level.names.clear();
        level.starts.clear();
        level.next = level.end = 0; // nothing to take until it is listed
        level.idCount = w.onPath.size();
        level.taken.clear();
    }

    // Lists a folder: its matches when asked, and its sub-folders to walk.
    void list(Walker& w, Level& level, bool report, const std::optional<FolderId>& id)
    {
        const bool noting = report && notes_;
        if (noting) {
            w.entries.clear();
            w.entriesKept = true;
            w.matchNames.clear();
            w.matchStarts.clear();
        }
        w.lister.begin(level.folder, id);
        platform::FolderLister::Entry entry;
        while (!cancelled() && w.lister.next(entry)) {
            const std::string_view name(entry.name.data(), std::size_t(entry.name.size()));
            if (noting) {
                // Noted once the whole folder is known.
                if (w.entriesKept && w.entries.size() < keptEntries_) {
                    w.entries.add(entry.name, entry.type);
                } else if (w.entriesKept) {
                    w.entriesKept = false;
                    w.entries.clear();
                }
                if (visitor_.matches(entry.name)) {
                    w.matchStarts.push_back(w.matchNames.size());
                    w.matchNames.append(name);
                    w.matchNames.push_back('\0');
                }
            } else if (report && visitor_.matches(entry.name)) {
                if (const auto info = level.folder.info(entry.name.data()))
                    add(w, Record::Match, level.path, name, *info);
            }
            // Every sub-folder that is not hidden is walked, whatever dots its name holds
            // (mORMot-1.18, Delphi 7.0): real trees keep most projects in such folders.
            // Only real folders (or links to them) count; a plain file without an
            // extension is no folder.
            if (name.front() == '.')
                continue;
            EntryType type = entry.type;
            if (type == EntryType::Link || type == EntryType::Unknown)
                type = level.folder.resolvedType(entry.name.data());
            if (type != EntryType::Folder)
                continue;
            level.starts.push_back(level.names.size());
            level.names.append(name);
            level.names.push_back('\0');
        }
        ++w.foldersListed;
        if (!level.starts.empty()) {
            {
                std::lock_guard lock(w.mutex);
                level.end = level.starts.size();
            }
            // Before the matches are noted: other walkers may take sub-folders meanwhile.
            offer();
        }
        if (noting && !w.matchStarts.empty())
            noteMatches(w, level);
    }

    void noteMatches(Walker& w, const Level& level)
    {
        if (w.entriesKept)
            w.entries.index();
        const platform::FolderEntries* entries = w.entriesKept ? &w.entries : nullptr;
        std::string path;
        for (const std::size_t start : w.matchStarts) {
            if (cancelled())
                return;
            const char* name = w.matchNames.data() + start;
            const auto info = level.folder.info(name);
            if (!info)
                continue;
            path = level.path;
            appendName(path, name);
            const MatchedEntry match{level.folder, entries, name, QByteArrayView(path.data(), qsizetype(path.size()))};
            add(w, Record::Match, level.path, name, *info, visitor_.noteMatch(match));
        }
    }

    // Depth first from the walker's top level down, until its task is walked.
    void walkLevels(Walker& w)
    {
        std::string path;
        std::vector<Task*> taken;
        while (w.depth > 0 && !cancelled()) {
            Level& level = w.levels[w.depth - 1];
            const char* name = nullptr;
            {
                std::lock_guard lock(w.mutex);
                if (level.next < level.end) {
                    name = level.names.data() + level.starts[level.next++];
                } else {
                    // Walked through: what others took from its back comes now, in order.
                    taken.assign(level.taken.rbegin(), level.taken.rend());
                    level.taken.clear();
                    level.folder = FolderHandle();
                    --w.depth;
                    w.onPath.resize(w.depth > 0 ? w.levels[w.depth - 1].idCount : 0);
                }
            }
            if (!name) {
                for (Task* task : taken)
                    addSplice(w, task);
                continue;
            }
            FolderHandle child = level.folder.openChild(name);
            const std::optional<FolderId> id = child.isValid() ? child.id() : std::nullopt;
            if (id && contains(w.onPath, w.onPath.size(), *id))
                continue;
            path = level.path;
            appendName(path, name);
            add(w, Record::Folder, path, {}, {});
            if (!child.isValid() || cancelled())
                continue;
            {
                std::lock_guard lock(w.mutex);
                if (id)
                    w.onPath.push_back(*id);
                pushLevel(w, std::move(child), path);
            }
            list(w, w.levels[w.depth - 1], true, id);
        }
        // Ended early: nothing more is wanted; the folders close.
        std::lock_guard lock(w.mutex);
        while (w.depth > 0)
            w.levels[--w.depth].folder = FolderHandle();
        w.onPath.clear();
    }

    void add(Walker& w, Record::Kind kind, std::string_view path, std::string_view name, const EntryInfo& info,
             std::unique_ptr<MatchNote> note = nullptr)
    {
        Batch& batch = w.batch;
        std::string& full = w.scratch;
        full.assign(path);
        if (!name.empty())
            appendName(full, name);
        const std::size_t keep = sharedLength(full, w.batchPath);
        Record record;
        record.kind = kind;
        record.keep = std::uint32_t(keep);
        record.offset = std::uint32_t(batch.text.size());
        record.length = std::uint32_t(full.size() - keep);
        batch.text.append(full, keep);
        w.batchPath.swap(full);
        record.info = info;
        record.note = std::move(note);
        batch.records.push_back(std::move(record));
        if (batch.records.size() >= batchRecords_ || batch.text.size() >= BatchText)
            publish(w, false);
    }

    void addSplice(Walker& w, Task* task)
    {
        Record record;
        record.kind = Record::Splice;
        record.offset = std::uint32_t(w.batch.text.size());
        record.task = task;
        w.batch.records.push_back(std::move(record));
        if (w.batch.records.size() >= batchRecords_)
            publish(w, false);
    }

    // Hands the walker's records to the caller's side; a walker whose records are not
    // the caller's turn waits while too many are ahead.
    void publish(Walker& w, bool last)
    {
        Batch batch;
        batch.records.reserve(batchRecords_);
        std::swap(batch, w.batch);
        w.batchPath.clear(); // the next batch's first path is whole
        std::unique_lock lock(outMutex_);
        if (!batch.records.empty()) {
            // The caller's turn is bounded by itself: it is taken while it waits.
            Task* task = w.task;
            room_.wait(lock, [&] {
                return (head_ == task ? task->queued < aheadLimit_ : buffered_ < aheadLimit_) || abort_;
            });
            buffered_ += batch.records.size();
            task->queued += batch.records.size();
            task->batches.push_back(std::move(batch));
        }
        if (last)
            w.task->done = true;
        if (waitingFor_ == w.task)
            ready_.notify_one();
    }

    // The caller's thread: the records in walk order, each part of the walk where it
    // belongs.
    void consume(Task* start)
    {
        struct Frame {
            Task* task;
            Batch batch;
            std::size_t at = 0;
            std::string path; // of the batch's record taken last
        };
        std::vector<Frame> frames;
        frames.push_back({start, {}, 0, {}});
        while (!frames.empty()) {
            Frame& frame = frames.back();
            if (frame.at == frame.batch.records.size()) {
                std::unique_lock lock(outMutex_);
                Task* task = frame.task;
                waitingFor_ = task;
                ready_.wait(lock, [&] { return !task->batches.empty() || task->done; });
                waitingFor_ = nullptr;
                if (task->batches.empty()) {
                    frames.pop_back();
                    head_ = frames.empty() ? nullptr : frames.back().task;
                    room_.notify_all();
                    continue;
                }
                frame.batch = std::move(task->batches.front());
                task->batches.pop_front();
                frame.at = 0;
                buffered_ -= frame.batch.records.size();
                task->queued -= frame.batch.records.size();
                room_.notify_all();
                continue;
            }
            const Record& record = frame.batch.records[frame.at++];
            if (visitor_.cancelled())
                return;
            if (record.kind != Record::Splice) {
                frame.path.resize(record.keep);
                frame.path.append(frame.batch.text, record.offset, record.length);
            }
            const QByteArrayView path(frame.path.data(), qsizetype(frame.path.size()));
            switch (record.kind) {
            case Record::Folder:
                visitor_.folder(path);
                break;
            case Record::Match:
                visitor_.match(path, record.info, record.note.get());
                break;
            case Record::Splice: {
                Task* task = record.task;
                std::lock_guard lock(outMutex_);
                head_ = task;
                room_.notify_all();
                frames.push_back({task, {}, 0, {}}); // `frame` and `record` are stale from here
                break;
            }
            }
        }
    }

    TreeWalkVisitor& visitor_;
    const bool notes_;
    const std::size_t aheadLimit_;
    const std::size_t batchRecords_;
    const std::size_t keptEntries_;
    std::vector<std::unique_ptr<Walker>> walkers_;
    std::atomic<bool> abort_{false};
    std::atomic<int> taken_{0};

    std::mutex tasksMutex_;
    std::vector<std::unique_ptr<Task>> tasks_; // all of a walk's tasks, freed at its end

    // The records on their way to the caller.
    std::mutex outMutex_;
    std::condition_variable ready_, room_;
    Task* head_ = nullptr;       // the part whose records the caller takes now
    Task* waitingFor_ = nullptr; // the part the caller waits for
    std::size_t buffered_ = 0;   // records handed over, not taken yet

    // Idle walkers wait here for work to take.
    std::mutex idleMutex_;
    std::condition_variable workOffered_;
    std::atomic<int> idle_{0}; // written under idleMutex_, read without it by offer()
    std::atomic<std::uint64_t> offers_{0};
    bool finished_ = false;
};

} // namespace

TreeWalkCounts walkTree(const QByteArray& root, TreeWalkVisitor& visitor, const TreeWalkOptions& options)
{
    Walk walk(visitor, options);
    return walk.run(root);
}

int treeWalkers()
{
    // Listing is mostly system calls that scale with the cores; past four the kernel's
    // own locks and the caller's pace decide.
    return std::clamp(int(std::thread::hardware_concurrency()), 2, 4);
}

} // namespace catalogue
