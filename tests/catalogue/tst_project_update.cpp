#include "catalogue/ProjectUpdate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using catalogue::ProjectReader;
using catalogue::rereadProject;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

// Records which file was read and names the texts after it.
struct RecordingReader {
    QStringList read;
    ProjectReader reader()
    {
        return {[this](const QString& file) {
                    read << file;
                    return QStringLiteral("name of ") + QFileInfo(file).fileName();
                },
                [](const QString& file) { return QFileInfo(file).completeBaseName() + QStringLiteral(".exe"); }};
    }
};

} // namespace

class ProjectUpdateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Tools/Sorter"))); }
    QTemporaryDir dir;
    RecordingReader recorder;
};

TEST_F(ProjectUpdateTest, AMissingFolderIsNamedOnTheSecondLine)
{
    const auto update = rereadProject(dir.path(), QStringLiteral("/Moved/Sorter.dpr"), recorder.reader());
    EXPECT_FALSE(update.found());
    EXPECT_EQ(update.message, QStringLiteral("Can't find folder:\r\n") + dir.path() + QStringLiteral("/Moved/"));
    EXPECT_TRUE(recorder.read.isEmpty());
}

TEST_F(ProjectUpdateTest, AFolderWithoutProjectFilesSaysSo)
{
    const QString folder = dir.path() + QStringLiteral("/Tools/Sorter/");
    touch(folder + QStringLiteral("Sorter.pas"));
    touch(folder + QStringLiteral("Sorter.dpr.bak"));
    QDir().mkpath(folder + QStringLiteral("Old.dpr")); // a folder is no project
    const auto update = rereadProject(dir.path(), QStringLiteral("/Tools/Sorter/Sorter.dpr"), recorder.reader());
    EXPECT_EQ(update.message, QStringLiteral("No project found in folder."));
    EXPECT_TRUE(recorder.read.isEmpty());
}

TEST_F(ProjectUpdateTest, TheProjectFileFoundGivesAllThreeTexts)
{
    const QString folder = dir.path() + QStringLiteral("/Tools/Sorter/");
    touch(folder + QStringLiteral("SORTER2.DPR"));
    const auto update = rereadProject(dir.path(), QStringLiteral("/Tools/Sorter/Sorter.dpr"), recorder.reader());
    ASSERT_TRUE(update.found());
    EXPECT_EQ(recorder.read, QStringList{folder + QStringLiteral("SORTER2.DPR")});
    EXPECT_EQ(update.applicationName, QStringLiteral("name of SORTER2.DPR"));
    EXPECT_EQ(update.executableName, QStringLiteral("SORTER2.exe"));
    EXPECT_EQ(update.projectPath, QStringLiteral("/Tools/Sorter/SORTER2.DPR"));
}

TEST_F(ProjectUpdateTest, OfTwoProjectFilesOneIsTakenWhole)
{
    const QString folder = dir.path() + QStringLiteral("/Tools/Sorter/");
    touch(folder + QStringLiteral("A.dpr"));
    touch(folder + QStringLiteral(".hidden.dpr"));
    const auto update = rereadProject(dir.path(), QStringLiteral("/Tools/Sorter/Gone.dpr"), recorder.reader());
    ASSERT_TRUE(update.found());
    ASSERT_EQ(recorder.read.size(), 1);
    const QString name = QFileInfo(recorder.read.front()).fileName();
    EXPECT_TRUE(name == QLatin1String("A.dpr") || name == QLatin1String(".hidden.dpr"));
    EXPECT_EQ(update.projectPath, QStringLiteral("/Tools/Sorter/") + name);
    EXPECT_EQ(update.applicationName, QStringLiteral("name of ") + name);
}
