#pragma once
// The folder search: looks for files matching a mask in one folder or in every folder
// below it, on a worker thread that is created parked, runs one search per Start and
// parks again. Its three events are raised on the worker thread, one at a time and in
// search order; each handler is waited for. Connect them with Qt::DirectConnection (the
// default would queue them to the receiver's thread and lose that order and the wait).
// A handler that changes widgets hands that work to the user-interface thread.

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TFileSearch;

namespace catalogue {
class MatchNote;
struct MatchedEntry;
} // namespace catalogue

// Reads ahead what the OnMatchFound handlers will want of a match, on the walk's own
// threads while the match's folder is open and listed (a search below the initial
// folder only). Must be safe to call from several threads at once.
using TMatchReader = std::function<std::unique_ptr<catalogue::MatchNote>(const catalogue::MatchedEntry&)>;

// The worker: a thread of its own (a plain std::thread, so that race checkers see all of
// its synchronisation) and the object that the events name as their Sender.
class TFileSearchThread final : public QObject {
    Q_OBJECT
public:
    explicit TFileSearchThread(TFileSearch& owner);
    ~TFileSearchThread() override;

    // Starts the thread, which parks until the first wake().
    void start();

    // The search's parameters; read by the worker when a search starts. Locked, so a
    // change made right after a completion is never torn.
    QString InitialDir() const;
    void setInitialDir(const QString& dir);
    QString FileMask() const;
    void setFileMask(const QString& mask);
    bool SearchSubDirectories() const;
    void setSearchSubDirectories(bool on);
    void setMatchReader(TMatchReader reader);

    // During OnMatchFound, on the worker: what the match reader made of the match, or
    // null (no reader, or a search of one folder).
    const catalogue::MatchNote* matchNote() const { return matchNote_; }

    // False when refused: an empty folder or mask, or the component is going away.
    // A search that is already running is neither restarted nor queued again.
    bool wake();
    // Ends the running search early; its completion is still raised.
    void stop();
    // Stops raising events, ends the running search early and lets the thread end.
    void terminateAndWait();

    struct Walk; // one search's state, for the walk's helpers

private:
    void Execute(); // the thread body
    void SearchTree(Walk& walk);
    void SearchFolder(Walk& walk);

    TFileSearch& owner_;
    mutable std::mutex mutex_;
    QString initialDir_;
    QString fileMask_;
    bool searchSubDirectories_ = false;
    TMatchReader matchReader_;
    const catalogue::MatchNote* matchNote_ = nullptr; // worker only
    std::condition_variable wakeUp_;
    bool startPending_ = false; // remembers a Start that came before the worker parked
    bool searching_ = false;
    std::atomic<bool> terminate_{false};
    std::atomic<bool> stop_{false};
    bool cancelled() const { return terminate_ || stop_; }
    std::thread thread_;
};

class TFileSearch final : public QObject {
    Q_OBJECT
public:
    explicit TFileSearch(QObject* owner = nullptr);
    // Stops any running search: no event is raised after this returns. Must not be
    // called from one of the component's own handlers.
    ~TFileSearch() override;

    // One mask ("*.dpr") or several separated by ";" ("*.dpr;*.lpi"): a name matching any
    // of them is reported.
    QString FileMask() const { return worker_->FileMask(); }
    void setFileMask(const QString& mask) { worker_->setFileMask(mask); }
    QString InitialDir() const { return worker_->InitialDir(); }
    void setInitialDir(const QString& dir) { worker_->setInitialDir(dir); }
    bool SearchSubDirectories() const { return worker_->SearchSubDirectories(); }
    void setSearchSubDirectories(bool on) { worker_->setSearchSubDirectories(on); }
    // Optional: set it while no search runs. The handlers find its note in the Sender's
    // matchNote().
    void setMatchReader(TMatchReader reader) { worker_->setMatchReader(std::move(reader)); }

    // Runs one search with the current properties. Set the properties only while no
    // search runs. Refused (false) when InitialDir or FileMask is empty.
    bool Start() { return worker_->wake(); }

    // Ends the running search early, as a user's stop: the walk ends at the next entry and
    // OnComplete is raised as usual. Nothing happens when no search runs.
    void Stop() { worker_->stop(); }

signals:
    // Sender is the worker. SearchDir has no trailing separator.
    void OnProgress(QObject* Sender, const QString& SearchDir, const QString& SearchMask);
    // Time: local last-write time in packed DOS form; Size: low 32 bits; Attr: attribute
    // bits; FileName: folder, separator, name.
    void OnMatchFound(QObject* Sender, qint32 Time, qint32 Size, qint32 Attr, const QString& FileName);
    void OnComplete(QObject* Sender);

private:
    std::unique_ptr<TFileSearchThread> worker_;
};
