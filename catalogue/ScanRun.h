#pragma once
// The scan run without its window: turns the folder search's events into project entries
// and status texts and hands them to the user-interface thread in the order the events
// arrived. The worker never waits for the user-interface thread, so the window stays
// responsive and closing it mid-scan cannot deadlock; a folder text that is replaced
// before the window could show it is dropped, so memory does not grow with the folders
// walked. The window takes the changes at most 25 times a second (the end of
// the scan at once), so a fast walk is not slowed by repainting a status text per folder.

#include "catalogue/Exclusions.h"
#include "catalogue/ProjectEntry.h"
#include "catalogue/ProjectSource.h"

#include <QObject>
#include <QString>

#include <QElapsedTimer>
#include <QSet>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QTimer;

namespace platform {
class ThreadWake;
}

namespace catalogue {
class MatchNote;
struct MatchedEntry;
} // namespace catalogue

// What a scan changes in its window. Every call comes on the user-interface thread, in
// event order.
class ScanView {
public:
    virtual ~ScanView() = default;
    // Status panel 0 during the scan: a blank and the folder being searched.
    virtual void showSearchedFolder(const QString& statusText) = 0;
    // Rows for the main list, in the order they were found.
    virtual void addProjects(const std::vector<ProjectEntry>& entries) = 0;
    // The search has run through.
    virtual void finishScan(int excludedCount) = 0;
};

class ScanRun final : public QObject {
    Q_OBJECT
public:
    // Lives on the user-interface thread, where `view` is called.
    explicit ScanRun(ScanView& view, QObject* parent = nullptr);

    // User-interface thread, before the search starts: the root (without trailing
    // separator) whose text is cut from the project paths, and the exclusions. What the
    // worker finds is held back until release(), so the search can start while the
    // window is still making ready for it.
    void begin(const QString& root, ScanExclusions exclusions);
    void release();

    // Any of the search's walking threads, while a match's folder is open: the project's
    // texts read there, ahead of its turn, for matchFound(); null for an excluded one,
    // which is not read at all.
    std::unique_ptr<catalogue::MatchNote> prepare(const catalogue::MatchedEntry& match) const;

    // Worker thread, from the search's three events; `note` is what prepare() made of
    // the match, if anything.
    void progress(const QString& searchDir);
    void matchFound(const QString& fileName, const catalogue::MatchNote* note = nullptr);
    void complete();

    // User-interface thread: hands over at once what the worker has left, for a search
    // that was stopped (its worker is gone, so nothing more can come).
    void flush();

    // User-interface thread: the count of the last finished scan.
    int excludedCount() const { return m_finishedExcludedCount; }
    const ScanExclusions& exclusions() const { return m_exclusions; }

    static QString completedText(int excludedCount);
    // Panel 0 after the user stopped a scan that had found `projectCount` projects.
    static QString stoppedText(int projectCount);

private:
    struct Change {
        enum Kind { Folder, Project, Finish } kind;
        QString text; // Folder: the folder searched
        ProjectEntry entry;
        int excludedCount = 0;
    };
    void post(Change change);
    // A folder text; one that only replaces the text before it needs no change made.
    void postFolder(const QString& folder);
    void addProject(const QString& fileName, const ProjectTexts* prepared);
    void flushFolder();
    static QString baseOf(const QString& fileName);
    void deliver();
    void apply(std::vector<Change>& changes);

    ScanView& m_view;
    // Written by begin() before the search starts, read by the worker during it.
    QString m_root;
    ScanExclusions m_exclusions;
    int m_excludedCount = 0; // worker only while a search runs
    // The folder whose matches are coming in (worker only): its Lazarus projects wait for
    // the end of its listing, when its Delphi projects are all known.
    QString m_folder;
    struct WaitingProject {
        QString fileName;
        std::optional<ProjectTexts> texts; // read ahead
    };
    std::vector<WaitingProject> m_lazarusInFolder;
    QSet<QString> m_delphiInFolder;
    int m_finishedExcludedCount = 0;

    platform::ThreadWake* m_wake;
    QTimer* m_later;             // a delivery held back to keep the pace
    QElapsedTimer m_sinceDelivery;
    bool m_held = false; // user-interface thread only
    std::mutex m_mutex;
    std::vector<Change> m_pending;
    bool m_deliveryPosted = false; // the worker need not ring again
    bool m_finishPending = false;
};
