// The whole program on a real tree of Delphi projects: choose the root, scan, follow a
// project into the file panel, view one of its units, jump, add the project to the
// hotlist, close and start again.
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "highlight/OOPHighlighter.h"
#include "platform/FileNames.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "settings/IniFile.h"
#include "textview/TStyledMemo.h"
#include "viewer/TForm3.h"
#include "viewer/TForm4.h"

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList column(const ReportList& list, int c)
{
    QStringList texts;
    for (int i = 0; i < list.rowCount(); ++i)
        texts << list.text(i, c);
    return texts;
}

// Declarations on lines 2, 8, 10 and 14 (counting from 0).
const QByteArray SortForm = "unit SortForm;\r\n\r\ninterface\r\n\r\ntype\r\n  TSortForm = class(TForm)\r\n  end;\r\n\r\n"
                            "implementation\r\n\r\nprocedure Swap(var A, B: Integer);\r\nbegin\r\nend;\r\n\r\n"
                            "function Larger(A, B: Integer): Boolean;\r\nbegin\r\n  Result := A > B;\r\nend;\r\n\r\nend.\r\n";

QTreeWidgetItem* jumperEntry(TForm4& jumper, const QString& start)
{
    for (int i = 0; i < jumper.lview->topLevelItemCount(); ++i)
        if (jumper.lview->topLevelItem(i)->text(0).startsWith(start))
            return jumper.lview->topLevelItem(i);
    return nullptr;
}

QStringList menuEntries(const TForm3& viewer)
{
    QStringList entries;
    for (QAction* action : viewer.mnuProjectFiles->actions())
        entries << action->data().toString() + (action->isChecked() ? "*" : "");
    return entries;
}

class EndToEnd : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;
    QTemporaryDir root;

    void SetUp() override
    {
        kbltest::dialogs().reset();
        const QString r = root.path();
        writeFile(r + "/Tools/Sorter/Sorter.dpr",
                  "program Sorter;\r\n\r\nuses\r\n  Forms,\r\n  SortForm in 'SortForm.pas';\r\n\r\n{$R *.res}\r\n\r\n"
                  "begin\r\n  Application.Initialize;\r\n  Application.Title := 'Sorter';\r\n"
                  "  Application.CreateForm(TSortForm, SortForm1);\r\n  Application.Run;\r\nend.\r\n");
        writeFile(r + "/Tools/Sorter/Sorter.exe", "MZ");
        writeFile(r + "/Tools/Sorter/SortForm.pas", SortForm);
        writeFile(r + "/Tools/Sorter/SortForm.dfm", "object SortForm1: TSortForm\r\nend\r\n");
        writeFile(r + "/Toys/Clock.dpr", "program Clock;\nbegin\nend.\n");
        writeFile(r + "/Toys/Clock.pas", QByteArray(2048, ' '));
        writeFile(r + "/Old/Archive.dpr", "program Archive;\r\nbegin\r\nend.\r\n");
    }

    static bool waitForScan(TForm1& f)
    {
        QElapsedTimer clock;
        clock.start();
        while (f.isScanning() && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !f.isScanning();
    }

    static void refreshPanel(TForm1& f, ReportList& list)
    {
        if (&list == f.lview)
            f.lviewClick();
        else
            f.lviewHotlistClick();
    }

    static void clickRow(ReportList& list, int row)
    {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.row(row)).center());
    }
};

