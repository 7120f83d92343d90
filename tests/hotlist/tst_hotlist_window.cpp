// The hotlist and the launch commands in the real main window (offscreen).
#include "settings/IniFile.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "options/RadioGroup.h"
#include "options/TForm2.h"
#include "app/ProjectRows.h"
#include "platform/ShowDesktop.h"
#include "support/RecordingProgram.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDesktop.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QThread>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

QByteArray listFile(const QList<ProjectEntry>& entries)
{
    QByteArray text = "3\r\n" + QByteArray::number(entries.size() - 1) + "\r\n";
    for (const ProjectEntry& e : entries)
        text += e.applicationName.toUtf8() + "\r\n" + e.executableName.toUtf8() + "\r\n" + e.projectPath.toUtf8() + "\r\n";
    return text;
}

QStringList names(const ReportList& list)
{
    QStringList texts;
    for (int i = 0; i < list.rowCount(); ++i)
        texts << list.text(i, 0);
    return texts;
}

QTreeWidgetItem* rowNamed(const ReportList& list, const QString& name)
{
    for (int i = 0; i < list.rowCount(); ++i)
        if (list.text(i, 0) == name)
            return list.row(i);
    return nullptr;
}

class FixedOptions final : public launch::OptionsView {
public:
    FixedOptions(launch::LaunchOptions options, int doubleClick, QString root)
        : m_options(std::move(options)), m_doubleClick(doubleClick), m_root(std::move(root))
    {
    }
    launch::LaunchOptions launchOptions() const override { return m_options; }
    int doubleClickAction() const override { return m_doubleClick; }
    QString rootField() const override { return m_root; }

private:
    launch::LaunchOptions m_options;
    int m_doubleClick;
    QString m_root;
};

class NoShowDesktop final : public platform::ShowDesktop {
public:
    bool request() override { return true; }
};

void settle() { QThread::msleep(300); }

} // namespace

class HotlistWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        kbltest::dialogs().reset();
        platform::setShowDesktop(std::make_unique<NoShowDesktop>());
        root = desktop.root() + QStringLiteral("/work");
        writeFile(root + "/Tools/Sorter/Sorter.dpr", "program Sorter;\r\n");
        writeFile(root + "/Toys/Clock.dpr", "program Clock;\r\n");
        writeFile(root + "/Apps/Editor.dpr", "program Editor;\r\n");
        program.write("projects.dat", listFile({{"Sorter", "Sorter.exe", "/Tools/Sorter/Sorter.dpr"},
                                                {"Clock", "", "/Toys/Clock.dpr"}}));
        program.write("hotlist.dat", listFile({{"Editor", "Editor.exe", "/Apps/Editor.dpr"}}));
        IniFile(program.file("kbl.ini")).write(settings::options::EditRoot, root + u'/');
    }

    void TearDown() override
    {
        if (windows.form1)
            windows.form1->close();
        platform::setShowDesktop(nullptr);
    }

    TForm1& start()
    {
        windows = createProgramWindows();
        TForm1& f = *windows.form1;
        QApplication::setActiveWindow(&f);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        return f;
    }

    void useOptions(int doubleClick, launch::LaunchOptions options = quiet())
    {
        windows.form1->setOptionsView(std::make_unique<FixedOptions>(options, doubleClick, root + u'/'));
    }

    static launch::LaunchOptions quiet()
    {
        launch::LaunchOptions options;
        options.minProject = false;
        options.minimizeAllWhenRunProject = false;
        return options;
    }

    void associateIde(const kbltest::RecordingProgram& ide)
    {
        desktop.writeApplication(desktop.dataDir(), "ide.desktop", ide.path() + " %f");
        desktop.writeMimeapps(desktop.configHome() + "/mimeapps.list",
                              "[Default Applications]\ntext/x-pascal=ide.desktop\n");
    }

    void focus(QWidget* list)
    {
        list->setFocus();
        QCoreApplication::processEvents();
        ASSERT_TRUE(list->hasFocus());
    }

    kbltest::TempDesktop desktop;
    kbltest::ProgramFolder program;
    ProgramWindows windows;
    QString root;
};

