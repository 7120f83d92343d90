#include "SearchLog.h"

#include "platform/FileNames.h"
#include "platform/Folder.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using kbltest::SearchEvent;
using kbltest::SearchLog;
using kbltest::writeFile;

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString root = dir.path();
    std::unique_ptr<TFileSearch> search = std::make_unique<TFileSearch>();
    SearchLog log{*search};

    QStringList run(bool subDirectories = true, const QString& mask = "*.dpr", const QString& start = {})
    {
        const int before = log.completions();
        search->setInitialDir(start.isEmpty() ? root : start);
        search->setFileMask(mask);
        search->setSearchSubDirectories(subDirectories);
        EXPECT_TRUE(search->Start());
        EXPECT_TRUE(log.waitForCompletions(before + 1));
        return log.lines(root);
    }
};

} // namespace

TEST(FileSearch, WalkIsPreOrderAndLeavesOutTheRootsOwnFiles)
{
    Fixture f;
    writeFile(f.root, "a.dpr");              // directly in the root: not searched
    writeFile(f.root, "x/a.dpr");
    writeFile(f.root, "x/notes.txt");
    writeFile(f.root, "x/y/b.dpr");
    writeFile(f.root, "x/y/z/c.dpr");
    EXPECT_EQ(f.run(), (QStringList{"P:/x", "M:/x/a.dpr", "P:/x/y", "M:/x/y/b.dpr", "P:/x/y/z", "M:/x/y/z/c.dpr", "C"}));
}

TEST(FileSearch, StopEndsTheRunningSearchWhichStillCompletesAndTheNextRunsWhole)
{
    Fixture f;
    for (const char* name : {"a", "b", "c", "d"})
        writeFile(f.root, QString("%1/p.dpr").arg(name));
    // Stopped from inside the walk as it enters its first folder: nothing more comes but
    // the end.
    f.log.onProgress = [&](const QString&) { f.search->Stop(); };
    QStringList lines = f.run();
    ASSERT_EQ(lines.size(), 2) << lines.join(' ').toStdString();
    EXPECT_TRUE(lines[0].startsWith("P:"));
    EXPECT_EQ(lines[1], "C");
    // A stop given while no search runs is forgotten: the next search is whole.
    f.log.onProgress = nullptr;
    f.search->Stop();
    EXPECT_EQ(f.run().mid(2).size(), 4 + 4 + 1); // the log keeps the first run's two lines
}

TEST(FileSearch, SiblingSubtreesAreWalkedWhole)
{
    Fixture f;
    for (const char* top : {"p", "q", "r"})
        for (const char* sub : {"s", "t"})
            writeFile(f.root, QString("%1/%2/m.dpr").arg(top, sub));
    const QStringList lines = f.run();
    ASSERT_EQ(lines.size(), 3 + 6 + 6 + 1);
    // Every folder's events follow its announcement and come before any folder outside it.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith("P:"))
            continue;
        const QString folder = lines[i].mid(2) + "/";
        qsizetype j = i + 1;
        while (j < lines.size() && lines[j].mid(2).startsWith(folder))
            ++j;
        for (qsizetype k = j; k < lines.size(); ++k)
            EXPECT_FALSE(lines[k].mid(2).startsWith(folder)) << lines.join(' ').toStdString();
    }
}

TEST(FileSearch, HiddenFoldersAndPlainFilesAreNotEntered)
{
    Fixture f;
    writeFile(f.root, ".git/a.dpr");
    writeFile(f.root, ".config.d/b.dpr");
    writeFile(f.root, "ok/.hidden.dpr");     // a hidden file matching the mask is reported
    writeFile(f.root, "ok/Makefile", "all:\n");
    writeFile(f.root, "ok/Sorter", "\x7F" "ELF");
    EXPECT_EQ(f.run(), (QStringList{"P:/ok", "M:/ok/.hidden.dpr", "C"}));
    const auto events = f.log.events();
    EXPECT_TRUE(events[1].attr & platform::attr::Hidden);
}

TEST(FileSearch, ScanEntersDottedFolders)
{
    Fixture f;
    writeFile(f.root, "mORMot-1.18/Samples/a.dpr");
    writeFile(f.root, "JVCL 3.x/b.dpr");
    writeFile(f.root, "Delphi 7.0/Demos.old/c.dpr");
    writeFile(f.root, "fpcsrc-3.2.2/d.DPR");
    QStringList matches;
    for (const QString& line : f.run())
        if (line.startsWith("M:"))
            matches << line;
    matches.sort();
    EXPECT_EQ(matches, (QStringList{"M:/Delphi 7.0/Demos.old/c.dpr", "M:/JVCL 3.x/b.dpr",
                                    "M:/fpcsrc-3.2.2/d.DPR", "M:/mORMot-1.18/Samples/a.dpr"}));
}

