#include "catalogue/FileSearch.h"

#include "catalogue/TreeWalk.h"

#include "platform/FileNames.h"
#include "platform/Folder.h"
#include "platform/Wildcard.h"

#include <algorithm>
#include <thread>
#include <vector>

// One search's state.
struct TFileSearchThread::Walk {
    QByteArray path;                     // the folder being listed, no trailing separator
    QString mask;
    std::vector<platform::WildcardMask> masks; // the mask's ";"-separated parts
    TMatchReader reader;

    bool matches(QByteArrayView name) const
    {
        return std::any_of(masks.begin(), masks.end(), [&](const platform::WildcardMask& m) { return m.matches(name); });
    }
    platform::FolderLister lister;
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

void TFileSearchThread::setMatchReader(TMatchReader reader)
{
    std::lock_guard lock(mutex_);
    matchReader_ = std::move(reader);
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
            walk.reader = matchReader_;
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

// The folder search's side of the walk: its masks and stops, and its events.
class SearchVisitor final : public catalogue::TreeWalkVisitor {
public:
    SearchVisitor(TFileSearchThread& sender, TFileSearch& owner, const TFileSearchThread::Walk& walk,
                  const std::atomic<bool>& terminate, const std::atomic<bool>& stop, const catalogue::MatchNote*& note)
        : sender_(sender), owner_(owner), walk_(walk), terminate_(terminate), stop_(stop), note_(note)
    {
    }
    bool cancelled() const override { return terminate_ || stop_; }
    bool matches(QByteArrayView name) const override { return walk_.matches(name); }
    bool notesMatches() const override { return bool(walk_.reader); }
    std::unique_ptr<catalogue::MatchNote> noteMatch(const catalogue::MatchedEntry& match) const override
    {
        return walk_.reader(match);
    }
    void folder(QByteArrayView path) override { emit owner_.OnProgress(&sender_, platform::fileNameFromBytes(path), walk_.mask); }
    void match(QByteArrayView path, const platform::EntryInfo& info, const catalogue::MatchNote* note) override
    {
        note_ = note;
        emit owner_.OnMatchFound(&sender_, qint32(info.dosTime), qint32(info.size), qint32(info.attributes),
                                 platform::fileNameFromBytes(path));
        note_ = nullptr;
    }

private:
    TFileSearchThread& sender_;
    TFileSearch& owner_;
    const TFileSearchThread::Walk& walk_;
    const std::atomic<bool>& terminate_;
    const std::atomic<bool>& stop_;
    const catalogue::MatchNote*& note_;
};

} // namespace

void TFileSearchThread::SearchTree(Walk& walk)
{
    // Listing folders is system calls, raising events is the handlers' work (a scan reads
    // each project there): walkers list ahead on the machine's cores while this thread
    // raises the events, in exactly the order of a walk on one thread.
    SearchVisitor visitor(*this, owner_, walk, terminate_, stop_, matchNote_);
    catalogue::TreeWalkOptions options;
    options.walkers = catalogue::treeWalkers();
    catalogue::walkTree(walk.path, visitor, options);
}

TFileSearch::TFileSearch(QObject* owner) : QObject(owner), worker_(std::make_unique<TFileSearchThread>(*this))
{
    worker_->start();
}

TFileSearch::~TFileSearch() { worker_->terminateAndWait(); }
