// The options dialog on the real settings file of a temporary program folder.
#include "XdgSandbox.h"

#include "settings/IniFile.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "catalogue/Exclusions.h"
#include "options/ColorSwatch.h"
#include "options/RadioGroup.h"
#include "platform/Colors.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using kbltest::XdgSandbox;

namespace {

QStringList entries(const QListWidget& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out.append(list.item(i)->text());
    return out;
}

class OptionsDialog : public ::testing::Test {
protected:
    XdgSandbox xdg;
    kbltest::ProgramFolder folder;

    void SetUp() override { kbltest::dialogs().reset(); }
    IniFile ini() const { return IniFile(folder.file("kbl.ini")); }

    template <typename Fn>
    void run(Fn&& check)
    {
        ProgramWindows windows = createProgramWindows();
        check(*windows.form1, *windows.form2);
        windows.form1->close();
    }
};

} // namespace

TEST_F(OptionsDialog, FirstRunShowsTheDefaultsAndProposesAFileManager)
{
    const QString fm = xdg.program("nemo");
    run([&](TForm1& main, TForm2& f) {
        EXPECT_EQ(f.minimumSize(), QSize(525, 474));
        EXPECT_EQ(f.geometry(), QRect(50, 30, 525, 474));
        EXPECT_TRUE(f.EditRoot->text().isEmpty());
        EXPECT_TRUE(f.EditRoot->isReadOnly());
        EXPECT_FALSE(f.EditFileManager->isReadOnly()); // a program on PATH may be typed
        filepanel::KindFlags shown{};
        for (size_t k = 0; k < shown.size(); ++k)
            shown[k] = f.kindBoxes[k]->isChecked();
        EXPECT_EQ(shown, (filepanel::KindFlags{true, true, false, false, false, false, false, false, false, false, false}));
        EXPECT_FALSE(f.CBoxMinExe->isChecked());
        EXPECT_TRUE(f.CBoxMinProject->isChecked());
        EXPECT_TRUE(f.CBoxMinimizeAllWhenRunProject->isChecked());
        EXPECT_FALSE(f.CBoxDontLoadList->isChecked());
        EXPECT_FALSE(f.CBoxShowProjFolderInFM->isChecked());
        EXPECT_FALSE(f.CBoxDisableExcludedFolders->isChecked());
        EXPECT_FALSE(f.CBoxRemoveParameterList->isChecked());
        EXPECT_EQ(f.RGroupOnDoubleClick->ItemIndex(), 0);
        EXPECT_EQ(main.status->panelText(3), "exe");
        EXPECT_EQ(f.stextDPR->color(), 12764926);
        EXPECT_EQ(f.stextPAS->color(), 16370897);
        EXPECT_EQ(f.stextDFM->color(), 8126331);
        EXPECT_EQ(f.stextDSK->color(), 15177447);
        EXPECT_EQ(f.stextDOF->color(), 15197159);
        EXPECT_EQ(f.stextCFG->color(), 16777215);
        EXPECT_EQ(f.stextTXT->color(), 11206655);
        EXPECT_EQ(main.KindColors[0], 12764926);
        EXPECT_EQ(f.lbox->count(), 0);
        EXPECT_EQ(f.EditFileManager->text(), fm);
        EXPECT_EQ(f.ButOK->text(), "確定");
        EXPECT_TRUE(f.ButOK->isDefault());
        EXPECT_EQ(f.CBoxDisableExcludedFolders->toolTip(), " Don't exclude these folders when scanning ");
        EXPECT_EQ(f.EditFMCommandLineOption->toolTip(), " 輸入任何必要的命令直線行選項(不是專案路徑！) ");
        // Stored only with OK.
        EXPECT_EQ(ini().read(settings::options::EditFileManagerText), "");
        f.ButOKClick();
        EXPECT_EQ(ini().read(settings::options::EditFileManagerText), fm);
    });
}

