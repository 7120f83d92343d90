// The main window's file panel and interaction, on a real tree of projects under a
// temporary root and the real windows in a temporary program folder.
#include "settings/IniFile.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/RowColorDelegate.h"
#include "app/StatusBar.h"
#include "catalogue/FilePanel.h"
#include "platform/Colors.h"
#include "platform/Help.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "options/ColorSwatch.h"
#include "options/TForm2.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

// Clock sorts before Sorter, so the start-up selects Clock and fills the panel for it.
const QByteArray TwoProjects = "3\r\n1\r\nSorter\r\nSorter.exe\r\n/Tools/Sorter/Sorter.dpr\r\n"
                               "Clock\r\n\r\n/Toys/Clock.dpr\r\n";
const QByteArray OneFavourite = "3\r\n0\r\nEditor\r\n\r\n/Apps/Editor/Editor.dpr\r\n";

void writeFile(const QString& path, qint64 bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
}

QStringList column(const ReportList& list, int c)
{
    QStringList texts;
    for (int i = 0; i < list.rowCount(); ++i)
        texts << list.text(i, c);
    return texts;
}

QString size(qint64 bytes) { return filepanel::sizeText(bytes); }

class PanelWindowTest : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;
    QTemporaryDir root;

    void SetUp() override
    {
        kbltest::dialogs().reset();
        platform::setHelpViewer({});
        QDir dir(root.path());
        ASSERT_TRUE(dir.mkpath("Tools/Sorter/old.pas"));
        ASSERT_TRUE(dir.mkpath("Toys"));
        ASSERT_TRUE(dir.mkpath("Apps/Editor"));
        writeFile(root.path() + "/Tools/Sorter/Sorter.dpr", 10);
        writeFile(root.path() + "/Tools/Sorter/Sorter.pas", 2048);
        writeFile(root.path() + "/Tools/Sorter/Main.pas", 1234567);
        writeFile(root.path() + "/Tools/Sorter/Main.dfm", 300);
        writeFile(root.path() + "/Toys/Clock.dpr", 999);
        writeFile(root.path() + "/Toys/Clock.pas", 500);
        writeFile(root.path() + "/Apps/Editor/Editor.dpr", 1);
        writeFile(root.path() + "/Apps/Editor/Editor.pas", 1);
        folder.write("projects.dat", TwoProjects);
        ini().write(settings::options::EditRoot, root.path() + "/");
    }

    void TearDown() override { platform::setHelpViewer({}); }

    IniFile ini() const { return IniFile(folder.file("kbl.ini")); }
    QString path(const QString& relative) const { return root.path() + relative; }

    template <typename Fn>
    void run(Fn&& check)
    {
        ProgramWindows windows = createProgramWindows();
        check(*windows.form1, windows);
        windows.form1->close();
    }

    static void clickHeader(ReportList& list, int section)
    {
        QHeaderView* header = list.header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                                 header->height() / 2));
    }

    static void clickRow(ReportList& list, int row)
    {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.row(row)).center());
    }

    static void key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(widget, key, modifiers);
    }

    // Keys go where the window would send them: the focused control, else the window.
    static QWidget* keyTarget(TForm1& f)
    {
        QWidget* focused = QApplication::focusWidget();
        return focused && focused->window() == &f ? focused : &f;
    }
};

