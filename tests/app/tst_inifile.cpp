#include "settings/IniFile.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>

#include <limits>

#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;
    QString path = folder.file(QStringLiteral("kbl.ini"));
    IniFile ini{path};

    void given(const QByteArray& bytes) { folder.write(QStringLiteral("kbl.ini"), bytes); }
    QByteArray contents() const { return folder.read(QStringLiteral("kbl.ini")); }
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsNotCreatedByReads)
{
    EXPECT_EQ(ini.readString("form3", "fontname", "Lucida Console"), "Lucida Console");
    EXPECT_EQ(ini.read(settings::form1::width), 700);
    EXPECT_TRUE(ini.read(settings::form1::lviewAscending));
    EXPECT_EQ(ini.read(settings::form3::fontcolor), -2147483640);
    EXPECT_TRUE(ini.readSectionValues("customcolors").isEmpty());
    ini.eraseSection("exclude");
    EXPECT_FALSE(folder.exists("kbl.ini"));
}

TEST_F(IniFileTest, WritesAppendKeysToTheirSectionAndNewSectionsToTheEnd)
{
    ini.writeString("application", "name", "Kestrabel");
    ini.writeInteger("form1", "left", 50);
    ini.writeString("application", "path", "/opt/kbl/kestrabel");
    ini.writeBool("form1", "maximized", true);
    ini.writeInteger("form1", "left", -7);
    EXPECT_EQ(contents(), "[application]\r\nname=Kestrabel\r\npath=/opt/kbl/kestrabel\r\n"
                          "[form1]\r\nleft=-7\r\nmaximized=1\r\n");
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndTheFirstDuplicateWins)
{
    given("[Form1]\nLEFT=1\nleft=2\n[form1]\nleft=3\ntop=4\n");
    EXPECT_EQ(ini.readInteger("form1", "Left", 0), 1);
    EXPECT_EQ(ini.readInteger("FORM1", "top", 99), 99); // only the first section counts
    ini.writeInteger("form1", "left", 9);
    EXPECT_EQ(contents(), "[Form1]\r\nleft=9\r\nleft=2\r\n[form1]\r\nleft=3\r\ntop=4\r\n");
}

TEST_F(IniFileTest, StringsLoseOuterBlanksAndOnePairOfQuotes)
{
    given("[s]\na=  padded value \t\nb=\"quoted\"\nc='single'\nd=\"'both'\"\ne=\"open\nf=-  abc -\ng=\n");
    EXPECT_EQ(ini.readString("s", "a", "x"), "padded value");
    EXPECT_EQ(ini.readString("s", "b", "x"), "quoted");
    EXPECT_EQ(ini.readString("s", "c", "x"), "single");
    EXPECT_EQ(ini.readString("s", "d", "x"), "'both'");
    EXPECT_EQ(ini.readString("s", "e", "x"), "\"open");
    EXPECT_EQ(ini.readString("s", "f", "x"), "-  abc -");
    EXPECT_EQ(ini.readString("s", "g", "x"), ""); // present but empty is not missing
}

TEST_F(IniFileTest, LongValuesAreCutTo2047Characters)
{
    given("[s]\nlong=" + QByteArray(10 * 1024 * 1024, 'v') + "\nafter=1\n");
    EXPECT_EQ(ini.readString("s", "long", QString()).size(), 2047);
    EXPECT_EQ(ini.readInteger("s", "after", 0), 1);
    EXPECT_EQ(ini.readString("s", "none", QString(3000, u'd')).size(), 2047);
    // A write elsewhere keeps the long line whole.
    ini.writeInteger("s", "after", 2);
    EXPECT_EQ(contents().size(), 10 * 1024 * 1024 + 21);
}

TEST_F(IniFileTest, IntegersReadDecimalAndHexOrFallBack)
{
    given("[c]\ndollar=$00C2C6FE\nhex=0xC2C6FE\nHEX=0XC2c6fe\nneg=-2147483640\nsys=$80000008\n"
          "yes=yes\ntrail=12abc\nhuge=99999999999\nempty=\nbare=$\nplus=+5\nspaced= 42 \n");
    EXPECT_EQ(ini.readInteger("c", "dollar", 0), 12764926);
    EXPECT_EQ(ini.readInteger("c", "hex", 0), 12764926);
    EXPECT_EQ(ini.readInteger("c", "HEX", 0), 12764926);
    EXPECT_EQ(ini.readInteger("c", "neg", 0), -2147483640);
    EXPECT_EQ(ini.readInteger("c", "sys", 0), -2147483640);
    for (const char* key : {"yes", "trail", "huge", "empty", "bare", "missing"})
        EXPECT_EQ(ini.readInteger("c", key, 77), 77) << key;
    EXPECT_EQ(ini.readInteger("c", "plus", 0), 5);
    EXPECT_EQ(ini.readInteger("c", "spaced", 0), 42);
}

