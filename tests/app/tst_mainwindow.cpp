// The real windows, started and closed in a temporary program folder.
#include "settings/IniFile.h"
#include "app/KestrabelApplication.h"
#include "settings/ProgramFolder.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "app/WindowLayout.h"
#include "catalogue/ListFile.h"
#include "platform/LastError.h"
#include "platform/SystemMetrics.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDesktop.h"
#include "support/TempFolder.h"
#include "platform/Files.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QByteArray TwoProjects = "3\r\n1\r\nSorter\r\nSorter.exe\r\n/Tools/Sorter/Sorter.dpr\r\n"
                               "Clock\r\n\r\n/Toys/Clock.dpr\r\n";
const QByteArray OneFavourite = "3\r\n0\r\nEditor\r\nEditor.exe\r\n/Apps/Editor.dpr\r\n";

class MainWindowTest : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;

    void SetUp() override { kbltest::dialogs().reset(); }

    IniFile ini() const { return IniFile(folder.file("kbl.ini")); }

    // Starts the program's windows, runs `check` on them and closes the main window.
    template <typename Fn>
    void run(Fn&& check)
    {
        ProgramWindows windows = createProgramWindows();
        check(windows);
        windows.form1->close();
    }
};

TEST_F(MainWindowTest, FirstRunShowsDefaultsAndWritesOnlyItsOwnSections)
{
    run([](ProgramWindows& w) {
        TForm1& f = *w.form1;
        EXPECT_EQ(f.windowTitle(), " Kestrabel v1.2");
        EXPECT_EQ(f.pos(), QPoint(50, 30));
        EXPECT_EQ(f.size(), QSize(700, 450));
        EXPECT_EQ(f.lviewFiles->width(), 197);
        EXPECT_EQ(f.lviewHotlist->height(), 120);
        EXPECT_EQ(f.lview->rowCount() + f.lviewHotlist->rowCount() + f.lviewFiles->rowCount(), 0);
        for (int panel = 0; panel < 3; ++panel)
            EXPECT_EQ(f.status->panelText(panel), "") << panel;
        EXPECT_EQ(f.status->panelText(3), "exe");
        EXPECT_TRUE(f.LabelRoot->isHidden());
        EXPECT_TRUE(f.LabelRoot->text().isEmpty());
        EXPECT_EQ(f.LineBreak, "\r\n");
        EXPECT_TRUE(f.HelpFile.isEmpty());
        EXPECT_EQ(f.ShowKinds, (filepanel::KindFlags{true, true, false, false, false, false, false, false, false, false, false}));
        EXPECT_FALSE(f.NoKinds);
        EXPECT_TRUE(f.ExcludedFolders.isEmpty());
        const int s = platform::verticalScrollBarWidth();
        EXPECT_EQ(f.lview->columnWidth(0), layout::columnWidths(f.lview->width(), s, layout::ProjectColumns)[0]);
        EXPECT_EQ(f.lviewHotlist->columnWidth(2),
                  layout::columnWidths(f.lviewHotlist->width(), s, layout::ProjectColumns)[2]);
        EXPECT_EQ(f.lviewFiles->columnWidth(0), layout::columnWidths(197, s, layout::FileColumns)[0]);
    });
    EXPECT_EQ(folder.iniSections(), QStringList({"application", "form1", "form4"}));
    EXPECT_EQ(ini().read(settings::application::name), "Kestrabel");
    EXPECT_EQ(ini().read(settings::application::path), QCoreApplication::applicationFilePath());
    EXPECT_FALSE(folder.exists("projects.dat"));
    EXPECT_FALSE(folder.exists("hotlist.dat"));
    // Without hotlist.dat its sort state was never read: column 0, descending.
    EXPECT_EQ(ini().readString("form1", "lviewHotlistAscending", "?"), "0");
    EXPECT_EQ(ini().readString("form1", "lviewAscending", "?"), "1");
    EXPECT_EQ(ini().readString("form1", "width", "?"), "700");
    EXPECT_EQ(ini().readString("form1", "lviewFilesWidth", "?"), "197");
    EXPECT_EQ(ini().readString("form1", "lviewHotlistHeight", "?"), "120");
    EXPECT_EQ(ini().readString("form4", "lviewMJLastSortedColumn", "?"), "1");
    EXPECT_EQ(ini().readString("form4", "height", "?"), "450");
}

