#pragma once
// The main list kept in step with the disk after a scan: every folder under the root is
// watched, and a change in a folder is answered by listing that folder again and
// comparing its projects with the rows it had, under the scan's rules (the exclusions,
// hidden folders left out, files in the root itself not listed, one row for X.dpr beside
// X.lpi). The work runs on a thread of its own; the window takes the changes in batches.
// When the tree needs more watches than the system allows, following ends and the rows
// stay as they are.

#include "catalogue/Exclusions.h"
#include "catalogue/ProjectEntry.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace platform {
class FolderWatch;
struct WatchEvent;
class ThreadWake;
} // namespace platform

namespace catalogue {

// Which files of the tree a scan would list.
struct FollowRules {
    QString root; // without its trailing separator (the file-system root keeps it)
    ScanExclusions exclusions;
    bool lazarus = true; // .lpi projects beside .dpr ones

    // Whether the projects lying in `folder` (no trailing separator) get rows: it lies
    // below the root and no folder on the way there is hidden.
    bool listsFolder(const QString& folder) const;
    // Whether the walk enters a sub-folder of this name: any that is not hidden.
    static bool entersFolder(QStringView name) { return !name.isEmpty() && name.front() != u'.'; }
    bool isProjectName(QStringView name) const;
    // The names among one folder's entries that get rows, in the order given: project
    // masks, an X.lpi only without an X.dpr beside it, excluded files left out.
    QStringList projectsIn(const QString& folder, const QStringList& names) const;
};

// The watcher of a catalogue that stopped for a scan of its tree, every folder still
// watched, for the catalogue that follows the scan's result. The system need not give
// tens of thousands of watches back while the scan walks, nor be asked for them again,
// and what changed on disk while nothing followed is still reported by the watches.
class KeptWatch {
public:
    KeptWatch();
    KeptWatch(QString root, std::unique_ptr<platform::FolderWatch> watch);
    KeptWatch(KeptWatch&&) noexcept;
    KeptWatch& operator=(KeptWatch&&) noexcept;
    // A watcher nobody took is given back on a thread of its own.
    ~KeptWatch();

    // The watcher if it watches the tree of `root`; otherwise it is given back.
    std::unique_ptr<platform::FolderWatch> takeFor(const QString& root);

private:
    void giveBack();

    QString m_root;
    std::unique_ptr<platform::FolderWatch> m_watch;
};

class LiveCatalogue final : public QObject {
    Q_OBJECT
public:
    struct Change {
        enum class Kind {
            Added,   // a project appeared: a new row
            Removed, // a project vanished: its rows go
            Updated, // its texts changed: its rows take them
            Touched, // something in its folder changed: its build mark may be out of date
            // A folder was looked at again (the project path names the folder, with its
            // separator): marks of rows there that are not the list's own (the hotlist's)
            // may be out of date too.
            FolderLooked,
        };
        Kind kind = Kind::Added;
        ProjectEntry entry; // the project path names the rows
    };

    // Lives on the user-interface thread. `rows` are the main list's entries as it stands;
    // `kept` is the watcher of the catalogue before, used when it watches the same tree.
    LiveCatalogue(FollowRules rules, std::vector<ProjectEntry> rows, KeptWatch kept = {}, QObject* parent = nullptr);
    ~LiveCatalogue() override;

    // Stops following and hands over the watcher, for the catalogue after a scan.
    KeptWatch stopKeepingWatch();

    // Starts watching: the tree is walked on the worker.
    void start();

    // The changes found since the last call, in the order they were found.
    std::vector<Change> takeChanges();
    // Watches in place (worker-side count, for tests).
    std::size_t watchCount() const { return m_watchCount; }

signals:
    // Every folder of the tree is watched: changes from now on are followed.
    void following();
    // Changes wait in takeChanges().
    void changed();
    // The tree needs more watches than the system allows (or gives none): following has
    // ended, nothing is watched any more.
    void limitReached();

private:
    void run();
    void stopWorker();
    void learn(std::vector<ProjectEntry> rows);
    bool walk(const QByteArray& folder, bool resync);
    void handle(const platform::WatchEvent& event);
    void removeTree(const QString& folder);
    void resync(const QString& folder);
    void post(Change change);
    void deliver();
    QString projectPathOf(const QString& folder, const QString& name) const;

    FollowRules m_rules;
    std::unique_ptr<platform::FolderWatch> m_watch;
    // The rows as given, until the worker has sorted them into m_known.
    std::vector<ProjectEntry> m_rows;
    // Worker only: the projects each folder had at its last look, by folder and name.
    std::map<QString, std::map<QString, ProjectEntry>> m_known;
    std::set<QString> m_dirty;
    bool m_limit = false;
    std::atomic<std::size_t> m_watchCount{0};

    std::atomic<bool> m_stop{false};
    platform::ThreadWake* m_wake;
    std::mutex m_mutex;
    std::vector<Change> m_changes;
    bool m_followingPending = false;
    bool m_limitPending = false;
    bool m_rung = false;
    std::thread m_thread;
};

} // namespace catalogue
