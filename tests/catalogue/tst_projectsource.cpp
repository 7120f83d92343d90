#include "SearchLog.h"

#include "catalogue/ProjectSource.h"
#include "platform/FileNames.h"
#include "platform/Folder.h"

#include <QTemporaryDir>

#include <map>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using kbltest::writeFile;

namespace {

class ProjectSource : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString name(const QByteArray& content)
    {
        writeFile(dir.path(), "P.dpr", content);
        return ReadApplicationName(dir.path() + "/P.dpr");
    }
};

} // namespace

TEST_F(ProjectSource, TitleLinesAsWritten)
{
    EXPECT_EQ(name("program P;\r\nbegin\r\n  Application.Title := 'Sorter';\r\nend.\r\n"), "Sorter");
    EXPECT_EQ(name("Application.Title := 'Sorter';\r\n"), "Sorter");
    // The last title line wins, even one in a comment.
    EXPECT_EQ(name("Application.Title := 'One';\r\n{ Application.Title := 'Two'; }\r\n"), "Two';");
    EXPECT_EQ(name("Application.Title := 'One';\r\n// Application.Title := 'Two';\r\n"), "Two");
    // The last two characters go whatever they are.
    EXPECT_EQ(name("Application.Title := 'Sorter'; // main\r\n"), "Sorter'; // ma");
    // From the first ":= '" of the line, which may come before the marker.
    EXPECT_EQ(name("s := 'a'; Application.Title := 'T';\r\n"), "a'; Application.Title := 'T");
    const QByteArray longTitle(150, 'L');
    EXPECT_EQ(name("Application.Title := '" + longTitle + "';\r\n"), QString(longTitle));
}

TEST_F(ProjectSource, ProgramNameWhenThereIsNoTitle)
{
    EXPECT_EQ(name("program Sorter;\r\nbegin\r\nend.\r\n"), "Sorter");
    EXPECT_EQ(name("program Sorter;\r\nApplication.Title := '';\r\n"), "Sorter");
    EXPECT_EQ(name("program Sorter;\r\nApplication.Title:='Sorter';\r\n"), "Sorter");
    EXPECT_EQ(name("Program Sorter;\r\n"), "");
    // "program " anywhere in the first line counts, and its last character goes.
    EXPECT_EQ(name("{ program Sorter; }\r\nbegin\r\n"), "Sorter;");
    EXPECT_EQ(name("// comment\r\nprogram Sorter;\r\n"), "");
}

TEST_F(ProjectSource, LinuxAndOldMacLineEnds)
{
    EXPECT_EQ(name("program Lin;\nuses Forms;\nbegin\n  Application.Title := 'Linux';\nend.\n"), "Linux");
    EXPECT_EQ(name("program Lin;\nbegin\nend.\n"), "Lin");
    EXPECT_EQ(name("program Mac;\rbegin\r  Application.Title := 'Mac';\rend.\r"), "Mac");
    EXPECT_EQ(name("program NoEnd;"), "NoEnd");
}

TEST_F(ProjectSource, CtrlZEndsTheText)
{
    EXPECT_EQ(name("program Z;\r\n\x1A" "Application.Title := 'After';\r\n"), "Z");
    EXPECT_EQ(name("\x1Aprogram Z;\r\n"), "");
}

TEST_F(ProjectSource, CharactersNotBytesAreDropped)
{
    EXPECT_EQ(name("Application.Title := 'Sortér'; // 中文\r\n"), QString::fromUtf8("Sortér'; //"));
    EXPECT_EQ(name("Application.Title := '排序';\r\n"), QString::fromUtf8("排序"));
}

TEST_F(ProjectSource, LinesAcrossTheReadBufferAreWhole)
{
    // A title line straddling the 64 KiB read boundary, and a CR LF split by it.
    for (int offset : {-30, -10, -1, 0, 1}) {
        QByteArray text = "program Seam;\r\n";
        text += QByteArray(64 * 1024 + offset - text.size() - 2, 'x') + "\r\n";
        text += "Application.Title := 'Across';\r\n";
        EXPECT_EQ(name(text), "Across") << offset;
    }
    QByteArray crAtEdge = "program Edge;\r";
    crAtEdge += QByteArray(64 * 1024 - crAtEdge.size() - 1, 'y') + "\r\nApplication.Title := 'E';\r\n";
    EXPECT_EQ(name(crAtEdge), "E");
}

