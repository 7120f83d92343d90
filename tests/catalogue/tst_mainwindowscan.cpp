// The scan through the real main window, on real folder trees.
#include "SearchLog.h"

#include "settings/IniFile.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "catalogue/FileSearch.h"
#include "catalogue/ListFile.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSemaphore>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>

using kbltest::writeFile;

namespace {

class MainWindowScan : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;
    QTemporaryDir tree;
    QString root = tree.path();

    void SetUp() override { kbltest::dialogs().reset(); }

    void settings(const QByteArray& extra = {})
    {
        folder.write("kbl.ini", "[options]\r\nEditRoot=" + QFile::encodeName(root) + "/\r\n" + extra);
    }

    // Presses the scan button and lets the event loop run until the scan has finished.
    static bool scan(TForm1& form)
    {
        form.SButScan->click();
        QElapsedTimer clock;
        clock.start();
        while (form.isScanning() && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !form.isScanning();
    }

    // Every tool button takes a click: no scan is running.
    static bool toolBarReady(const TForm1& form)
    {
        for (const QToolButton* button : form.PanelTop->findChildren<QToolButton*>())
            if (!button->isEnabled())
                return false;
        return form.SButScan->text() == "掃描";
    }

    static QStringList paths(const ReportList& list)
    {
        QStringList out;
        for (int i = 0; i < list.rowCount(); ++i)
            out.append(list.text(i, 2));
        return out;
    }
};

} // namespace

TEST_F(MainWindowScan, ExclusionsLeaveOutPrefixedFoldersAndTheTotalsShow)
{
    writeFile(root, "old/a.dpr");
    writeFile(root, "older/b.dpr");
    writeFile(root, "new/c.dpr", "program Clock;\r\n");
    writeFile(root, "d.dpr"); // in the root: not searched
    settings("[exclude]\r\nnumber=0\r\n0=" + QFile::encodeName(root) + "/old\r\n");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(scan(f));
    EXPECT_EQ(paths(*f.lview), QStringList{"/new/c.dpr"});
    EXPECT_EQ(f.lview->text(0, 0), "Clock");
    EXPECT_EQ(f.status->panelText(0), " Scanning completed (2 projects excluded - see options)");
    EXPECT_EQ(f.status->panelText(2), "1 prjcts");
    EXPECT_EQ(f.ExcludedCount(), 2);
    EXPECT_EQ(f.ExcludedFolders, QStringList{root + "/old"});
    EXPECT_TRUE(toolBarReady(f));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The dialog's check box, as it stands, switches the exclusions off.
    w.form2->CBoxDisableExcludedFolders->setChecked(true);
    ASSERT_TRUE(scan(f));
    EXPECT_EQ(f.lview->rowCount(), 3);
    EXPECT_EQ(f.status->panelText(0), " Scanning completed (0 projects excluded - see options)");
    EXPECT_EQ(f.status->panelText(2), "3 prjcts");

    // Removing the exclusion in the dialog (OK stores it) lists those projects again.
    w.form2->CBoxDisableExcludedFolders->setChecked(false);
    ASSERT_TRUE(scan(f));
    EXPECT_EQ(f.lview->rowCount(), 1);
    w.form2->lbox->setCurrentRow(0);
    w.form2->ButRemoveClick();
    w.form2->ButOKClick();
    ASSERT_TRUE(scan(f));
    EXPECT_EQ(f.lview->rowCount(), 3);
    EXPECT_TRUE(f.ExcludedFolders.isEmpty());
    f.close();
}

TEST_F(MainWindowScan, ExclusionsAreCaseSensitive)
{
    writeFile(root, "old/a.dpr");
    settings("[exclude]\r\nnumber=0\r\n0=" + QFile::encodeName(root.toUpper()) + "/OLD\r\n");
    ProgramWindows w = createProgramWindows();
    ASSERT_TRUE(scan(*w.form1));
    EXPECT_EQ(w.form1->lview->rowCount(), 1);
    w.form1->close();
}