TEST_F(IniFileTest, BooleansAreIntegersWithTheirDefault)
{
    given("[form1]\nmaximized=yes\nlviewAscending=yes\nlviewFilesAscending=2\nlviewHotlistAscending=0\n");
    EXPECT_FALSE(ini.read(settings::form1::maximized));
    EXPECT_TRUE(ini.read(settings::form1::lviewAscending));
    EXPECT_TRUE(ini.read(settings::form1::lviewFilesAscending));
    EXPECT_FALSE(ini.read(settings::form1::lviewHotlistAscending));
    ini.write(settings::form1::maximized, true);
    ini.write(settings::options::stextDPR, platform::clWindowText);
    EXPECT_TRUE(contents().contains("maximized=1\r\n"));
    EXPECT_TRUE(contents().contains("[options]\r\nstextDPR=-2147483640\r\n"));
}

TEST_F(IniFileTest, GarbageAndBinaryLinesSurviveWritesAndDoNotConfuseReads)
{
    const QByteArray garbage = QByteArray("no equals here\n=nokey\n[broken\n\x01\x02\xff\xfe=\n")
                               + QByteArray("k\0ey=v\0al\n", 10);
    given("junk before any section\n[s]\n" + garbage + "real = 5");
    EXPECT_EQ(ini.readInteger("s", "real", 0), 5); // last line without a line break
    EXPECT_EQ(ini.readString("s", "[broken", "x"), "x");
    EXPECT_EQ(ini.readString("s", QString::fromUtf8("k\0ey", 4), "x"), QString::fromUtf8("v\0al", 4));
    ini.writeInteger("s", "added", 1);
    const QByteArray after = contents();
    EXPECT_TRUE(after.startsWith("junk before any section\r\n[s]\r\nno equals here\r\n=nokey\r\n[broken\r\n"
                                 "\x01\x02\xff\xfe=\r\n"
                                 + QByteArray("k\0ey=v\0al\r\n", 11)));
    EXPECT_TRUE(after.endsWith("real = 5\r\nadded=1\r\n"));
    EXPECT_EQ(ini.readInteger("s", "added", 0), 1);
}

TEST_F(IniFileTest, LineEndsOfEveryKindSplitLines)
{
    given("[a]\rx=1\r[b]\r\ny=2\n[c]\nz=3");
    EXPECT_EQ(ini.readInteger("a", "x", 0), 1);
    EXPECT_EQ(ini.readInteger("b", "y", 0), 2);
    EXPECT_EQ(ini.readInteger("c", "z", 0), 3);
}

TEST_F(IniFileTest, SectionValuesAndErasing)
{
    given("[customcolors]\nColorA=FFFFFF\nColorB = \"C2C6FE\"\ncolora=000000\nnot a key\n[exclude]\nnumber=0\n"
          "0=/a\n[other]\nk=v\n[EXCLUDE]\n1=/b\n");
    EXPECT_EQ(ini.readSectionValues("customcolors"), QStringList({"ColorA=FFFFFF", "ColorB=C2C6FE"}));
    ini.eraseSection("exclude");
    EXPECT_EQ(contents(), "[customcolors]\r\nColorA=FFFFFF\r\nColorB = \"C2C6FE\"\r\ncolora=000000\r\n"
                          "not a key\r\n[other]\r\nk=v\r\n");
    EXPECT_EQ(ini.read(settings::exclude::number), -1);
}

TEST_F(IniFileTest, EveryWriteGoesThroughToTheFile)
{
    IniFile other(path);
    ini.writeString("FindD", "FindText", "-x-");
    EXPECT_EQ(other.readString("findd", "findtext", ""), "-x-");
    other.writeString("FindD", "FindText", "-y-");
    EXPECT_EQ(ini.readString("FindD", "FindText", ""), "-y-");
}