TEST_F(ProjectSource, BadFilesGiveEmptyOrBoundedNames)
{
    EXPECT_EQ(ReadApplicationName(dir.path() + "/missing.dpr"), "");
    EXPECT_EQ(name(""), "");
    QDir().mkpath(dir.path() + "/Folder.dpr");
    EXPECT_EQ(ReadApplicationName(dir.path() + "/Folder.dpr"), "");
    QByteArray binary;
    for (int i = 0; i < 200000; ++i)
        binary.append(char((i * 7919) & 0xFF));
    EXPECT_NO_FATAL_FAILURE(name(binary));
    // One giant line: only its head is looked at, so the name stays small.
    QByteArray giant = "Application.Title := '";
    giant += QByteArray(8 * 1024 * 1024, 'g');
    const QString result = name(giant);
    EXPECT_GT(result.size(), 1000);
    EXPECT_LE(result.size(), MaxProjectLineBytes);
    // A FIFO named like a project is not waited on.
    const QByteArray fifo = QFile::encodeName(dir.path() + "/Pipe.dpr");
    ASSERT_EQ(::mkfifo(fifo.constData(), 0644), 0);
    EXPECT_EQ(ReadApplicationName(dir.path() + "/Pipe.dpr"), "");
}

TEST_F(ProjectSource, ProjectFileWithForeignBytesInItsName)
{
    const QByteArray path = QFile::encodeName(dir.path()) + "/caf\xE9.dpr";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "program Cafe;\r\n", 15), 15);
    ::close(fd);
    EXPECT_EQ(ReadApplicationName(platform::fileNameFromBytes(path)), "Cafe");
    ::unlink(path.constData());
}

TEST_F(ProjectSource, ExecutableBesideTheProject)
{
    const QString project = dir.path() + "/Sorter.dpr";
    writeFile(dir.path(), "Sorter.dpr");
    EXPECT_EQ(FindExecutableName(project), "");
    writeFile(dir.path(), "SORTER.SCR");       // existence is case-sensitive here
    EXPECT_EQ(FindExecutableName(project), "");
    writeFile(dir.path(), "Sorter.scr");
    EXPECT_EQ(FindExecutableName(project), "Sorter.scr");
    writeFile(dir.path(), "Sorter.exe");
    EXPECT_EQ(FindExecutableName(project), "Sorter.exe");
}

TEST_F(ProjectSource, LinuxExecutableUnderTheBareName)
{
    const QString project = dir.path() + "/Tool.dpr";
    writeFile(dir.path(), "Tool.dpr");
    writeFile(dir.path(), "Tool", "\x7F" "ELF");
    const QByteArray bare = QFile::encodeName(dir.path() + "/Tool");
    ::chmod(bare.constData(), 0644);
    EXPECT_EQ(FindExecutableName(project), "");
    ::chmod(bare.constData(), 0755);
    EXPECT_EQ(FindExecutableName(project), "Tool");
    writeFile(dir.path(), "Tool.scr");
    EXPECT_EQ(FindExecutableName(project), "Tool.scr");
    // A folder is no executable.
    QDir().mkpath(dir.path() + "/Dir.exe");
    QDir().mkpath(dir.path() + "/Dir");
    writeFile(dir.path(), "Dir.dpr");
    EXPECT_EQ(FindExecutableName(dir.path() + "/Dir.dpr"), "");
    // The name is spelt as the project is.
    writeFile(dir.path(), "Up.DPR");
    writeFile(dir.path(), "Up.exe");
    EXPECT_EQ(FindExecutableName(dir.path() + "/Up.DPR"), "Up.exe");
}

TEST_F(ProjectSource, BothTextsAtOnceAreTheTwoFunctionsResults)
{
    writeFile(dir.path(), "a/Sorter.dpr", "program Sorter;\r\nApplication.Title := 'The Sorter';\r\n");
    writeFile(dir.path(), "a/Sorter.exe", "MZ");
    writeFile(dir.path(), "b/Tool.dpr", "program Tool;\r\n");
    writeFile(dir.path(), "b/Tool", "\x7F" "ELF");
    ::chmod(QFile::encodeName(dir.path() + "/b/Tool").constData(), 0755);
    writeFile(dir.path(), "c/None.dpr", "");
    QDir().mkpath(dir.path() + "/c/None.exe"); // a folder is no executable
    for (const char* file : {"a/Sorter.dpr", "b/Tool.dpr", "c/None.dpr", "d/Missing.dpr"}) {
        const QString project = dir.path() + '/' + file;
        const ProjectTexts texts = ReadProjectTexts(project);
        EXPECT_EQ(texts.applicationName, ReadApplicationName(project)) << file;
        EXPECT_EQ(texts.executableName, FindExecutableName(project)) << file;
    }
    EXPECT_EQ(ReadProjectTexts(dir.path() + "/a/Sorter.dpr"), (ProjectTexts{"The Sorter", "Sorter.exe"}));
    EXPECT_EQ(ReadProjectTexts(dir.path() + "/b/Tool.dpr").executableName, "Tool");

    // A folder that may be entered but not listed still gives both.
    const QByteArray a = QFile::encodeName(dir.path() + "/a");
    ::chmod(a.constData(), 0311);
    const ProjectTexts hidden = ReadProjectTexts(dir.path() + "/a/Sorter.dpr");
    ::chmod(a.constData(), 0755);
    EXPECT_EQ(hidden, (ProjectTexts{"The Sorter", "Sorter.exe"}));
}