TEST_F(MainWindowTest, AGarbledSettingsFileGivesDefaultsAndSurvivesTheClose)
{
    const QByteArray garbage = QByteArray("\x00\x01\xff[form1\n==\n", 13) + "[form1]\nwidth=abc\nheight=$1F4\n"
                               + "[FORM1]\nwidth=900\n" + QByteArray(10 * 1024 * 1024, 'z') + "\n[form4]\nleft=0x";
    folder.write("kbl.ini", garbage);
    run([](ProgramWindows& w) {
        EXPECT_EQ(w.form1->size(), QSize(700, 500)); // width unparsable, height hex, duplicate ignored
        EXPECT_EQ(w.form4->x(), 50);
    });
    const QByteArray after = folder.read("kbl.ini");
    EXPECT_TRUE(after.startsWith(QByteArray("\x00\x01\xff[form1\r\n==\r\n", 15)));
    EXPECT_TRUE(after.contains(QByteArray(10 * 1024 * 1024, 'z')));
    EXPECT_EQ(ini().read(settings::form1::width), 700);
    EXPECT_EQ(ini().readInteger("FORM1", "height", 0), 500);
}

TEST_F(MainWindowTest, LayoutAndSortStatesComeBackAtTheNextStart)
{
    run([](ProgramWindows& w) {
        w.form1->setGeometry(80, 60, 640, 480);
        w.form1->Splitter1->setSizes({200, 150});
        w.form1->lviewSort = {2, false};
        w.form4->lviewMJAscending = false;
    });
    run([](ProgramWindows& w) {
        EXPECT_EQ(w.form1->geometry(), QRect(80, 60, 640, 480));
        EXPECT_EQ(w.form1->lviewHotlist->height(), 150);
        EXPECT_EQ(w.form1->lviewFiles->width(), 197);
        EXPECT_FALSE(w.form4->lviewMJAscending);
    });
    // The main list's sort state is read only with the lists; it was loaded, so it stays.
    EXPECT_EQ(ini().readInteger("form1", "lviewLastSortedColumn", -1), 2);
}

TEST_F(MainWindowTest, ClosingMaximisedKeepsTheNormalBounds)
{
    run([](ProgramWindows& w) {
        w.form1->move(60, 40);
        w.form1->resize(640, 420);
    });
    run([](ProgramWindows& w) {
        w.form1->showMaximized();
        QCoreApplication::processEvents();
        ASSERT_TRUE(w.form1->isMaximized());
    });
    EXPECT_TRUE(ini().read(settings::form1::maximized));
    EXPECT_EQ(ini().read(settings::form1::left), 60);
    EXPECT_EQ(ini().read(settings::form1::width), 640);
    run([](ProgramWindows& w) {
        EXPECT_TRUE(w.form1->isMaximized());
        w.form1->showNormal();
        QCoreApplication::processEvents();
        EXPECT_EQ(w.form1->pos(), QPoint(60, 40));
        EXPECT_EQ(w.form1->size(), QSize(640, 420));
    });
    EXPECT_FALSE(ini().read(settings::form1::maximized));
}

