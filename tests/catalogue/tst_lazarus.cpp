// Lazarus projects: the .lpi read with an XML reader for its title and target, the program
// file's name as the fallback title, and the executable by the Delphi rules.
#include "SearchLog.h"

#include "catalogue/LazarusProject.h"
#include "catalogue/ProjectSource.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using kbltest::writeFile;

namespace {

// The shape Lazarus saves a project in (abridged): a build mode's own target inside
// BuildModes must not be taken for the project's.
QByteArray lpi(const QString& title, const QString& target, const QString& mainUnit = "project1.lpr")
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CONFIG>\n  <ProjectOptions>\n"
                     "    <Version Value=\"12\"/>\n    <PathDelim Value=\"\\\"/>\n    <General>\n"
                     "      <Flags><MainUnitHasTitleStatement Value=\"False\"/></Flags>\n"
                     "      <MainUnit Value=\"0\"/>\n";
    if (!title.isNull())
        xml += "      <Title Value=\"" + title.toUtf8() + "\"/>\n";
    xml += "    </General>\n    <BuildModes Count=\"1\"><Item1 Name=\"Default\" Default=\"True\">"
           "<CompilerOptions><Target><Filename Value=\"wrong-mode-target\"/></Target></CompilerOptions>"
           "</Item1></BuildModes>\n"
           "    <Units Count=\"2\">\n      <Unit0><Filename Value=\"" + mainUnit.toUtf8() + "\"/>"
           "<IsPartOfProject Value=\"True\"/></Unit0>\n      <Unit1><Filename Value=\"unit1.pas\"/></Unit1>\n"
           "    </Units>\n  </ProjectOptions>\n  <CompilerOptions>\n    <Version Value=\"11\"/>\n";
    if (!target.isNull())
        xml += "    <Target>\n      <Filename Value=\"" + target.toUtf8() + "\"/>\n    </Target>\n";
    xml += "  </CompilerOptions>\n</CONFIG>\n";
    return xml;
}

void makeExecutable(const QString& path) { ::chmod(QFile::encodeName(path).constData(), 0755); }

TEST(LazarusProjectFile, TheReaderTakesTheProjectsOwnTitleTargetAndMainUnit)
{
    const LazarusProjectFile project = parseLazarusProject(lpi("Chart demo", "..\\bin\\chartdemo", "chart.lpr"));
    EXPECT_TRUE(project.wellFormed);
    EXPECT_EQ(project.title, "Chart demo");
    EXPECT_EQ(project.targetFilename, "../bin/chartdemo"); // saved on Windows
    EXPECT_EQ(project.mainUnitFilename, "chart.lpr");

    // Entities and attributes as XML has them, not as a text search would see them.
    const LazarusProjectFile escaped = parseLazarusProject(lpi("Tom &amp; Jerry &lt;3", "a"));
    EXPECT_EQ(escaped.title, "Tom & Jerry <3");
    const LazarusProjectFile commented = parseLazarusProject(
        "<CONFIG><!-- <ProjectOptions><General><Title Value=\"no\"/></General></ProjectOptions> -->"
        "<ProjectOptions><General><Title Value=\"yes\"/></General></ProjectOptions></CONFIG>");
    EXPECT_EQ(commented.title, "yes");
}

TEST(LazarusProjectFile, DamagedFilesGiveWhatCameBeforeTheDamageAndNothingUnbounded)
{
    const QByteArray whole = lpi("Good", "good");
    const LazarusProjectFile cut = parseLazarusProject(whole.left(whole.indexOf("<BuildModes")));
    EXPECT_FALSE(cut.wellFormed);
    EXPECT_EQ(cut.title, "Good");
    EXPECT_TRUE(cut.targetFilename.isEmpty());
    for (const QByteArray& junk : {QByteArray(), QByteArray("not xml at all"), QByteArray("<CONFIG><"),
                                   QByteArray("\xff\xfe<\x00"), QByteArray(100000, '<')}) {
        const LazarusProjectFile bad = parseLazarusProject(junk);
        EXPECT_FALSE(bad.wellFormed);
        EXPECT_TRUE(bad.title.isEmpty());
    }
    // Deep nesting and huge values stay bounded.
    QByteArray deep = "<CONFIG>";
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_TRUE(parseLazarusProject(deep).title.isEmpty());
    const LazarusProjectFile huge = parseLazarusProject(lpi(QString(100000, u'x'), "t"));
    EXPECT_EQ(huge.title.size(), MaxLazarusText);
}

class LazarusFolder : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root = dir.path();
    QString path(const QString& name) const { return root + "/" + name; }
};

