// The file panel's listing, size texts, size comparison and row colours, without a window.
#include "catalogue/FilePanel.h"
#include "platform/Colors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace filepanel;

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

const QLocale English(QLocale::English, QLocale::UnitedStates);

void writeFile(const QString& path, qint64 bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
}

std::vector<int> kindsOf(const std::vector<FileRow>& rows)
{
    std::vector<int> kinds;
    for (const FileRow& row : rows)
        kinds.push_back(kindOfName(row.name));
    return kinds;
}

QStringList namesOf(const std::vector<FileRow>& rows)
{
    QStringList names;
    for (const FileRow& row : rows)
        names << row.name;
    return names;
}

constexpr KindFlags DefaultKinds{true, true, false, false, false, false, false};
constexpr KindFlags AllKinds{true, true, true, true, true, true, true};

TEST(FilePanelSizes, RoundThroughSinglePrecisionThenToTwoDecimals)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "0.00"},
        {999, "1.00"},
        {2048, "2.05"},
        {1234567, "1,234.57"},
        {1005, "1.00"},        // 1.00499999523 as a single
        {2005, "2.01"},        // 2.00500011444
        {5, "0.00"},           // 0.00499999988
        {125, "0.13"},         // exactly 0.125: half away from zero
        {123456789, "123,456.79"},
        {16777217000, "16,777,216.00"}, // beyond a single's 24 bits
        {999999999, "1,000,000.00"},
        {3000000000000, "3,000,000,000.00"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(sizeText(bytes, English), QString::fromLatin1(text)) << bytes;
}

TEST(FilePanelSizes, TakeTheLocalesSeparators)
{
    EXPECT_EQ(sizeText(1234567, QLocale(QLocale::German, QLocale::Germany)), "1.234,57");
    EXPECT_EQ(sizeText(2048, QLocale(QLocale::German, QLocale::Germany)), "2,05");
    const QLocale swiss(QLocale::German, QLocale::Switzerland);
    EXPECT_EQ(sizeText(1234567890, swiss), "1" + swiss.groupSeparator() + "234" + swiss.groupSeparator() + "567"
                                               + swiss.decimalPoint() + "88"); // 1234567.875 as a single
    // The C locale leaves out group separators in its own formatting; the panel does not.
    EXPECT_EQ(sizeText(1234567, QLocale::c()), "1,234.57");
}

TEST(FilePanelSizes, CompareByTheirDigitsAlone)
{
    EXPECT_LT(compareSizeTexts("2.05", "1,234.57"), 0); // as text it would sort after
    EXPECT_GT(compareSizeTexts("1,234.57", "2.05"), 0);
    EXPECT_EQ(compareSizeTexts("1.234,57", "1,234.57"), 0); // separators do not count
    EXPECT_EQ(compareSizeTexts("", "0.00"), 0);
    EXPECT_LT(compareSizeTexts("0.05", "0.50"), 0);
    EXPECT_EQ(compareSizeTexts("abc", ""), 0);
    // Sizes past the range of a 32- or 64-bit integer still compare by value.
    EXPECT_GT(compareSizeTexts("10,000,000,000.00", "9,999,999,999.99"), 0);
    EXPECT_LT(compareSizeTexts("99999999999999999999.00", "100000000000000000000.00"), 0);
}

TEST(FilePanelColours, FollowTheLowerCasedExtension)
{
    KindColors colors{};
    for (int kind = 0; kind < KindCount; ++kind)
        colors[size_t(kind)] = 100 + kind;
    EXPECT_EQ(rowColor("Project1.dpr", colors), 100);
    EXPECT_EQ(rowColor("UNIT1.PAS", colors), 101);
    EXPECT_EQ(rowColor("Form.Dfm", colors), 102);
    EXPECT_EQ(rowColor("Project1.dsk", colors), 103);
    EXPECT_EQ(rowColor("Project1.dof", colors), 104);
    EXPECT_EQ(rowColor("Project1.cfg", colors), 105);
    EXPECT_EQ(rowColor("Read.Me.TXT", colors), 106);
    EXPECT_EQ(rowColor("project1.lpi", colors), 107);
    EXPECT_EQ(rowColor("project1.LPR", colors), 108);
    EXPECT_EQ(rowColor("unit1.lfm", colors), 109);
    EXPECT_EQ(rowColor("defines.inc", colors), 110);
    for (const char* other : {"Unit1.~pas", "pas", "Unit1.pas.bak", "Unit1.pa", "Project1.exe", ""})
        EXPECT_EQ(rowColor(QString::fromLatin1(other), colors), platform::clWhite) << other;
    EXPECT_EQ(defaultKindColors(),
              (KindColors{12764926, 16370897, 8126331, 15177447, 15197159, 16777215, 11206655, 11197183, 12903679,
                          13168830, 16437980}));
    EXPECT_EQ(kindMask(0), "*.dpr");
    EXPECT_EQ(kindMask(6), "*.txt");
    EXPECT_EQ(kindMask(10), "*.inc");
}