TEST_F(OptionsDialog, OkWritesEveryControlAndLoadOptionsReadsItBack)
{
    run([&](TForm1& main, TForm2& f) {
        f.EditRoot->setText("/home/ana/work/");
        f.CBoxMinExe->setChecked(true);
        f.CBoxMinProject->setChecked(false);
        f.CBoxMinimizeAllWhenRunProject->setChecked(false);
        f.CBoxDontLoadList->setChecked(true);
        f.CBoxShowProjFolderInFM->setChecked(true);
        f.CBoxDisableExcludedFolders->setChecked(true);
        f.cboxDPR->setChecked(false);
        f.cboxTXT->setChecked(true);
        f.RGroupOnDoubleClick->setItemIndex(1);
        f.EditFileManager->setText("/usr/bin/my fm ");
        f.EditFMCommandLineOption->setText("--new-window \"x y\"");
        f.stextDFM->setColor(platform::rgbColor(1, 2, 3));
        f.CBoxRemoveParameterList->setChecked(true);
        kbltest::dialogs().folders = {QString("/w/zeta"), QString("/w/Alpha"), QString("/w/beta")};
        f.ButAddFolderClick();
        f.ButAddFolderClick();
        f.ButAddFolderClick();
        EXPECT_EQ(entries(*f.lbox), (QStringList{"/w/Alpha", "/w/beta", "/w/zeta"}));
        f.ButOKClick();
        EXPECT_EQ(f.result(), QDialog::Accepted);
        EXPECT_EQ(main.status->panelText(3), "prjct");
        EXPECT_EQ(main.ShowKinds, (filepanel::KindFlags{false, true, false, false, false, false, true, false, false, false, false}));
        EXPECT_EQ(main.KindColors[2], platform::rgbColor(1, 2, 3));
    });
    const QString text = QString::fromUtf8(folder.read("kbl.ini"));
    EXPECT_TRUE(text.contains("EEditFMCommandLineOptionText=--new-window \"x y\""));
    EXPECT_TRUE(text.contains("[exclude]\r\nnumber=2\r\n0=/w/Alpha\r\n1=/w/beta\r\n2=/w/zeta\r\n"));

    // A new dialog on the same file shows the same values.
    run([&](TForm1& main, TForm2& f) {
        EXPECT_EQ(f.EditRoot->text(), "/home/ana/work/");
        EXPECT_TRUE(f.CBoxMinExe->isChecked());
        EXPECT_FALSE(f.CBoxMinProject->isChecked());
        EXPECT_FALSE(f.CBoxMinimizeAllWhenRunProject->isChecked());
        EXPECT_TRUE(f.CBoxDontLoadList->isChecked());
        EXPECT_TRUE(f.CBoxShowProjFolderInFM->isChecked());
        EXPECT_TRUE(f.CBoxDisableExcludedFolders->isChecked());
        EXPECT_FALSE(f.cboxDPR->isChecked());
        EXPECT_TRUE(f.cboxTXT->isChecked());
        EXPECT_EQ(f.RGroupOnDoubleClick->ItemIndex(), 1);
        EXPECT_EQ(main.status->panelText(3), "prjct");
        EXPECT_EQ(f.EditFileManager->text(), "/usr/bin/my fm");
        EXPECT_EQ(f.EditFMCommandLineOption->text(), "--new-window \"x y\"");
        EXPECT_EQ(f.stextDFM->color(), platform::rgbColor(1, 2, 3));
        EXPECT_TRUE(f.CBoxRemoveParameterList->isChecked());
        EXPECT_EQ(entries(*f.lbox), (QStringList{"/w/Alpha", "/w/beta", "/w/zeta"}));
    });
}

TEST_F(OptionsDialog, EmptyExclusionsAndNoKinds)
{
    folder.write("kbl.ini", "[exclude]\r\nnumber=0\r\n0=/old\r\n");
    run([&](TForm1& main, TForm2& f) {
        main.lviewFiles->addRow({"a.pas", "1"}, 2);
        f.lbox->setCurrentRow(0);
        f.ButRemoveClick();
        for (QCheckBox* box : f.kindBoxes)
            box->setChecked(false);
        f.ButOKClick();
        EXPECT_TRUE(main.NoKinds);
        EXPECT_EQ(main.lviewFiles->rowCount(), 0);
    });
    EXPECT_TRUE(ini().readSectionValues("exclude").isEmpty());
}

