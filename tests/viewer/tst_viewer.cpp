// The file viewer window with its real text views, in the program's windows: creation and
// close, loading and highlighting, the scan over the hidden copy, find, font and colour,
// the project-files menu, and the ways into the method jumper.
#include "settings/IniFile.h"
#include "app/ProgramWindows.h"
#include "highlight/OOPHighlighter.h"
#include "options/TForm2.h"
#include "platform/Help.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "textview/TStyledMemo.h"
#include "viewer/FindDialog.h"
#include "viewer/HelpTopic.h"
#include "viewer/TForm3.h"
#include "viewer/TForm4.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray numberedLines(int count, const QString& prefix = QStringLiteral("line"))
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += QString("%1 %2\r\n").arg(prefix).arg(i).toUtf8();
    return text;
}

const QByteArray UsualUnit = "unit Main;\r\n"
                             "\r\n"
                             "interface\r\n"
                             "\r\n"
                             "uses\r\n"
                             "  Windows, SysUtils;\r\n"
                             "\r\n"
                             "type\r\n"
                             "  TForm1 = class(TForm)\r\n"
                             "    procedure Paint; override;\r\n"
                             "  end;\r\n"
                             "\r\n"
                             "implementation\r\n"
                             "\r\n"
                             "uses\r\n"
                             "  Dialogs;\r\n"
                             "\r\n"
                             "function Twice(X: Integer): Integer;\r\n"
                             "begin\r\n"
                             "end;\r\n"
                             "\r\n"
                             "procedure TForm1.Paint;\r\n"
                             "  procedure Local;\r\n"
                             "  begin end;\r\n"
                             "begin\r\n"
                             "end;\r\n"
                             "\r\n"
                             "end.\r\n";

class ViewerTest : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;
    QTemporaryDir project;
    std::unique_ptr<ProgramWindows> windows;
    TForm3* viewer = nullptr;

    void SetUp() override
    {
        kbltest::dialogs().reset();
        start();
    }
    void TearDown() override { stop(); }

    void start()
    {
        windows = std::make_unique<ProgramWindows>(createProgramWindows());
        viewer = windows->form3.get();
    }
    void stop()
    {
        if (!windows)
            return;
        viewer->close();
        windows->form1->close();
        windows.reset();
        viewer = nullptr;
    }
    void restart()
    {
        stop();
        start();
    }
    IniFile ini() const { return IniFile(folder.file("kbl.ini")); }

    QString file(const QString& name, const QByteArray& bytes) const
    {
        QFile f(project.filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return f.fileName();
    }
    kbl::TStyledMemo& memo() const { return *viewer->styledmemo; }
    bool scanCopyEmpty() const
    {
        const kbl::StyledDocument& doc = viewer->ScanMemo->document();
        return doc.paragraphCount() == 1 && doc.paragraphText(0).isEmpty();
    }
    QTreeWidget& jumperList() const { return *windows->form4->lview; }
    QStringList jumperRows() const
    {
        QStringList rows;
        for (int i = 0; i < jumperList().topLevelItemCount(); ++i)
            rows << jumperList().topLevelItem(i)->text(0) + "@" + jumperList().topLevelItem(i)->text(1);
        return rows;
    }
    void showViewer(int width = 500, int height = 300)
    {
        viewer->resize(width, height);
        viewer->show();
        QApplication::processEvents();
    }
    // Runs `inside` once the jumper's modal loop is running, then closes the jumper.
    bool jumperOpensDuring(const std::function<void()>& trigger)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            opened = windows->form4->isVisible();
            windows->form4->done(QDialog::Accepted);
        });
        trigger();
        return opened;
    }
};

} // namespace