TEST(FileSearch, MasksIgnoreCaseAndReportMatchingFolders)
{
    Fixture f;
    writeFile(f.root, "w/UPPER.DPR");
    writeFile(f.root, "w/other.dprx");
    QDir().mkpath(f.root + "/w/odd.dpr");    // a folder whose name matches
    QStringList lines = f.run();
    lines.sort();
    // The folder is reported as a match and, as every folder, walked.
    EXPECT_EQ(lines, (QStringList{"C", "M:/w/UPPER.DPR", "M:/w/odd.dpr", "P:/w", "P:/w/odd.dpr"}));
    for (const SearchEvent& e : f.log.events()) {
        if (e.kind == SearchEvent::Match && e.path.endsWith("odd.dpr")) {
            EXPECT_EQ(e.attr, platform::attr::Directory);
        }
    }
}

TEST(FileSearch, WithoutSubDirectoriesOnlyTheStartFolderIsSearched)
{
    Fixture f;
    writeFile(f.root, "top.dpr");
    writeFile(f.root, "sub/deep.dpr");
    EXPECT_EQ(f.run(false), (QStringList{"M:/top.dpr", "C"}));
    // The start folder may be given with a trailing separator.
    EXPECT_EQ(f.run(false, "*.dpr", f.root + "/").mid(2), (QStringList{"M:/top.dpr", "C"}));
}

TEST(FileSearch, EmptyMissingOrVanishedStartFoldersOnlyComplete)
{
    Fixture f;
    EXPECT_EQ(f.run(), QStringList{"C"});
    EXPECT_EQ(f.run(true, "*.dpr", f.root + "/gone").size(), 2);
    EXPECT_EQ(f.run(false, "*.dpr", f.root + "/gone").size(), 3);
    // A file as start folder lists nothing either.
    writeFile(f.root, "file.dpr");
    EXPECT_EQ(f.run(true, "*.dpr", f.root + "/file.dpr").size(), 4);
}

TEST(FileSearch, MatchesCarryAttributesSizeAndLocalDosTime)
{
    Fixture f;
    writeFile(f.root, "d/ro.dpr", QByteArray(1234, 'x'));
    const QString path = f.root + "/d/ro.dpr";
    ::chmod(QFile::encodeName(path).constData(), 0444);
    f.run();
    const auto events = f.log.events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1].attr, platform::attr::ReadOnly | platform::attr::Archive);
    EXPECT_EQ(events[1].size, 1234);
    const QDateTime modified = QFileInfo(path).lastModified();
    const auto t = quint32(events[1].time);
    EXPECT_EQ(int(t >> 25) + 1980, modified.date().year());
    EXPECT_EQ(int(t >> 21 & 15), modified.date().month());
    EXPECT_EQ(int(t >> 16 & 31), modified.date().day());
    EXPECT_EQ(int(t >> 11 & 31), modified.time().hour());
    EXPECT_EQ(int(t >> 5 & 63), modified.time().minute());
    EXPECT_EQ(int(t & 31), modified.time().second() / 2);
}

TEST(FileSearch, LoopingLinksEndAndOtherLinksAreWalked)
{
    Fixture f;
    writeFile(f.root, "a/p.dpr");
    writeFile(f.root, "b/q.dpr");
    ASSERT_TRUE(QFile::link(f.root, f.root + "/a/up"));         // back to the root
    ASSERT_TRUE(QFile::link(f.root + "/a", f.root + "/a/self")); // to its own folder
    ASSERT_TRUE(QFile::link(f.root + "/b", f.root + "/a/tob"));  // elsewhere: walked
    ASSERT_TRUE(QFile::link(f.root + "/none", f.root + "/a/dangling"));
    QStringList lines = f.run();
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"C", "M:/a/p.dpr", "M:/a/tob/q.dpr", "M:/b/q.dpr", "P:/a", "P:/a/tob", "P:/b"}));
}

TEST(FileSearch, FoldersThatCannotBeListedAreAnnouncedAndPassedOver)
{
    Fixture f;
    writeFile(f.root, "a/gone/x.dpr");
    writeFile(f.root, "a/gone/deeper/y.dpr");
    writeFile(f.root, "a/kept.dpr");
    // The folder disappears while the walk goes on. The walk lists ahead of the events, so
    // what it had read of the folder before it went may still be reported; the rest of
    // the tree is walked to its end either way.
    f.log.onProgress = [&](const QString& dir) {
        if (dir.endsWith("/gone"))
            QDir(dir).removeRecursively();
    };
    QStringList lines = f.run();
    for (const char* expected : {"C", "M:/a/kept.dpr", "P:/a", "P:/a/gone"})
        EXPECT_TRUE(lines.contains(QString::fromLatin1(expected))) << expected;
    for (const QString& line : lines)
        EXPECT_TRUE(line == "C" || line.startsWith("P:/a") || line.startsWith("M:/a/")) << line.toStdString();
    EXPECT_EQ(lines.last(), "C");
    EXPECT_FALSE(QDir(f.root + "/a/gone").exists());
}