TEST_F(MainWindowTest, SavedListsLoadSortAndSelectTheFirstProject)
{
    folder.write("projects.dat", TwoProjects);
    folder.write("hotlist.dat", OneFavourite);
    ini().write(settings::options::EditRoot, "/home/ana/work/");
    ini().write(settings::form1::lviewLastSortedColumn, 2);
    ini().write(settings::form1::lviewAscending, false);
    run([](ProgramWindows& w) {
        TForm1& f = *w.form1;
        EXPECT_EQ(f.windowTitle(), " Kestrabel v1.2 [root: /home/ana/work/]");
        EXPECT_EQ(f.LabelRoot->text(), "/home/ana/work");
        ASSERT_EQ(f.lview->rowCount(), 2);
        // Sorted by project path, descending.
        EXPECT_EQ(f.lview->text(0, 2), "/Toys/Clock.dpr");
        EXPECT_EQ(f.lview->text(0, 1), "");
        EXPECT_EQ(ReportList::imageOf(*f.lview->row(0)), 0);
        EXPECT_EQ(f.lview->selectedRow(), f.lview->row(0));
        EXPECT_EQ(f.status->panelText(0), " /home/ana/work/Toys/Clock.dpr");
        EXPECT_EQ(f.LabelFuldSti->text(), "/home/ana/work/Toys/Clock.dpr");
        EXPECT_EQ(f.status->panelText(2), "2 prjcts");
        ASSERT_EQ(f.lviewHotlist->rowCount(), 1);
        EXPECT_EQ(ReportList::imageOf(*f.lviewHotlist->row(0)), 1);
        EXPECT_EQ(f.lviewHotlist->selectedRow(), f.lviewHotlist->row(0));
        EXPECT_TRUE(f.lviewHotlistSort.ascending);
        EXPECT_EQ(w.form2->EditRoot->text(), "/home/ana/work/");
    });
    // Saved in the order shown.
    EXPECT_EQ(folder.read("projects.dat"), "3\r\n1\r\nClock\r\n\r\n/Toys/Clock.dpr\r\n"
                                          "Sorter\r\nSorter.exe\r\n/Tools/Sorter/Sorter.dpr\r\n");
    EXPECT_EQ(folder.read("hotlist.dat"), OneFavourite);
}

TEST_F(MainWindowTest, TheDoNotLoadOptionSkipsOnlyTheMainList)
{
    folder.write("projects.dat", TwoProjects);
    folder.write("hotlist.dat", OneFavourite);
    ini().write(settings::options::CBoxDontLoadList, true);
    folder.write("kbl.hlp", "help");
    run([this](ProgramWindows& w) {
        EXPECT_EQ(w.form1->HelpFile, folder.file("kbl.hlp"));
        EXPECT_EQ(w.form1->lview->rowCount(), 0);
        EXPECT_EQ(w.form1->lviewHotlist->rowCount(), 1);
        EXPECT_EQ(w.form1->status->panelText(0), "");
    });
    EXPECT_EQ(folder.read("projects.dat"), TwoProjects);
}

TEST_F(MainWindowTest, AnEmptiedHotlistLeavesTheOldFile)
{
    folder.write("hotlist.dat", OneFavourite);
    run([](ProgramWindows& w) { w.form1->lviewHotlist->clear(); });
    EXPECT_EQ(folder.read("hotlist.dat"), OneFavourite);
    run([](ProgramWindows& w) { EXPECT_EQ(w.form1->lviewHotlist->rowCount(), 1); });
}

TEST_F(MainWindowTest, AMalformedListStaysEmptyAndStartUpGoesOn)
{
    folder.write("projects.dat", "3 \r\n0\r\nA\r\nA.exe\r\n/a.dpr\r\n");
    folder.write("hotlist.dat", OneFavourite);
    run([](ProgramWindows& w) {
        TForm1& f = *w.form1;
        EXPECT_EQ(f.lview->rowCount(), 0);
        // Loading ends at the malformed file, so the hotlist is not read either.
        EXPECT_EQ(f.lviewHotlist->rowCount(), 0);
        EXPECT_EQ(f.status->panelText(0), "");
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.ExcludedFolders.isEmpty());
        // The list stays usable.
        f.lview->addRow({"New", "", "/n.dpr"}, 0);
    });
    EXPECT_EQ(folder.read("projects.dat"), "3\r\n0\r\nNew\r\n\r\n/n.dpr\r\n");
    EXPECT_EQ(folder.read("hotlist.dat"), OneFavourite);

    folder.write("projects.dat", TwoProjects);
    folder.write("hotlist.dat", "3\r\n-1\r\n");
    run([](ProgramWindows& w) {
        EXPECT_EQ(w.form1->lview->rowCount(), 2);
        EXPECT_EQ(w.form1->lviewHotlist->rowCount(), 0);
        EXPECT_EQ(w.form1->status->panelText(0), " Loaded saved list");
    });
}