TEST_F(EndToEnd, ChooseScanFollowViewCloseAndStartAgain)
{
    const QString r = root.path();
    {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        kbltest::dialogs().folders.push_back(r);
        f.SButSetRoot->click();
        EXPECT_EQ(f.windowTitle(), " Kestrabel v1.2 [root: " + r + "/]");

        f.SButScan->click();
        ASSERT_TRUE(waitForScan(f));
        EXPECT_EQ(column(*f.lview, 0), QStringList({"Archive", "Clock", "Sorter"}));
        EXPECT_EQ(column(*f.lview, 1), QStringList({"", "", "Sorter.exe"}));
        EXPECT_EQ(column(*f.lview, 2), QStringList({"/Old/Archive.dpr", "/Toys/Clock.dpr", "/Tools/Sorter/Sorter.dpr"}));
        EXPECT_EQ(f.status->panelText(2), "3 prjcts");

        clickRow(*f.lview, 2);
        EXPECT_EQ(f.status->panelText(1), "3");
        EXPECT_EQ(f.status->panelText(0), " " + r + "/Tools/Sorter/Sorter.dpr");
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Sorter.dpr", "SortForm.pas"}));
        EXPECT_EQ(f.lviewFilesCustomDrawItem("SortForm.pas"), QColor(209, 204, 249));
        EXPECT_EQ(f.currentProjectRow(), f.lview->row(2));

        f.lviewFiles->selectRow(f.lviewFiles->row(1));
        QTest::keyClick(f.lviewFiles, Qt::Key_F3);
        TForm3& viewer = *w.form3;
        EXPECT_TRUE(viewer.isVisible());
        EXPECT_EQ(viewer.statusbar->text(), " " + r + "/Tools/Sorter/SortForm.pas");
        EXPECT_EQ(viewer.styledmemo->document().paragraphText(0), "unit SortForm;");
        EXPECT_EQ(viewer.styledmemo->document().Highlighter(), viewer.OOPHighlighter1.get());
        EXPECT_EQ(menuEntries(viewer), QStringList({"Sorter.dpr", "SortForm.pas*"}));

        // The method jumper, and a jump to the function.
        ASSERT_TRUE(viewer.mnuMethodJumper->isEnabled());
        TForm4& jumper = *w.form4;
        QTimer::singleShot(0, &jumper, [&jumper] {
            QTreeWidgetItem* larger = jumperEntry(jumper, "function Larger");
            ASSERT_NE(larger, nullptr);
            jumper.lview->setCurrentItem(larger);
            QTest::keyClick(jumper.lview, Qt::Key_Return);
        });
        viewer.mnuMethodJumper->trigger();
        EXPECT_FALSE(jumper.isVisible());
        EXPECT_EQ(viewer.styledmemo->SelPar(), 14);
        EXPECT_EQ(viewer.styledmemo->SelText(), "function Larger(A, B: Integer): Boolean;");

        // Keypad plus adds the main list's current row to the hotlist.
        QTest::keyClick(f.lview, Qt::Key_Plus, Qt::KeypadModifier);
        EXPECT_EQ(column(*f.lviewHotlist, 2), QStringList({"/Tools/Sorter/Sorter.dpr"}));

        QTest::keyClick(f.lview, Qt::Key_Up);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Clock.dpr", "Clock.pas"}));
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());
        f.activateWindow(); // the viewer took the keyboard
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &f, Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
    }
    {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        EXPECT_EQ(f.windowTitle(), " Kestrabel v1.2 [root: " + r + "/]");
        EXPECT_EQ(column(*f.lview, 0), QStringList({"Archive", "Clock", "Sorter"}));
        EXPECT_EQ(column(*f.lviewHotlist, 0), QStringList({"Sorter"}));
        EXPECT_EQ(f.status->panelText(0), " " + r + "/Old/Archive.dpr");
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Archive.dpr"}));
        w.form1->close();
    }
}

// Focus moves with Tab, buttons press with Space: the way through the window by keys.
bool tabTo(TForm1& f, QWidget* wanted)
{
    for (int i = 0; i < 30 && QApplication::focusWidget() != wanted; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &f, Qt::Key_Tab);
    return QApplication::focusWidget() == wanted;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, key, modifiers);
}

