// The jumper's entry texts, the scanner's marker and position rules on a text whose
// display lines are its file lines, and the viewer's small stored values.
#include "LineMemo.h"

#include "viewer/DeclarationScanner.h"
#include "viewer/EntryText.h"
#include "viewer/ViewerState.h"

#include <gtest/gtest.h>

using viewer::declarationEntryText;
using viewer::MethodEntry;

namespace {

QString entry(const QString& line, bool removeParams, const QString& keyword = QStringLiteral("procedure "))
{
    return declarationEntryText(line, keyword, removeParams).value_or(QStringLiteral("<none>"));
}

std::vector<MethodEntry> scan(const QStringList& lines, bool removeParams = false)
{
    kbltest::LineMemo memo(lines);
    return viewer::scanDeclarations(memo, removeParams).entries;
}

} // namespace

TEST(EntryText, TypicalHeaderLinesWithAndWithoutParameterRemoval)
{
    EXPECT_EQ(entry("procedure TForm1.Button1Click(Sender: TObject);", false), "Button1Click(Sender: TObject);");
    EXPECT_EQ(entry("procedure TForm1.Button1Click(Sender: TObject);", true), "Button1Click");
    EXPECT_EQ(entry("procedure DoIt(A: Integer);", false), "procedure DoIt(A: Integer);");
    EXPECT_EQ(entry("procedure DoIt(A: Integer);", true), "DoIt");
    // The keyword removal is case-sensitive.
    EXPECT_EQ(entry("Procedure DoIt(A: Integer);", false), "Procedure DoIt(A: Integer);");
    EXPECT_EQ(entry("Procedure DoIt(A: Integer);", true), "Procedure DoIt");
    EXPECT_EQ(entry("function TFoo.Count: Integer;", false, "function "), "Count: Integer;");
    EXPECT_EQ(entry("function TFoo.Count: Integer;", true, "function "), "Count: Integer;");
    EXPECT_EQ(entry("procedure Foo; // old", false), "procedure Foo; ");
    EXPECT_EQ(entry("procedure Foo; // old", true), "Foo; ");
}

TEST(EntryText, OuterBlanksAndControlsGoBlankResultsGiveNoRow)
{
    EXPECT_EQ(entry("\t  procedure Foo;\t \r", false), "procedure Foo;");
    EXPECT_EQ(entry("procedure // only a comment", true), "<none>");
    EXPECT_EQ(entry("   ", false), "<none>");
    EXPECT_EQ(entry("procedure TFoo.", false), "<none>");
    // A comment cut off first keeps a dot inside it from eating the name.
    EXPECT_EQ(entry("procedure Foo; // see TBar.Baz", true), "Foo; ");
    // Only the first parenthesis and the first dot count.
    EXPECT_EQ(entry("procedure A.B.C(x: T.Y);", false), "B.C(x: T.Y);");
    EXPECT_EQ(entry("procedure A.B.C(x: T.Y);", true), "B.C");
}

TEST(EntryText, LongCommentsAndParameterListsAreCutWhole)
{
    const QString tail(1500, u'x');
    EXPECT_EQ(entry("procedure Foo; //" + tail, false), "procedure Foo; ");
    EXPECT_EQ(entry("procedure Foo(" + tail + ");", true), "Foo");
}

TEST(DeclarationScan, UsualUnitGivesMarkersThenProceduresThenFunctions)
{
    const QStringList unit = {
        "unit Main;",                                  // 0
        "",                                            // 1
        "interface",                                   // 2
        "",                                            // 3
        "uses",                                        // 4
        "  Windows, SysUtils;",                        // 5
        "",                                            // 6
        "type",                                        // 7
        "  TForm1 = class(TForm)",                     // 8
        "    procedure Paint; override;",              // 9  indented by four: dropped
        "    function Count: Integer;",                // 10 dropped
        "  end;",                                      // 11
        "",                                            // 12
        "implementation",                              // 13
        "",                                            // 14
        "uses",                                        // 15
        "  Dialogs;",                                  // 16
        "",                                            // 17
        "function Twice(X: Integer): Integer;",        // 18
        "begin Result := 2 * X; end;",                 // 19
        "procedure TForm1.Paint;",                     // 20
        "  procedure Local;",                          // 21 indented by two: kept
        "  begin end;",                                // 22
        "begin Local; end;",                           // 23
        "constructor TForm1.Create;",                  // 24 never listed
        "destructor TForm1.Destroy;",                  // 25
        "end.",                                        // 26
    };
    const std::vector<MethodEntry> expected = {
        {"interface", 2, viewer::ImageMarker},
        {"uses (1)", 4, viewer::ImageMarker},
        {"implementation", 13, viewer::ImageMarker},
        {"uses (2)", 15, viewer::ImageMarker},
        {"Paint;", 20, viewer::ImageProcedure},
        {"procedure Local;", 21, viewer::ImageProcedure},
        {"function Twice(X: Integer): Integer;", 18, viewer::ImageFunction},
    };
    EXPECT_EQ(scan(unit), expected);
    kbltest::LineMemo memo(unit);
    EXPECT_TRUE(viewer::scanDeclarations(memo, false).jumperEnabled);
    const auto stripped = scan(unit, true);
    ASSERT_EQ(stripped.size(), 7u);
    EXPECT_EQ(stripped[4].text, "Paint;");
    EXPECT_EQ(stripped[5].text, "Local;");
    EXPECT_EQ(stripped[6].text, "Twice");
}