TEST_F(MainWindowScan, DuringTheScanTheToolBarIsOffAndAtTheEndTheListIsOrdered)
{
    for (const char* name : {"Zulu", "alpha", "Mike", "bravo"})
        writeFile(root, QString("p%1/%1.dpr").arg(name), QByteArray("program ") + name + ";\r\n");
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    f.lview->addRow({"stale", "", "/stale.dpr"}, 0);
    f.status->setPanelText(1, "one");
    f.status->setPanelText(2, "two");
    f.SButScanClick();
    // Only the scan button takes a click now: it stops the scan.
    for (const QToolButton* button : f.PanelTop->findChildren<QToolButton*>())
        EXPECT_EQ(button->isEnabled(), button == f.SButScan) << button->text().toStdString();
    EXPECT_EQ(f.SButScan->text(), "停止");
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(f.lview->inBatch());
    EXPECT_EQ(f.status->panelText(1), "");
    QElapsedTimer clock;
    clock.start();
    while (f.isScanning() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(f.isScanning());
    EXPECT_FALSE(f.lview->inBatch());
    // Ordered by the list's own automatic order, which sorting again does not change.
    const auto names = [&] {
        QStringList out;
        for (int i = 0; i < f.lview->rowCount(); ++i)
            out.append(f.lview->text(i, 0));
        return out;
    };
    const QStringList scanned = names();
    EXPECT_EQ(scanned.size(), 4);
    EXPECT_FALSE(scanned.contains("stale"));
    f.lview->applyAutomaticOrder();
    EXPECT_EQ(names(), scanned);
    f.close();
}

TEST_F(MainWindowScan, WithoutARootTheScanAsksForOne)
{
    folder.write("kbl.ini", "[options]\r\nEditRoot=/no/such/folder/\r\n");
    ProgramWindows w = createProgramWindows();
    kbltest::dialogs().folders = {root};
    w.form1->SButScanClick();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, "First select a root directory.");
    EXPECT_EQ(kbltest::dialogs().folderCalls, 1);
    // A folder was chosen, but no scan starts.
    EXPECT_EQ(w.form1->LabelRoot->text(), root);
    EXPECT_FALSE(w.form1->isScanning());
    EXPECT_TRUE(toolBarReady(*w.form1));
    w.form1->close();
}

TEST_F(MainWindowScan, DamagedExcludeCountsNeitherHangNorGrow)
{
    writeFile(root, "x/a.dpr");
    writeFile(root, "y/b.dpr");
    settings("[exclude]\r\nnumber=2000000000\r\n0=" + QFile::encodeName(root) + "/x\r\n");
    ProgramWindows w = createProgramWindows();
    ASSERT_TRUE(scan(*w.form1));
    EXPECT_EQ(paths(*w.form1->lview), QStringList{"/y/b.dpr"});
    EXPECT_EQ(w.form1->ExcludedFolders.size(), 1);

    // A small shortfall keeps its empty entries, which exclude nothing.
    settings("[exclude]\r\nnumber=2\r\n1=" + QFile::encodeName(root) + "/y\r\n");
    ProgramWindows again = createProgramWindows();
    ASSERT_TRUE(scan(*again.form1));
    EXPECT_EQ(again.form1->ExcludedFolders, (QStringList{"", root + "/y"}));
    EXPECT_EQ(paths(*again.form1->lview), QStringList{"/x/a.dpr"});
    again.form1->close();
    w.form1->close();
}