TEST_F(HotlistWindow, MenuAndKeysAddCopiesOfTheCurrentRowInNameOrder)
{
    TForm1& f = start();
    focus(f.lview);
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    EXPECT_EQ(f.status->panelText(1), "2");
    f.mnuPopupAddToHotlist->trigger();
    EXPECT_EQ(names(*f.lviewHotlist), (QStringList{"Editor", "Sorter"}));
    QTreeWidgetItem* added = rowNamed(*f.lviewHotlist, "Sorter");
    ASSERT_TRUE(added);
    EXPECT_EQ(projectEntry(*added), (ProjectEntry{"Sorter", "Sorter.exe", "/Tools/Sorter/Sorter.dpr", 1}));

    // The keypad's plus and the main keyboard's "=" key add too; "Clock" sorts first,
    // and the same project may be added twice.
    f.lview->selectRow(rowNamed(*f.lview, "Clock"));
    QTest::keyClick(f.lview, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(f.lview, Qt::Key_Equal);
    EXPECT_EQ(names(*f.lviewHotlist), (QStringList{"Clock", "Clock", "Editor", "Sorter"}));
    EXPECT_EQ(f.lview->rowCount(), 2);
    // "+" as Shift+= types it on a US layout, and as the plus key of other layouts: one row each.
    QTest::keyClick(f.lview, Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(f.lviewHotlist->rowCount(), 5);
    QTest::keyClick(f.lview, Qt::Key_Plus);
    EXPECT_EQ(f.lviewHotlist->rowCount(), 6);

    // Those keys belong to the main list: pressed in the hotlist they add nothing.
    focus(f.lviewHotlist);
    QTest::keyClick(f.lviewHotlist, Qt::Key_Equal);
    QTest::keyClick(f.lviewHotlist, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(f.lviewHotlist, Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(f.lviewHotlist->rowCount(), 6);
}

TEST_F(HotlistWindow, NothingIsAddedWithoutASelectedRowAndTheMenusSaySo)
{
    TForm1& f = start();
    f.lview->selectRow(nullptr);
    f.lviewHotlist->selectRow(nullptr);
    emit f.mnuPopup->aboutToShow();
    emit f.mnuPopupHotlist->aboutToShow();
    for (QAction* item : f.mnuPopup->actions())
        EXPECT_EQ(item->isEnabled(), item->isSeparator()) << item->text().toStdString();
    for (QAction* item : f.mnuPopupHotlist->actions())
        EXPECT_EQ(item->isEnabled(), item->isSeparator()) << item->text().toStdString();
    f.mnuPopupAddToHotlistClick();
    EXPECT_EQ(f.lviewHotlist->rowCount(), 1);

    f.lview->selectRow(f.lview->row(0));
    emit f.mnuPopup->aboutToShow();
    for (QAction* item : f.mnuPopup->actions())
        EXPECT_TRUE(item->isEnabled());
    EXPECT_FALSE(f.mnuPopupHotlistDeleteItem->isEnabled());
}

TEST_F(HotlistWindow, OnlyTheMainListMayDropIntoTheHotlist)
{
    TForm1& f = start();
    EXPECT_TRUE(f.lviewHotlistDragOver(f.lview));
    EXPECT_FALSE(f.lviewHotlistDragOver(f.lviewHotlist));
    EXPECT_FALSE(f.lviewHotlistDragOver(f.lviewFiles));
    EXPECT_FALSE(f.lviewHotlistDragOver(nullptr));
    EXPECT_FALSE(f.lviewDragOver(f.lview));

    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    f.lviewStartDrag();
    f.lviewHotlistDragDrop(f.lviewFiles);
    EXPECT_EQ(f.lviewHotlist->rowCount(), 1);
    f.lviewHotlistDragDrop(f.lview);
    EXPECT_EQ(names(*f.lviewHotlist), (QStringList{"Editor", "Sorter"}));

    // A drag from outside the program is refused by both lists.
    QMimeData data;
    data.setText("Sorter");
    for (QWidget* target : {f.lviewHotlist->viewport(), f.lview->viewport()}) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_FALSE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        EXPECT_FALSE(drop.isAccepted());
    }
    EXPECT_EQ(f.lviewHotlist->rowCount(), 2);
    EXPECT_EQ(f.lview->rowCount(), 2);
}

TEST_F(HotlistWindow, DeletingSelectsTheNextRowAndRefreshesThePanelForIt)
{
    program.write("hotlist.dat", listFile({{"Alpha", "", "/Apps/Editor.dpr"},
                                           {"Beta", "", "/Toys/Clock.dpr"},
                                           {"Gamma", "", "/Tools/Sorter/Sorter.dpr"}}));
    TForm1& f = start();
    focus(f.lviewHotlist);
    f.lviewHotlist->selectRow(rowNamed(*f.lviewHotlist, "Beta"));
    QTest::keyClick(f.lviewHotlist, Qt::Key_Delete);
    EXPECT_EQ(names(*f.lviewHotlist), (QStringList{"Alpha", "Gamma"}));
    QCoreApplication::processEvents(); // the synthesised space bar
    ASSERT_TRUE(f.lviewHotlist->selectedRow());
    const QString next = f.lviewHotlist->selectedRow()->text(0);
    EXPECT_EQ(f.LabelFuldSti->text(), root + f.lviewHotlist->selectedRow()->text(2));
    EXPECT_EQ(f.status->panelText(0), u' ' + f.LabelFuldSti->text());
    EXPECT_TRUE(next == "Alpha" || next == "Gamma");

    // Deleting every row leaves an empty list; the saved rows come back at the next start.
    while (f.lviewHotlist->rowCount() > 0) {
        f.lviewHotlist->selectRow(f.lviewHotlist->row(0));
        f.mnuPopupHotlistDeleteItem->trigger();
        QCoreApplication::processEvents();
    }
    f.mnuPopupHotlistDeleteItemClick(); // nothing left to delete
    f.close();
    windows = {};
    TForm1& again = start();
    EXPECT_EQ(names(*again.lviewHotlist), (QStringList{"Alpha", "Beta", "Gamma"}));
}

TEST_F(HotlistWindow, UpdateRereadsTheRowInTheListThatHasTheFocus)
{
    TForm1& f = start();
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    f.mnuPopupAddToHotlistClick();
    // The folder now holds another project, under another name, with an executable.
    QFile::remove(root + "/Tools/Sorter/Sorter.dpr");
    writeFile(root + "/Tools/Sorter/Arranger.dpr", "program Arranger;\r\n  Application.Title := 'Arranger';\r\n");
    writeFile(root + "/Tools/Sorter/Arranger.exe", "");

    // The main list's command does nothing while the hotlist has the focus.
    focus(f.lviewHotlist);
    f.lviewHotlist->selectRow(rowNamed(*f.lviewHotlist, "Sorter"));
    f.mnuPopupUpdateItemClick();
    EXPECT_TRUE(rowNamed(*f.lview, "Sorter"));

    QTest::keyClick(f.lviewHotlist, Qt::Key_F5);
    EXPECT_EQ(names(*f.lviewHotlist), (QStringList{"Arranger", "Editor"}));
    EXPECT_EQ(projectEntry(*rowNamed(*f.lviewHotlist, "Arranger")),
              (ProjectEntry{"Arranger", "Arranger.exe", "/Tools/Sorter/Arranger.dpr", 1}));
    // The other list keeps its row.
    EXPECT_EQ(names(*f.lview), (QStringList{"Clock", "Sorter"}));

    focus(f.lview);
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    QTest::keyClick(f.lview, Qt::Key_F5);
    EXPECT_EQ(names(*f.lview), (QStringList{"Arranger", "Clock"}));
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
}

TEST_F(HotlistWindow, UpdateSaysWhatIsMissing)
{
    TForm1& f = start();
    focus(f.lview);
    f.lview->selectRow(rowNamed(*f.lview, "Clock"));
    QFile::remove(root + "/Toys/Clock.dpr");
    f.mnuPopupUpdateItem->trigger();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, "No project found in folder.");

    QDir(root + "/Tools").removeRecursively();
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    f.mnuPopupUpdateItem->trigger();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 2u);
    EXPECT_EQ(kbltest::dialogs().boxes[1].text, "Can't find folder:\r\n" + root + "/Tools/Sorter/");
    EXPECT_EQ(names(*f.lview), (QStringList{"Clock", "Sorter"}));
}

TEST_F(HotlistWindow, DoubleClickAndEnterFollowTheDoubleClickOption)
{
    kbltest::RecordingProgram ide(desktop.root(), "ide");
    associateIde(ide);
    TForm1& f = start();
    useOptions(launch::DoubleClickOpensProject);
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    f.lviewHotlist->selectRow(f.lviewHotlist->row(0));
    focus(f.lviewHotlist);
    QTest::keyClick(f.lviewHotlist, Qt::Key_Return);
    auto record = ide.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, QStringList{root + "/Apps/Editor.dpr"});

    // Set to the executable: a row without one does nothing at all.
    QFile::remove(ide.path() + ".record");
    useOptions(launch::DoubleClickRunsExe);
    f.lview->selectRow(rowNamed(*f.lview, "Clock"));
    focus(f.lview);
    QTest::keyClick(f.lview, Qt::Key_Return);
    f.lviewDblClick();
    settle();
    EXPECT_FALSE(ide.ran());
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());

    // A row with one runs it.
    kbltest::RecordingProgram sorter(root + "/Tools/Sorter", "Sorter.exe");
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    f.lviewDblClick();
    ASSERT_TRUE(sorter.waitForRecord());
}