TEST_F(ViewerTest, CreationSetsUpTheViewsMenuAndDefaults)
{
    EXPECT_EQ(viewer->windowTitle(), "檔案檢視器");
    EXPECT_EQ(viewer->pos(), QPoint(50, 50));
    EXPECT_EQ(viewer->size(), QSize(500, 300));
    kbl::TStyledMemo& m = memo();
    EXPECT_TRUE(m.ReadOnly);
    EXPECT_FALSE(m.HideSelection());
    EXPECT_EQ(m.ScrollBars(), kbl::ssVertical);
    EXPECT_TRUE(m.WordWrap());
    EXPECT_FALSE(m.document().ApplyKeyWords);
    EXPECT_FALSE(m.EnableHotKeys);
    EXPECT_EQ(m.Options(), kbl::smoWrapCaret | kbl::smoInsertKeyActive | kbl::smoWideOverwriteCaret |
                               kbl::smoAutoScrollBars | kbl::smoWindowsSelColors);
    EXPECT_EQ(m.EndOfTextMark.Color, 0x0000FF);
    EXPECT_EQ(m.SpecUnderline.Color, 0x0000FF);
    EXPECT_EQ(m.Separators(), kbl::CharSet(QStringView(u"\t $%&,./:;<=>")));
    EXPECT_EQ(m.font().family(), "Lucida Console");
    EXPECT_EQ(m.font().pointSize(), 8);
    EXPECT_FALSE(m.font().bold());
    EXPECT_EQ(viewer->FontColor, platform::clWindowText);
    EXPECT_EQ(m.Color(), platform::clWindow);

    kbl::TStyledMemo& scan = *viewer->ScanMemo;
    EXPECT_TRUE(scan.isHidden());
    EXPECT_EQ(scan.Separators(), kbl::CharSet(QStringView(u"\t$%&,./:;<=>")));
    EXPECT_EQ(scan.ScrollBars(), kbl::ssNone);
    EXPECT_FALSE(scan.document().ApplyKeyWords);
    EXPECT_FALSE(scan.document().ApplyStartStopKeys);
    EXPECT_EQ(scan.LeftMargin(), 8);
    EXPECT_EQ(scan.RightMargin(), 8);
    EXPECT_EQ(scan.font(), m.font());
    EXPECT_EQ(scan.height(), QGuiApplication::primaryScreen()->geometry().height());
    EXPECT_TRUE(scanCopyEmpty());

    EXPECT_EQ(viewer->mnuFile->title(), "檔案");
    EXPECT_EQ(viewer->mnuFileFont->text(), "字體");
    EXPECT_EQ(viewer->mnuFileBackgroundColor->text(), "背景顏色");
    EXPECT_EQ(viewer->mnuFileExit->text(), "離開");
    EXPECT_EQ(viewer->mnuFileExit->shortcut(), QKeySequence(Qt::Key_Escape));
    EXPECT_EQ(viewer->mnuSearch->title(), "搜尋");
    EXPECT_EQ(viewer->mnuSearchFind->text(), "尋找");
    EXPECT_EQ(viewer->mnuSearchFind->shortcut(), QKeySequence("Ctrl+F"));
    EXPECT_EQ(viewer->mnuSearchFindNext->text(), "尋找下一個");
    EXPECT_EQ(viewer->mnuSearchFindNext->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(viewer->mnuProjectFiles->title(), "專案檔案");
    EXPECT_EQ(viewer->mnuMethodJumper->text(), "方法跳躍器");
    EXPECT_TRUE(viewer->mnuMethodJumper->isEnabled());

    kbl::TOOPHighlighter& h = *viewer->OOPHighlighter1;
    EXPECT_EQ(h.KeywordsASM.Background(), platform::rgbColor(255, 255, 0));
    EXPECT_EQ(h.CommentParAst.Foreground(), platform::rgbColor(0, 128, 0));
    EXPECT_EQ(h.Directives.Background(), platform::rgbColor(192, 192, 192));
    EXPECT_EQ(h.Numbers.Foreground(), platform::rgbColor(255, 0, 0));
    EXPECT_TRUE(viewer->FindD->findText().isEmpty());
    EXPECT_TRUE(viewer->FindD->down());
    EXPECT_FALSE(viewer->FindD->matchCase());
    EXPECT_FALSE(viewer->FindD->wholeWord());
}

TEST_F(ViewerTest, FindTextKeepsItsBlanksAcrossARestart)
{
    viewer->FindD->setFindText("  two blanks ");
    restart();
    EXPECT_EQ(ini().readString("FindD", "FindText", "?"), "-  two blanks -");
    EXPECT_EQ(viewer->FindD->findText(), "  two blanks ");
    stop();
    ini().writeString("FindD", "FindText", "x");
    start();
    EXPECT_EQ(viewer->FindD->findText(), "");
}

TEST_F(ViewerTest, CloseWritesBoundsUnlessMaximized)
{
    viewer->move(70, 80);
    viewer->resize(610, 420);
    viewer->close();
    EXPECT_EQ(ini().read(settings::form3::left), 70);
    EXPECT_EQ(ini().read(settings::form3::width), 610);
    EXPECT_FALSE(ini().read(settings::form3::maximized));
    EXPECT_TRUE(viewer->isHidden());
    viewer->setWindowState(Qt::WindowMaximized);
    viewer->close();
    EXPECT_TRUE(ini().read(settings::form3::maximized));
    EXPECT_EQ(ini().read(settings::form3::width), 610);
    EXPECT_EQ(ini().read(settings::form3::height), 420);
    restart();
    EXPECT_TRUE(viewer->windowState() & Qt::WindowMaximized);
}

TEST_F(ViewerTest, TxtFilesArePlainEveryOtherFileIsHighlighted)
{
    const QString notes = file("notes.TXT", "begin end\r\n");
    viewer->LoadViewerFile(notes);
    EXPECT_EQ(viewer->statusbar->text(), " " + notes);
    EXPECT_EQ(memo().document().Highlighter(), nullptr);
    EXPECT_FALSE(memo().document().ApplyKeyWords);
    EXPECT_EQ(memo().document().paragraphText(0), "begin end");

    for (const char* name : {"Main.pas", "Main.dfm", "Project.cfg", "Makefile"}) {
        viewer->LoadViewerFile(file(name, "begin end\r\n"));
        EXPECT_EQ(memo().document().Highlighter(), viewer->OOPHighlighter1.get()) << name;
        EXPECT_TRUE(memo().document().ApplyKeyWords) << name;
    }
    // Switching back to a plain file takes the highlighter off again.
    viewer->LoadViewerFile(notes);
    EXPECT_EQ(memo().document().Highlighter(), nullptr);
}

TEST_F(ViewerTest, AFileThatCannotBeShownLeavesTheViewerAsItWas)
{
    // The project's folder holds a unit, a folder and a FIFO named like units, and the
    // menu names a file that has gone since the panel was filled.
    file("Main.pas", UsualUnit);
    QDir(project.path()).mkdir("dir.pas");
    ASSERT_EQ(::mkfifo(QFile::encodeName(project.filePath("pipe.pas")).constData(), 0600), 0);
    windows->form1->LabelFuldSti->setText(project.filePath("Project.dpr"));
    viewer->SetProjectFiles({"Main.pas", "dir.pas", "pipe.pas", "gone.pas"}, 0);
    viewer->LoadViewerFile(project.filePath("Main.pas"), viewer->mnuProjectFiles->actions()[0]);
    memo().finishBackgroundWork();
    const QString status = viewer->statusbar->text();
    const int formats = memo().document().recordCount(0);
    ASSERT_GT(formats, 0); // "unit" is bold

    const QList<QAction*> entries = viewer->mnuProjectFiles->actions();
    const QStringList expected{"Not a file:\r\n" + project.filePath("dir.pas"),
                               "Not a file:\r\n" + project.filePath("pipe.pas"),
                               "Can't find file:\r\n" + project.filePath("gone.pas")};
    for (int i = 1; i <= 3; ++i) {
        kbltest::dialogs().reset();
        entries[i]->trigger(); // a FIFO would block the whole program in its open()
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u) << i;
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, expected[i - 1]);
        EXPECT_EQ(viewer->statusbar->text(), status);
        EXPECT_TRUE(entries[0]->isChecked()) << i;
        EXPECT_FALSE(entries[i]->isChecked()) << i;
        EXPECT_EQ(memo().document().paragraphText(0), "unit Main;");
        EXPECT_EQ(memo().document().Highlighter(), viewer->OOPHighlighter1.get());
        memo().finishBackgroundWork();
        EXPECT_EQ(memo().document().recordCount(0), formats);
    }

    // A file the system refuses names the file and the system's reason, never "Success".
    if (::geteuid() != 0) {
        const QString locked = file("locked.pas", "unit Locked;\r\n");
        ::chmod(QFile::encodeName(locked).constData(), 0);
        kbltest::dialogs().reset();
        viewer->LoadViewerFile(locked);
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text,
                  "Cannot open file \"" + locked + "\". " + QString::fromLocal8Bit(std::strerror(EACCES)));
        EXPECT_EQ(viewer->statusbar->text(), status);
    }
    // The viewer is not left busy: the next load works.
    viewer->LoadViewerFile(file("b.txt", "b\r\n"));
    EXPECT_EQ(memo().document().paragraphText(0), "b");
}