TEST(DeclarationScan, MarkersMustStandAloneOrBeDelimitedBySeparators)
{
    // A blank after "uses" (unit names on the same line), trailing blanks or a comment
    // after a blank hide the marker; separators other than the blank do not.
    const auto entries = scan({"interface ", "uses Windows;", "implementation // here", "uses;", "x"});
    const std::vector<MethodEntry> expected = {{"uses (1)", 3, viewer::ImageMarker}};
    EXPECT_EQ(entries, expected);
    const auto delimited = scan({"x", "interface;", "implementation{x}", "uses"});
    ASSERT_EQ(delimited.size(), 2u);
    EXPECT_EQ(delimited[0].text, "interface");
    EXPECT_EQ(delimited[1].text, "uses (1)");
}

TEST(DeclarationScan, UnitWithoutSecondUsesHasNoUsesTwo)
{
    const auto entries = scan({"unit U;", "interface", "uses", "  A;", "implementation", "procedure P;", "end."});
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].text, "implementation");
    EXPECT_EQ(entries[3].text, "procedure P;");
}

TEST(DeclarationScan, FileWithoutImplementationListsAllButTheFirstLine)
{
    const QStringList program = {
        "procedure OnFirstLine;", // 0: on display line 0, dropped
        "uses",                   // 1
        "  Forms;",               // 2
        "procedure Run;",         // 3
        "function Ok: Boolean;",  // 4
    };
    const std::vector<MethodEntry> expected = {
        {"uses (1)", 1, viewer::ImageMarker},
        {"procedure Run;", 3, viewer::ImageProcedure},
        {"function Ok: Boolean;", 4, viewer::ImageFunction},
    };
    EXPECT_EQ(scan(program), expected);
}

TEST(DeclarationScan, ColumnRuleKeepsDeclarationsThatStartTheirLine)
{
    const auto entries = scan({"implementation", "  procedure Two;", "   procedure Three;", "    procedure Four;",
                               "   function F3: Integer;", "    function F4: Integer;", "x := procedure;",
                               "\t\tprocedure Tabs;", "type TProc = procedure;"});
    std::vector<int> lines;
    for (const MethodEntry& e : entries)
        lines.push_back(e.line);
    // Tabs count as one column each.
    EXPECT_EQ(lines, (std::vector<int>{0, 1, 7, 4}));
}

TEST(DeclarationScan, KeywordsInsideLongerWordsAndOtherCaseAreHits)
{
    const auto entries = scan({"implementation", "PROCEDURE Up;", "procedures;", "functional := 1;"});
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].text, "PROCEDURE Up;");
    EXPECT_EQ(entries[2].text, "procedures;");
    EXPECT_EQ(entries[3].line, 3);
    EXPECT_EQ(entries[3].image, viewer::ImageFunction);
}

TEST(DeclarationScan, JumperNeedsTwoEntriesAndMoreThanTenLines)
{
    QStringList lines = {"implementation", "procedure A;"};
    while (lines.size() < 10)
        lines << "";
    kbltest::LineMemo ten(lines);
    EXPECT_FALSE(viewer::scanDeclarations(ten, false).jumperEnabled);
    lines << "";
    kbltest::LineMemo eleven(lines);
    EXPECT_TRUE(viewer::scanDeclarations(eleven, false).jumperEnabled);
    lines[1] = "";
    kbltest::LineMemo oneHit(lines);
    EXPECT_FALSE(viewer::scanDeclarations(oneHit, false).jumperEnabled);
    kbltest::LineMemo empty(QStringList{""});
    const auto none = viewer::scanDeclarations(empty, false);
    EXPECT_TRUE(none.entries.empty());
    EXPECT_FALSE(none.jumperEnabled);
    EXPECT_EQ(empty.searches, 0);
}

TEST(ViewerState, FindTextKeepsOuterBlanksBetweenDashes)
{
    for (const QString& text : {QString(), QStringLiteral(" a b "), QStringLiteral("-x-"), QStringLiteral("  ")})
        EXPECT_EQ(viewer::restoredFindText(viewer::storedFindText(text)), text) << text.toStdString();
    EXPECT_EQ(viewer::storedFindText(" x"), "- x-");
    EXPECT_EQ(viewer::restoredFindText("a"), "");
    EXPECT_EQ(viewer::restoredFindText(""), "");
}

TEST(ViewerState, OnlyTxtFilesArePlain)
{
    EXPECT_FALSE(viewer::isHighlightedFile("/p/readme.txt"));
    EXPECT_FALSE(viewer::isHighlightedFile("/p/README.TXT"));
    for (const char* path : {"/p/a.pas", "/p/a.dfm", "/p/a.dsk", "/p/a.dof", "/p/a.cfg", "/p/a.dpr", "/p/Makefile",
                             "/p/notes.txt.bak", "/p/dir.txt/file"})
        EXPECT_TRUE(viewer::isHighlightedFile(path)) << path;
}

TEST(ViewerState, CustomColourLinesSplitAtTheFirstEquals)
{
    EXPECT_EQ(viewer::customColorEntry("ColorA=FFFFFFFF"), std::make_pair(QString("ColorA"), QString("FFFFFFFF")));
    EXPECT_EQ(viewer::customColorEntry("K=a=b"), std::make_pair(QString("K"), QString("a=b")));
    EXPECT_EQ(viewer::customColorEntry("K=" + QString(150, u'7')).second.size(), 99);
    EXPECT_TRUE(viewer::customColorEntry("no equals").first.isEmpty());
}
