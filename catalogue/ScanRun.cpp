#include "catalogue/ScanRun.h"

#include "catalogue/ProjectSource.h"
#include "catalogue/TreeWalk.h"

#include "platform/FileNames.h"
#include "platform/ThreadWake.h"

#include <QTimer>

namespace {
// The shortest time between two deliveries: 25 a second still reads as live, and a
// window repaint per folder would cost the walk more than the walk itself.
constexpr qint64 DeliveryIntervalMs = 40;

struct PreparedProject final : catalogue::MatchNote {
    explicit PreparedProject(ProjectTexts texts) : texts(std::move(texts)) {}
    ProjectTexts texts;
};
} // namespace

ScanRun::ScanRun(ScanView& view, QObject* parent)
    : QObject(parent), m_view(view), m_wake(new platform::ThreadWake(this)), m_later(new QTimer(this))
{
    // The worker only rings; the changes themselves pass under m_mutex.
    connect(m_wake, &platform::ThreadWake::woken, this, &ScanRun::deliver);
    m_later->setSingleShot(true);
    connect(m_later, &QTimer::timeout, this, &ScanRun::deliver);
    m_sinceDelivery.start();
}

QString ScanRun::completedText(int excludedCount)
{
    return tr(" Scanning completed (%1 projects excluded - see options)").arg(excludedCount);
}

QString ScanRun::stoppedText(int projectCount)
{
    return tr(" Scanning stopped (%1 projects found)").arg(projectCount);
}

void ScanRun::begin(const QString& root, ScanExclusions exclusions)
{
    m_root = root;
    m_exclusions = std::move(exclusions);
    m_excludedCount = 0;
    m_folder.clear();
    m_lazarusInFolder.clear();
    m_delphiInFolder.clear();
    m_held = true;
    std::lock_guard lock(m_mutex);
    m_pending.clear();
    m_finishPending = false;
}

void ScanRun::release()
{
    m_held = false;
    // A ring that came while held was not answered, and the worker does not ring twice.
    // From the event loop, as every delivery: the window's handler returns first.
    m_wake->wake();
}

void ScanRun::progress(const QString& searchDir)
{
    // A folder's matches all come before the walk moves on.
    if (!m_folder.isEmpty())
        flushFolder();
    // The status text is made when it is shown: most folder texts are replaced unseen.
    postFolder(searchDir);
}

std::unique_ptr<catalogue::MatchNote> ScanRun::prepare(const catalogue::MatchedEntry& match) const
{
    // The walkers run several at a time and have the folder open: reading there costs a
    // fraction of finding the folder again by its path from here.
    const QString fileName = platform::fileNameFromBytes(match.path);
    if (m_exclusions.excludes(fileName))
        return nullptr;
    // A Lazarus project is read by its path: its own rules look beyond its folder. One
    // beside a Delphi project of its name is read for nothing, but such pairs are few.
    if (isLazarusProject(fileName))
        return std::make_unique<PreparedProject>(ReadProjectTexts(fileName));
    return std::make_unique<PreparedProject>(ReadProjectTexts(match.folder, match.entries, match.name));
}

void ScanRun::matchFound(const QString& fileName, const catalogue::MatchNote* note)
{
    const auto* prepared = dynamic_cast<const PreparedProject*>(note);
    const ProjectTexts* texts = prepared ? &prepared->texts : nullptr;
    const QString folder = fileName.left(fileName.lastIndexOf(u'/') + 1);
    if (folder != m_folder) {
        flushFolder();
        m_folder = folder;
    }
    // A converted project keeps its .dpr beside its .lpi: it is one project, listed by its
    // .dpr, so Lazarus projects wait until their folder has been listed whole.
    if (isLazarusProject(fileName)) {
        m_lazarusInFolder.push_back({fileName, texts ? std::optional(*texts) : std::nullopt});
        return;
    }
    m_delphiInFolder.insert(baseOf(fileName));
    addProject(fileName, texts);
}