TEST_F(MainWindowTest, UnreadableCountsShowTheErrorAndKeepWhatWasRead)
{
    folder.write("projects.dat", "3\r\nmany\r\n");
    run([](ProgramWindows& w) {
        EXPECT_EQ(w.form1->lview->rowCount(), 0);
        EXPECT_EQ(w.form1->status->panelText(0), QString::fromLocal8Bit(std::strerror(EINVAL)));
    });
    folder.write("projects.dat", "3\r\n2000000000\r\nA\r\nA.exe\r\n/a.dpr\r\n");
    run([](ProgramWindows& w) {
        EXPECT_EQ(w.form1->lview->rowCount(), 1);
        EXPECT_EQ(w.form1->status->panelText(0), QString::fromLocal8Bit(std::strerror(ENODATA)));
    });
}

// A program folder where nobody may create files: a folder without write permission, or,
// for root, /proc/self, which no permission opens.
QString unwritableFolder(const kbltest::ProgramFolder& folder)
{
    const QString readOnly = folder.file("readonly");
    QDir(folder.path()).mkdir("readonly");
    ::chmod(QFile::encodeName(readOnly).constData(), 0555);
    return platform::canCreateFilesIn(readOnly) ? QStringLiteral("/proc/self") : readOnly;
}

TEST_F(MainWindowTest, AnInstalledCopyKeepsItsFilesInTheUsersFolders)
{
    kbltest::TempDesktop desktop;
    const QString config = desktop.root() + "/fresh-config"; // empty: not even created yet
    const QString data = desktop.root() + "/fresh-data";
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    program::setFolderOverride(unwritableFolder(folder));
    run([](ProgramWindows& w) {
        TForm1& f = *w.form1;
        EXPECT_FALSE(f.Locations.portable);
        EXPECT_EQ(f.status->panelText(0), "");
        f.lview->addRow({"A", "A.exe", "/a.dpr"}, 0);
        f.lviewHotlist->addRow({"B", "", "/b.dpr"}, 1);
        // The About box names the folders in use.
        f.WMSysCommand(TForm1::SystemMenuAbout);
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_TRUE(kbltest::dialogs().boxes[0].text.contains("kestrabel/kbl.ini"));
    });
    EXPECT_TRUE(QFile::exists(config + "/kestrabel/kbl.ini"));
    EXPECT_TRUE(QFile::exists(data + "/kestrabel/projects.dat"));
    EXPECT_TRUE(QFile::exists(data + "/kestrabel/hotlist.dat"));
    run([](ProgramWindows& w) {
        EXPECT_EQ(w.form1->lview->rowCount(), 1);
        EXPECT_EQ(w.form1->lviewHotlist->rowCount(), 1);
        EXPECT_EQ(w.form1->status->panelText(0), " /a.dpr");
    });
    // A kbl.ini beside the program makes it portable again, whatever the folder allows.
    ::chmod(QFile::encodeName(folder.file("readonly")).constData(), 0755);
    program::setFolderOverride(folder.path());
}

