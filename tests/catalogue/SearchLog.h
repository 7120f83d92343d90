#pragma once
// Records the events of a TFileSearch as they arrive on its worker thread.

#include "catalogue/FileSearch.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace kbltest {

struct SearchEvent {
    enum Kind { Progress, Match, Complete } kind;
    QString path;
    qint32 attr = 0;
    qint32 size = 0;
    qint32 time = 0;
};

class SearchLog {
public:
    explicit SearchLog(TFileSearch& search)
    {
        QObject::connect(&search, &TFileSearch::OnProgress, &search,
            [this](QObject*, const QString& dir, const QString&) {
                if (onProgress)
                    onProgress(dir);
                add({SearchEvent::Progress, dir});
            }, Qt::DirectConnection);
        QObject::connect(&search, &TFileSearch::OnMatchFound, &search,
            [this](QObject*, qint32 time, qint32 size, qint32 attr, const QString& name) {
                add({SearchEvent::Match, name, attr, size, time});
            }, Qt::DirectConnection);
        QObject::connect(&search, &TFileSearch::OnComplete, &search,
            [this](QObject*) {
                // The hook runs before the completion is counted, so a test that waited
                // for the count may change the hook.
                if (onComplete)
                    onComplete();
                add({SearchEvent::Complete, {}});
            }, Qt::DirectConnection);
    }

    // Waits (at most a few seconds) until `count` searches have completed.
    bool waitForCompletions(int count, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return completions_ >= count; });
    }

    std::vector<SearchEvent> events() const
    {
        std::lock_guard lock(mutex_);
        return events_;
    }
    int completions() const
    {
        std::lock_guard lock(mutex_);
        return completions_;
    }
    // "P:path" / "M:path" / "C", paths relative to `root`.
    QStringList lines(const QString& root) const
    {
        QStringList out;
        for (const SearchEvent& e : events()) {
            QString path = e.path.startsWith(root) ? e.path.mid(root.size()) : e.path;
            out.append(e.kind == SearchEvent::Progress ? "P:" + path : e.kind == SearchEvent::Match ? "M:" + path : "C");
        }
        return out;
    }

    std::function<void(const QString&)> onProgress; // runs on the worker
    std::function<void()> onComplete;               // runs on the worker

private:
    void add(SearchEvent e)
    {
        std::lock_guard lock(mutex_);
        if (e.kind == SearchEvent::Complete)
            ++completions_;
        events_.push_back(std::move(e));
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SearchEvent> events_;
    int completions_ = 0;
};

// Creates `relative` below `root` with the given content, making its folders.
inline void writeFile(const QString& root, const QString& relative, const QByteArray& content = "program X;\r\n")
{
    const QString path = root + "/" + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

} // namespace kbltest