TEST_F(PanelWindowTest, StartUpFillsThePanelForTheFirstRowSortedByName)
{
    run([this](TForm1& f, ProgramWindows&) {
        ASSERT_EQ(column(*f.lview, 0), QStringList({"Clock", "Sorter"}));
        EXPECT_EQ(f.LabelFuldSti->text(), path("/Toys/Clock.dpr"));
        EXPECT_EQ(f.status->panelText(0), " " + path("/Toys/Clock.dpr"));
        EXPECT_EQ(f.status->panelText(1), "1");
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Clock.dpr", "Clock.pas"}));
        EXPECT_EQ(column(*f.lviewFiles, 1), QStringList({size(999), size(500)}));
        EXPECT_EQ(f.currentProjectRow(), f.lview->row(0));

        clickRow(*f.lview, 1);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Main.pas", "old.pas", "Sorter.dpr", "Sorter.pas"}));
        EXPECT_EQ(column(*f.lviewFiles, 1), QStringList({size(1234567), size(0), size(10), size(2048)}));
        EXPECT_EQ(f.LabelFuldSti->text(), path("/Tools/Sorter/Sorter.dpr"));
        EXPECT_EQ(f.status->panelText(1), "2");
        EXPECT_EQ(f.currentProjectRow(), f.lview->row(1));
        for (int i = 0; i < f.lviewFiles->rowCount(); ++i)
            EXPECT_EQ(ReportList::imageOf(*f.lviewFiles->row(i)), 2);

        // A press with nothing selected leaves no current row; sorting keeps the current one.
        f.lview->clearSelection();
        EXPECT_EQ(f.currentProjectRow(), f.lview->row(1));
        QTest::mousePress(f.lview->viewport(), Qt::LeftButton, {}, QPoint(5, f.lview->viewport()->height() - 3));
        EXPECT_EQ(f.currentProjectRow(), nullptr);
        QTest::mouseRelease(f.lview->viewport(), Qt::LeftButton, {}, QPoint(5, f.lview->viewport()->height() - 3));
        f.lview->selectRow(f.lview->row(0));
        QTreeWidgetItem* clock = f.lview->row(0);
        clickHeader(*f.lview, 0);
        EXPECT_EQ(f.lview->row(1), clock);
        EXPECT_EQ(f.currentProjectRow(), clock);
    });
}

TEST_F(PanelWindowTest, OnlyEnterSpaceUpAndDownRefillThePanel)
{
    run([](TForm1& f, ProgramWindows&) {
        const QStringList clock = {"Clock.dpr", "Clock.pas"};
        const QStringList sorter = {"Main.pas", "old.pas", "Sorter.dpr", "Sorter.pas"};
        key(f.lview, Qt::Key_Down);
        EXPECT_EQ(f.status->panelText(1), "2");
        EXPECT_EQ(column(*f.lviewFiles, 0), sorter);

        // Home, End, Page Up/Down and letters move the selection, which panel 1 follows,
        // but leave the panel with the previous project's files.
        key(f.lview, Qt::Key_Home);
        EXPECT_EQ(f.status->panelText(1), "1");
        EXPECT_EQ(column(*f.lviewFiles, 0), sorter);
        key(f.lview, Qt::Key_Space);
        EXPECT_EQ(column(*f.lviewFiles, 0), clock);
        key(f.lview, Qt::Key_PageDown);
        EXPECT_EQ(f.status->panelText(1), "2");
        EXPECT_EQ(column(*f.lviewFiles, 0), clock);
        key(f.lview, Qt::Key_Up);
        EXPECT_EQ(column(*f.lviewFiles, 0), clock);
        key(f.lview, Qt::Key_End);
        EXPECT_EQ(column(*f.lviewFiles, 0), clock);
        key(f.lview, Qt::Key_Return);
        EXPECT_EQ(column(*f.lviewFiles, 0), sorter);
        f.lview->selectRow(f.lview->row(0));
        QTest::keyClicks(f.lview, "c");
        EXPECT_EQ(f.status->panelText(1), "1");
        EXPECT_EQ(column(*f.lviewFiles, 0), sorter);
        key(f.lview, Qt::Key_Enter); // the keypad's Enter
        EXPECT_EQ(column(*f.lviewFiles, 0), clock);

        // A held key's repeats are no release.
        f.lview->selectRow(f.lview->row(1));
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(f.lview, &repeat);
        EXPECT_EQ(column(*f.lviewFiles, 0), clock);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(f.lview, &release);
        EXPECT_EQ(column(*f.lviewFiles, 0), sorter);

        // Without a selected row nothing is refreshed.
        f.lview->clearSelection();
        key(f.lview, Qt::Key_Space);
        EXPECT_EQ(column(*f.lviewFiles, 0), sorter);
        EXPECT_EQ(f.LabelFuldSti->text().endsWith("Sorter.dpr"), true);
    });
}

