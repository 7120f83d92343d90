#include "SearchLog.h"

#include "catalogue/FileSearch.h"
#include "catalogue/ScanRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using kbltest::writeFile;

namespace {

// Records what the scan asks of its window, and on which thread.
struct RecordingView final : ScanView {
    QStringList calls;
    std::vector<ProjectEntry> rows;
    bool offThread = false;
    int finished = 0;

    void note()
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            offThread = true;
    }
    void showSearchedFolder(const QString& text) override
    {
        note();
        calls.append("folder:" + text);
    }
    void addProjects(const std::vector<ProjectEntry>& entries) override
    {
        note();
        for (const ProjectEntry& e : entries) {
            calls.append("row:" + e.projectPath);
            rows.push_back(e);
        }
    }
    void finishScan(int excluded) override
    {
        note();
        calls.append("finish:" + QString::number(excluded));
        ++finished;
    }
};

// Runs one scan of `root` through the real search, as the main window wires it.
struct Scan {
    RecordingView view;
    ScanRun run{view};
    TFileSearch search;

    Scan()
    {
        QObject::connect(&search, &TFileSearch::OnProgress, &search,
            [this](QObject*, const QString& dir, const QString&) { run.progress(dir); }, Qt::DirectConnection);
        QObject::connect(&search, &TFileSearch::OnMatchFound, &search,
            [this](QObject*, qint32, qint32, qint32, const QString& file) { run.matchFound(file); }, Qt::DirectConnection);
        QObject::connect(&search, &TFileSearch::OnComplete, &search,
            [this](QObject*) { run.complete(); }, Qt::DirectConnection);
    }

    bool scan(const QString& root, ScanExclusions exclusions = {})
    {
        const int before = view.finished;
        run.begin(root, std::move(exclusions));
        search.setInitialDir(root);
        search.setFileMask("*.dpr");
        search.setSearchSubDirectories(true);
        search.Start();
        run.release();
        QElapsedTimer clock;
        clock.start();
        while (view.finished == before && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return view.finished > before;
    }
};

} // namespace

TEST(ScanRun, ExclusionsArePlainCaseSensitiveSubstrings)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writeFile(root, "old/a.dpr");
    writeFile(root, "older/b.dpr");
    writeFile(root, "new/c.dpr");
    Scan s;
    ASSERT_TRUE(s.scan(root, {{root + "/old"}, true}));
    ASSERT_EQ(s.view.rows.size(), 1u);
    EXPECT_EQ(s.view.rows[0].projectPath, "/new/c.dpr");
    EXPECT_EQ(s.run.excludedCount(), 2);
    EXPECT_EQ(s.view.calls.back(), "finish:2");

    // Other letter case, an empty entry, or exclusions switched off: nothing left out.
    for (const ScanExclusions& exclusions :
         {ScanExclusions{{root.toUpper() + "/OLD", ""}, true}, ScanExclusions{{root + "/old"}, false}}) {
        Scan t;
        ASSERT_TRUE(t.scan(root, exclusions));
        EXPECT_EQ(t.view.rows.size(), 3u);
        EXPECT_EQ(t.run.excludedCount(), 0);
    }
}

TEST(ScanRun, RowsCarryNameExecutableAndPathAfterTheRoot)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writeFile(root, "Tools/Sorter/Sorter.dpr", "program Sorter;\r\nbegin\r\n  Application.Title := 'The Sorter';\r\nend.\r\n");
    writeFile(root, "Tools/Sorter/Sorter.exe", "MZ");
    writeFile(root, "Toys/Clock.dpr", "program Clock;\r\n");
    writeFile(root, "Direct.dpr"); // in the root itself: not listed
    Scan s;
    ASSERT_TRUE(s.scan(root));
    ASSERT_EQ(s.view.rows.size(), 2u);
    std::sort(s.view.rows.begin(), s.view.rows.end(),
              [](const ProjectEntry& a, const ProjectEntry& b) { return a.projectPath < b.projectPath; });
    EXPECT_EQ(s.view.rows[0], (ProjectEntry{"The Sorter", "Sorter.exe", "/Tools/Sorter/Sorter.dpr", 0}));
    EXPECT_EQ(s.view.rows[1], (ProjectEntry{"Clock", "", "/Toys/Clock.dpr", 0}));
    EXPECT_FALSE(s.view.offThread);
}

TEST(ScanRun, ChangesArriveInEventOrderOnTheWindowThread)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    writeFile(root, "a/p.dpr");
    writeFile(root, "a/b/q.dpr");
    writeFile(root, "a/b/c/r.dpr");
    Scan s;
    ASSERT_TRUE(s.scan(root));
    EXPECT_FALSE(s.view.offThread);
    // However the changes are batched: rows in the order found, the folder texts shown in
    // the order walked, the end last.
    QStringList rows, folders;
    for (const QString& call : s.view.calls) {
        if (call.startsWith("row:"))
            rows.append(call);
        else if (call.startsWith("folder:"))
            folders.append(call);
    }
    EXPECT_EQ(rows, (QStringList{"row:/a/p.dpr", "row:/a/b/q.dpr", "row:/a/b/c/r.dpr"}));
    const QStringList walked{"folder: " + root + "/a", "folder: " + root + "/a/b", "folder: " + root + "/a/b/c"};
    qsizetype last = -1;
    for (const QString& folder : folders) {
        const qsizetype at = walked.indexOf(folder);
        EXPECT_GT(at, last) << qPrintable(folder);
        last = at;
    }
    EXPECT_EQ(s.view.calls.back(), "finish:0");
    EXPECT_EQ(ScanRun::completedText(0), " Scanning completed (0 projects excluded - see options)");
}

TEST(ScanRun, FolderTextsThatWouldNeverShowAreMerged)
{
    RecordingView view;
    ScanRun run(view);
    run.begin("/", {});
    run.release();
    // A burst from the worker before the window thread gets to run: one delivery, its rows
    // in one step and only the folder text that stays on screen.
    std::thread worker([&] {
        for (int i = 0; i < 10000; ++i)
            run.progress(QString("/f%1").arg(i));
        run.matchFound("/f9999/x.dpr");
        run.progress("/last");
    });
    worker.join();
    QElapsedTimer clock;
    clock.start();
    while (view.calls.isEmpty() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    // With the root "/" the project path has no leading separator.
    EXPECT_EQ(view.calls, (QStringList{"row:f9999/x.dpr", "folder: /last"}));

    // The end replaces whatever folder text came with it.
    view.calls.clear();
    std::thread ending([&] {
        run.progress("/after");
        run.matchFound("/after/y.dpr");
        run.progress("/end");
        run.complete();
    });
    ending.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.calls, (QStringList{"row:after/y.dpr", "finish:0"}));
}

TEST(ScanRun, WhatTheWorkerFindsWaitsUntilTheWindowIsReady)
{
    RecordingView view;
    ScanRun run(view);
    run.begin("/", {});
    // The whole search, done before the window has emptied its list.
    std::thread worker([&] {
        run.progress("/a");
        run.matchFound("/a/x.dpr");
        run.complete();
    });
    worker.join();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(view.calls.isEmpty());
    // Released, it comes from the event loop, as every delivery does.
    run.release();
    EXPECT_TRUE(view.calls.isEmpty());
    QElapsedTimer clock;
    clock.start();
    while (view.finished == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(view.calls, (QStringList{"row:a/x.dpr", "finish:0"}));
}
