#include "launch/AssociatedExe.h"
#include "launch/LaunchCommands.h"

#include "support/RecordingProgram.h"
#include "support/TempDesktop.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace launch;
using platform::CommandLine;
using platform::ShowState;

TEST(TrimAssociationCommand, CutsTheCommandDownToItsProgram)
{
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("\"C:\\Borland\\Delphi4\\Bin\\delphi32.exe\" \"%1\"")),
              QStringLiteral("C:\\Borland\\Delphi4\\Bin\\delphi32.exe"));
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("C:\\D4\\BIN\\DELPHI32.EXE /np \"%1\"")),
              QStringLiteral("C:\\D4\\BIN\\DELPHI32.EXE"));
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("lazarus-ide %f")), QStringLiteral("lazarus-ide"));
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("\"/opt/My IDE/bin/ide\" %F")), QStringLiteral("/opt/My IDE/bin/ide"));
    // Only the first "%" counts, and only one leading quote goes.
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("\"\"/ide\" %% %f")), QStringLiteral("\"/ide"));
    // Trailing blanks and quotes go in any mix; leading blanks stay.
    EXPECT_EQ(trimAssociationCommand(QStringLiteral(" /ide \" \"\" ")), QStringLiteral(" /ide"));
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("wine C:\\D\\Delphi32.Exe.bak /x")), QStringLiteral("wine C:\\D\\Delphi32.Exe"));
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("%U")), QString());
    EXPECT_EQ(trimAssociationCommand(QStringLiteral("\"")), QString());
    EXPECT_EQ(trimAssociationCommand(QString()), QString());
}

class AssociatedExe : public ::testing::Test {
protected:
    void associate(const QString& exec)
    {
        desktop.writeApplication(desktop.dataDir(), QStringLiteral("ide.desktop"), exec);
        desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                              QStringLiteral("[Default Applications]\ntext/x-pascal=ide.desktop\n"));
    }

    kbltest::TempDesktop desktop;
};

TEST_F(AssociatedExe, GivesTheTrimmedProgramOfTheProjectFileAssociation)
{
    EXPECT_EQ(GetAssociatedExe(QStringLiteral("dpr")), QString());
    associate(QStringLiteral("\"/opt/My\\sIDE/ide\" --pcp=~/.lazarus %f"));
    EXPECT_EQ(GetAssociatedExe(QStringLiteral("dpr")), QStringLiteral("/opt/My IDE/ide\" --pcp=~/.lazarus"));
    associate(QStringLiteral("\"/opt/My IDE/ide\" %f"));
    EXPECT_EQ(GetAssociatedExe(QStringLiteral("dpr")), QStringLiteral("/opt/My IDE/ide"));
}