TEST_F(PanelWindowTest, TheHotlistRefillsThePanelAndTheCaptionNamesTheListFollowed)
{
    folder.write("hotlist.dat", OneFavourite);
    run([this](TForm1& f, ProgramWindows&) {
        QFocusEvent intoHotlist(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(f.lviewHotlist, &intoHotlist);
        EXPECT_EQ(f.lviewFiles->headerItem()->text(0), "Filename (hotlist)");
        clickRow(*f.lviewHotlist, 0);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Editor.dpr", "Editor.pas"}));
        EXPECT_EQ(f.LabelFuldSti->text(), path("/Apps/Editor/Editor.dpr"));
        // The main list's current row and panel 1 follow the main list only.
        EXPECT_EQ(f.status->panelText(1), "1");
        EXPECT_EQ(f.currentProjectRow(), f.lview->row(0));

        f.lview->selectRow(f.lview->row(1));
        key(f.lviewHotlist, Qt::Key_Down); // one row: the selection stays, the release refreshes
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Editor.dpr", "Editor.pas"}));

        QFocusEvent intoMain(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(f.lview, &intoMain);
        EXPECT_EQ(f.lviewFiles->headerItem()->text(0), "Filename (main list)");
        QFocusEvent intoFiles(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(f.lviewFiles, &intoFiles);
        EXPECT_EQ(f.lviewFiles->headerItem()->text(0), "Filename (main list)");
    });
}

TEST_F(PanelWindowTest, AVanishedProjectFolderKeepsThePanelAndSaysWhich)
{
    run([this](TForm1& f, ProgramWindows&) {
        ASSERT_TRUE(QDir(path("/Tools")).removeRecursively());
        clickRow(*f.lview, 1);
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, "Can't find folder:\r\n" + path("/Tools/Sorter/"));
        EXPECT_TRUE(kbltest::dialogs().boxes[0].caption.isEmpty()); // the plain message
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Clock.dpr", "Clock.pas"}));
        EXPECT_EQ(f.LabelFuldSti->text(), path("/Tools/Sorter/Sorter.dpr"));

        // With every kind off the panel stays as it is and nothing is said.
        f.ShowKinds.fill(false);
        f.NoKinds = true;
        clickRow(*f.lview, 0);
        clickRow(*f.lview, 1);
        EXPECT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Clock.dpr", "Clock.pas"}));
    });
}

TEST_F(PanelWindowTest, HeaderClicksFlipTheSortedColumnAndKeepTheDirectionOnAnother)
{
    writeFile(path("/Toys/Alarm.dpr"), 1);
    folder.write("projects.dat", "3\r\n2\r\n" + TwoProjects.mid(6) + "Alarm\r\nAlarm.exe\r\n/Toys/Alarm.dpr\r\n");
    run([](TForm1& f, ProgramWindows&) {
        // Saved state: column 0 ascending.
        ASSERT_EQ(column(*f.lview, 0), QStringList({"Alarm", "Clock", "Sorter"}));
        clickHeader(*f.lview, 0);
        EXPECT_EQ(column(*f.lview, 0), QStringList({"Sorter", "Clock", "Alarm"}));
        clickHeader(*f.lview, 0);
        EXPECT_EQ(column(*f.lview, 0), QStringList({"Alarm", "Clock", "Sorter"}));
        clickHeader(*f.lview, 0);
        EXPECT_EQ(column(*f.lview, 0), QStringList({"Sorter", "Clock", "Alarm"}));
        clickHeader(*f.lview, 1); // descending still: "", Sorter.exe, Alarm.exe
        EXPECT_EQ(column(*f.lview, 1), QStringList({"Sorter.exe", "Alarm.exe", ""}));
        clickHeader(*f.lview, 2);
        EXPECT_EQ(column(*f.lview, 2),
                  QStringList({"/Toys/Clock.dpr", "/Toys/Alarm.dpr", "/Tools/Sorter/Sorter.dpr"}));
        EXPECT_EQ(f.lviewSort.column, 2);
        EXPECT_FALSE(f.lviewSort.ascending);

        // The next row whose name is set brings back the automatic order.
        f.lview->addRow({"Beep", "", "/Toys/Beep.dpr"}, 0);
        EXPECT_EQ(column(*f.lview, 0), QStringList({"Alarm", "Beep", "Clock", "Sorter"}));

        // A click on the empty hotlist changes nothing; without hotlist.dat it starts at
        // column 0 descending.
        clickHeader(*f.lviewHotlist, 1);
        EXPECT_EQ(f.lviewHotlistSort.column, 0);
        EXPECT_FALSE(f.lviewHotlistSort.ascending);
        f.lviewHotlist->addRow({"b", "y", "/b.dpr"}, 1);
        f.lviewHotlist->addRow({"a", "z", "/a.dpr"}, 1);
        clickHeader(*f.lviewHotlist, 1);
        EXPECT_EQ(column(*f.lviewHotlist, 1), QStringList({"z", "y"}));
        clickHeader(*f.lviewHotlist, 1);
        EXPECT_EQ(column(*f.lviewHotlist, 1), QStringList({"y", "z"}));
    });
    EXPECT_EQ(ini().read(settings::form1::lviewLastSortedColumn), 2);
    EXPECT_FALSE(ini().read(settings::form1::lviewAscending));
    EXPECT_EQ(ini().read(settings::form1::lviewHotlistLastSortedColumn), 1);
    EXPECT_TRUE(ini().read(settings::form1::lviewHotlistAscending));
}

TEST_F(PanelWindowTest, TheFilePanelSortsSizesByTheirDigitsAndKeepsItsSortOnRefill)
{
    run([](TForm1& f, ProgramWindows&) {
        clickRow(*f.lview, 1);
        clickHeader(*f.lviewFiles, 1);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"old.pas", "Sorter.dpr", "Sorter.pas", "Main.pas"}));
        clickHeader(*f.lviewFiles, 1);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Main.pas", "Sorter.pas", "Sorter.dpr", "old.pas"}));
        clickHeader(*f.lviewFiles, 0); // the direction stays descending
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Sorter.pas", "Sorter.dpr", "old.pas", "Main.pas"}));
        clickRow(*f.lview, 0);
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Clock.pas", "Clock.dpr"}));

        f.lviewFiles->clear();
        clickHeader(*f.lviewFiles, 1);
        EXPECT_EQ(f.lviewFilesSort.column, 0);
    });
    EXPECT_EQ(ini().read(settings::form1::lviewFilesLastSortedColumn), 0);
    EXPECT_FALSE(ini().read(settings::form1::lviewFilesAscending));
    run([](TForm1& f, ProgramWindows&) {
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Clock.pas", "Clock.dpr"}));
    });
}