TEST_F(OptionsDialog, DuplicateFoldersAreRefusedOnlyWhenSpeltTheSame)
{
    folder.write("kbl.ini", "[exclude]\r\nnumber=2\r\n0=/b\r\n1=/a\r\n2=/c\r\n");
    run([&](TForm1&, TForm2& f) {
        EXPECT_EQ(entries(*f.lbox), (QStringList{"/a", "/b", "/c"}));
        for (const char* again : {"/a", "/b", "/c"}) {
            kbltest::dialogs().reset();
            kbltest::dialogs().folders = {QString(again)};
            f.ButAddFolderClick();
            ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u) << again;
            EXPECT_EQ(kbltest::dialogs().boxes[0].text, "The selected folder is in the list already.");
            EXPECT_EQ(kbltest::dialogs().boxes[0].caption, "Folder already listed");
            EXPECT_EQ(kbltest::dialogs().boxes[0].icon, platform::BoxIcon::Information);
        }
        kbltest::dialogs().reset();
        kbltest::dialogs().folders = {QString("/B")};
        f.ButAddFolderClick();
        EXPECT_TRUE(kbltest::dialogs().boxes.empty());
        EXPECT_EQ(f.lbox->count(), 4);
        // The chooser starts at the root field; cancelling adds nothing.
        f.EditRoot->setText("/r/");
        f.ButAddFolderClick();
        EXPECT_EQ(kbltest::dialogs().lastFolderStart, "/r/");
        EXPECT_EQ(f.lbox->count(), 4);
    });
}

TEST_F(OptionsDialog, RemoveNeedsASelectionAndDeleteKeyRemoves)
{
    folder.write("kbl.ini", "[exclude]\r\nnumber=1\r\n0=/x\r\n1=/y\r\n");
    run([&](TForm1&, TForm2& f) {
        f.lbox->clearSelection();
        f.lbox->setCurrentItem(nullptr);
        QTest::keyClick(f.lbox, Qt::Key_Delete);
        f.ButRemoveClick();
        EXPECT_EQ(f.lbox->count(), 2);
        f.lbox->setCurrentRow(1);
        QTest::keyClick(f.lbox, Qt::Key_Delete);
        EXPECT_EQ(entries(*f.lbox), QStringList{"/x"});
    });
}

TEST_F(OptionsDialog, DamagedExcludeCountsStayBounded)
{
    folder.write("kbl.ini", "[exclude]\r\nnumber=1\r\n0=/only\r\n");
    run([&](TForm1&, TForm2& f) { EXPECT_EQ(entries(*f.lbox), (QStringList{"", "/only"})); });
    folder.write("kbl.ini", "[exclude]\r\nnumber=2000000000\r\n0=/only\r\n");
    run([&](TForm1&, TForm2& f) { EXPECT_LE(f.lbox->count(), 1 + MissingExcludeEntries); });
    folder.write("kbl.ini", "[exclude]\r\nnumber=-1\r\n0=/a\r\n1=/b\r\n");
    run([&](TForm1&, TForm2& f) { EXPECT_EQ(f.lbox->count(), 0); });
}

TEST_F(OptionsDialog, RootChosenThenCancelledChangesTheMainWindowOnly)
{
    folder.write("kbl.ini", "[options]\r\nEditRoot=/old/\r\n");
    run([&](TForm1& main, TForm2& f) {
        kbltest::dialogs().folders = {QString("/new root")};
        f.ButBrowseForFolderClick();
        EXPECT_EQ(kbltest::dialogs().lastFolderStart, "/old");
        EXPECT_EQ(f.EditRoot->text(), "/new root/");
        EXPECT_EQ(main.LabelRoot->text(), "/new root");
        EXPECT_EQ(main.windowTitle(), " Kestrabel v1.2 [root: /new root/]");
        f.reject();
        EXPECT_EQ(ini().read(settings::options::EditRoot), "/old/");
    });
}

TEST_F(OptionsDialog, SwatchColoursAndCustomColours)
{
    run([&](TForm1& main, TForm2& f) {
        kbltest::dialogs().colors.push_back([](const QColor& initial, platform::CustomColors& custom) {
            EXPECT_EQ(platform::fromQColor(initial), 8126331);
            custom = QStringList{"ColorA=123456", "ColorB=FFFFFFFF"};
            return std::optional<QColor>(QColor(10, 20, 30));
        });
        emit f.stextDFM->clicked(f.stextDFM);
        EXPECT_EQ(f.stextDFM->color(), platform::rgbColor(10, 20, 30));
        EXPECT_EQ(main.KindColors[2], 8126331); // the shared colours change with OK only
        f.reject();
        f.lbox->clear();
        f.LoadOptions();
        EXPECT_EQ(f.stextDFM->color(), 8126331);
        EXPECT_EQ(f.colordCustomColors, (QStringList{"ColorA=123456", "ColorB=FFFFFFFF"}));
    });
    EXPECT_EQ(ini().readString("customcolors", "ColorA", ""), "123456");
    EXPECT_EQ(ini().readInteger("form2", "width", 0), 525);
}

