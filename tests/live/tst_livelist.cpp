// The main list following the disk, through the real main window on temporary trees:
// rows come and go as project files do, under the scan's rules; hotlist rows of vanished
// projects turn grey; a tree beyond the watch limit stops following and says so.
#include "LiveSupport.h"

#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "app/TForm1.h"
#include "catalogue/LiveCatalogue.h"
#include "options/TForm2.h"
#include "platform/FolderWatch.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using livetest::waitFor;
using livetest::writeFile;

namespace {

class LiveList : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;
    QTemporaryDir tree;
    QString root = tree.path();

    void SetUp() override { kbltest::dialogs().reset(); }

    void settings(const QByteArray& extra = {})
    {
        folder.write("kbl.ini", "[options]\r\nEditRoot=" + QFile::encodeName(root) + "/\r\n" + extra);
    }

    static QStringList paths(const ReportList& list)
    {
        QStringList out;
        for (int i = 0; i < list.rowCount(); ++i)
            out.append(list.text(i, 2));
        out.sort();
        return out;
    }

    static bool scan(TForm1& form)
    {
        QSignalSpy following(&form, &TForm1::catalogueFollowing);
        form.SButScan->click();
        return waitFor(following, [&] { return !form.isScanning() && following.count() > 0; });
    }

    // Waits until the main list holds exactly `expected` (sorted) project paths.
    static bool listBecomes(TForm1& form, QStringList expected)
    {
        expected.sort();
        QSignalSpy changed(&form, &TForm1::catalogueChanged);
        return waitFor(changed, [&] { return paths(*form.lview) == expected; });
    }

    static QTreeWidgetItem* rowOf(const ReportList& list, const QString& path)
    {
        for (int i = 0; i < list.rowCount(); ++i)
            if (list.text(i, 2) == path)
                return list.row(i);
        return nullptr;
    }
};

} // namespace

TEST_F(LiveList, ProjectsAppearingAndVanishingChangeTheMainList)
{
    writeFile(root, "a/A.dpr", "program Alpha;\r\n");
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));
    ASSERT_TRUE(f.isFollowing());
    EXPECT_EQ(paths(*f.lview), QStringList{"/a/A.dpr"});

    // A new project in a known folder, and one in a folder made after the scan.
    writeFile(root, "a/B.dpr", "program Beta;\r\n");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/a/B.dpr"}));
    EXPECT_EQ(rowOf(*f.lview, "/a/B.dpr")->text(0), "Beta");
    EXPECT_EQ(f.status->panelText(2), "2 prjcts");
    writeFile(root, "new/deep/C.dpr", "program Gamma;\r\n");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/a/B.dpr", "/new/deep/C.dpr"}));

    // A project file rewritten with a title changes its row in place.
    writeFile(root, "a/A.dpr", "program Alpha;\r\nApplication.Title := 'Renamed';\r\n");
    QSignalSpy changed(&f, &TForm1::catalogueChanged);
    ASSERT_TRUE(waitFor(changed, [&] { return rowOf(*f.lview, "/a/A.dpr")->text(0) == "Renamed"; }));

    // A built executable appears in the Exe column.
    writeFile(root, "a/B.exe", "MZ");
    ASSERT_TRUE(waitFor(changed, [&] { return rowOf(*f.lview, "/a/B.dpr")->text(1) == "B.exe"; }));

    // A deleted project and a removed folder take their rows with them.
    ASSERT_TRUE(QFile::remove(root + "/a/B.dpr"));
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/new/deep/C.dpr"}));
    ASSERT_TRUE(QDir(root + "/new").removeRecursively());
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr"}));

    // A folder moved in from outside brings its projects; moved out, it takes them away.
    QTemporaryDir outside;
    writeFile(outside.path(), "moved/M.dpr");
    ASSERT_TRUE(QDir().rename(outside.path() + "/moved", root + "/moved"));
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/moved/M.dpr"}));
    ASSERT_TRUE(QDir().rename(root + "/moved", outside.path() + "/back"));
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr"}));

    // The list is saved at close as a scan's is.
    f.close();
    EXPECT_TRUE(folder.read("projects.dat").contains("\\a\\A.dpr") || folder.read("projects.dat").contains("/a/A.dpr"));
}