TEST_F(PanelWindowTest, RowsArePaintedInTheirKindsColourAtDrawingTime)
{
    ini().write(settings::options::cboxDFM, true);
    run([](TForm1& f, ProgramWindows&) {
        clickRow(*f.lview, 1);
        f.lviewFiles->clearSelection();
        f.lviewFiles->setCurrentItem(nullptr);
        QCoreApplication::processEvents();
        const auto colourOf = [&f](const QString& name) {
            const QList<QTreeWidgetItem*> rows = f.lviewFiles->findItems(name, Qt::MatchExactly);
            EXPECT_EQ(rows.size(), 1);
            const QRect rect = f.lviewFiles->visualItemRect(rows.first());
            const QImage image = f.lviewFiles->viewport()->grab().toImage();
            // Left in the right-aligned size column, clear of any text.
            return image.pixelColor(f.lviewFiles->header()->sectionViewportPosition(1) + 2, rect.center().y());
        };
        EXPECT_EQ(colourOf("Sorter.dpr"), platform::toQColor(12764926));
        EXPECT_EQ(colourOf("Main.pas"), platform::toQColor(16370897));
        EXPECT_EQ(colourOf("old.pas"), platform::toQColor(16370897));
        EXPECT_EQ(colourOf("Main.dfm"), platform::toQColor(8126331));
        f.KindColors[1] = platform::rgbColor(10, 20, 30);
        EXPECT_EQ(colourOf("Main.pas"), QColor(10, 20, 30));
    });
}

