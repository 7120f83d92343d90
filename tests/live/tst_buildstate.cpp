// Build marks: which files count as sources, and an executable newer than, older than
// or missing beside them, on files with chosen modification times.
#include "LiveSupport.h"

#include "catalogue/BuildMarker.h"
#include "catalogue/BuildState.h"
#include "platform/FileNames.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <unistd.h>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using catalogue::BuildMark;
using catalogue::BuildMarker;
using catalogue::BuildState;
using catalogue::buildMarkOf;
using livetest::setModified;
using livetest::writeFile;

namespace {

constexpr qint64 T0 = 1'600'000'000; // seconds since the epoch

class BuildStateTest : public ::testing::Test {
protected:
    QTemporaryDir tree;
    QString root = tree.path();

    // A project folder with a project, a unit and a form at T0, T0 + 10 and T0 + 5.
    QString project(const QString& name)
    {
        writeFile(root, name + "/P.dpr");
        writeFile(root, name + "/Unit1.pas", "unit Unit1;");
        writeFile(root, name + "/Unit1.dfm", "object Form1");
        EXPECT_TRUE(setModified(root + "/" + name + "/P.dpr", T0));
        EXPECT_TRUE(setModified(root + "/" + name + "/Unit1.pas", T0 + 10));
        EXPECT_TRUE(setModified(root + "/" + name + "/Unit1.dfm", T0 + 5));
        return root + "/" + name + "/P.dpr";
    }
};

} // namespace

TEST(BuildSources, TheBuildsInputsCountInAnyLetterCase)
{
    for (const char* name : {"P.dpr", "u.pas", "F.DFM", "defs.inc", "p.lpr", "f.lfm", "p.lpi", "p.res", "U.Pas"})
        EXPECT_TRUE(catalogue::isBuildSource(name)) << name;
    for (const char* name : {"P.exe", "P", "notes.txt", "P.dof", "P.dsk", "P.cfg", ".pas", "P.pas~", "P.pass", "pas"})
        EXPECT_FALSE(catalogue::isBuildSource(name)) << name;
}

TEST_F(BuildStateTest, AnExecutableNewerOlderOrMissingBesideItsSources)
{
    // Newer than the newest source: current, and the tool tip's times are the files' own.
    const QString newer = project("newer");
    writeFile(root, "newer/P.exe", "MZ");
    ASSERT_TRUE(setModified(root + "/newer/P.exe", T0 + 20));
    BuildMark mark = buildMarkOf(newer, "P.exe");
    EXPECT_EQ(mark.state, BuildState::Current);
    EXPECT_EQ(mark.executableMs, (T0 + 20) * 1000);
    EXPECT_EQ(mark.newestSourceMs, (T0 + 10) * 1000);
    EXPECT_TRUE(mark.projectExists);

    // Written in the same second as the newest source: the build came after it.
    ASSERT_TRUE(setModified(root + "/newer/P.exe", T0 + 10));
    EXPECT_EQ(buildMarkOf(newer, "P.exe").state, BuildState::Current);

    // Older than one unit, though newer than the project file: stale.
    const QString older = project("older");
    writeFile(root, "older/P.exe", "MZ");
    ASSERT_TRUE(setModified(root + "/older/P.exe", T0 + 7));
    mark = buildMarkOf(older, "P.exe");
    EXPECT_EQ(mark.state, BuildState::Stale);
    EXPECT_EQ(mark.executableMs, (T0 + 7) * 1000);
    EXPECT_EQ(mark.newestSourceMs, (T0 + 10) * 1000);

    // Missing: no Exe column, or one naming a file that has gone since.
    const QString missing = project("missing");
    EXPECT_EQ(buildMarkOf(missing, "").state, BuildState::Missing);
    mark = buildMarkOf(missing, "P.exe");
    EXPECT_EQ(mark.state, BuildState::Missing);
    EXPECT_EQ(mark.executableMs, 0);
    EXPECT_EQ(mark.newestSourceMs, (T0 + 10) * 1000);
    // A folder named like the executable is no executable.
    QDir().mkpath(root + "/missing/P.exe");
    EXPECT_EQ(buildMarkOf(missing, "P.exe").state, BuildState::Missing);
}

TEST_F(BuildStateTest, OnlyTheFoldersOwnSourcesCount)
{
    const QString file = project("p");
    writeFile(root, "p/P.exe", "MZ");
    ASSERT_TRUE(setModified(root + "/p/P.exe", T0 + 20));
    // Newer files that are no sources, a newer source in a sub-folder and a folder named
    // like a source leave the executable current.
    writeFile(root, "p/notes.txt");
    ASSERT_TRUE(setModified(root + "/p/notes.txt", T0 + 100));
    writeFile(root, "p/lib/Later.pas");
    ASSERT_TRUE(setModified(root + "/p/lib/Later.pas", T0 + 100));
    QDir().mkpath(root + "/p/old.pas");
    ASSERT_TRUE(setModified(root + "/p/old.pas", T0 + 100));
    EXPECT_EQ(buildMarkOf(file, "P.exe").state, BuildState::Current);

    // A resource or include file in upper case is a source.
    writeFile(root, "p/ICONS.RES");
    ASSERT_TRUE(setModified(root + "/p/ICONS.RES", T0 + 30));
    EXPECT_EQ(buildMarkOf(file, "P.exe").state, BuildState::Stale);
    EXPECT_EQ(buildMarkOf(file, "P.exe").newestSourceMs, (T0 + 30) * 1000);

    // A Lazarus executable in an output folder, named relative to the project's folder.
    writeFile(root, "p/bin/P", "\x7f" "ELF");
    ASSERT_TRUE(setModified(root + "/p/bin/P", T0 + 40));
    EXPECT_EQ(buildMarkOf(file, "bin/P").state, BuildState::Current);
}

