#include "catalogue/FileSearch.h"

#include "platform/FileNames.h"
#include "platform/Folder.h"
#include "platform/Wildcard.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
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

void TFileSearchThread::SearchTree(Walk& walk)
{
    platform::FolderHandle root = platform::FolderHandle::open(walk.path);
    if (!root.isValid())
        return;
    if (const auto id = root.id())
        walk.onPath.push_back(*id);

    // Lists `folder` (at `depth`), reporting matches when asked, notes its sub-folders
    // and walks them in the order they were listed.
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
                    emit owner_.OnMatchFound(this, qint32(info->dosTime), qint32(info->size),
                                             qint32(info->attributes), platform::fileNameFromBytes(walk.path));
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
            emit owner_.OnProgress(this, platform::fileNameFromBytes(walk.path), walk.mask);
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