TEST_F(LazarusFolder, TitleElseTheProgramNameOfTheMainUnitElseOfTheLprBesideIt)
{
    writeFile(root, "titled.lpi", lpi("Shown title", QString()));
    EXPECT_EQ(ReadLazarusProject(path("titled.lpi")).applicationName, "Shown title");

    writeFile(root, "untitled.lpi", lpi(QString(), QString(), "src\\main.lpr"));
    writeFile(root, "src/main.lpr", "program MainProgram;\n\nbegin\nend.\n");
    EXPECT_EQ(ReadLazarusProject(path("untitled.lpi")).applicationName, "MainProgram");

    // No main unit on disk: the .lpr under the project's own name.
    writeFile(root, "blank.lpi", lpi("  ", QString(), "gone.lpr"));
    EXPECT_EQ(ReadLazarusProject(path("blank.lpi")).applicationName, "");
    writeFile(root, "blank.lpr", "program Blank;\r\n");
    writeFile(root, "other.lpi", lpi(QString(), QString(), "/abs/x.lpr"));
    writeFile(root, "other.lpr", "{ a header comment first }\nprogram Other;\n");
    EXPECT_EQ(ReadLazarusProject(path("other.lpi")).applicationName, ""); // the first-line rule

    // A file that is not XML gives a row without a title, never an error.
    writeFile(root, "broken.lpi", "<CONFIG><ProjectOptions><General><Title Value=\"x");
    EXPECT_EQ(ReadLazarusProject(path("broken.lpi")).applicationName, "");
}

TEST_F(LazarusFolder, TheTargetIsResolvedInTheProjectsFolderByTheDelphiRules)
{
    // Built on Linux: the bare name, executable.
    writeFile(root, "linux.lpi", lpi("L", "linuxapp"));
    EXPECT_EQ(ReadLazarusProject(path("linux.lpi")).executableName, "");
    writeFile(root, "linuxapp", "\x7f" "ELF");
    EXPECT_EQ(ReadLazarusProject(path("linux.lpi")).executableName, ""); // not executable
    makeExecutable(path("linuxapp"));
    EXPECT_EQ(ReadLazarusProject(path("linux.lpi")).executableName, "linuxapp");

    // Built for Windows into a folder of its own, written with backslashes.
    writeFile(root, "win.lpi", lpi("W", "..\\out\\winapp"));
    writeFile(root, "../out/winapp.exe", "MZ");
    EXPECT_EQ(ReadLazarusProject(path("win.lpi")).executableName, "../out/winapp.exe");

    // A target that names its extension.
    writeFile(root, "lib.lpi", lpi("Lib", "libs/libapp.so"));
    writeFile(root, "libs/libapp.so", "\x7f" "ELF");
    EXPECT_EQ(ReadLazarusProject(path("lib.lpi")).executableName, "libs/libapp.so");

    // No target, or one with macros: the project's own name.
    writeFile(root, "plain.lpi", lpi("P", QString()));
    writeFile(root, "plain.exe", "MZ");
    EXPECT_EQ(ReadLazarusProject(path("plain.lpi")).executableName, "plain.exe");
    writeFile(root, "macro.lpi", lpi("M", "bin/$(TargetCPU)-$(TargetOS)/macro"));
    writeFile(root, "macro.scr", "MZ");
    EXPECT_EQ(ReadLazarusProject(path("macro.lpi")).executableName, "macro.scr");
    // The project file itself is never its program.
    writeFile(root, "self.lpi", lpi("S", "self.lpi"));
    makeExecutable(path("self.lpi"));
    EXPECT_EQ(ReadLazarusProject(path("self.lpi")).executableName, "");
}

TEST_F(LazarusFolder, WhatIsNoRegularFileIsNotRead)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.lpi")).constData(), 0600), 0);
    EXPECT_EQ(ReadLazarusProject(path("pipe.lpi")).applicationName, ""); // would block
    QDir(root).mkdir("folder.lpi");
    EXPECT_EQ(ReadLazarusProject(path("folder.lpi")).applicationName, "");
    EXPECT_EQ(ReadLazarusProject(path("missing.lpi")).applicationName, "");
    // Both kinds through the one entry point.
    writeFile(root, "d.dpr", "program Delphi;\r\n");
    writeFile(root, "z.LPI", lpi("Laz", QString()));
    EXPECT_EQ(ReadProjectTexts(path("d.dpr")).applicationName, "Delphi");
    EXPECT_EQ(ReadProjectTexts(path("z.LPI")).applicationName, "Laz");
}

} // namespace
