#pragma once
// Computes build marks off the user-interface thread: the window hands over the rows it
// wants marked, those on screen first, and takes the marks back in batches, at most 25
// times a second (at once when the queue runs empty), so 10,000 rows never cost the
// window more than a few list passes.

#include "catalogue/BuildState.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class QTimer;

namespace platform {
class ThreadWake;
}

namespace catalogue {

class BuildMarker final : public QObject {
    Q_OBJECT
public:
    struct Request {
        int list = 0;            // the caller's name for the list the row is in
        QString projectPath;     // the row's project path, as the list shows it
        QString executableName;  // the row's Exe column
        QString projectFile;     // the project file's full path
    };
    struct Result {
        int list = 0;
        QString projectPath;
        QString executableName;
        BuildMark mark;
    };

    // Lives on the user-interface thread, where marked() is raised.
    explicit BuildMarker(QObject* parent = nullptr);
    ~BuildMarker() override;

    // Replaces what waits: `first` before `rest`.
    void markAll(std::vector<Request> first, std::vector<Request> rest);
    // Puts `requests` ahead of everything waiting (rows that came on screen).
    void markFirst(std::vector<Request> requests);

    // The marks made since the last call, in the order they were made.
    std::vector<Result> takeResults();
    // Nothing waits and nothing is being marked.
    bool isIdle() const;
    // Marks computed since creation: the work done, for tests and benchmarks.
    qint64 computedCount() const;
    // Folders listed for their newest source since creation.
    qint64 listedFolderCount() const;

signals:
    void marked();

private:
    void run();
    void deliver();

    mutable std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    std::deque<Request> m_queue;
    std::vector<Result> m_results;
    bool m_busy = false;
    bool m_stop = false;
    bool m_rung = false;
    qint64 m_computed = 0;
    qint64 m_listed = 0;
    // Each request or change starts a new generation: a folder's newest source is listed
    // once per generation, so many projects in one folder cost one listing, not one each.
    quint64 m_generation = 0;

    platform::ThreadWake* m_wake;
    QTimer* m_later;
    QElapsedTimer m_sinceDelivery;
    std::thread m_thread;
};

} // namespace catalogue