TEST_F(MainWindowTest, AnUnwritableSettingsFolderStopsStartUpButLeavesAUsableWindow)
{
    kbltest::TempDesktop desktop;
    // The settings folder cannot be made: its parent is a plain file.
    folder.write("not-a-folder", "x");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.file("not-a-folder")));
    program::setFolderOverride(unwritableFolder(folder));
    {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        EXPECT_FALSE(f.status->panelText(0).isEmpty());
        EXPECT_NE(f.status->panelText(0), QString::fromLocal8Bit(std::strerror(0)));
        EXPECT_EQ(f.windowTitle(), " Kestrabel v1.2");
        EXPECT_TRUE(f.ExcludedFolders.isEmpty());
        EXPECT_TRUE(f.isVisible());
        f.lview->addRow({"A", "", "/a.dpr"}, 0);
        f.close();
        EXPECT_FALSE(f.isVisible());
    }
    ::chmod(QFile::encodeName(folder.file("readonly")).constData(), 0755);
    program::setFolderOverride(folder.path());
}

TEST_F(MainWindowTest, TheRootChooserChangesNothingWhenCancelled)
{
    ini().write(settings::options::EditRoot, "/old/");
    run([this](ProgramWindows& w) {
        TForm1& f = *w.form1;
        kbltest::dialogs().folders.push_back(std::nullopt);
        f.SButSetRoot->click();
        EXPECT_EQ(kbltest::dialogs().lastFolderStart, "/old");
        EXPECT_EQ(f.LabelRoot->text(), "/old");
        EXPECT_EQ(f.windowTitle(), " Kestrabel v1.2 [root: /old/]");
        EXPECT_EQ(ini().read(settings::options::EditRoot), "/old/");

        kbltest::dialogs().folders.push_back(QString("/home/ana/work"));
        f.SButSetRoot->click();
        EXPECT_EQ(f.LabelRoot->text(), "/home/ana/work");
        EXPECT_EQ(f.windowTitle(), " Kestrabel v1.2 [root: /home/ana/work/]");
        EXPECT_EQ(w.form2->EditRoot->text(), "/home/ana/work/");
        EXPECT_EQ(ini().read(settings::options::EditRoot), "/home/ana/work/");
        EXPECT_EQ(f.lview->rowCount(), 0); // no scan starts
    });
}

TEST_F(MainWindowTest, ColumnsAndStatusPanelsFollowTheWindowsWidth)
{
    EXPECT_EQ(layout::columnWidths(400, 16, layout::ProjectColumns), QList<int>({110, 110, 147}));
    EXPECT_EQ(layout::panelWidths(1000, layout::StatusPanels), QList<int>({650, 100, 150, 100}));
    run([](ProgramWindows& w) {
        TForm1& f = *w.form1;
        f.resize(1000, 500);
        QCoreApplication::processEvents();
        ASSERT_EQ(f.status->width(), 1000);
        EXPECT_EQ(f.status->panelWidth(0), 650);
        EXPECT_EQ(f.status->panelWidth(2), 150);
        const int s = platform::verticalScrollBarWidth();
        EXPECT_EQ(f.lviewFiles->width(), 197); // the file list keeps its width
        EXPECT_EQ(f.lview->columnWidth(2), layout::columnWidths(f.lview->width(), s, layout::ProjectColumns)[2]);
        EXPECT_EQ(f.lviewFiles->columnWidth(0), layout::columnWidths(197, s, layout::FileColumns)[0]);
        f.SplitterLodret->setSizes({600, 395});
        f.SplitterLodretMoved();
        EXPECT_EQ(f.lviewFiles->columnWidth(1), layout::columnWidths(f.lviewFiles->width(), s, layout::FileColumns)[1]);
    });
}