TEST_F(PanelWindowTest, ViewingNeedsASelectedFileThatStillExists)
{
    run([this](TForm1& f, ProgramWindows& w) {
        QWidget& viewer = *w.form3;
        clickRow(*f.lview, 1);
        f.lviewFiles->clearSelection();
        f.SButViewFile->click();
        key(f.lviewFiles, Qt::Key_F3);
        EXPECT_FALSE(viewer.isVisible());
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());

        const auto select = [&f](const QString& name) {
            f.lviewFiles->selectRow(f.lviewFiles->findItems(name, Qt::MatchExactly).first());
        };
        select("Sorter.pas");
        key(f.lviewFiles, Qt::Key_F3);
        EXPECT_TRUE(viewer.isVisible());
        viewer.hide();
        key(f.lviewFiles, Qt::Key_Return);
        EXPECT_TRUE(viewer.isVisible());
        viewer.hide();
        f.SButViewFile->click();
        EXPECT_TRUE(viewer.isVisible());
        viewer.hide();
        const QPoint onRow = f.lviewFiles->visualItemRect(f.lviewFiles->selectedRow()).center();
        QTest::mousePress(f.lviewFiles->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseRelease(f.lviewFiles->viewport(), Qt::LeftButton, {}, onRow);
        QTest::mouseDClick(f.lviewFiles->viewport(), Qt::LeftButton, {}, onRow);
        EXPECT_TRUE(viewer.isVisible());
        viewer.hide();
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());

        // The file went after the panel was filled.
        ASSERT_TRUE(QFile::remove(path("/Tools/Sorter/Sorter.pas")));
        key(f.lviewFiles, Qt::Key_F3);
        EXPECT_FALSE(viewer.isVisible());
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, "Can't find file:\r\n" + path("/Tools/Sorter/Sorter.pas"));
        // A folder whose name matched the mask.
        select("old.pas");
        key(f.lviewFiles, Qt::Key_F3);
        EXPECT_FALSE(viewer.isVisible());
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 2u);
        EXPECT_EQ(kbltest::dialogs().boxes[1].text, "Not a file:\r\n" + path("/Tools/Sorter/old.pas"));
        // The whole folder went.
        select("Main.pas");
        ASSERT_TRUE(QDir(path("/Tools")).removeRecursively());
        f.SButViewFile->click();
        EXPECT_FALSE(viewer.isVisible());
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 3u);
        EXPECT_EQ(kbltest::dialogs().boxes[2].text, "Can't find folder:\r\n" + path("/Tools/Sorter/"));
    });
}

TEST_F(PanelWindowTest, EscClosesAltFOpensTheSystemMenuAndFAloneDoesNothing)
{
    ProgramWindows w = createProgramWindows();
    TForm1& f = *w.form1;
    key(keyTarget(f), Qt::Key_F);
    EXPECT_FALSE(f.mnuSystem->isVisible());
    key(keyTarget(f), Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(f.mnuSystem->isVisible());
    f.mnuSystem->hide();
    bool closed = false;
    QObject::connect(&f, &TForm1::closed, [&closed] { closed = true; });
    key(keyTarget(f), Qt::Key_Escape);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(folder.exists("kbl.ini"));
}

TEST_F(PanelWindowTest, HelpOpensOnlyWhenTheHelpFileExists)
{
    std::vector<std::pair<QString, int>> shown;
    platform::setHelpViewer([&shown](const QString& file, int topic) {
        shown.emplace_back(file, topic);
        return true;
    });
    run([&](TForm1& f, ProgramWindows&) {
        key(keyTarget(f), Qt::Key_F1);
        f.SystemCommand(TForm1::SystemMenuHelp);
        EXPECT_TRUE(shown.empty());
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());
    });
    folder.write("kbl.hlp", "help");
    run([&](TForm1& f, ProgramWindows&) {
        key(keyTarget(f), Qt::Key_F1);
        f.SystemCommand(TForm1::SystemMenuHelp | 0x7);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0], std::make_pair(folder.file("kbl.hlp"), 0));
        EXPECT_EQ(shown[1], std::make_pair(folder.file("kbl.hlp"), 0));
        // No program that shows it: the user is told instead of nothing happening.
        platform::setHelpViewer([](const QString&, int) { return false; });
        key(keyTarget(f), Qt::Key_F1);
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, "Can't open the help file:\r\n" + folder.file("kbl.hlp"));
        // Removed while the program runs: as if there were none.
        QFile::remove(folder.file("kbl.hlp"));
        f.SystemCommand(TForm1::SystemMenuHelp);
        EXPECT_EQ(kbltest::dialogs().boxes.size(), 1u);
    });
}

