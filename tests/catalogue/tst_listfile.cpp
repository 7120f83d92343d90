#include "catalogue/ListFile.h"
#include "platform/LastError.h"

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

using Outcome = ListFileContent::Outcome;

ProjectEntry entry(const char* name, const char* exe, const char* path, int image = 0)
{
    return {QString::fromUtf8(name), QString::fromUtf8(exe), QString::fromUtf8(path), image};
}

TEST(ListFile, FormatsTheCountAsLastIndexWithCrLfLines)
{
    EXPECT_EQ(formatListFile({entry("Sorter", "Sorter.exe", "/Tools/Sorter/Sorter.dpr")}),
              "3\r\n0\r\nSorter\r\nSorter.exe\r\n/Tools/Sorter/Sorter.dpr\r\n");
    EXPECT_EQ(formatListFile({entry("Sorter", "Sorter.exe", "/Tools/Sorter/Sorter.dpr"), entry("Clock", "", "/Toys/Clock.dpr")}),
              "3\r\n1\r\nSorter\r\nSorter.exe\r\n/Tools/Sorter/Sorter.dpr\r\nClock\r\n\r\n/Toys/Clock.dpr\r\n");
}

TEST(ListFile, RoundTripKeepsTextsOrderAndEmptyColumns)
{
    const std::vector<ProjectEntry> entries = {entry("排序器", "", "/工具/x.dpr", 1), entry("", "a.scr", "b.dpr", 1),
                                               entry(" blank ", "e.exe", "/x y/z.dpr", 1)};
    const ListFileContent back = parseListFile(formatListFile(entries), 1);
    EXPECT_EQ(back.outcome, Outcome::Loaded);
    EXPECT_EQ(back.entries, entries);
}

TEST(ListFile, NamesThatBeginWithABomKeepItThroughSaveAndLoad)
{
    // A file may be named with a BOM's bytes in front (found by fuzz_listfile).
    const QString bom(QChar(0xFEFF));
    const std::vector<ProjectEntry> entries = {{bom + "dp\u00ff", bom + bom + "x.exe", bom + "/p/\u4e2d.dpr", 1}};
    const QByteArray saved = formatListFile(entries);
    const ListFileContent back = parseListFile(saved, 1);
    EXPECT_EQ(back.entries, entries);
    EXPECT_EQ(formatListFile(back.entries), saved);
}

TEST(ListFile, AFirstLineOtherThanExactlyThreeIsMalformed)
{
    for (const QByteArray& bytes : {QByteArray("3 \r\n0\r\na\r\nb\r\nc\r\n"), QByteArray(" 3\r\n0\r\n"), QByteArray("4\r\n0\r\n"),
                                    QByteArray(), QByteArray("\r\n"), QByteArray("\x1A" "3\r\n0\r\n")}) {
        const ListFileContent content = parseListFile(bytes, 0);
        EXPECT_EQ(content.outcome, Outcome::Malformed) << bytes.toStdString();
        EXPECT_TRUE(content.entries.empty());
    }
}

TEST(ListFile, ANegativeCountIsMalformedAndANonNumberAReadError)
{
    EXPECT_EQ(parseListFile("3\r\n-1\r\n", 0).outcome, Outcome::Malformed);
    EXPECT_EQ(parseListFile("3\r\n-5\r\na\r\nb\r\nc\r\n", 0).outcome, Outcome::Malformed);
    for (const QByteArray& count : {QByteArray("x"), QByteArray(""), QByteArray("1.5"), QByteArray("99999999999")}) {
        platform::recordError(0);
        const ListFileContent content = parseListFile("3\r\n" + count + "\r\na\r\nb\r\nc\r\n", 0);
        EXPECT_EQ(content.outcome, Outcome::ReadError) << count.toStdString();
        EXPECT_TRUE(content.entries.empty());
        EXPECT_EQ(platform::lastErrorText(), QString::fromLocal8Bit(std::strerror(EINVAL)));
    }
}

TEST(ListFile, ASmallShortfallGivesRowsWithEmptyTexts)
{
    const ListFileContent content = parseListFile("3\r\n2\r\nSorter\r\nSorter.exe\r\n/S.dpr\r\n", 0);
    EXPECT_EQ(content.outcome, Outcome::Loaded);
    ASSERT_EQ(content.entries.size(), 3u);
    EXPECT_EQ(content.entries[0], entry("Sorter", "Sorter.exe", "/S.dpr"));
    EXPECT_EQ(content.entries[1], entry("", "", ""));
    EXPECT_EQ(content.entries[2], entry("", "", ""));
    // Cut inside an entry: the rest of that entry is empty.
    const ListFileContent cut = parseListFile("3\r\n0\r\nSorter\r\nSort", 0);
    ASSERT_EQ(cut.entries.size(), 1u);
    EXPECT_EQ(cut.entries[0], entry("Sorter", "Sort", ""));
}