TEST_F(IniFileTest, ALineBreakInsideAValueCannotSplitTheEntry)
{
    ini.writeString("options", "EditRoot", "/a\nb=1\r\n[x]/");
    EXPECT_EQ(ini.readString("options", "b", "none"), "none");
    EXPECT_EQ(ini.readString("options", "EditRoot", ""), "/a b=1  [x]/");
}

TEST_F(IniFileTest, ReplacementLeavesNoTemporaryFilesAndKeepsLinks)
{
    for (int i = 0; i < 5; ++i)
        ini.writeInteger("form1", "left", i);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({"kbl.ini"}));

    const QString real = folder.file("real.ini");
    QFile::rename(path, real);
    QFile::link(real, path);
    ini.writeInteger("form1", "top", 3);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    IniFile direct(real);
    EXPECT_EQ(direct.readInteger("form1", "top", 0), 3);
}

TEST_F(IniFileTest, AnUnwritableFileRaisesUnableToWrite)
{
    // A folder that does not exist refuses writes even to root.
    const QString missing = folder.file("gone/kbl.ini");
    IniFile unwritable(missing);
    try {
        unwritable.writeString("application", "name", "Kestrabel");
        FAIL() << "no error raised";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(QString::fromStdString(error.what()), "Unable to write to " + missing);
    }
    EXPECT_THROW(unwritable.writeBool("a", "b", true), SettingsWriteError);
    EXPECT_EQ(unwritable.readInteger("a", "b", 4), 4);
}

TEST_F(IniFileTest, AnUnreadableExistingFileIsNotOverwritten)
{
    // A folder in place of the file: it exists but cannot be read as text.
    QDir(folder.path()).mkdir("kbl.ini");
    EXPECT_THROW(ini.writeInteger("form1", "left", 1), SettingsWriteError);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(IniFileTest, AByteOrderMarkIsNoPartOfTheFirstSection)
{
    // Notepad saves UTF-8 with a BOM in front of the first line.
    given("\xEF\xBB\xBF[options]\r\nEditRoot=C:\\Delphi\\\r\n[form1]\r\nleft=3\r\n");
    EXPECT_EQ(ini.readString("options", "EditRoot", "none"), "C:\\Delphi\\");
    EXPECT_EQ(ini.readSectionValues("options"), QStringList{"EditRoot=C:\\Delphi\\"});
    ini.writeString("options", "EditRoot", "/home/dev/");
    EXPECT_EQ(contents(), "[options]\r\nEditRoot=/home/dev/\r\n[form1]\r\nleft=3\r\n");
}

TEST_F(IniFileTest, EveryValueWrittenReadsBackAsWritten)
{
    // Blanks at either end and enclosing quotes are what a read drops, so a value that
    // has them must be written so that they survive.
    const QStringList values{"  padded  ", " lead", "trail\t", "\"quoted\"", "'single'", "\"\"", "\"", "a\"",
                             "\" both \"", "plain", "", QString(u'\xFEFF') + "bom"};
    for (const QString& value : values) {
        ini.writeString("s", "k", value);
        EXPECT_EQ(ini.readString("s", "k", "missing"), value) << qPrintable(value);
    }
    // What was read from a file is written back unchanged in meaning.
    given("[s]\nk=\"  kept  \"\n");
    ini.writeString("s", "k", ini.readString("s", "k", ""));
    EXPECT_EQ(ini.readString("s", "k", ""), "  kept  ");
    // Values without such ends are written as before.
    ini.writeString("s", "k", "C:\\Program Files\\IDE");
    EXPECT_TRUE(contents().contains("k=C:\\Program Files\\IDE\r\n"));
}

TEST_F(IniFileTest, EveryIntegerTextReadsWithoutOverflow)
{
    // The hex patterns cover all 32 bits; their negation wraps as the stored value would.
    int value = 0;
    ASSERT_TRUE(IniFile::parseInteger(u"-$80000000", value));
    EXPECT_EQ(value, std::numeric_limits<int>::min());
    ASSERT_TRUE(IniFile::parseInteger(u"-0x80000000", value));
    EXPECT_EQ(value, std::numeric_limits<int>::min());
    ASSERT_TRUE(IniFile::parseInteger(u"-$FFFFFFFF", value));
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(IniFile::parseInteger(u"-2147483648", value));
    EXPECT_EQ(value, std::numeric_limits<int>::min());
    EXPECT_FALSE(IniFile::parseInteger(u"-2147483649", value));
}

} // namespace