TEST_F(LiveList, TheScansRulesDecideWhatGetsARow)
{
    writeFile(root, "a/A.dpr");
    settings("[exclude]\r\nnumber=0\r\n0=" + QFile::encodeName(root) + "/old\r\n");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));

    // Left out: a project in the root itself, in a hidden folder, in an excluded folder
    // (a prefix of the path's text) and a file that is no project. Listed: a folder with
    // dots in its name. Each is written before the one listed, so the list's change shows
    // that the others were looked at and left out.
    writeFile(root, "R.dpr");
    writeFile(root, ".hidden/H.dpr");
    writeFile(root, "older/O.dpr");
    writeFile(root, "a/notes.txt");
    writeFile(root, "Delphi 7.0/D.dpr");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/Delphi 7.0/D.dpr"}));

    // A Lazarus project gets its row; the Delphi project of the same name beside it takes
    // its place, and the Lazarus one comes back when the Delphi one goes.
    writeFile(root, "laz/L.lpi", "<?xml version=\"1.0\"?><CONFIG><ProjectOptions><General><Title Value=\"Laz\"/>"
                                 "</General></ProjectOptions></CONFIG>");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/Delphi 7.0/D.dpr", "/laz/L.lpi"}));
    writeFile(root, "laz/L.dpr");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/Delphi 7.0/D.dpr", "/laz/L.dpr"}));
    ASSERT_TRUE(QFile::remove(root + "/laz/L.dpr"));
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/Delphi 7.0/D.dpr", "/laz/L.lpi"}));
    f.close();
}

TEST_F(LiveList, HotlistRowsOfVanishedProjectsTurnGreyAndStay)
{
    writeFile(root, "a/A.dpr");
    writeFile(root, "b/B.dpr");
    settings();
    folder.write("hotlist.dat", "3\r\n0\r\nA\r\n\r\n/a/A.dpr\r\n");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));
    ASSERT_EQ(f.lviewHotlist->rowCount(), 1);
    QTreeWidgetItem* hot = f.lviewHotlist->row(0);
    QSignalSpy marks(&f, &TForm1::buildMarksApplied);
    ASSERT_TRUE(waitFor(marks, [&] { return hot->data(1, Qt::ToolTipRole).isValid(); }));
    EXPECT_FALSE(hot->data(0, Qt::ForegroundRole).isValid());

    ASSERT_TRUE(QFile::remove(root + "/a/A.dpr"));
    ASSERT_TRUE(listBecomes(f, {"/b/B.dpr"}));
    ASSERT_TRUE(waitFor(marks, [&] { return hot->data(0, Qt::ForegroundRole).isValid(); }));
    EXPECT_EQ(f.lviewHotlist->rowCount(), 1);
    EXPECT_EQ(f.lviewHotlist->text(0, 2), "/a/A.dpr");

    // Back on disk, the row is drawn as before.
    writeFile(root, "a/A.dpr");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/b/B.dpr"}));
    ASSERT_TRUE(waitFor(marks, [&] { return !hot->data(0, Qt::ForegroundRole).isValid(); }));
    f.close();
}