TEST_F(EndToEnd, TheSameRoadByKeysAlone)
{
    const QString r = root.path();
    {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));

        ASSERT_TRUE(tabTo(f, f.SButSetRoot));
        kbltest::dialogs().folders.push_back(r);
        press(Qt::Key_Space);
        EXPECT_EQ(f.LabelRoot->text(), r);
        ASSERT_TRUE(tabTo(f, f.SButScan));
        press(Qt::Key_Space);
        ASSERT_TRUE(waitForScan(f));
        EXPECT_EQ(column(*f.lview, 0), QStringList({"Archive", "Clock", "Sorter"}));

        ASSERT_TRUE(tabTo(f, f.lview));
        EXPECT_EQ(f.lviewFiles->headerItem()->text(0), "Filename (main list)");
        press(Qt::Key_End); // moves, but does not refill the panel
        EXPECT_EQ(f.status->panelText(1), "3");
        EXPECT_EQ(f.lviewFiles->rowCount(), 0);
        press(Qt::Key_Up);
        press(Qt::Key_Down);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Sorter.dpr", "SortForm.pas"}));
        press(Qt::Key_Plus, Qt::KeypadModifier);
        EXPECT_EQ(column(*f.lviewHotlist, 0), QStringList({"Sorter"}));

        ASSERT_TRUE(tabTo(f, f.lviewFiles));
        // Tab passed through the hotlist on its way, so the panel now names that list.
        EXPECT_EQ(f.lviewFiles->headerItem()->text(0), "Filename (hotlist)");
        press(Qt::Key_End);
        EXPECT_EQ(f.lviewFiles->selectedRow(), f.lviewFiles->row(1));
        press(Qt::Key_F3);
        TForm3& viewer = *w.form3;
        ASSERT_TRUE(viewer.isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&viewer));

        // Alt+End opens the method jumper; Down and Enter jump to the second entry by line.
        TForm4& jumper = *w.form4;
        QTimer::singleShot(0, &jumper, [&jumper] {
            QTest::keyClick(jumper.lview, Qt::Key_Home);
            QTest::keyClick(jumper.lview, Qt::Key_Down);
            QTest::keyClick(jumper.lview, Qt::Key_Return);
        });
        QTimer::singleShot(5000, &jumper, [&jumper] { jumper.done(QDialog::Rejected); }); // never hang
        press(Qt::Key_End, Qt::AltModifier);
        EXPECT_FALSE(jumper.isVisible());
        EXPECT_EQ(viewer.styledmemo->SelPar(), 8);
        EXPECT_EQ(viewer.styledmemo->SelText(), "implementation");

        f.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
        press(Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());
    }
    ProgramWindows w = createProgramWindows();
    EXPECT_EQ(column(*w.form1->lview, 0), QStringList({"Archive", "Clock", "Sorter"}));
    EXPECT_EQ(column(*w.form1->lviewHotlist, 0), QStringList({"Sorter"}));
    w.form1->close();
}

TEST_F(EndToEnd, OddFilesInThePanelNeitherHangNorLoseTheViewersText)
{
    const QString r = root.path();
    const QString project = r + "/Tools/Sorter/";
    QByteArray binary;
    for (int i = 0; i < 100000; ++i)
        binary += char((i * 7919) % 255 + 1); // no NUL, which ends the view's text
    writeFile(project + "Binary.pas", binary);
    QByteArray big;
    const QByteArray procedure = "procedure Step%1(var A: Integer);\r\nbegin\r\n  Inc(A);\r\nend;\r\n\r\n";
    big.reserve(50 * 1000 * 1000 + procedure.size());
    big += "unit Big;\r\n\r\ninterface\r\n\r\nimplementation\r\n\r\n";
    for (int i = 0; big.size() < 50 * 1000 * 1000; ++i)
        big += QByteArray(procedure).replace("%1", QByteArray::number(i));
    big += "end.\r\n";
    writeFile(project + "Big.pas", big);
    const bool pipe = ::mkfifo(QFile::encodeName(project + "Pipe.pas").constData(), 0644) == 0;

    folder.write("projects.dat", "3\r\n0\r\nSorter\r\nSorter.exe\r\n/Tools/Sorter/Sorter.dpr\r\n");
    IniFile(folder.file("kbl.ini")).write(settings::options::EditRoot, r + "/");
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    TForm3& viewer = *w.form3;
    const auto view = [&f](const QString& name) {
        const QList<QTreeWidgetItem*> rows = f.lviewFiles->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(rows.size(), 1) << name.toStdString();
        f.lviewFiles->selectRow(rows.first());
        f.SButViewFile->click(); // F3 would reach the viewer, which has the keyboard now
    };

    view("Binary.pas");
    viewer.styledmemo->finishBackgroundWork();
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(viewer.statusbar->text(), " " + project + "Binary.pas");
    EXPECT_GT(viewer.styledmemo->document().paragraphCount(), 100); // its CR and LF bytes end lines

    view("Big.pas");
    viewer.styledmemo->finishBackgroundWork();
    EXPECT_EQ(viewer.statusbar->text(), " " + project + "Big.pas");
    EXPECT_EQ(viewer.styledmemo->document().paragraphText(0), "unit Big;");
    EXPECT_GT(viewer.styledmemo->document().paragraphCount(), 1000000);
    EXPECT_TRUE(viewer.mnuMethodJumper->isEnabled());
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());

    if (pipe) {
        view("Pipe.pas"); // would block for ever if it were opened
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, "Not a file:\r\n" + project + "Pipe.pas");
        EXPECT_EQ(viewer.statusbar->text(), " " + project + "Big.pas");
    }
    f.close();
}