TEST(FileSearch, UnreadableFoldersYieldNothing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every folder";
    Fixture f;
    writeFile(f.root, "locked/x.dpr");
    writeFile(f.root, "open/y.dpr");
    ::chmod(QFile::encodeName(f.root + "/locked").constData(), 0);
    QStringList lines = f.run();
    ::chmod(QFile::encodeName(f.root + "/locked").constData(), 0755);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"C", "M:/open/y.dpr", "P:/locked", "P:/open"}));
}

TEST(FileSearch, NamesWithBlanksQuotesAndForeignBytesArriveIntact)
{
    Fixture f;
    const QByteArray rootBytes = QFile::encodeName(f.root);
    const QByteArray folder = rootBytes + "/it's \"odd\" caf\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const QByteArray file = folder + "/na\xEFve.dpr";
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    f.run();
    const auto events = f.log.events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(platform::fileNameToBytes(events[0].path), folder);
    EXPECT_EQ(platform::fileNameToBytes(events[1].path), file);
    // Qt cannot remove names that are not UTF-8.
    ::unlink(file.constData());
    ::rmdir(folder.constData());
}

TEST(FileSearch, StartIsRefusedWithoutFolderOrMask)
{
    TFileSearch search;
    SearchLog log(search);
    EXPECT_FALSE(search.Start());
    search.setInitialDir("/");
    EXPECT_FALSE(search.Start());
    search.setInitialDir({});
    search.setFileMask("*.dpr");
    EXPECT_FALSE(search.Start());
    EXPECT_EQ(log.completions(), 0);
}

TEST(FileSearch, StartDuringASearchIsIgnored)
{
    Fixture f;
    writeFile(f.root, "a/x.dpr");
    writeFile(f.root, "b/y.dpr");
    f.log.onProgress = [&](const QString&) { f.search->Start(); };
    f.run();
    f.log.onProgress = nullptr;
    // A remembered start would have run a second search right after the first.
    QThread::msleep(100);
    EXPECT_EQ(f.log.completions(), 1);
    EXPECT_EQ(f.log.events().size(), 5u);
}

TEST(FileSearch, StartFromInsideOnCompleteIsNeverLost)
{
    // Each completion starts the next search before the worker has parked.
    for (int round = 0; round < 20; ++round) {
        Fixture f;
        writeFile(f.root, "a/x.dpr");
        std::atomic<int> remaining{50};
        f.log.onComplete = [&] {
            if (--remaining > 0) {
                EXPECT_TRUE(f.search->Start());
            }
        };
        f.search->setInitialDir(f.root);
        f.search->setFileMask("*.dpr");
        f.search->setSearchSubDirectories(true);
        ASSERT_TRUE(f.search->Start());
        ASSERT_TRUE(f.log.waitForCompletions(50)) << "round " << round << ": " << f.log.completions();
        EXPECT_EQ(f.log.events().size(), 150u);
        f.log.onComplete = nullptr;
    }
}

TEST(FileSearch, DestroyingDuringASearchStopsItsEvents)
{
    QTemporaryDir dir;
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 10; ++j)
            writeFile(dir.path(), QString("f%1/g%2/p.dpr").arg(i).arg(j));
    for (int round = 0; round < 50; ++round) {
        auto search = std::make_unique<TFileSearch>();
        std::atomic<bool> destroyed{false};
        std::atomic<int> lateEvents{0};
        std::atomic<int> seen{0};
        QObject::connect(search.get(), &TFileSearch::OnProgress, search.get(),
            [&](QObject*, const QString&, const QString&) {
                if (destroyed)
                    ++lateEvents;
                ++seen;
            }, Qt::DirectConnection);
        QObject::connect(search.get(), &TFileSearch::OnMatchFound, search.get(),
            [&](QObject*, qint32, qint32, qint32, const QString&) {
                if (destroyed)
                    ++lateEvents;
            }, Qt::DirectConnection);
        search->setInitialDir(dir.path());
        search->setFileMask("*.dpr");
        search->setSearchSubDirectories(true);
        ASSERT_TRUE(search->Start());
        // Vary the moment: from before the first event to well inside the walk.
        while (seen < round * 4 % 200)
            std::this_thread::yield();
        search.reset();
        destroyed = true;
        EXPECT_EQ(lateEvents, 0);
    }
}

TEST(FileSearch, DestroyingAParkedOrUnstartedSearchEndsAtOnce)
{
    { TFileSearch never; }
    Fixture f;
    f.run();
    f.search.reset();
    SUCCEED();
}