TEST_F(LiveList, RowsShowTheirBuildMarkWithBothTimes)
{
    writeFile(root, "new/N.dpr");
    writeFile(root, "new/N.exe", "MZ");
    writeFile(root, "old/O.dpr");
    writeFile(root, "old/O.exe", "MZ");
    writeFile(root, "none/X.dpr");
    ASSERT_TRUE(livetest::setModified(root + "/new/N.dpr", 1'600'000'000));
    ASSERT_TRUE(livetest::setModified(root + "/new/N.exe", 1'600'000'100));
    ASSERT_TRUE(livetest::setModified(root + "/old/O.dpr", 1'600'000'100));
    ASSERT_TRUE(livetest::setModified(root + "/old/O.exe", 1'600'000'000));
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));
    QSignalSpy marks(&f, &TForm1::buildMarksApplied);
    const auto marked = [&] {
        for (int i = 0; i < f.lview->rowCount(); ++i)
            if (!f.lview->row(i)->data(1, Qt::DecorationRole).isValid())
                return false;
        return f.lview->rowCount() == 3;
    };
    ASSERT_TRUE(waitFor(marks, marked));
    const QString newTip = rowOf(*f.lview, "/new/N.dpr")->data(1, Qt::ToolTipRole).toString();
    const QString oldTip = rowOf(*f.lview, "/old/O.dpr")->data(1, Qt::ToolTipRole).toString();
    const QString noneTip = rowOf(*f.lview, "/none/X.dpr")->data(1, Qt::ToolTipRole).toString();
    const auto at = [](qint64 s) {
        return QDateTime::fromSecsSinceEpoch(s).toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
    };
    EXPECT_TRUE(newTip.startsWith("Executable up to date")) << newTip.toStdString();
    EXPECT_TRUE(newTip.contains(at(1'600'000'100)) && newTip.contains(at(1'600'000'000))) << newTip.toStdString();
    EXPECT_TRUE(oldTip.startsWith("Executable older than the newest source")) << oldTip.toStdString();
    EXPECT_TRUE(noneTip.startsWith("Executable missing")) << noneTip.toStdString();

    // A unit saved after the build turns a current mark stale, without a scan.
    writeFile(root, "new/Unit1.pas", "unit Unit1;");
    ASSERT_TRUE(waitFor(marks, [&] {
        return rowOf(*f.lview, "/new/N.dpr")->data(1, Qt::ToolTipRole).toString().startsWith("Executable older");
    }));
    f.close();
}

TEST_F(LiveList, WithTheOptionOffNothingIsWatched)
{
    writeFile(root, "a/A.dpr");
    settings("CBoxFollowChanges=0\r\n");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    EXPECT_FALSE(w.form2->CBoxFollowChanges->isChecked());
    f.SButScan->click();
    QSignalSpy marks(&f, &TForm1::buildMarksApplied);
    ASSERT_TRUE(waitFor(marks, [&] { return !f.isScanning() && marks.count() > 0; }));
    EXPECT_FALSE(f.isFollowing());

    // Turned on in the dialog, the list follows at once; off again, it stops.
    w.form2->CBoxFollowChanges->setChecked(true);
    QSignalSpy following(&f, &TForm1::catalogueFollowing);
    w.form2->ButOKClick();
    ASSERT_TRUE(waitFor(following, [&] { return following.count() > 0; }));
    writeFile(root, "a/B.dpr");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/a/B.dpr"}));
    w.form2->CBoxFollowChanges->setChecked(false);
    w.form2->ButOKClick();
    EXPECT_FALSE(f.isFollowing());
    EXPECT_TRUE(folder.read("kbl.ini").contains("CBoxFollowChanges=0"));
    f.close();
}

TEST_F(LiveList, FollowingStartsWithTheSavedList)
{
    writeFile(root, "a/A.dpr");
    settings();
    folder.write("projects.dat", "3\r\n0\r\nA\r\n\r\n/a/A.dpr\r\n");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    QSignalSpy following(&f, &TForm1::catalogueFollowing);
    ASSERT_TRUE(waitFor(following, [&] { return following.count() > 0; }));
    writeFile(root, "b/B.dpr");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/b/B.dpr"}));
    f.close();
}

TEST_F(LiveList, ATreeBeyondTheWatchLimitStopsFollowingAndSaysHow)
{
    for (int i = 0; i < 6; ++i)
        writeFile(root, QString("p%1/P.dpr").arg(i));
    settings();
    platform::setSimulatedWatchLimit(4);
    const auto unlimited = qScopeGuard([] { platform::setSimulatedWatchLimit(-1); });
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    QSignalSpy stopped(&f, &TForm1::catalogueNoLongerFollowing);
    f.SButScan->click();
    ASSERT_TRUE(waitFor(stopped, [&] { return stopped.count() > 0; }));
    EXPECT_FALSE(f.isFollowing());
    EXPECT_TRUE(f.status->panelText(0).contains("no longer follows")) << f.status->panelText(0).toStdString();
    EXPECT_TRUE(f.status->panelText(0).contains("fs.inotify.max_user_watches"));
    // Nothing is lost: the scan's rows stay, and are saved at close.
    EXPECT_EQ(f.lview->rowCount(), 6);
    f.close();
    EXPECT_TRUE(folder.read("projects.dat").startsWith("3\r\n5\r\n"));

    // Within the limit the same tree is followed.
    platform::setSimulatedWatchLimit(7);
    ProgramWindows again = createProgramWindows();
    ASSERT_TRUE(scan(*again.form1));
    EXPECT_TRUE(again.form1->isFollowing());
    EXPECT_EQ(again.form1->liveCatalogue()->watchCount(), 7u);

    // A folder made later that needs one watch more ends following the same way.
    QSignalSpy stoppedLater(again.form1.get(), &TForm1::catalogueNoLongerFollowing);
    writeFile(root, "p6/P.dpr");
    ASSERT_TRUE(waitFor(stoppedLater, [&] { return stoppedLater.count() > 0; }));
    EXPECT_FALSE(again.form1->isFollowing());
    EXPECT_TRUE(again.form1->status->panelText(0).contains("fs.inotify.max_user_watches"));
    EXPECT_EQ(again.form1->lview->rowCount(), 6);
    again.form1->close();
}

TEST_F(LiveList, AFolderMovedInWithALinkToTheRootIsWalkedOnce)
{
    writeFile(root, "a/A.dpr");
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));
    const std::size_t watched = f.liveCatalogue()->watchCount();

    // The link leads back to the root, which the scan would not enter again from below.
    QTemporaryDir outside;
    writeFile(outside.path(), "n/N.dpr");
    ASSERT_TRUE(QFile::link(root, outside.path() + "/n/up"));
    ASSERT_TRUE(QDir().rename(outside.path() + "/n", root + "/n"));
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/n/N.dpr"}));
    EXPECT_EQ(f.liveCatalogue()->watchCount(), watched + 1);
    // A later change still gives exactly the scan's rows.
    writeFile(root, "a/B.dpr");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/a/B.dpr", "/n/N.dpr"}));
    f.close();
}

TEST_F(LiveList, AHotlistRowThatTheMainListLacksTurnsGreyToo)
{
    // The scan leaves the folder out, so the project is in the hotlist alone.
    writeFile(root, "a/A.dpr");
    writeFile(root, "x/X.dpr");
    settings("[exclude]\r\nnumber=0\r\n0=" + QFile::encodeName(root) + "/x\r\n");
    folder.write("hotlist.dat", "3\r\n0\r\nX\r\n\r\n/x/X.dpr\r\n");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));
    EXPECT_EQ(paths(*f.lview), QStringList{"/a/A.dpr"});
    QTreeWidgetItem* hot = f.lviewHotlist->row(0);
    QSignalSpy marks(&f, &TForm1::buildMarksApplied);
    ASSERT_TRUE(waitFor(marks, [&] { return hot->data(1, Qt::ToolTipRole).isValid(); }));
    EXPECT_FALSE(hot->data(0, Qt::ForegroundRole).isValid());

    ASSERT_TRUE(QFile::remove(root + "/x/X.dpr"));
    ASSERT_TRUE(waitFor(marks, [&] { return hot->data(0, Qt::ForegroundRole).isValid(); }));
    EXPECT_EQ(paths(*f.lview), QStringList{"/a/A.dpr"});
    EXPECT_EQ(f.lviewHotlist->rowCount(), 1);
    f.close();
}

TEST_F(LiveList, WhatChangesWhileAScanRunsIsFollowedAfterIt)
{
    writeFile(root, "a/A.dpr", "program Alpha;\r\n");
    writeFile(root, "gone/G.dpr", "program Gone;\r\n");
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));
    // A second scan of the same tree takes the watches over and still follows.
    ASSERT_TRUE(scan(f));
    writeFile(root, "a/B.dpr", "program Beta;\r\n");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/a/B.dpr", "/gone/G.dpr"}));

    // As during a scan: nothing follows, the disk changes, and following starts again from
    // a list that does not know of it. A folder made, a folder removed and made anew.
    f.pauseFollowing();
    ASSERT_FALSE(f.isFollowing());
    writeFile(root, "late/L.dpr", "program Late;\r\n");
    ASSERT_TRUE(QDir(root + "/gone").removeRecursively());
    writeFile(root, "gone/N.dpr", "program Anew;\r\n");
    f.startFollowing();
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/a/B.dpr", "/gone/N.dpr", "/late/L.dpr"}));

    // The folder made anew is watched itself, not through its old watch.
    writeFile(root, "gone/M.dpr", "program More;\r\n");
    ASSERT_TRUE(listBecomes(f, {"/a/A.dpr", "/a/B.dpr", "/gone/M.dpr", "/gone/N.dpr", "/late/L.dpr"}));
}