TEST_F(ViewerTest, ScanFillsTheJumperFromTheHiddenCopyAndLeavesTheViewAlone)
{
    showViewer();
    viewer->LoadViewerFile(file("Main.pas", UsualUnit));
    EXPECT_EQ(jumperRows(), QStringList({"interface@2", "uses (1)@4", "implementation@12", "uses (2)@14",
                                         "function Twice(X: Integer): Integer;@17", "Paint;@21",
                                         "procedure Local;@22"}));
    EXPECT_TRUE(viewer->mnuMethodJumper->isEnabled());
    EXPECT_TRUE(scanCopyEmpty());
    EXPECT_EQ(memo().SelStart(), 0);
    EXPECT_EQ(memo().SelLength(), 0);
    EXPECT_EQ(memo().TopLine(), 0);

    viewer->RemoveParameterList = [] { return true; };
    viewer->ScanDeclarations();
    EXPECT_EQ(jumperRows(), QStringList({"interface@2", "uses (1)@4", "implementation@12", "uses (2)@14",
                                         "Twice@17", "Paint;@21", "Local;@22"}));

    // The jumper's sort state is kept by a rescan.
    windows->form4->lviewColumnClick(0);
    viewer->ScanDeclarations();
    EXPECT_EQ(jumperRows().first(), "implementation@12");
    EXPECT_EQ(windows->form4->lviewMJLastSortedColumn, 0);
}