TEST(ListFile, AnAbsurdCountKeepsWhatIsThereWithoutPaddingMemory)
{
    platform::recordError(0);
    const ListFileContent content = parseListFile("3\r\n2000000000\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\n", 0);
    EXPECT_EQ(content.outcome, Outcome::ReadError);
    ASSERT_EQ(content.entries.size(), 2u);
    EXPECT_EQ(content.entries[1], entry("d", "e", "f"));
    EXPECT_EQ(platform::lastErrorText(), QString::fromLocal8Bit(std::strerror(ENODATA)));
    // At the limit the rows are still padded.
    const ListFileContent limit = parseListFile("3\r\n" + QByteArray::number(MaxMissingListEntries) + "\r\na\r\nb\r\nc\r\n", 0);
    EXPECT_EQ(limit.outcome, Outcome::Loaded);
    EXPECT_EQ(qsizetype(limit.entries.size()), MaxMissingListEntries + 1);
}

TEST(ListFile, CrOnlyAndLfOnlyLinesReadLikeCrLf)
{
    const std::vector<ProjectEntry> expected = {entry("A", "A.exe", "/a.dpr"), entry("B", "", "/b.dpr")};
    EXPECT_EQ(parseListFile("3\r1\rA\rA.exe\r/a.dpr\rB\r\r/b.dpr\r", 0).entries, expected);
    EXPECT_EQ(parseListFile("3\n1\nA\nA.exe\n/a.dpr\nB\n\n/b.dpr", 0).entries, expected);
    EXPECT_EQ(parseListFile("3\r\n1\nA\rA.exe\r\n/a.dpr\nB\r\n\r/b.dpr\n", 0).entries, expected);
}

TEST(ListFile, CtrlZEndsTheFileAndExtraLinesAreIgnored)
{
    const ListFileContent content = parseListFile("3\r\n1\r\nA\r\nA.exe\r\n/a.dpr\r\nB\x1A" "B.exe\r\n/b.dpr\r\n", 0);
    ASSERT_EQ(content.entries.size(), 2u);
    EXPECT_EQ(content.entries[1], entry("B", "", ""));
    const ListFileContent extra = parseListFile("3\r\n0\r\nA\r\nA.exe\r\n/a.dpr\r\nmore\r\nlines\r\n", 0);
    ASSERT_EQ(extra.entries.size(), 1u);
}

TEST(ListFile, BinaryGarbageNeverCrashes)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(int(random() % 600), Qt::Uninitialized);
        for (char& c : bytes)
            c = char(random() % 256);
        if (round % 2)
            bytes.prepend(round % 4 == 1 ? "3\r\n5\r\n" : "3\n1\n");
        const ListFileContent content = parseListFile(bytes, 0);
        EXPECT_LE(content.entries.size(), 6u);
    }
    // Undecodable text becomes replacement characters, not a failure.
    const ListFileContent latin = parseListFile("3\r\n0\r\nCaf\xe9\r\n\r\n\\x.dpr\r\n", 0);
    ASSERT_EQ(latin.entries.size(), 1u);
    EXPECT_EQ(latin.entries[0].applicationName.size(), 4);
}

TEST(ListFile, AnEmptyListLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("hotlist.dat");
    ASSERT_TRUE(writeListFile(path, {entry("A", "", "/a.dpr")}));
    EXPECT_TRUE(writeListFile(path, {}));
    const ListFileContent back = readListFile(path, 1);
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].image, 1);
}

TEST(ListFile, AFailedWriteReportsAndKeepsNothingHalfWritten)
{
    QTemporaryDir dir;
    EXPECT_FALSE(writeListFile(dir.filePath("none/projects.dat"), {entry("A", "", "/a.dpr")}));
    EXPECT_FALSE(platform::lastErrorText().isEmpty());
    EXPECT_EQ(readListFile(dir.filePath("absent.dat"), 0).outcome, Outcome::ReadError);
}

TEST(ListFile, LineBreaksInsideTextsCannotShiftLaterEntries)
{
    const std::vector<ProjectEntry> entries = {entry("Two\r\nLines", "", "/a\n.dpr"), entry("B", "B.exe", "/b.dpr")};
    const ListFileContent back = parseListFile(formatListFile(entries), 0);
    ASSERT_EQ(back.entries.size(), 2u);
    EXPECT_EQ(back.entries[0].applicationName, "Two  Lines");
    EXPECT_EQ(back.entries[1], entries[1]);
}

} // namespace
