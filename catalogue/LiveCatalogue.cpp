#include "catalogue/LiveCatalogue.h"

#include "catalogue/ProjectSource.h"

#include "platform/FileNames.h"
#include "platform/Files.h"
#include "platform/Folder.h"
#include "platform/FolderWatch.h"
#include "platform/ThreadWake.h"

#include <QElapsedTimer>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace catalogue {

namespace {

// How long a burst of changes (a build writing its files, an unpacked archive) is
// gathered before the folders are looked at: one look per folder instead of one per file.
constexpr int QuietMs = 30;
constexpr int GatherMaxMs = 250;

QString baseOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

QString joined(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QByteArray joined(const QByteArray& folder, QByteArrayView name)
{
    QByteArray path = folder;
    if (!path.endsWith('/'))
        path.append('/');
    path.append(name);
    return path;
}

} // namespace

bool FollowRules::listsFolder(const QString& folder) const
{
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    if (!folder.startsWith(prefix) || folder.size() == prefix.size())
        return false;
    const QStringView rest = QStringView(folder).mid(prefix.size());
    for (const QStringView part : rest.split(u'/', Qt::SkipEmptyParts))
        if (!entersFolder(part))
            return false;
    return true;
}

bool FollowRules::isProjectName(QStringView name) const
{
    return name.endsWith(u".dpr", Qt::CaseInsensitive) || (lazarus && name.endsWith(u".lpi", Qt::CaseInsensitive));
}

QStringList FollowRules::projectsIn(const QString& folder, const QStringList& names) const
{
    QSet<QString> delphiBases;
    for (const QString& name : names)
        if (name.endsWith(u".dpr", Qt::CaseInsensitive))
            delphiBases.insert(baseOf(name));
    QStringList projects;
    for (const QString& name : names) {
        if (!isProjectName(name))
            continue;
        // A converted project keeps its .dpr beside its .lpi: one project, listed by its .dpr.
        if (!name.endsWith(u".dpr", Qt::CaseInsensitive) && delphiBases.contains(baseOf(name)))
            continue;
        if (exclusions.excludes(joined(folder, name)))
            continue;
        projects.append(name);
    }
    return projects;
}

namespace {

// The watches a catalogue leaves behind are given back to the system on a thread of their
// own: a scan or the window's close does not wait for it.
template <typename... Parts>
void dropElsewhere(Parts&&... parts)
{
    std::thread([... kept = std::move(parts)]() mutable { (kept.reset(), ...); }).detach();
}

} // namespace

KeptWatch::KeptWatch(QString root, std::unique_ptr<platform::FolderWatch> watch)
    : m_root(std::move(root)), m_watch(std::move(watch))
{
}

KeptWatch::KeptWatch() = default;
KeptWatch::KeptWatch(KeptWatch&&) noexcept = default;

KeptWatch& KeptWatch::operator=(KeptWatch&& other) noexcept
{
    if (this != &other) {
        giveBack();
        m_root = std::move(other.m_root);
        m_watch = std::move(other.m_watch);
    }
    return *this;
}

KeptWatch::~KeptWatch() { giveBack(); }

void KeptWatch::giveBack()
{
    if (m_watch)
        dropElsewhere(std::move(m_watch));
}

std::unique_ptr<platform::FolderWatch> KeptWatch::takeFor(const QString& root)
{
    // The walk enters the same folders whatever the other rules: only the root decides.
    if (m_watch && root == m_root)
        return std::move(m_watch);
    giveBack();
    return nullptr;
}

LiveCatalogue::LiveCatalogue(FollowRules rules, std::vector<ProjectEntry> rows, KeptWatch kept, QObject* parent)
    : QObject(parent), m_rules(std::move(rules)), m_rows(std::move(rows)), m_wake(new platform::ThreadWake(this))
{
    connect(m_wake, &platform::ThreadWake::woken, this, &LiveCatalogue::deliver);
    while (m_rules.root.size() > 1 && m_rules.root.endsWith(u'/'))
        m_rules.root.chop(1);
    m_watch = kept.takeFor(m_rules.root);
    if (!m_watch)
        m_watch = platform::createFolderWatch();
}

void LiveCatalogue::learn(std::vector<ProjectEntry> rows)
{
    for (const ProjectEntry& row : rows) {
        const QString file = m_rules.root + row.projectPath;
        const qsizetype slash = file.lastIndexOf(u'/');
        if (slash <= 0)
            continue;
        // Copies of their own: the worker keeps no string buffer shared with the window.
        const QString folder(file.constData(), slash);
        const QString name(file.constData() + slash + 1, file.size() - slash - 1);
        ProjectEntry entry{QString(row.applicationName.constData(), row.applicationName.size()),
                           QString(row.executableName.constData(), row.executableName.size()),
                           QString(row.projectPath.constData(), row.projectPath.size()), listimage::MainList};
        m_known[folder][name] = std::move(entry);
    }
}

LiveCatalogue::~LiveCatalogue()
{
    stopWorker();
    // Giving tens of thousands of watches back to the system takes it up to a tenth of a
    // second. What the worker knew is freed here, on the window's thread: its texts share
    // buffers with the changes the window was sent.
    if (m_watch)
        dropElsewhere(std::move(m_watch));
}

void LiveCatalogue::stopWorker()
{
    m_stop = true;
    if (m_watch)
        m_watch->wake();
    if (m_thread.joinable())
        m_thread.join();
}

KeptWatch LiveCatalogue::stopKeepingWatch()
{
    stopWorker();
    return KeptWatch(m_rules.root, std::move(m_watch));
}

void LiveCatalogue::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

std::vector<LiveCatalogue::Change> LiveCatalogue::takeChanges()
{
    std::lock_guard lock(m_mutex);
    std::vector<Change> changes;
    changes.swap(m_changes);
    return changes;
}

void LiveCatalogue::deliver()
{
    bool following = false, limit = false, changes = false;
    {
        std::lock_guard lock(m_mutex);
        following = std::exchange(m_followingPending, false);
        limit = std::exchange(m_limitPending, false);
        changes = !m_changes.empty();
        m_rung = false;
    }
    if (following)
        emit this->following();
    if (changes)
        emit changed();
    if (limit)
        emit limitReached();
}

void LiveCatalogue::post(Change change)
{
    std::lock_guard lock(m_mutex);
    m_changes.push_back(std::move(change));
}

void LiveCatalogue::run()
{
    const auto ring = [this](bool following, bool limit) {
        std::lock_guard lock(m_mutex);
        m_followingPending = m_followingPending || following;
        m_limitPending = m_limitPending || limit;
        if (!m_rung && (following || limit || !m_changes.empty())) {
            m_rung = true;
            m_wake->wake();
        }
    };
    const auto giveUp = [&] {
        // Every watch goes back to the system; the rows stay as they are. The watcher itself
        // stays until the window lets go of it, which may still wake it.
        m_watch->unwatchTree(platform::fileNameToBytes(m_rules.root));
        m_watchCount = m_watch->watchCount();
        ring(false, true);
    };
    learn(std::exchange(m_rows, {}));
    if (!m_watch) {
        ring(false, true);
        return;
    }
    if (!walk(platform::fileNameToBytes(m_rules.root), false)) {
        if (!m_stop)
            giveUp();
        return;
    }
    ring(true, false);

    while (!m_stop) {
        std::vector<platform::WatchEvent> events = m_watch->wait(-1);
        if (m_stop)
            return;
        if (events.empty())
            continue;
        QElapsedTimer gathering;
        gathering.start();
        for (;;) {
            for (const platform::WatchEvent& event : events) {
                if (m_stop || m_limit)
                    break;
                handle(event);
            }
            if (m_stop || m_limit || gathering.elapsed() >= GatherMaxMs)
                break;
            events = m_watch->wait(QuietMs);
            if (events.empty())
                break;
        }
        if (m_stop)
            return;
        if (m_limit) {
            giveUp();
            return;
        }
        const std::set<QString> dirty = std::exchange(m_dirty, {});
        for (const QString& folder : dirty) {
            if (m_stop)
                return;
            resync(folder);
        }
        ring(false, false);
    }
}

bool LiveCatalogue::walk(const QByteArray& start, bool resyncFolders)
{
    // Depth first like the scan's own walk; a folder already open higher up on the path
    // (a link to an ancestor) is not entered again.
    std::vector<platform::FolderId> onPath;
    platform::FolderLister lister;
    auto level = [&](auto& self, const QByteArray& path, const platform::FolderHandle& folder,
                     const std::optional<platform::FolderId>& folderId) -> bool {
        if (m_stop)
            return false;
        switch (m_watch->watch(path)) {
        case platform::FolderWatch::Added::LimitReached:
            m_limit = true;
            return false;
        case platform::FolderWatch::Added::CannotWatch:
            return true; // gone meanwhile, or not readable: the scan passes over it too
        case platform::FolderWatch::Added::Watched:
            break;
        }
        m_watchCount = m_watch->watchCount();
        if (resyncFolders)
            m_dirty.insert(platform::fileNameFromBytes(path));
        // Listed after the watch is in place, so nothing made meanwhile is missed.
        std::vector<QByteArray> children;
        lister.begin(folder, folderId);
        platform::FolderLister::Entry entry;
        while (lister.next(entry)) {
            if (entry.name.front() == '.')
                continue;
            platform::EntryType type = entry.type;
            if (type == platform::EntryType::Link || type == platform::EntryType::Unknown)
                type = folder.resolvedType(entry.name.data());
            if (type == platform::EntryType::Folder)
                children.emplace_back(entry.name.data(), entry.name.size());
        }
        for (const QByteArray& name : children) {
            platform::FolderHandle child = folder.openChild(name.constData());
            if (!child.isValid())
                continue;
            const auto id = child.id();
            if (id && std::find(onPath.begin(), onPath.end(), *id) != onPath.end())
                continue;
            if (id)
                onPath.push_back(*id);
            const bool ok = self(self, joined(path, name), child, id);
            if (id)
                onPath.pop_back();
            if (!ok)
                return false;
        }
        return true;
    };
    // A folder that came later is walked with the folders above it on the path, up to the
    // root, so a link inside it to one of them is cut as the scan cuts it.
    const QByteArray rootBytes = platform::fileNameToBytes(m_rules.root);
    if (start.size() > rootBytes.size() && start.startsWith(rootBytes)) {
        for (qsizetype at = rootBytes.size(); at >= 0 && at < start.size(); at = start.indexOf('/', at + 1)) {
            const platform::FolderHandle above = platform::FolderHandle::open(at == 0 ? QByteArray("/") : start.left(at));
            if (const auto id = above.isValid() ? above.id() : std::nullopt)
                onPath.push_back(*id);
        }
    }
    const platform::FolderHandle folder = platform::FolderHandle::open(start);
    if (!folder.isValid())
        return true;
    const auto id = folder.id();
    if (id)
        onPath.push_back(*id);
    return level(level, start, folder, id);
}

void LiveCatalogue::handle(const platform::WatchEvent& event)
{
    using Kind = platform::WatchEvent::Kind;
    const QString folder = platform::fileNameFromBytes(event.folder);
    const QString name = platform::fileNameFromBytes(event.name);
    switch (event.kind) {
    case Kind::Overflow:
        // Changes were dropped: look at every folder again, known or new.
        for (const auto& [known, projects] : m_known)
            m_dirty.insert(known);
        walk(platform::fileNameToBytes(m_rules.root), true);
        return;
    case Kind::FileChanged:
        // A link to a folder arrives as a plain entry.
        if (FollowRules::entersFolder(name) && platform::isFolder(joined(folder, name)))
            walk(joined(event.folder, event.name), true);
        break;
    case Kind::FolderAdded:
        if (FollowRules::entersFolder(name))
            walk(joined(event.folder, event.name), true);
        break;
    case Kind::FileRemoved:
    case Kind::FolderRemoved:
        removeTree(joined(folder, name));
        break;
    }
    m_dirty.insert(folder);
}

void LiveCatalogue::removeTree(const QString& folder)
{
    m_watch->unwatchTree(platform::fileNameToBytes(folder));
    m_watchCount = m_watch->watchCount();
    // The folder and those below it sort together: folder, then folder + "/" .. folder + "0".
    const auto drop = [this](auto it) {
        for (const auto& [name, entry] : it->second)
            post({Change::Kind::Removed, entry});
        return m_known.erase(it);
    };
    if (auto self = m_known.find(folder); self != m_known.end())
        drop(self);
    const QString below = folder + u'/';
    const QString end = folder + QChar(char16_t(u'/' + 1));
    for (auto it = m_known.lower_bound(below); it != m_known.end() && it->first < end;)
        it = drop(it);
    for (auto it = m_dirty.lower_bound(below); it != m_dirty.end() && *it < end;)
        it = m_dirty.erase(it);
}

QString LiveCatalogue::projectPathOf(const QString& folder, const QString& name) const
{
    return joined(folder, name).mid(m_rules.root.size());
}

void LiveCatalogue::resync(const QString& folder)
{
    QStringList names;
    if (m_rules.listsFolder(folder)) {
        if (const auto entries = platform::listFolder(folder))
            for (const platform::FolderEntry& entry : *entries)
                names.append(entry.name);
        names = m_rules.projectsIn(folder, names);
    }
    std::map<QString, ProjectEntry> now;
    std::map<QString, ProjectEntry>* known = nullptr;
    if (auto it = m_known.find(folder); it != m_known.end())
        known = &it->second;
    for (const QString& name : names) {
        const ProjectTexts texts = ReadProjectTexts(joined(folder, name));
        ProjectEntry entry{texts.applicationName, texts.executableName, projectPathOf(folder, name),
                           listimage::MainList};
        Change::Kind kind = Change::Kind::Added;
        if (known) {
            if (auto before = known->find(name); before != known->end()) {
                const bool same = before->second.applicationName == entry.applicationName
                                  && before->second.executableName == entry.executableName;
                kind = same ? Change::Kind::Touched : Change::Kind::Updated;
            }
        }
        post({kind, entry});
        now[name] = std::move(entry);
    }
    if (known)
        for (const auto& [name, entry] : *known)
            if (!now.count(name))
                post({Change::Kind::Removed, entry});
    post({Change::Kind::FolderLooked, {{}, {}, joined(folder, QString()).mid(m_rules.root.size()), listimage::MainList}});
    if (now.empty())
        m_known.erase(folder);
    else
        m_known[folder] = std::move(now);
}

} // namespace catalogue