TEST_F(ViewerTest, RemoveParameterListFollowsTheOptionsDialog)
{
    windows->form2->CBoxRemoveParameterList->setChecked(true);
    viewer->LoadViewerFile(file("Main.pas", UsualUnit));
    EXPECT_TRUE(jumperRows().contains("Twice@17"));
}

TEST_F(ViewerTest, ShortOrEmptyTextsLeaveTheJumperDisabled)
{
    viewer->LoadViewerFile(file("empty.pas", ""));
    EXPECT_EQ(jumperList().topLevelItemCount(), 0);
    EXPECT_FALSE(viewer->mnuMethodJumper->isEnabled());
    viewer->LoadViewerFile(file("short.pas", "unit A;\r\ninterface\r\nimplementation\r\nprocedure P;\r\nend.\r\n"));
    EXPECT_EQ(jumperList().topLevelItemCount(), 3);
    EXPECT_FALSE(viewer->mnuMethodJumper->isEnabled()); // six display lines
}

TEST_F(ViewerTest, ColumnRuleOnTheCopyDropsDeclarationsIndentedByFour)
{
    showViewer(300, 300);
    QByteArray text = "implementation\r\n";
    text += "  procedure Indented2;\r\n";
    text += "    procedure Indented4;\r\n";
    text += QByteArray("x ").repeated(200) + "\r\n";
    text += numberedLines(20);
    viewer->LoadViewerFile(file("w.pas", text));
    EXPECT_EQ(jumperRows(), QStringList({"implementation@0", "procedure Indented2;@1"}));
}

TEST_F(ViewerTest, FoundLineStandsFiveLinesBelowTheTop)
{
    showViewer();
    QByteArray text = numberedLines(3) + "target early\r\n" + numberedLines(100) + "target late\r\n" + numberedLines(100);
    viewer->LoadViewerFile(file("f.txt", text));
    memo().finishBackgroundWork();

    viewer->mnuSearchFind->trigger();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(viewer->FindD->isVisible());
    EXPECT_EQ(viewer->FindD->pos(), QPoint(screen.width() / 2 - 200, screen.height() / 2 - 50));
    viewer->FindD->setFindText("TARGET");
    viewer->FindD->ButFindNext->click();
    EXPECT_EQ(memo().SelText(), "target");
    EXPECT_EQ(memo().SelPar(), 3);
    EXPECT_EQ(memo().TopLine(), 0); // lines 0 to 5 are only scrolled into view

    viewer->mnuSearchFindNext->trigger();
    EXPECT_EQ(memo().SelPar(), 104);
    EXPECT_EQ(memo().TopLine(), memo().SelLine() - 5);
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());

    // At the last occurrence: the message, and the last match stays selected.
    viewer->mnuSearchFindNext->trigger();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, "'TARGET' wasn't found.");
    EXPECT_EQ(memo().SelPar(), 104);
    EXPECT_EQ(memo().SelText(), "target");
    viewer->FindD->hide();
}