TEST_F(HotlistWindow, ToolButtonsActOnTheListThatHasTheFocus)
{
    kbltest::RecordingProgram fm(desktop.root(), "fm");
    TForm1& f = start();
    launch::LaunchOptions options = quiet();
    options.fileManager = fm.path();
    options.fmCommandLineOption = "--select";
    useOptions(launch::DoubleClickRunsExe, options);
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    f.lviewHotlist->selectRow(f.lviewHotlist->row(0));

    focus(f.lviewHotlist);
    f.SButOpenInExplorer->click();
    auto record = fm.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (QStringList{"--select", root + "/Apps/"}));

    QFile::remove(fm.path() + ".record");
    focus(f.lview);
    f.SButOpenInExplorer->click();
    record = fm.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (QStringList{"--select", root + "/Tools/Sorter/"}));
}

TEST_F(HotlistWindow, LaunchesReadTheOptionsDialogAsItStands)
{
    kbltest::RecordingProgram ide(desktop.root(), "ide");
    kbltest::RecordingProgram fm(desktop.root(), "fm");
    associateIde(ide);
    TForm1& f = start();
    TForm2& options = *windows.form2;
    // Changed in the dialog, not yet saved: the launch follows the dialog.
    options.RGroupOnDoubleClick->setItemIndex(launch::DoubleClickOpensProject);
    options.CBoxMinProject->setChecked(true);
    options.CBoxMinimizeAllWhenRunProject->setChecked(false);
    options.CBoxShowProjFolderInFM->setChecked(true);
    options.EditFileManager->setText(fm.path());
    options.EditFMCommandLineOption->setText("-n \"a b\"");
    f.lview->selectRow(rowNamed(*f.lview, "Clock"));
    focus(f.lview);
    f.lviewDblClick();
    ASSERT_TRUE(ide.waitForRecord());
    EXPECT_EQ(ide.waitForRecord()->arguments, QStringList{root + "/Toys/Clock.dpr"});
    ASSERT_TRUE(fm.waitForRecord());
    EXPECT_EQ(fm.waitForRecord()->arguments, (QStringList{"-n", "a b", root + "/Toys"}));
    EXPECT_TRUE(f.isMinimized());

    // The main list's project file is found below the dialog's root field.
    QFile::remove(ide.path() + ".record");
    f.showNormal();
    options.EditRoot->setText(desktop.root() + "/elsewhere/");
    options.CBoxShowProjFolderInFM->setChecked(false);
    f.SButRunProjectClick();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, "Can't find " + desktop.root() + "/elsewhere/Toys/Clock.dpr");

    // The executable option too: a missing executable's message, no minimising.
    options.RGroupOnDoubleClick->setItemIndex(launch::DoubleClickRunsExe);
    options.CBoxMinExe->setChecked(true);
    f.lview->selectRow(rowNamed(*f.lview, "Sorter"));
    f.lviewDblClick();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 2u);
    EXPECT_EQ(kbltest::dialogs().boxes[1].text, "Can't find " + root + "/Tools/Sorter/Sorter.exe");
    EXPECT_FALSE(f.isMinimized());
}