TEST_F(AssociatedExe, LooksBareProgramNamesUpOnThePath)
{
    kbltest::RecordingProgram ide(desktop.root(), QStringLiteral("kbl-test-ide"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", desktop.root().toLocal8Bit() + ':' + path);
    associate(QStringLiteral("kbl-test-ide %f"));
    EXPECT_EQ(GetAssociatedExe(QStringLiteral("dpr")), ide.path());
    // Not on the path, relative, empty: nothing that a caller could take for a file here.
    associate(QStringLiteral("kbl-no-such-ide %f"));
    EXPECT_EQ(GetAssociatedExe(QStringLiteral("dpr")), QString());
    associate(QStringLiteral("bin/ide %f"));
    EXPECT_EQ(GetAssociatedExe(QStringLiteral("dpr")), QString());
    associate(QString());
    EXPECT_EQ(GetAssociatedExe(QStringLiteral("dpr")), QString());
    qputenv("PATH", path);
}

TEST(ProjectPaths, EachListTakesItsOwnRoot)
{
    const QString project = QStringLiteral("/Tools/Project 1.dpr");
    EXPECT_EQ(projectFilePath(ListKind::Main, QStringLiteral("/home/ana/work/"), QStringLiteral("/other"), project),
              QStringLiteral("/home/ana/work/Tools/Project 1.dpr"));
    EXPECT_EQ(projectFilePath(ListKind::Hotlist, QStringLiteral("/other/"), QStringLiteral("/home/ana/work"), project),
              QStringLiteral("/home/ana/work/Tools/Project 1.dpr"));
    // Only one final separator is removed from the root field.
    EXPECT_EQ(projectFilePath(ListKind::Main, QStringLiteral("/w//"), QString(), project), QStringLiteral("/w//Tools/Project 1.dpr"));
    // The file-system root keeps its separator, so the path stays absolute.
    EXPECT_EQ(projectFilePath(ListKind::Main, QStringLiteral("/"), QStringLiteral("/"), QStringLiteral("Tools/P.dpr")),
              QStringLiteral("/Tools/P.dpr"));
    EXPECT_EQ(projectFilePath(ListKind::Hotlist, QStringLiteral("/"), QStringLiteral("/"), QStringLiteral("Tools/P.dpr")),
              QStringLiteral("/Tools/P.dpr"));
}

TEST(ProjectPaths, FolderAndExecutableKeepTheFinalSeparator)
{
    EXPECT_EQ(projectFolder(QStringLiteral("/home/ana/work"), QStringLiteral("/Tools/Project1.dpr")),
              QStringLiteral("/home/ana/work/Tools/"));
    EXPECT_EQ(projectFolder(QStringLiteral("/"), QStringLiteral("P.dpr")), QStringLiteral("/"));
    EXPECT_EQ(executablePath(QStringLiteral("/w"), QStringLiteral("/Toys/Clock.dpr"), QStringLiteral("Clock.scr")),
              QStringLiteral("/w/Toys/Clock.scr"));
}

TEST(IdeCommand, PassesTheProjectFileAsOneUnquotedArgumentInTheProjectsFolder)
{
    const QString project = QStringLiteral("/w/My \"Tools\"/$(x); y\nz.dpr");
    EXPECT_EQ(ideCommand(QStringLiteral("/opt/ide"), project),
              (CommandLine{"/opt/ide", {project}, QStringLiteral("/w/My \"Tools\"/")}));
}

TEST(IdeCommand, AStoredOrTypedIdeMayBeACommandLineWithArguments)
{
    kbltest::TempDesktop desktop;
    kbltest::RecordingProgram ide(desktop.root(), QStringLiteral("my ide"));
    kbltest::RecordingProgram lazarus(desktop.root(), QStringLiteral("lazarus"));
    const QString project = QStringLiteral("/w/a b/P.lpi");
    const QString folder = QStringLiteral("/w/a b/");
    // A program's path is taken as it stands, blanks and all.
    EXPECT_EQ(ideCommandFor(ide.path(), project), (CommandLine{ide.path(), {project}, folder}));
    // Otherwise the text is an Exec line: quoting, arguments and field codes.
    EXPECT_EQ(ideCommandFor('"' + ide.path() + "\" --pcp=/x %f", project),
              (CommandLine{ide.path(), {"--pcp=/x", project}, folder}));
    EXPECT_EQ(ideCommandFor("env GDK_BACKEND=x11 \"" + lazarus.path() + "\" %F --quiet", project),
              (CommandLine{QStandardPaths::findExecutable("env"), {"GDK_BACKEND=x11", lazarus.path(), project, "--quiet"}, folder}));
    // Without a field code the project is appended; the URL code gives its file: URL.
    EXPECT_EQ(ideCommandFor('"' + lazarus.path() + "\" --pcp=/x", project)->arguments, (QStringList{"--pcp=/x", project}));
    EXPECT_EQ(ideCommandFor('"' + lazarus.path() + "\" %u", project)->arguments, QStringList{"file:///w/a%20b/P.lpi"});
    // Nothing that could be started.
    for (const QString& text : {QString(), QString("   "), QString("/nonexistent/ide %f"), QString("no-such-program-here %f"),
                                QString("\"" + ide.path() + " %f"), QString("%f"), desktop.root()})
        EXPECT_FALSE(ideCommandFor(text, project)) << text.toStdString();
}

TEST(FileManagerCommands, ShowingTheFolderWhileOpeningAProject)
{
    const QString fm = QStringLiteral("/usr/bin/fm");
    const QString project = QStringLiteral("/w/Tools/P.dpr");

    // Main list, all windows minimised: waited for 3000 ms, shown minimised, no final separator.
    auto start = projectFolderStart(ListKind::Main, fm, QStringLiteral("/e,"), project, true);
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, (FileManagerStart{{fm, {"/e,", "/w/Tools"}}, true, ShowState::Minimized, 3000}));

    // Hotlist: hidden, 4000 ms, the folder keeps its final separator.
    start = projectFolderStart(ListKind::Hotlist, fm, QStringLiteral("/e,"), project, true);
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, (FileManagerStart{{fm, {"/e,", "/w/Tools/"}}, true, ShowState::Hidden, 4000}));

    // Without minimising all: started minimised without activation, not waited for.
    start = projectFolderStart(ListKind::Main, fm, QString(), project, false);
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, (FileManagerStart{{fm, {"/w/Tools"}}, false, ShowState::MinimizedNoActivate, 0}));
    start = projectFolderStart(ListKind::Hotlist, fm, QString(), project, false);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->command.arguments, QStringList{"/w/Tools/"});

    // A project at the file-system root still names a folder.
    start = projectFolderStart(ListKind::Main, fm, QString(), QStringLiteral("/P.dpr"), true);
    ASSERT_TRUE(start);
    EXPECT_EQ(start->command.arguments, QStringList{"/"});

    EXPECT_FALSE(projectFolderStart(ListKind::Hotlist, fm, QStringLiteral("--title \"x"), project, true));
}

TEST(FileManagerCommands, OptionTextIsSplitAndTheFolderStaysWhole)
{
    const QString folder = QStringLiteral("/w/My \"odd\" $(folder); x/");
    EXPECT_EQ(fileManagerCommand(QStringLiteral("fm"), QStringLiteral("--new-window --title \"Delphi work\""), folder),
              (CommandLine{"fm", {"--new-window", "--title", "Delphi work", folder}}));
    EXPECT_EQ(fileManagerCommand(QStringLiteral("fm"), QStringLiteral("   "), folder), (CommandLine{"fm", {folder}}));
    EXPECT_FALSE(fileManagerCommand(QStringLiteral("fm"), QStringLiteral("\"unclosed"), folder));
}