TEST_F(ViewerTest, FindFromTheTopBackwardFindsNothing)
{
    showViewer();
    viewer->LoadViewerFile(file("f.txt", "alpha\r\nbeta\r\n"));
    viewer->FindD->setFindText("beta");
    viewer->FindD->setDown(false);
    viewer->mnuSearchFind->trigger();
    viewer->FindDFind();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, "'beta' wasn't found.");
    EXPECT_EQ(memo().SelStart(), 0);
    viewer->FindD->hide();
}

TEST_F(ViewerTest, FindNextWithoutTextOpensTheDialogWithoutMovingTheCaret)
{
    showViewer();
    viewer->LoadViewerFile(file("f.txt", "alpha\r\nbeta\r\n"));
    memo().setSelStart(8);
    viewer->FindD->move(10, 20);
    viewer->mnuSearchFindNext->trigger();
    EXPECT_TRUE(viewer->FindD->isVisible());
    EXPECT_EQ(viewer->FindD->pos(), QPoint(10, 20));
    EXPECT_EQ(memo().SelStart(), 8);
    viewer->FindD->hide();
}

TEST_F(ViewerTest, FontDialogApplyCancelAndOk)
{
    auto italicDialog = [](bool apply, bool ok) {
        return [apply, ok](const QFont& initial, const std::function<void(const QFont&)>& onApply) -> std::optional<QFont> {
            QFont chosen = initial;
            chosen.setItalic(true);
            chosen.setPointSize(12);
            if (apply)
                onApply(chosen);
            if (!ok)
                return std::nullopt;
            return chosen;
        };
    };
    const QFont before = memo().font();

    // Apply with italic, then Cancel: the previous font exactly.
    bool italicWhileOpen = false;
    kbltest::dialogs().fonts.push_back([&](const QFont& initial, const std::function<void(const QFont&)>& onApply) {
        auto result = italicDialog(true, false)(initial, onApply);
        italicWhileOpen = memo().font().italic();
        return result;
    });
    viewer->mnuFileFont->trigger();
    EXPECT_TRUE(italicWhileOpen);
    EXPECT_EQ(memo().font(), before);
    EXPECT_EQ(viewer->ScanMemo->font(), before);
    EXPECT_EQ(ini().readString("form3", "fontsize", "none"), "none");

    // Italic chosen and OK without Apply: no italic at all, the size is taken and stored.
    kbltest::dialogs().fonts.push_back(italicDialog(false, true));
    viewer->mnuFileFont->trigger();
    EXPECT_FALSE(memo().font().italic());
    EXPECT_EQ(memo().font().pointSize(), 12);
    EXPECT_EQ(ini().read(settings::form3::fontsize), 12);

    // Apply with italic, then OK: italic on screen, but only bold is stored.
    kbltest::dialogs().fonts.push_back(italicDialog(true, true));
    viewer->mnuFileFont->trigger();
    EXPECT_TRUE(memo().font().italic());
    EXPECT_EQ(viewer->ScanMemo->font(), memo().font());
    EXPECT_FALSE(ini().read(settings::form3::fontbold));
    EXPECT_EQ(ini().read(settings::form3::fontname), "Lucida Console");
    EXPECT_EQ(ini().read(settings::form3::fontcolor), platform::clWindowText);
    restart();
    EXPECT_FALSE(memo().font().italic());
    EXPECT_EQ(memo().font().pointSize(), 12);

    // Bold is stored.
    kbltest::dialogs().fonts.push_back([](const QFont& initial, const std::function<void(const QFont&)>&) {
        QFont bold = initial;
        bold.setBold(true);
        return std::optional<QFont>(bold);
    });
    viewer->mnuFileFont->trigger();
    EXPECT_TRUE(ini().read(settings::form3::fontbold));
    restart();
    EXPECT_TRUE(memo().font().bold());
}