TEST_F(BuildStateTest, FolderNamesThatAreNotUtf8)
{
    // A Big5 folder name: bytes that are no UTF-8 reach the file system unchanged.
    const QByteArray folder = QFile::encodeName(root) + "/\xb1\x4d\xae\xd7";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    // QTemporaryDir cannot remove what it cannot name.
    const auto cleanUp = qScopeGuard([&] {
        for (const char* name : {"/P.dpr", "/U.pas", "/P.exe"})
            ::unlink((folder + name).constData());
        ::rmdir(folder.constData());
    });
    for (const char* name : {"/P.dpr", "/U.pas", "/P.exe"}) {
        const QByteArray path = folder + name;
        FILE* out = ::fopen(path.constData(), "w");
        ASSERT_NE(out, nullptr);
        ::fclose(out);
    }
    ASSERT_TRUE(setModified(folder + "/P.dpr", T0));
    ASSERT_TRUE(setModified(folder + "/U.pas", T0 + 10));
    ASSERT_TRUE(setModified(folder + "/P.exe", T0 + 5));
    const QString projectFile = platform::fileNameFromBytes(folder + "/P.dpr");
    const BuildMark mark = buildMarkOf(projectFile, "P.exe");
    EXPECT_TRUE(mark.projectExists);
    EXPECT_EQ(mark.state, BuildState::Stale);
    EXPECT_EQ(mark.newestSourceMs, (T0 + 10) * 1000);
}

TEST_F(BuildStateTest, TheMarkerMarksEveryRowWithTheFirstOnesFirst)
{
    const QString a = project("a");
    writeFile(root, "a/P.exe", "MZ");
    ASSERT_TRUE(setModified(root + "/a/P.exe", T0 + 20));
    const QString b = project("b");

    // Many rows of two folders; the ones named first (on screen) come back first.
    constexpr int Rows = 3000;
    std::vector<BuildMarker::Request> first{{1, "/b/P.dpr", "", b}, {1, "/a/P.dpr", "P.exe", a}};
    std::vector<BuildMarker::Request> rest;
    for (int i = 0; i < Rows; ++i)
        rest.push_back({0, QString::number(i), "P.exe", i % 2 ? a : b});
    BuildMarker marker;
    QSignalSpy marked(&marker, &BuildMarker::marked);
    std::vector<BuildMarker::Result> results;
    marker.markAll(first, rest);
    ASSERT_TRUE(livetest::waitFor(marked, [&] {
        for (BuildMarker::Result& result : marker.takeResults())
            results.push_back(std::move(result));
        return results.size() == size_t(Rows + 2) && marker.isIdle();
    }));
    EXPECT_EQ(marker.computedCount(), Rows + 2);
    EXPECT_EQ(results[0].projectPath, "/b/P.dpr");
    EXPECT_EQ(results[0].mark.state, BuildState::Missing);
    EXPECT_EQ(results[1].projectPath, "/a/P.dpr");
    EXPECT_EQ(results[1].mark.state, BuildState::Current);
    for (int i = 0; i < Rows; ++i) {
        ASSERT_EQ(results[size_t(i + 2)].projectPath, QString::number(i));
        ASSERT_EQ(results[size_t(i + 2)].mark.state, i % 2 ? BuildState::Current : BuildState::Missing);
    }
    // Deliveries are batched: far fewer than one per row.
    EXPECT_LT(marked.count(), Rows / 10);

    // A new full request replaces what waited, and rows put first jump the queue.
    marker.markAll({}, rest);
    marker.markFirst({{1, "first", "P.exe", a}});
    bool seen = false;
    ASSERT_TRUE(livetest::waitFor(marked, [&] {
        for (const BuildMarker::Result& result : marker.takeResults())
            seen = seen || result.projectPath == "first";
        return marker.isIdle();
    }));
    EXPECT_TRUE(seen);
    EXPECT_LE(marker.computedCount(), 2 * (Rows + 2) + 1);
}

TEST_F(BuildStateTest, ManyProjectsInOneFolderListItOnce)
{
    // Listing the folder again for each of its projects would be work quadratic in its size.
    constexpr int Projects = 2000;
    QDir().mkpath(root + "/many");
    QDir().mkpath(root + "/other");
    std::vector<BuildMarker::Request> requests;
    for (int i = 0; i < Projects; ++i) {
        const QString file = root + QStringLiteral("/many/P%1.dpr").arg(i);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        requests.push_back({0, QString::number(i), "", file});
    }
    requests.push_back({0, "other", "", root + "/other/O.dpr"});
    BuildMarker marker;
    QSignalSpy marked(&marker, &BuildMarker::marked);
    std::size_t results = 0;
    const auto markedAll = [&] {
        results += marker.takeResults().size();
        return results == requests.size();
    };
    marker.markAll({}, requests);
    ASSERT_TRUE(livetest::waitFor(marked, markedAll));
    EXPECT_EQ(marker.listedFolderCount(), 2);

    // A new request may follow a change on disk: the folders are listed afresh.
    results = 0;
    marker.markAll({}, requests);
    ASSERT_TRUE(livetest::waitFor(marked, markedAll));
    EXPECT_EQ(marker.listedFolderCount(), 4);
}
