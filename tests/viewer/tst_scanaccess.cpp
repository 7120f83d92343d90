// The scan over the shown document by a hidden view's line rules, against the scan over a
// hidden view that holds its own copy of the text: the same rows, lines, texts and jumper
// state, on real units and on long lines that wrap at every width.
#include "highlight/OOPHighlighter.h"
#include "support/TestFont.h"
#include "textview/TStyledMemo.h"
#include "viewer/DeclarationScanner.h"
#include "viewer/DocumentScanAccess.h"
#include "viewer/StyledMemoAccess.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr char16_t ScanSeparators[] = u"\t$%&,./:;<=>";
constexpr char16_t ViewSeparators[] = u"\t $%&,./:;<=>";

// The hidden view set up as the viewer sets up its scanning view, `columns` average
// characters wide.
struct ScanRules {
    kbl::TStyledMemo memo;

    ScanRules(const QFont& font, int columns)
    {
        memo.EnableHotKeys = false;
        memo.document().ApplyKeyWords = false;
        memo.document().ApplyStartStopKeys = false;
        memo.setScrollBars(kbl::ssNone);
        memo.setWordWrap(true);
        memo.Separators() = kbl::CharSet(QStringView(ScanSeparators));
        memo.setLeftMargin(8);
        memo.setRightMargin(8);
        memo.document().UpdateMode = kbl::umOnNeed;
        memo.setFont(font);
        memo.resize(int(columns * memo.fontSet().averageCharWidth()) + 16 + memo.frameWidth() * 2, 600);
    }
};

// A scan's rows as text, so that a difference shows which row it is.
std::vector<std::string> rows(const viewer::DeclarationScan& scan)
{
    std::vector<std::string> out;
    for (const viewer::MethodEntry& e : scan.entries)
        out.push_back(std::to_string(e.line) + ":" + std::to_string(e.image) + ":" + e.text.toStdString());
    out.push_back(scan.jumperEnabled ? "enabled" : "disabled");
    return out;
}

// The scan as it ran before: the hidden view loads the text and lays it out itself.
std::vector<std::string> copyScan(ScanRules& rules, const QString& text, bool removeParams)
{
    rules.memo.setText(text);
    viewer::StyledMemoAccess access(rules.memo);
    std::vector<std::string> result = rows(viewer::scanDeclarations(access, removeParams));
    rules.memo.setText(QStringView());
    return result;
}

// The shown view: its own width and separators, and highlighted when `highlighter` is
// given, so that neither its wrap nor its formats may reach the scan.
struct ShownView {
    kbl::TStyledMemo memo;

    ShownView(const QString& text, kbl::TOOPHighlighter* highlighter)
    {
        memo.setWordWrap(true);
        memo.setScrollBars(kbl::ssVertical);
        memo.Separators() = kbl::CharSet(QStringView(ViewSeparators));
        memo.setFont(kbltest::monospacedFont());
        memo.resize(333, 200);
        memo.document().ApplyKeyWords = highlighter != nullptr;
        memo.setText(text);
        if (highlighter) {
            memo.setHighlighter(highlighter);
            for (int i = 0; i < memo.document().paragraphCount(); ++i)
                memo.document().ensureLaidOut(i);
        }
    }
};

std::vector<std::string> documentScan(ScanRules& rules, ShownView& shown, bool removeParams)
{
    viewer::DocumentScanAccess access(shown.memo.document(), rules.memo);
    return rows(viewer::scanDeclarations(access, removeParams));
}

QString readUnit(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromLatin1(f.readAll());
}

// Headers where lines wrap: at the start of a wrapped line, behind tabs and static codes,
// outside ASCII, indented by one to four columns, and many on one very long line.
QString wrappingUnit()
{
    QString t = QStringLiteral(
        "unit Wrapped; interface uses Classes, SysUtils, Windows, Messages, Graphics, Controls;\r\n"
        "type TThing = class procedure Member; function Value: Integer; end;\r\n"
        "procedure Declared(const AName: string; AValue: Integer; var AResult: Boolean);\r\n"
        "x implementation procedure SameLine; function AlsoSameLine: Integer;\r\n"
        "uses Types;\r\n"
        "procedure Plain;\r\n"
        " procedure OneIn;\r\n"
        "  function TwoIn: Boolean;\r\n"
        "   function ThreeIn: Boolean;\r\n"
        "    procedure FourIn;\r\n"
        "\tprocedure Tabbed;\r\n"
        "\x02procedure BoldCode;\x02 function AfterBold: Integer;\r\n"
        "\x03\x04 function Coded(\x15A: Integer): Integer;\r\n"
        "procedure Ümlaut(Größe: Integer); procedure Späť;\r\n"
        "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx procedure WrapsFirst(A, B: Integer);\r\n"
        "begin end; function Mid(const S: string): string; begin end; procedure Tail;\r\n"
        "function VeryLongParameters(const AFirstParameterName: string; ASecondParameterName, "
        "AThirdParameterName: Integer; var AFourthParameterName: Boolean): Integer;\r\n"
        "procedureprocedureprocedureprocedureprocedureprocedureprocedure function\r\n"
        "\t\tfunction\tTabs(A:\tInteger):\tInteger;\r\n");
    QString longLine;
    for (int i = 0; longLine.size() < 6000; ++i)
        longLine += QStringLiteral("procedure P%1; ").arg(i) + QString(i % 23, u'x') + u' ';
    t += longLine + QStringLiteral("\r\nend.");
    return t;
}

} // namespace