void ScanRun::complete()
{
    flushFolder();
    post({Change::Finish, {}, {}, m_excludedCount});
}

QString ScanRun::baseOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > fileName.lastIndexOf(u'/') ? fileName.left(dot) : fileName;
}

void ScanRun::flushFolder()
{
    for (const WaitingProject& lazarus : m_lazarusInFolder)
        if (!m_delphiInFolder.contains(baseOf(lazarus.fileName)))
            addProject(lazarus.fileName, lazarus.texts ? &*lazarus.texts : nullptr);
    m_lazarusInFolder.clear();
    m_delphiInFolder.clear();
    m_folder.clear();
}

void ScanRun::addProject(const QString& fileName, const ProjectTexts* prepared)
{
    if (m_exclusions.excludes(fileName)) {
        ++m_excludedCount;
        return;
    }
    // The project file is read on the search's threads, so the window never waits for a
    // disk: ahead by a walker when it could, else here.
    ProjectTexts texts = prepared ? *prepared : ReadProjectTexts(fileName);
    ProjectEntry entry{std::move(texts.applicationName), std::move(texts.executableName), fileName.mid(m_root.size()),
                       listimage::MainList};
    post({Change::Project, {}, std::move(entry), 0});
}

void ScanRun::postFolder(const QString& folder)
{
    {
        std::lock_guard lock(m_mutex);
        // A folder text directly followed by another would never be seen: it takes the
        // other's place, and the delivery already rung for takes it along.
        if (!m_pending.empty() && m_pending.back().kind == Change::Folder) {
            m_pending.back().text = folder;
            return;
        }
    }
    post({Change::Folder, folder, {}, 0});
}

void ScanRun::post(Change change)
{
    const bool finish = change.kind == Change::Finish;
    std::lock_guard lock(m_mutex);
    m_pending.push_back(std::move(change));
    // The end is handed over at once, even when a held-back delivery is waiting.
    if (finish)
        m_finishPending = true;
    if (!m_deliveryPosted || finish) {
        m_deliveryPosted = true;
        m_wake->wake();
    }
}

void ScanRun::flush()
{
    m_held = false;
    std::vector<Change> changes;
    {
        std::lock_guard lock(m_mutex);
        changes.swap(m_pending);
        m_deliveryPosted = false;
        m_finishPending = false;
    }
    m_later->stop();
    apply(changes);
}

void ScanRun::deliver()
{
    if (m_held)
        return;
    std::vector<Change> changes;
    {
        std::lock_guard lock(m_mutex);
        const qint64 since = m_sinceDelivery.elapsed();
        if (!m_finishPending && since < DeliveryIntervalMs) {
            // Too soon after the last one: keep collecting; the worker does not ring meanwhile.
            if (!m_later->isActive())
                m_later->start(int(DeliveryIntervalMs - since));
            return;
        }
        changes.swap(m_pending);
        m_deliveryPosted = false;
        m_finishPending = false;
    }
    m_later->stop();
    m_sinceDelivery.restart();
    apply(changes);
}

void ScanRun::apply(std::vector<Change>& changes)
{
    // Nothing is painted between the changes of one delivery: its rows go into the list
    // in one step, and of its folder texts only the last could ever be seen.
    std::vector<ProjectEntry> rows;
    const QString* folder = nullptr;
    const auto show = [&] {
        if (!rows.empty())
            m_view.addProjects(rows);
        rows.clear();
        if (folder)
            m_view.showSearchedFolder(u' ' + *folder);
        folder = nullptr;
    };
    for (Change& change : changes) {
        switch (change.kind) {
        case Change::Project:
            rows.push_back(std::move(change.entry));
            break;
        case Change::Folder:
            folder = &change.text;
            break;
        case Change::Finish:
            // The completed text replaces any folder text.
            folder = nullptr;
            show();
            m_finishedExcludedCount = change.excludedCount;
            m_view.finishScan(change.excludedCount);
            break;
        }
    }
    show();
}