TEST_F(PanelWindowTest, TheAboutBoxCarriesTheTitle)
{
    run([](TForm1& f, ProgramWindows&) {
        const QList<QAction*> items = f.mnuSystem->actions();
        const auto about = std::find_if(items.begin(), items.end(),
                                        [](QAction* a) { return a->data().toInt() == TForm1::SystemMenuAbout; });
        ASSERT_NE(about, items.end());
        (*about)->trigger();
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].caption, " About Kestrabel v1.2");
        EXPECT_EQ(kbltest::dialogs().boxes[0].icon, platform::BoxIcon::Question);
        EXPECT_TRUE(f.isVisible());
    });
}

TEST_F(PanelWindowTest, TheOptionsDialogRefreshesTheFollowedListAfterOkOrCancel)
{
    folder.write("hotlist.dat", OneFavourite);
    run([](TForm1& f, ProgramWindows& w) {
        QDialog& options = *w.form2;
        const auto answer = [&options](bool ok) {
            QTimer::singleShot(0, &options, [&options, ok] { ok ? options.accept() : options.reject(); });
        };
        QFocusEvent intoMain(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(f.lview, &intoMain);
        f.lview->selectRow(f.lview->row(1)); // Sorter, not yet shown
        answer(false);
        f.SButOptions->click();
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Main.pas", "old.pas", "Sorter.dpr", "Sorter.pas"}));

        QFocusEvent intoHotlist(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(f.lviewHotlist, &intoHotlist);
        answer(true);
        f.SButOptions->click();
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Editor.dpr", "Editor.pas"}));

        // A caption that names no list refreshes nothing.
        f.lviewFiles->headerItem()->setText(0, QStringLiteral("檔案名稱"));
        f.lviewFiles->clear();
        answer(false);
        f.SButOptions->click();
        EXPECT_EQ(f.lviewFiles->rowCount(), 0);
    });
}

TEST_F(PanelWindowTest, TheOptionsDialogsKindsAndColoursReachThePanel)
{
    ini().write(settings::exclude::number, 0);
    ini().writeString("exclude", "0", "/old");
    run([](TForm1& f, ProgramWindows& w) {
        TForm2& options = *w.form2;
        QFocusEvent intoMain(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(f.lview, &intoMain);
        clickRow(*f.lview, 1);
        EXPECT_EQ(f.lviewFiles->rowCount(), 4);

        // dfm switched on and pas recoloured, then OK: the panel is refilled at once.
        QTimer::singleShot(0, &options, [&options] {
            EXPECT_EQ(options.lbox->count(), 1); // reloaded, not appended to
            options.kindBoxes[2]->setChecked(true);
            options.kindSwatches[1]->setColor(platform::rgbColor(1, 2, 3));
            options.ButOK->click();
        });
        f.SButOptions->click();
        EXPECT_EQ(column(*f.lviewFiles, 0), QStringList({"Main.dfm", "Main.pas", "old.pas", "Sorter.dpr", "Sorter.pas"}));
        EXPECT_EQ(f.lviewFilesCustomDrawItem("Main.pas"), QColor(1, 2, 3));
        EXPECT_EQ(f.lviewFilesCustomDrawItem("Main.dfm"), platform::toQColor(8126331));

        // Every kind off: OK empties the panel and the refresh after it lists nothing.
        QTimer::singleShot(0, &options, [&options] {
            for (QCheckBox* box : options.kindBoxes)
                box->setChecked(false);
            options.ButOK->click();
        });
        f.SButOptions->click();
        EXPECT_TRUE(f.NoKinds);
        EXPECT_EQ(f.lviewFiles->rowCount(), 0);
        clickRow(*f.lview, 0);
        EXPECT_EQ(f.lviewFiles->rowCount(), 0);
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());

        // A cancelled dialog changes no kind, yet still refreshes.
        QTimer::singleShot(0, &options, [&options] {
            options.kindBoxes[0]->setChecked(true);
            options.reject();
        });
        f.SButOptions->click();
        EXPECT_TRUE(f.NoKinds);
        EXPECT_EQ(f.lviewFiles->rowCount(), 0);
    });
}

} // namespace

namespace {

// The darkest and the lightest pixel inside a rectangle of a picture.
std::pair<double, double> lightnessRange(const QImage& image, const QRect& rect)
{
    double darkest = 1, lightest = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const double l = QColor(image.pixel(x, y)).lightnessF();
            darkest = std::min(darkest, l);
            lightest = std::max(lightest, l);
        }
    return {darkest, lightest};
}

} // namespace