TEST(ScanAccess, TheShownDocumentScansAsTheHiddenCopyDid)
{
    QStringList texts;
    const QDir units(QStringLiteral(KBL_TEST_DATA "/units"));
    for (const QString& name : units.entryList({QStringLiteral("*.pas")}, QDir::Files, QDir::Name))
        texts << readUnit(units.filePath(name));
    texts << readUnit(QStringLiteral(KBL_TEST_DATA "/Sample.pas"));
    texts << wrappingUnit();
    ASSERT_GE(texts.size(), 5);

    QFont proportional(QStringLiteral("DejaVu Sans"));
    proportional.setPixelSize(13);
    kbl::TOOPHighlighter highlighter;
    kbl::applyFileViewerStyles(highlighter);

    int compared = 0;
    std::set<std::vector<std::string>> wrappingResults; // of the wrapping unit, by width
    for (int t = 0; t < texts.size(); ++t) {
        for (const bool highlighted : {false, true}) {
            ShownView shown(texts[t], highlighted ? &highlighter : nullptr);
            for (const QFont& font : {kbltest::monospacedFont(), proportional}) {
                for (const int columns : {9, 14, 23, 41, 80, 300}) {
                    ScanRules rules(font, columns);
                    for (const bool removeParams : {false, true}) {
                        SCOPED_TRACE(::testing::Message() << "text " << t << ", highlighted " << highlighted << ", font "
                                                          << font.family().toStdString() << ", columns " << columns
                                                          << ", removeParams " << removeParams);
                        const std::vector<std::string> before = copyScan(rules, texts[t], removeParams);
                        ASSERT_GT(before.size(), 1u);
                        EXPECT_EQ(documentScan(rules, shown, removeParams), before);
                        ++compared;
                        if (t == texts.size() - 1 && !removeParams && font == proportional)
                            wrappingResults.insert(before);
                    }
                }
            }
        }
    }
    EXPECT_EQ(compared, texts.size() * 2 * 2 * 6 * 2);
    // The widths change what the scan finds: the comparison covers the wrap rules.
    EXPECT_GE(wrappingResults.size(), 3u);
}

TEST(ScanAccess, CaretColumnsAndLinesFollowTheWrap)
{
    // "abcdefghij klmnopqrst uvwxyz" in a view ten columns wide: three display lines.
    ShownView shown(QStringLiteral("first\r\nabcdefghi klmnopqrs uvwxyz\r\nlast"), nullptr);
    ScanRules rules(kbltest::monospacedFont(), 10);
    rules.memo.resize(int(10 * rules.memo.fontSet().advance(0, u'x')) + 16 + rules.memo.frameWidth() * 2 + 1, 600);
    viewer::DocumentScanAccess access(shown.memo.document(), rules.memo);
    rules.memo.setText(QStringLiteral("first\r\nabcdefghi klmnopqrs uvwxyz\r\nlast"));
    viewer::StyledMemoAccess copy(rules.memo);

    for (const qint64 pos : {0, 3, 7, 10, 16, 17, 20, 26, 30, 34, 35, 99}) {
        SCOPED_TRACE(pos);
        access.setSelStart(pos);
        copy.setSelStart(pos);
        EXPECT_EQ(access.SelPar(), copy.SelPar());
        EXPECT_EQ(access.SelParLine(), copy.SelParLine());
        EXPECT_EQ(access.SelCol(), copy.SelCol());
        EXPECT_EQ(access.SelLine(), copy.SelLine());
        access.setSelCol(4);
        copy.setSelCol(4);
        EXPECT_EQ(access.SelCol(), copy.SelCol());
        EXPECT_EQ(access.SelLine(), copy.SelLine());
    }
    EXPECT_EQ(access.DisplayLineCount(), 5);
    EXPECT_EQ(access.DisplayLineCount(), copy.DisplayLineCount());
    EXPECT_FALSE(access.DisplayLinesExceed(5));
    EXPECT_TRUE(access.DisplayLinesExceed(4));
}