TEST_F(EndToEnd, NamesThatAreNotUtf8SurviveScanSaveRestartViewUpdateAndLaunch)
{
    // An unzipped Windows archive: a folder named "測試" in Big5 and a unit "café.pas" in
    // Latin-1, below a folder whose name holds dots.
    const QByteArray rootBytes = QFile::encodeName(root.path());
    const QByteArray projectBytes = rootBytes + "/Delphi 7.0/\xb4\xfa\xb8\xd5";
    ASSERT_TRUE(QDir().mkpath(root.path() + "/Delphi 7.0"));
    ASSERT_EQ(::mkdir(projectBytes.constData(), 0755), 0);
    const auto writeRaw = [](const QByteArray& path, const QByteArray& bytes, mode_t mode) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    };
    writeRaw(projectBytes + "/p.dpr", "program p;\r\nbegin\r\nend.\r\n", 0644);
    const QString record = root.path() + "/launched";
    writeRaw(projectBytes + "/p.exe", "#!/bin/sh\npwd > '" + QFile::encodeName(record) + "'\n", 0755);
    writeRaw(projectBytes + "/caf\xe9.pas", "unit Cafe;\r\ninterface\r\nimplementation\r\nend.\r\n", 0644);
    const QString projectPath = platform::fileNameFromBytes("/Delphi 7.0/\xb4\xfa\xb8\xd5/p.dpr");
    const QString unit = platform::fileNameFromBytes("caf\xe9.pas");
    const auto rowOf = [&](ReportList& list) {
        const int at = int(column(list, 2).indexOf(projectPath));
        return at < 0 ? nullptr : list.row(at);
    };

    {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        kbltest::dialogs().folders.push_back(root.path());
        f.SButSetRoot->click();
        f.SButScan->click();
        ASSERT_TRUE(waitForScan(f));
        QTreeWidgetItem* row = rowOf(*f.lview);
        ASSERT_NE(row, nullptr) << column(*f.lview, 2).join(' ').toStdString();
        EXPECT_EQ(row->text(0), "p");
        EXPECT_EQ(row->text(1), "p.exe");

        f.lview->selectRow(row);
        f.lviewClick();
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({unit, "p.dpr"}));
        f.lviewFiles->selectRow(f.lviewFiles->row(0));
        f.SButViewFileClick();
        EXPECT_EQ(w.form3->styledmemo->document().paragraphText(0), "unit Cafe;");

        f.lview->setFocus();
        f.SButRunExeClick();
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(record) && clock.elapsed() < 5000)
            QTest::qWait(20);
        QFile launched(record);
        ASSERT_TRUE(launched.open(QIODevice::ReadOnly));
        f.mnuPopupAddToHotlistClick();
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());
        w.form3->close();
        f.close();
    }
    EXPECT_TRUE(folder.read("projects.dat").contains("/Delphi 7.0/\xb4\xfa\xb8\xd5/p.dpr\r\n"));
    EXPECT_TRUE(folder.read("hotlist.dat").contains("/Delphi 7.0/\xb4\xfa\xb8\xd5/p.dpr\r\n"));
    {
        ProgramWindows w = createProgramWindows();
        TForm1& f = *w.form1;
        for (ReportList* list : {f.lview, f.lviewHotlist}) {
            QTreeWidgetItem* row = rowOf(*list);
            ASSERT_NE(row, nullptr);
            list->setFocus();
            list->selectRow(row);
            refreshPanel(f, *list);
            EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({unit, "p.dpr"}));
            if (list == f.lview)
                f.mnuPopupUpdateItemClick();
            else
                f.mnuPopupHotlistUpdateItemClick();
            EXPECT_TRUE(kbltest::dialogs().boxes.empty()) << kbltest::dialogs().boxes[0].text.toStdString();
            EXPECT_NE(rowOf(*list), nullptr);
        }
        f.close();
    }
    // Qt's removal of the temporary folder cannot name these files.
    std::filesystem::remove_all(projectBytes.toStdString());
}

} // namespace