TEST_F(MainWindowTest, TheToolBarAndSystemMenuCarryTheirTexts)
{
    run([](ProgramWindows& w) {
        TForm1& f = *w.form1;
        const std::pair<QToolButton*, const char*> buttons[] = {
            {f.SButSetRoot, "設定目錄"}, {f.SButScan, "掃描"}, {f.SButOptions, "選項"}, {f.SButRunProject, "執行專案"},
            {f.SButRunExe, "執行 exe"}, {f.SButOpenInExplorer, "開啟資料夾"}, {f.SButViewFile, "檢視檔案"}};
        for (const auto& [button, caption] : buttons) {
            EXPECT_EQ(button->text(), QString::fromUtf8(caption));
            EXPECT_EQ(button->size(), QSize(69, 55));
        }
        EXPECT_EQ(f.SButScan->toolTip(), " 掃描 Delphi 專案");
        EXPECT_EQ(f.SButViewFile->toolTip(), "檢視所選檔案(filelist)(F3)");
        EXPECT_EQ(f.PanelTop->height(), 68);
        EXPECT_EQ(f.lviewHotlist->headerItem()->text(0), "應用(熱門列表)");
        EXPECT_EQ(f.font().pixelSize(), 12);

        QStringList items;
        for (QAction* action : f.mnuSystem->actions())
            if (!action->isSeparator())
                items << action->text();
        EXPECT_EQ(items, QStringList({"&Restore", "&Minimize", "Maximi&ze", "E&xit\tEsc", "&About ...", "&Help\tF1"}));
        int raised = 0;
        QObject::connect(&f, &TForm1::extraSystemCommand, [&](int code) { raised = code; });
        f.SystemCommand(TForm1::SystemMenuHelp | 0x3);
        EXPECT_EQ(raised, 512);
        f.SystemCommand(TForm1::SC_MAXIMIZE);
        EXPECT_TRUE(f.isMaximized());
        f.SystemCommand(TForm1::SC_RESTORE);
        EXPECT_FALSE(f.isMaximized());
    });
}

TEST_F(MainWindowTest, UnhandledExceptionsShowTheirReasonAndNoDialog)
{
    run([](ProgramWindows& w) {
        // A failure of the system shows the system's reason, taken when it was raised.
        platform::recordError(ENOSPC);
        EXPECT_FALSE(KestrabelApplication::guarded([] {
            const platform::SystemError error(QStringLiteral("Unable to write to /x/kbl.ini"));
            platform::recordError(0);
            throw error;
        }));
        EXPECT_EQ(w.form1->status->panelText(0), QString::fromLocal8Bit(std::strerror(ENOSPC)));
        // Any other error shows its own message, never the text of "no error".
        platform::recordError(0);
        EXPECT_FALSE(KestrabelApplication::guarded([] { throw std::runtime_error("Text too long"); }));
        EXPECT_EQ(w.form1->status->panelText(0), "Text too long");
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());
    });
}

TEST_F(MainWindowTest, AWriteProtectedSettingsFileStaysAsItWas)
{
    const QByteArray protectedIni = "[options]\r\nEditRoot=/work/\r\n";
    folder.write("kbl.ini", protectedIni);
    folder.write("projects.dat", TwoProjects);
    ::chmod(QFile::encodeName(folder.file("kbl.ini")).constData(), 0444);
    ::chmod(QFile::encodeName(folder.file("projects.dat")).constData(), 0444);
    run([](ProgramWindows& w) {
        // The first write of the start-up is refused; the reason is the system's.
        EXPECT_EQ(w.form1->status->panelText(0), QString::fromLocal8Bit(std::strerror(EACCES)));
        EXPECT_EQ(w.form1->LabelRoot->text(), "");
    });
    EXPECT_EQ(folder.read("kbl.ini"), protectedIni);
    EXPECT_EQ(folder.read("projects.dat"), TwoProjects);
    try {
        ini().write(settings::options::EditRoot, "/other/");
        ADD_FAILURE() << "a write-protected file was replaced";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(QString::fromStdString(error.what()), "Unable to write to " + folder.file("kbl.ini"));
    }
    ::chmod(QFile::encodeName(folder.file("kbl.ini")).constData(), 0644);
    ::chmod(QFile::encodeName(folder.file("projects.dat")).constData(), 0644);
}

} // namespace