TEST_F(OptionsDialog, ClosingWritesTheBoundsAndTheFileManagerBrowserStartsBesideIt)
{
    run([&](TForm1&, TForm2& f) {
        f.setGeometry(70, 80, 600, 500);
        f.EditFileManager->setText("/usr/bin/none-such");
        // Linux programs have no ".exe": the browser opens on all files.
        const QString fm = xdg.program("fm");
        kbltest::dialogs().files = {fm};
        f.ButBrowseForFilemanagerClick();
        EXPECT_EQ(f.EditFileManager->text(), fm);
        EXPECT_TRUE(kbltest::dialogs().lastFileFilter.startsWith("全部檔案(*)"));
        // A file that may not be executed is refused here, not at the first launch.
        xdg.write("bin/notes", "text");
        kbltest::dialogs().files = {xdg.path("bin") + "/notes"};
        f.ButBrowseForFilemanagerClick();
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, "Not a program (it may not be executed):\r\n" + xdg.path("bin") + "/notes");
        EXPECT_EQ(f.EditFileManager->text(), fm);
        f.reject();
    });
    EXPECT_EQ(ini().readInteger("form2", "left", 0), 70);
    EXPECT_EQ(ini().readInteger("form2", "height", 0), 500);
    EXPECT_EQ(ini().read(settings::options::EditFileManagerText), "");
}

TEST_F(OptionsDialog, TheOptionsButtonReloadsAndShowsTheDialog)
{
    folder.write("kbl.ini", "[exclude]\r\nnumber=0\r\n0=/kept\r\n");
    run([&](TForm1& main, TForm2& f) {
        f.lbox->addItem("/unsaved");
        bool shown = false;
        QTimer::singleShot(0, &f, [&] {
            shown = f.isVisible();
            f.ButOKClick();
        });
        main.SButOptions->click();
        EXPECT_TRUE(shown);
        EXPECT_EQ(entries(*f.lbox), QStringList{"/kept"});
    });
}

namespace {

// What the dialog tells the window around it, recorded.
struct RecordingOptionsHost final : OptionsHost {
    QStringList doubleClick;
    std::vector<filepanel::KindFlags> shown;
    std::vector<filepanel::KindColors> colors;
    QString root = QStringLiteral("/start");

    void showDoubleClickAction(const QString& text) override { doubleClick << text; }
    void setShownKinds(const filepanel::KindFlags& kinds) override { shown.push_back(kinds); }
    void setKindColors(const filepanel::KindColors& kindColors) override { colors.push_back(kindColors); }
    QString rootFolder() const override { return root; }
    void setRootFolder(const QString& folder) override { root = folder; }
};

} // namespace

TEST_F(OptionsDialog, TheDialogNeedsOnlyItsSettingsAndAHost)
{
    IniFile settings(folder.file("kbl.ini"));
    settings.write(settings::options::RGroupOnDoubleClick, 1);
    settings.write(settings::options::stextPAS, platform::rgbColor(1, 2, 3));
    RecordingOptionsHost host;
    TForm2 dialog(settings, host);
    EXPECT_EQ(host.doubleClick, QStringList{"prjct"});
    ASSERT_EQ(host.colors.size(), 1u);
    EXPECT_EQ(host.colors[0][1], platform::rgbColor(1, 2, 3));

    kbltest::dialogs().folders.push_back(QString("/home/ana/work"));
    dialog.ButBrowseForFolder->click();
    EXPECT_EQ(kbltest::dialogs().lastFolderStart, "/start");
    EXPECT_EQ(host.root, "/home/ana/work");
    EXPECT_EQ(dialog.EditRoot->text(), "/home/ana/work/");

    for (QCheckBox* box : dialog.kindBoxes)
        box->setChecked(false);
    dialog.RGroupOnDoubleClick->setItemIndex(0);
    dialog.ButOKClick();
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0], filepanel::KindFlags{});
    EXPECT_EQ(host.doubleClick.last(), "exe");
    EXPECT_EQ(settings.read(settings::options::EditRoot), "/home/ana/work/");
    EXPECT_FALSE(settings.read(settings::options::cboxDPR));
}