TEST_F(ViewerTest, FontDialogOpensOnTheShownFamilyAndKeepsAFixedPitchFont)
{
    const QString shown = QFontInfo(memo().font()).family();
    ASSERT_TRUE(QFontInfo(memo().font()).fixedPitch());
    QString offered;
    kbltest::dialogs().fonts.push_back([&](const QFont& initial, const std::function<void(const QFont&)>& onApply) {
        offered = initial.family();
        onApply(initial);
        return std::optional<QFont>(initial);
    });
    viewer->mnuFileFont->trigger();
    EXPECT_EQ(offered, shown);
    // OK without a change: the requested name is kept, and so is the fixed pitch.
    EXPECT_EQ(memo().font().family(), "Lucida Console");
    EXPECT_TRUE(QFontInfo(memo().font()).fixedPitch());
    EXPECT_EQ(ini().read(settings::form3::fontname), "Lucida Console");

    // A family the user picks is taken as it is.
    kbltest::dialogs().fonts.push_back([](const QFont& initial, const std::function<void(const QFont&)>&) {
        QFont other = initial;
        other.setFamily("DejaVu Serif");
        return std::optional<QFont>(other);
    });
    viewer->mnuFileFont->trigger();
    EXPECT_EQ(ini().read(settings::form3::fontname), "DejaVu Serif");
    EXPECT_EQ(memo().font().family(), "DejaVu Serif");
}

TEST_F(ViewerTest, BackgroundColourAndCustomColoursPersist)
{
    kbltest::dialogs().colors.push_back([](const QColor&, platform::CustomColors& custom) {
        custom = {"ColorA=123456", "ColorB=FFFFFFFF"};
        return std::optional<QColor>(QColor(1, 2, 3));
    });
    viewer->mnuFileBackgroundColor->trigger();
    EXPECT_EQ(memo().Color(), platform::rgbColor(1, 2, 3));
    EXPECT_EQ(ini().read(settings::form3::memocolor), platform::rgbColor(1, 2, 3));
    restart();
    EXPECT_EQ(memo().Color(), platform::rgbColor(1, 2, 3));
    EXPECT_EQ(viewer->ColorDCustomColors, QStringList({"ColorA=123456", "ColorB=FFFFFFFF"}));

    // A cancelled dialog keeps the colour; its custom colours are still kept.
    QColor shownFirst;
    kbltest::dialogs().colors.push_back([&](const QColor& initial, platform::CustomColors& custom) {
        shownFirst = initial;
        custom[0] = "ColorA=654321";
        return std::optional<QColor>();
    });
    viewer->mnuFileBackgroundColor->trigger();
    EXPECT_EQ(shownFirst, QColor(1, 2, 3));
    EXPECT_EQ(memo().Color(), platform::rgbColor(1, 2, 3));
    restart();
    EXPECT_EQ(viewer->ColorDCustomColors.first(), "ColorA=654321");
}

TEST_F(ViewerTest, ProjectFilesMenuReloadsFromTheSelectedProjectsFolder)
{
    viewer->SetProjectFiles({"only.pas"}, 0);
    EXPECT_FALSE(viewer->mnuProjectFiles->menuAction()->isVisible());

    file("Main.pas", UsualUnit);
    file("Read & me.txt", "notes\r\n");
    viewer->SetProjectFiles({"Main.pas", "Read & me.txt"}, 0);
    EXPECT_TRUE(viewer->mnuProjectFiles->menuAction()->isVisible());
    const QList<QAction*> entries = viewer->mnuProjectFiles->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0]->isChecked());

    windows->form1->LabelFuldSti->setText(project.filePath("Project.dpr"));
    entries[1]->trigger();
    EXPECT_TRUE(entries[1]->isChecked());
    EXPECT_FALSE(entries[0]->isChecked());
    EXPECT_EQ(viewer->statusbar->text(), " " + project.filePath("Read & me.txt"));
    EXPECT_EQ(memo().document().paragraphText(0), "notes");

    windows->form1->LabelFuldSti->setText(project.filePath("gone/Project.dpr"));
    entries[0]->trigger();
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, "Can't find folder:\r\n" + project.filePath("gone") + "/");
    EXPECT_EQ(memo().document().paragraphText(0), "notes");
}

TEST_F(ViewerTest, ViewFileShowsTheWindowThenScansAndHighlights)
{
    bool shownBeforeScan = false;
    viewer->ViewFile(file("Main.pas", UsualUnit), {"Main.pas", "Main.dfm"}, 0, [&] {
        shownBeforeScan = viewer->isVisible() && jumperList().topLevelItemCount() == 0;
    });
    EXPECT_TRUE(shownBeforeScan);
    EXPECT_EQ(jumperList().topLevelItemCount(), 7);
    EXPECT_EQ(memo().document().Highlighter(), viewer->OOPHighlighter1.get());
    EXPECT_EQ(viewer->mnuProjectFiles->actions().size(), 2);
}