TEST_F(PanelWindowTest, KindRowsStayReadableOnADarkTheme)
{
    const QPalette saved = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Base, QColor(0x18, 0x18, 0x18));
    dark.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
    QApplication::setPalette(dark);
    run([&](TForm1& f, ProgramWindows&) {
        f.lview->selectRow(f.lview->row(1)); // Sorter
        f.lviewClick();
        f.lviewFiles->selectRow(nullptr);
        f.lviewFiles->setCurrentItem(nullptr);
        ASSERT_GT(f.lviewFiles->rowCount(), 0);
        const QImage picture = f.lviewFiles->viewport()->grab().toImage();
        for (int row = 0; row < f.lviewFiles->rowCount(); ++row) {
            const QRect rect = f.lviewFiles->visualItemRect(f.lviewFiles->row(row)).intersected(picture.rect());
            const auto [darkest, lightest] = lightnessRange(picture, rect.adjusted(0, 1, 0, -1));
            // A light kind colour behind dark text: the palette's light text would vanish.
            EXPECT_GT(lightest, 0.7) << f.lviewFiles->text(row, 0).toStdString();
            EXPECT_LT(darkest, 0.3) << f.lviewFiles->text(row, 0).toStdString();
        }
    });
    QApplication::setPalette(saved);
    EXPECT_EQ(RowColorDelegate::textColorOn(QColor(254, 198, 194)).lightnessF() < 0.3, true);
    EXPECT_EQ(RowColorDelegate::textColorOn(QColor(20, 20, 60)).lightnessF() > 0.7, true);
}

TEST_F(PanelWindowTest, CutOffCellsShowTheirWholeTextAndHeadersTheSortDirection)
{
    run([&](TForm1& f, ProgramWindows&) {
        ReportList& list = *f.lview;
        list.setColumnWidth(2, 40);
        const QModelIndex cut = list.model()->index(0, 2);
        const QRect cell = list.visualRect(cut);
        QHelpEvent tip(QEvent::ToolTip, cell.center(), list.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(list.viewport(), &tip);
        EXPECT_EQ(QToolTip::text(), list.text(0, 2));
        // A cell that fits shows no tip.
        list.setColumnWidth(0, 400);
        const QRect whole = list.visualRect(list.model()->index(0, 0));
        QHelpEvent none(QEvent::ToolTip, whole.center(), list.viewport()->mapToGlobal(whole.center()));
        QApplication::sendEvent(list.viewport(), &none);
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));

        // The sorted column shows its direction.
        EXPECT_TRUE(list.header()->isSortIndicatorShown());
        EXPECT_EQ(list.header()->sortIndicatorSection(), 0);
        f.lviewColumnClick(2);
        EXPECT_EQ(list.header()->sortIndicatorSection(), 2);
        const Qt::SortOrder first = list.header()->sortIndicatorOrder();
        f.lviewColumnClick(2);
        EXPECT_NE(list.header()->sortIndicatorOrder(), first);
        f.lviewFilesColumnClick(1);
        EXPECT_EQ(f.lviewFiles->header()->sortIndicatorSection(), 1);
    });
}