TEST_F(ProjectSource, ReadThroughAListedFolderGivesWhatThePathGives)
{
    // Every kind of executable candidate the listing has to settle or pass on: files,
    // folders, links to each and to nothing, a bare name with and without its mode bits.
    writeFile(dir.path(), "Sorter.dpr", "program Sorter;\r\nApplication.Title := 'The Sorter';\r\n");
    writeFile(dir.path(), "Sorter.exe", "MZ");
    writeFile(dir.path(), "Saver.dpr", "program Saver;\r\n");
    writeFile(dir.path(), "Saver.scr", "MZ");
    QDir().mkpath(dir.path() + "/Saver.exe");
    writeFile(dir.path(), "Tool.dpr", "program Tool;\n");
    writeFile(dir.path(), "Tool", "\x7F" "ELF");
    ::chmod(QFile::encodeName(dir.path() + "/Tool").constData(), 0755);
    writeFile(dir.path(), "Plain.dpr", "program Plain;\n");
    writeFile(dir.path(), "Plain", "text");
    writeFile(dir.path(), "Linked.dpr", "program Linked;\n");
    const QByteArray folder = QFile::encodeName(dir.path());
    ASSERT_EQ(::symlink((folder + "/Sorter.exe").constData(), (folder + "/Linked.exe").constData()), 0);
    writeFile(dir.path(), "ToFolder.dpr", "program ToFolder;\n");
    QDir().mkpath(dir.path() + "/sub");
    ASSERT_EQ(::symlink((folder + "/sub").constData(), (folder + "/ToFolder.exe").constData()), 0);
    ASSERT_EQ(::symlink((folder + "/sub").constData(), (folder + "/ToFolder.scr").constData()), 0);
    writeFile(dir.path(), "Dangling.dpr", "program Dangling;\n");
    ASSERT_EQ(::symlink((folder + "/none").constData(), (folder + "/Dangling.exe").constData()), 0);
    writeFile(dir.path(), "BareLink.dpr", "program BareLink;\n");
    ASSERT_EQ(::symlink((folder + "/Tool").constData(), (folder + "/BareLink").constData()), 0);
    writeFile(dir.path(), "None.dpr", "");
    ASSERT_EQ(::mkfifo((folder + "/Pipe.dpr").constData(), 0644), 0);

    const platform::FolderHandle handle = platform::FolderHandle::open(folder);
    platform::FolderEntries entries;
    platform::FolderLister lister;
    lister.begin(handle);
    platform::FolderLister::Entry entry;
    while (lister.next(entry))
        entries.add(entry.name, entry.type);
    entries.index();

    const std::map<QString, ProjectTexts> expected{
        {"Sorter.dpr", {"The Sorter", "Sorter.exe"}}, {"Saver.dpr", {"Saver", "Saver.scr"}},
        {"Tool.dpr", {"Tool", "Tool"}},               {"Plain.dpr", {"Plain", ""}},
        {"Linked.dpr", {"Linked", "Linked.exe"}},     {"ToFolder.dpr", {"ToFolder", ""}},
        {"Dangling.dpr", {"Dangling", ""}},           {"BareLink.dpr", {"BareLink", "BareLink"}},
        {"None.dpr", {"", ""}},                       {"Pipe.dpr", {"", ""}},
    };
    for (const auto& [name, texts] : expected) {
        const QByteArray bytes = QFile::encodeName(name);
        EXPECT_EQ(ReadProjectTexts(handle, &entries, bytes.constData()), texts) << name.toStdString();
        // A folder whose entries were too many to keep: every name is asked of the disk.
        EXPECT_EQ(ReadProjectTexts(handle, nullptr, bytes.constData()), texts) << name.toStdString();
        EXPECT_EQ(ReadProjectTexts(dir.path() + '/' + name), texts) << name.toStdString();
    }
    // A listing that no longer holds an executable is believed: it is what the walk saw.
    platform::FolderEntries without;
    without.add("Sorter.dpr", platform::EntryType::File);
    without.index();
    EXPECT_EQ(ReadProjectTexts(handle, &without, "Sorter.dpr"), (ProjectTexts{"The Sorter", ""}));
    EXPECT_EQ(ReadProjectTexts(platform::FolderHandle(), &entries, "Sorter.dpr"), ProjectTexts{});
}