class FilePanelListing : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString project;

    void SetUp() override
    {
        ASSERT_TRUE(QDir(root.path()).mkpath("Tools/Sorter/old.pas"));
        project = root.path() + "/Tools/Sorter/";
        writeFile(project + "Sorter.dpr", 10);
        writeFile(project + "Second.dpr", 20);
        writeFile(project + "Sorter.pas", 2048);
        writeFile(project + "MAIN.PAS", 1234567);
        writeFile(project + ".hidden.pas", 999);
        writeFile(project + "Sorter.dfm", 5);
        writeFile(project + "Notes.txt", 0);
        writeFile(project + "Sorter.cfg", 0);
        writeFile(project + "Sorter.exe", 50);
        writeFile(project + "Sorter.pas.bak", 50);
    }

    FileListing list(const KindFlags& flags) const
    {
        return listProjectFiles(root.path(), "/Tools/Sorter/Sorter.dpr", flags);
    }
};

TEST_F(FilePanelListing, ListsTheShownKindsWithOnlyOneProjectFile)
{
    const FileListing listing = list(DefaultKinds);
    ASSERT_EQ(listing.outcome, FileListing::Outcome::Listed);
    EXPECT_EQ(listing.folder, project);
    EXPECT_EQ(kindsOf(listing.rows), (std::vector<int>{0, 1, 1, 1, 1}));
    EXPECT_TRUE(listing.rows[0].name == "Sorter.dpr" || listing.rows[0].name == "Second.dpr");
    QStringList units = namesOf(listing.rows).mid(1);
    units.sort();
    EXPECT_EQ(units, QStringList({".hidden.pas", "MAIN.PAS", "Sorter.pas", "old.pas"}));
    for (const FileRow& row : listing.rows) {
        if (row.name == "old.pas") {
            EXPECT_EQ(row.size, sizeText(0)); // a folder counts as empty
        } else if (row.name == "Sorter.pas") {
            EXPECT_EQ(row.size, sizeText(2048));
        } else if (row.name == "MAIN.PAS") {
            EXPECT_EQ(row.size, sizeText(1234567));
        }
    }
}

TEST_F(FilePanelListing, FillsKindByKindInTheirOrder)
{
    const FileListing listing = list(AllKinds);
    EXPECT_EQ(kindsOf(listing.rows), (std::vector<int>{0, 1, 1, 1, 1, 2, 5, 6}));
    const FileListing textOnly = list({false, false, false, false, false, false, true});
    EXPECT_EQ(namesOf(textOnly.rows), QStringList({"Notes.txt"}));
}

TEST_F(FilePanelListing, TheLazarusKindsFollowTheSevenAndAreOffByDefault)
{
    writeFile(project + "Sorter.lpi", 300);
    writeFile(project + "Sorter.lpr", 40);
    writeFile(project + "Main.lfm", 60);
    writeFile(project + "defines.INC", 7);
    EXPECT_EQ(kindsOf(list(DefaultKinds).rows), (std::vector<int>{0, 1, 1, 1, 1}));
    KindFlags lazarus{};
    for (int kind = 7; kind < KindCount; ++kind)
        lazarus[size_t(kind)] = true;
    const FileListing listing = list(lazarus);
    EXPECT_EQ(kindsOf(listing.rows), (std::vector<int>{7, 8, 9, 10}));
    EXPECT_EQ(namesOf(listing.rows), QStringList({"Sorter.lpi", "Sorter.lpr", "Main.lfm", "defines.INC"}));
}

TEST_F(FilePanelListing, AMissingFolderOrNoKindsListNothing)
{
    const FileListing gone = listProjectFiles(root.path(), "/Gone/Away.dpr", DefaultKinds);
    EXPECT_EQ(gone.outcome, FileListing::Outcome::MissingFolder);
    EXPECT_EQ(gone.folder, root.path() + "/Gone/");
    EXPECT_TRUE(gone.rows.empty());
    // A file standing where the folder should be is no folder either.
    const FileListing file = listProjectFiles(root.path(), "/Tools/Sorter/Sorter.pas/x.dpr", DefaultKinds);
    EXPECT_EQ(file.outcome, FileListing::Outcome::MissingFolder);
    // Without kinds the folder is not even looked at.
    const FileListing none = listProjectFiles(root.path(), "/Gone/Away.dpr", KindFlags{});
    EXPECT_EQ(none.outcome, FileListing::Outcome::NoKinds);
}

TEST(FilePanelFolders, AreTheFolderPartWithItsSeparator)
{
    EXPECT_EQ(folderOf("/home/ana/work/Tools/Sorter.dpr"), "/home/ana/work/Tools/");
    EXPECT_EQ(folderOf("/Sorter.dpr"), "/");
    EXPECT_EQ(folderOf("/home/ana/"), "/home/ana/");
    EXPECT_EQ(folderOf("Sorter.dpr"), "/");
}

} // namespace
