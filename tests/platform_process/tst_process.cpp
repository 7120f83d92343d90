#include "platform/Files.h"
#include "platform/Process.h"

#include "support/RecordingProgram.h"
#include "support/TempDesktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;
using kbltest::RecordingProgram;

TEST(SplitArguments, FollowsShellWordRules)
{
    EXPECT_EQ(splitArguments(QString()), QStringList());
    EXPECT_EQ(splitArguments(QStringLiteral("  /e,  /select ")), (QStringList{"/e,", "/select"}));
    EXPECT_EQ(splitArguments(QStringLiteral("--title \"My Files\" -n")), (QStringList{"--title", "My Files", "-n"}));
    EXPECT_EQ(splitArguments(QStringLiteral("\"\"\"quoted\"\"\"")), (QStringList{"\"quoted\""}));
    // Shell characters are plain text: nothing here is ever run.
    EXPECT_EQ(splitArguments(QStringLiteral("$(rm -rf ~);ls")), (QStringList{"$(rm", "-rf", "~);ls"}));
}

TEST(SplitArguments, RefusesAQuoteLeftOpen)
{
    EXPECT_FALSE(splitArguments(QStringLiteral("--title \"My Files")));
    EXPECT_FALSE(splitArguments(QStringLiteral("\"")));
    EXPECT_FALSE(splitArguments(QStringLiteral("a \"b\" \"c")));
    EXPECT_TRUE(splitArguments(QStringLiteral("a \"b\" \"c\"")));
}

class ProcessStart : public ::testing::Test {
protected:
    QTemporaryDir dir;
};

TEST_F(ProcessStart, ArgumentsArriveExactlyAsGivenWithoutAShell)
{
    RecordingProgram program(dir.path(), QStringLiteral("record"));
    const QString marker = dir.path() + QStringLiteral("/injected");
    const QStringList arguments{
        QStringLiteral("/home/ana/My Projects/Tools/Project 1.dpr"),
        QStringLiteral("it's \"quoted\""),
        QStringLiteral("$(touch %1)").arg(marker),
        QStringLiteral("a; touch %1").arg(marker),
        QStringLiteral("line one\nline two"),
        QStringLiteral("`touch %1`").arg(marker),
        QString(),
    };
    ASSERT_TRUE(startDetached({program.path(), arguments}));
    const auto record = program.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, arguments);
    EXPECT_EQ(record->workingFolder, QDir::currentPath());
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(ProcessStart, FailuresComeBackWithAReason)
{
    const StartResult missing = startDetached({dir.path() + QStringLiteral("/no-such-program"), {}});
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.errorText.isEmpty());

    QFile plain(dir.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("#!/bin/sh\n");
    plain.close();
    EXPECT_FALSE(startDetached({plain.fileName(), {}}));
    EXPECT_FALSE(startDetached({dir.path(), {}}));
    EXPECT_FALSE(startDetached({QString(), {}}));
}

TEST_F(ProcessStart, WaitEndsAtTheTimeoutAndLeavesTheProcessRunning)
{
    RecordingProgram program(dir.path(), QStringLiteral("holding"), /*holdUntilReleased=*/true);
    executeAndWait({program.path(), {QStringLiteral("a b")}}, ShowState::Hidden, 300);
    // Returned while the program still waits for its release...
    ASSERT_TRUE(program.waitForRecord());
    EXPECT_EQ(program.waitForRecord()->arguments, QStringList{QStringLiteral("a b")});
    EXPECT_FALSE(program.waitForFinished(0));
    // ...and it was not killed: released, it finishes its work.
    program.release();
    EXPECT_TRUE(program.waitForFinished());
}

TEST_F(ProcessStart, WaitEndsWhenTheProcessEnds)
{
    RecordingProgram program(dir.path(), QStringLiteral("quick"));
    QElapsedTimer clock;
    clock.start();
    executeAndWait({program.path(), {}}, ShowState::Minimized, 60000);
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_TRUE(program.ran());

    // A program that cannot start is ignored, without any wait.
    executeAndWait({dir.path() + QStringLiteral("/missing"), {}}, ShowState::Minimized, 60000);
    EXPECT_LT(clock.elapsed(), 30000);
}

TEST_F(ProcessStart, ExistenceTestsTellFilesFoldersAndProgramsApart)
{
    RecordingProgram program(dir.path(), QStringLiteral("prog"));
    QFile plain(dir.path() + QStringLiteral("/plain.exe"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_TRUE(isExistingFile(program.path()));
    EXPECT_TRUE(isExecutableFile(program.path()));
    EXPECT_TRUE(isExistingFile(plain.fileName()));
    EXPECT_FALSE(isExecutableFile(plain.fileName()));
    EXPECT_FALSE(isExistingFile(dir.path()));
    EXPECT_FALSE(isExecutableFile(dir.path()));
    EXPECT_FALSE(isExistingFile(QString()));
    EXPECT_FALSE(isExistingFile(dir.path() + QStringLiteral("/none")));
}

TEST(OpenDocument, OpensTheFileWithTheDesktopsApplicationForItsType)
{
    kbltest::TempDesktop desktop;
    RecordingProgram opener(desktop.root(), QStringLiteral("wine-ish"));
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("wine.desktop"), opener.path() + QStringLiteral(" start %f"));
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          QStringLiteral("[Default Applications]\napplication/x-ms-dos-executable=wine.desktop\n"));
    const QString exe = desktop.root() + QStringLiteral("/My \"Tool\"; $(x).exe");
    QFile file(exe);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("MZ");
    file.close();

    ASSERT_TRUE(openDocument(exe));
    const auto record = opener.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (QStringList{QStringLiteral("start"), exe}));
}

TEST(OpenDocument, FailsClearlyWithoutAnApplication)
{
    kbltest::TempDesktop desktop;
    const QString exe = desktop.root() + QStringLiteral("/Tool.exe");
    QFile file(exe);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const StartResult result = openDocument(exe);
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.errorText.contains(exe));
    EXPECT_FALSE(openDocument(desktop.root() + QStringLiteral("/missing.exe")));
}