TEST_F(ViewerTest, JumpSelectsTheWholeLineFifteenLinesBelowTheTop)
{
    showViewer();
    QByteArray text = "implementation\r\n" + numberedLines(99, "x") + "procedure Far;\r\n" + numberedLines(200, "y");
    viewer->LoadViewerFile(file("j.pas", text));
    memo().finishBackgroundWork();
    ASSERT_EQ(jumperRows(), QStringList({"implementation@0", "procedure Far;@100"}));

    QTimer::singleShot(0, [&] {
        jumperList().setCurrentItem(jumperList().topLevelItem(1));
        QTest::keyClick(&jumperList(), Qt::Key_Return);
    });
    viewer->mnuMethodJumper->trigger();
    EXPECT_TRUE(windows->form4->isHidden());
    EXPECT_EQ(memo().SelPar(), 100);
    EXPECT_EQ(memo().SelText(), "procedure Far;");
    EXPECT_EQ(memo().TopLine(), memo().SelLine() - 15);

    QTimer::singleShot(0, [&] {
        jumperList().setCurrentItem(jumperList().topLevelItem(0));
        QTest::keyClick(&jumperList(), Qt::Key_Space);
    });
    viewer->mnuMethodJumper->trigger();
    EXPECT_EQ(memo().SelText(), "implementation");
    EXPECT_EQ(memo().TopLine(), 0);
}

TEST_F(ViewerTest, AltEndThenEnterJumpsToTheFirstRowAtOnce)
{
    showViewer();
    QByteArray text = numberedLines(5, "x") + "implementation\r\n" + numberedLines(99, "x") +
                      "procedure Far;\r\n" + numberedLines(200, "y");
    viewer->LoadViewerFile(file("j.pas", text));
    memo().finishBackgroundWork();
    ASSERT_EQ(jumperRows().first(), "implementation@5");
    memo().setSelPar(50);

    QTimer::singleShot(0, [&] {
        QTest::keyClick(&jumperList(), Qt::Key_Return);
        if (windows->form4->isVisible())
            windows->form4->done(QDialog::Accepted); // Enter did nothing: do not hang
    });
    QTest::keyClick(&memo(), Qt::Key_End, Qt::AltModifier);
    EXPECT_TRUE(windows->form4->isHidden());
    EXPECT_EQ(memo().SelPar(), 5);
    EXPECT_EQ(memo().SelText(), "implementation");
}