TEST_F(MainWindowScan, TheScanButtonStopsARunningScanAndTheRowsFoundStay)
{
    for (int i = 0; i < 1500; ++i)
        writeFile(root, QString("f%1/P%1.dpr").arg(i), "program P;\r\n");
    settings();
    folder.write("projects.dat", "3\r\n0\r\nOld\r\n\r\n/old.dpr\r\n");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    // The walk pauses after its tenth project until the stop has been pressed, so the
    // stop always meets a running scan with rows on screen.
    QSemaphore gate;
    std::atomic<int> matches{0};
    QObject::connect(f.FileSearch1.get(), &TFileSearch::OnMatchFound, f.FileSearch1.get(), [&] {
        if (++matches == 10)
            gate.acquire();
    }, Qt::DirectConnection);
    const auto release = qScopeGuard([&] { gate.release(); });
    f.SButScan->click();
    QElapsedTimer clock;
    clock.start();
    while (f.lview->rowCount() < 10 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(f.isScanning());
    f.SButScan->click();
    gate.release();
    clock.restart();
    while (f.isScanning() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(f.isScanning());
    const int found = f.lview->rowCount();
    EXPECT_GT(found, 0);
    EXPECT_LT(found, 1500);
    EXPECT_EQ(f.status->panelText(0), QString(" Scanning stopped (%1 projects found)").arg(found));
    EXPECT_EQ(f.status->panelText(2), QString("%1 prjcts").arg(found));
    EXPECT_TRUE(toolBarReady(f));
    EXPECT_FALSE(f.lview->inBatch());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The saved list is replaced only when the window closes.
    EXPECT_EQ(folder.read("projects.dat"), "3\r\n0\r\nOld\r\n\r\n/old.dpr\r\n");

    // The next scan runs to its end.
    ASSERT_TRUE(scan(f));
    EXPECT_EQ(f.lview->rowCount(), 1500);
    EXPECT_EQ(f.status->panelText(0), " Scanning completed (0 projects excluded - see options)");
    f.close();
    EXPECT_TRUE(folder.read("projects.dat").startsWith("3\r\n1499\r\n"));
}

TEST_F(MainWindowScan, ClosingMidScanStopsItAndSavesAnOrderedList)
{
    for (int i = 0; i < 150; ++i)
        writeFile(root, QString("f%1/g/P%2.dpr").arg(i).arg(149 - i), "program P;\r\n");
    settings();
    for (int round = 0; round < 10; ++round) {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        f.SButScanClick();
        for (int spin = 0; spin < round; ++spin)
            QCoreApplication::processEvents();
        f.close();
        EXPECT_FALSE(f.isScanning());
        EXPECT_TRUE(toolBarReady(f));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(f.lview->inBatch());
    }
    // The close arriving while the click paints the emptied list.
    {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        QMetaObject::invokeMethod(&f, [&f] { f.close(); }, Qt::QueuedConnection);
        f.SButScanClick();
        EXPECT_FALSE(f.isScanning());
        EXPECT_FALSE(f.lview->inBatch());
        EXPECT_TRUE(f.lview->updatesEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    // Destroying the windows while a scan runs, without closing first.
    {
        ProgramWindows w = createProgramWindows();
        w.form1->SButScanClick();
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    SUCCEED();
}

TEST_F(MainWindowScan, TheWindowAnswersDuringTheScan)
{
    for (int i = 0; i < 120; ++i)
        writeFile(root, QString("f%1/g%1/h/P.dpr").arg(i));
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    f.lviewHotlist->addRow({"Fav", "", "/fav.dpr"}, 1);
    f.SButScanClick();
    // The hotlist stays usable while the main list fills.
    f.lviewHotlist->selectRow(f.lviewHotlist->row(0));
    f.lviewHotlistClick();
    EXPECT_EQ(f.LabelFuldSti->text(), root + "/fav.dpr");
    QElapsedTimer clock;
    clock.start();
    while (f.isScanning() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(f.lview->rowCount(), 120);
    f.close();
}

TEST_F(MainWindowScan, LazarusProjectsAreListedBesideDelphiProjectsUnlessSwitchedOff)
{
    const QByteArray lpi = "<?xml version=\"1.0\"?><CONFIG><ProjectOptions><General><Title Value=\"Laz App\"/>"
                           "</General></ProjectOptions><CompilerOptions><Target><Filename Value=\"lazapp\"/>"
                           "</Target></CompilerOptions></CONFIG>";
    writeFile(root, "laz/LazApp.lpi", lpi);
    writeFile(root, "laz/lazapp", "\x7f" "ELF");
    ::chmod(QFile::encodeName(root + "/laz/lazapp").constData(), 0755);
    // A converted project: the .lpi beside its .dpr, in either order of the listing.
    writeFile(root, "both/Conv.lpi", lpi);
    writeFile(root, "both/Conv.dpr", "program Converted;\r\n");
    writeFile(root, "both/Other.lpi", "<CONFIG broken");
    writeFile(root, "delphi/D.dpr", "program D;\r\n");
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    EXPECT_TRUE(w.form2->CBoxLazarusProjects->isChecked());
    ASSERT_TRUE(scan(f));
    QStringList rows;
    for (int i = 0; i < f.lview->rowCount(); ++i)
        rows << f.lview->text(i, 0) + "|" + f.lview->text(i, 1) + "|" + f.lview->text(i, 2);
    QStringList expected{"||/both/Other.lpi", "Converted||/both/Conv.dpr", "D||/delphi/D.dpr",
                         "Laz App|lazapp|/laz/LazApp.lpi"};
    rows.sort();
    expected.sort();
    EXPECT_EQ(rows, expected);

    // Switched off, the scan is one of Delphi projects alone.
    w.form2->CBoxLazarusProjects->setChecked(false);
    ASSERT_TRUE(scan(f));
    EXPECT_EQ(paths(*f.lview), (QStringList{"/both/Conv.dpr", "/delphi/D.dpr"}));
    w.form2->ButOKClick();
    w.form1->close();
    EXPECT_FALSE(IniFile(folder.file("kbl.ini")).read(settings::options::CBoxLazarusProjects));
}

TEST_F(MainWindowScan, TheFinishedListIsPaintedBeforeFollowingAndMarkingStart)
{
    for (const char* name : {"Alpha", "Beta"})
        writeFile(root, QString("p%1/%1.dpr").arg(name), QByteArray("program ") + name + ";\r\n");
    settings();
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    ASSERT_TRUE(f.isVisible());
    // Whether the list's rows were painted, and whether the list followed the disk by then.
    struct PaintWatch final : QObject {
        TForm1& form;
        int paintedRows = -1;
        bool followingAtPaint = false;
        explicit PaintWatch(TForm1& form) : form(form) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && form.lview->rowCount() > 0 && paintedRows < 0) {
                paintedRows = form.lview->rowCount();
                followingAtPaint = form.isFollowing();
            }
            return false;
        }
    } watch(f);
    f.lview->viewport()->installEventFilter(&watch);
    QSignalSpy following(&f, &TForm1::catalogueFollowing);
    f.SButScanClick();
    QElapsedTimer clock;
    clock.start();
    while ((f.isScanning() || following.isEmpty()) && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(following.isEmpty());
    EXPECT_EQ(watch.paintedRows, 2);
    EXPECT_FALSE(watch.followingAtPaint);
    f.lview->viewport()->removeEventFilter(&watch);
}