TEST_F(ViewerTest, RightReleaseOpensTheJumperOnlyWhenEnabledAltEndAlways)
{
    showViewer();
    viewer->LoadViewerFile(file("short.pas", "implementation\r\nprocedure P;\r\n"));
    ASSERT_FALSE(viewer->mnuMethodJumper->isEnabled());
    EXPECT_TRUE(jumperOpensDuring([&] { QTest::keyClick(&memo(), Qt::Key_End, Qt::AltModifier); }));

    bool opened = false;
    QTimer::singleShot(0, [&] {
        opened = windows->form4->isVisible();
        windows->form4->done(QDialog::Accepted);
        // The view's own menu may have opened instead; close it.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    QTest::mouseClick(memo().viewport(), Qt::RightButton, {}, QPoint(20, 5));
    QApplication::processEvents();
    EXPECT_FALSE(opened);

    viewer->LoadViewerFile(file("Main.pas", UsualUnit));
    ASSERT_TRUE(viewer->mnuMethodJumper->isEnabled());
    EXPECT_TRUE(jumperOpensDuring([&] { QTest::mouseClick(memo().viewport(), Qt::RightButton, {}, QPoint(20, 5)); }));
}

TEST_F(ViewerTest, EscHidesTheWindowAndF1OpensTopicFiveOnlyWithAHelpFile)
{
    showViewer();
    int topic = 0;
    platform::setHelpViewer([&topic](const QString&, int t) { topic = t; return true; });
    QTest::keyClick(&memo(), Qt::Key_F1);
    EXPECT_EQ(topic, 0);
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
    windows->form1->HelpFile = folder.file("kbl.hlp");
    folder.write("kbl.hlp", "help");
    QTest::keyClick(&memo(), Qt::Key_F1);
    platform::setHelpViewer({});
    EXPECT_EQ(topic, 5);

    viewer->activateWindow();
    memo().setFocus();
    QTest::keyClick(&memo(), Qt::Key_Escape);
    EXPECT_TRUE(viewer->isHidden());
}

TEST_F(ViewerTest, ALoadAskedForDuringALoadRunsAfterIt)
{
    const QString first = file("first.txt", numberedLines(30));
    const QString second = file("Second.pas", UsualUnit);
    // Fires while the first load lets window messages through; the request waits.
    QString shownInside;
    QTimer::singleShot(0, [&] {
        viewer->LoadViewerFile(second);
        shownInside = viewer->statusbar->text();
    });
    viewer->LoadViewerFile(first);
    EXPECT_EQ(shownInside, " " + first);
    EXPECT_EQ(viewer->statusbar->text(), " " + second);
    EXPECT_EQ(memo().document().paragraphText(0), "unit Main;");
    EXPECT_EQ(memo().document().Highlighter(), viewer->OOPHighlighter1.get());
    EXPECT_EQ(jumperList().topLevelItemCount(), 7);
}

TEST_F(ViewerTest, APanelOpenAskedForDuringALoadRebuildsTheMenuAfterIt)
{
    const QString second = file("Second.pas", UsualUnit);
    file("Second.dfm", "object Form1: TForm1\r\nend\r\n");
    int rowsInside = -1;
    QTimer::singleShot(0, [&] {
        viewer->ViewFile(second, {"Second.pas", "Second.dfm"}, 0);
        rowsInside = int(viewer->mnuProjectFiles->actions().size());
    });
    viewer->LoadViewerFile(file("first.txt", numberedLines(30)));
    EXPECT_EQ(rowsInside, 0);
    EXPECT_EQ(viewer->statusbar->text(), " " + second);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->mnuProjectFiles->actions().size(), 2);
    EXPECT_EQ(jumperList().topLevelItemCount(), 7);
}

TEST_F(ViewerTest, CtrlFAndF3ReachTheSearchFromTheView)
{
    showViewer();
    viewer->LoadViewerFile(file("f.txt", "alpha\r\nbeta\r\nbeta\r\n"));
    viewer->activateWindow();
    memo().setFocus();
    memo().setSelStart(9);
    QTest::keyClick(&memo(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(viewer->FindD->isVisible());
    EXPECT_EQ(memo().SelStart(), 0);
    viewer->FindD->setFindText("beta");
    viewer->FindD->hide();
    QTest::keyClick(&memo(), Qt::Key_F3);
    EXPECT_EQ(memo().SelPar(), 1);
    QTest::keyClick(&memo(), Qt::Key_F3);
    EXPECT_EQ(memo().SelPar(), 2);
}

namespace {

struct FixedViewerHost final : ViewerHost {
    QString project;
    bool removeParameters = false;
    QString projectFile() const override { return project; }
    QString helpFile() const override { return QString(); }
    bool removeParameterList() const override { return removeParameters; }
};

TEST(ViewerAlone, TheViewerAndTheJumperNeedOnlyTheSettingsAndAHost)
{
    kbltest::dialogs().reset();
    kbltest::ProgramFolder folder;
    QTemporaryDir project;
    for (const char* name : {"Main.pas", "Other.pas"}) {
        QFile f(project.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(UsualUnit);
    }
    IniFile settings(folder.file("kbl.ini"));
    FixedViewerHost host;
    host.project = project.filePath("Project.dpr");
    host.removeParameters = true;
    TForm3 viewer(settings, host);
    TForm4 jumper(settings);
    viewer.setMethodJumper(&jumper);

    viewer.ViewFile(project.filePath("Main.pas"), {"Main.pas", "Other.pas"}, 0);
    EXPECT_EQ(viewer.styledmemo->document().paragraphText(0), "unit Main;");
    // The host's option reached the scan: no parameter lists.
    QStringList rows;
    for (int i = 0; i < jumper.lview->topLevelItemCount(); ++i)
        rows << jumper.lview->topLevelItem(i)->text(0);
    EXPECT_TRUE(rows.contains("Twice")) << rows.join('|').toStdString();
    // The menu reloads from the host's project folder.
    viewer.mnuProjectFiles->actions()[1]->trigger();
    EXPECT_EQ(viewer.statusbar->text(), " " + project.filePath("Other.pas"));
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
    viewer.close();
    EXPECT_EQ(settings.read(settings::form3::width), viewer.width());
}

} // namespace
