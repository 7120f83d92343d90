#include "Support.h"

#include "highlight/HighlightDump.h"
#include "highlight/OOPHighlighter.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kbl;

namespace {

struct Pascal : ::testing::Test {
    Pascal()
    {
        applyFileViewerStyles(h);
        doc.UpdateMode = umImmediate;
        doc.ApplyKeyWords = false;
        doc.setHighlighter(&h);
    }
    QString show(const QString& text)
    {
        doc.setText(text);
        QString out = dumpText(doc);
        out.chop(1);
        return out;
    }
    QString classAt(int para, int offset)
    {
        doc.ensureParsed(para);
        return oopStyleClass(doc.recordInForce(para, offset), 0);
    }
    TOOPHighlighter h;
    StyledDocument doc;
};

QString sampleText()
{
    QFile f(QStringLiteral(KBL_TEST_DATA "/Sample.pas"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
}

} // namespace

TEST(PascalTables, KeywordAndRegionTablesHaveTheirIndices)
{
    TOOPHighlighter h;
    ASSERT_EQ(h.Keywords().count(), 246);
    EXPECT_EQ(h.Keywords().string(0), "and");
    EXPECT_EQ(h.Keywords().string(74), "implements");
    EXPECT_EQ(h.Keywords().string(79), "write");
    EXPECT_EQ(h.Keywords().string(80), "ASM");
    EXPECT_EQ(h.Keywords().string(81), "END");
    EXPECT_EQ(h.Keywords().string(245), "XOR");
    EXPECT_EQ(h.Keywords().entry(10).Scope, 0);
    EXPECT_EQ(h.Keywords().entry(100).Scope, 6);
    EXPECT_EQ(h.Keywords().entry(100).ContextNum, 7);
    ASSERT_EQ(h.StartStopKeys().count(), 12);
    EXPECT_EQ(h.StartStopKeys().item(11).StartKey, u"ASM");
    EXPECT_EQ(h.StartStopKeys().item(8).Scope, 6);
    EXPECT_EQ(h.StartStopKeys().item(6).FirstSameStart, 1);
    EXPECT_EQ(h.Separators(), CharSet(QStringView(u"\t \"'(),-./:;<=>[]{}")));
}

TEST_F(Pascal, KeywordsIgnoreCaseButNeedWholeWords)
{
    EXPECT_EQ(show("BEGIN Begin begin beginning"),
              "[KeywordsOOP:BEGIN] [KeywordsOOP:Begin] [KeywordsOOP:begin] beginning");
}

TEST_F(Pascal, PropertySpecifiersOnlyInsidePropertyDeclarations)
{
    EXPECT_EQ(show("property X: Integer read FX write SetX;\nRead(F, X); write(x);"),
              "[KeywordsOOP:property] X: Integer [KeywordsOOP:read] FX [KeywordsOOP:write] SetX;\n"
              "Read(F, X); write(x);");
    // No comment or string starts before the declaration's ";".
    EXPECT_EQ(show("property X: {a} 'b' read F; {c}"),
              "[KeywordsOOP:property] X: {a} 'b' [KeywordsOOP:read] F; [CommentBrace:{c}]");
}

TEST_F(Pascal, AsmBlocks)
{
    EXPECT_EQ(show("asm mov eax, 1; push eax end"),
              "[KeywordsASM:asm][ASMHighlight: ][KeywordsASM:mov][ASMHighlight: eax, ]"
              "[Numbers:1][ASMHighlight:; ][KeywordsASM:push][ASMHighlight: eax ][KeywordsASM:end]");
    EXPECT_EQ(show("asm asm begin end"),
              "[KeywordsASM:asm][ASMHighlight: asm begin ][KeywordsASM:end]");
    // Comments and strings inside a block use the block's own entries; "end" in a comment
    // does not close the block.
    EXPECT_EQ(show("asm { end } 'x' end; begin"),
              "[KeywordsASM:asm][ASMHighlight: ][CommentBrace:{ end }][ASMHighlight: ]"
              "[Strings:'x'][ASMHighlight: ][KeywordsASM:end]; [KeywordsOOP:begin]");
    EXPECT_EQ(classAt(0, 14), "Strings");
    EXPECT_EQ(doc.recordInForce(0, 14).Context, 8); // the block's string entry
    EXPECT_EQ(show("basm x"), "basm x");
    // The closing key ignores case as the opening one does, within a paragraph and
    // after it.
    EXPECT_EQ(show("ASM nop EnD; begin"),
              "[KeywordsASM:ASM][ASMHighlight: ][KeywordsASM:nop][ASMHighlight: ][KeywordsASM:EnD]; "
              "[KeywordsOOP:begin]");
    EXPECT_EQ(show("Asm\n nop\neNd x"),
              "[KeywordsASM:Asm]\n[ASMHighlight: ][KeywordsASM:nop]\n[KeywordsASM:eNd] x");
}

TEST_F(Pascal, AsmLabelsDoNotEndTheBlock)
{
    // "@end" and "xend" near a paragraph start are not the whole word "end": only the
    // paragraph start itself counts as a word boundary.
    EXPECT_EQ(show("asm\n  jz @end\n  mov eax, 1\n@end:\nend;"),
              "[KeywordsASM:asm]\n"
              "[ASMHighlight:  ][KeywordsASM:jz][ASMHighlight: @end]\n"
              "[ASMHighlight:  ][KeywordsASM:mov][ASMHighlight: eax, ][Numbers:1]\n"
              "[ASMHighlight:@end:]\n"
              "[KeywordsASM:end];");
    EXPECT_EQ(classAt(4, 0), "KeywordsASM");
    EXPECT_EQ(doc.recordInForce(4, 3).level(), -1); // closed by the last "end" only
    EXPECT_EQ(show("asm\nxend\n.end\nend"),
              "[KeywordsASM:asm]\n[ASMHighlight:xend]\n[ASMHighlight:.][KeywordsASM:end]\n"
              "[KeywordsOOP:end]");
    // A start key needs the real character before it as well.
    EXPECT_EQ(show("x:=1;basm mov\nbegin"), "x:=[Numbers:1];basm mov\n[KeywordsOOP:begin]");
}

TEST_F(Pascal, NumbersDirectlyBehindCommentsAndDirectives)
{
    EXPECT_EQ(show("x := {c}0;"), "x := [CommentBrace:{c}][Numbers:0];");
    EXPECT_EQ(show("{$ifdef A}3{$else}2{$endif}"),
              "[Directives:{$ifdef A}][Numbers:3][Directives:{$else}][Numbers:2][Directives:{$endif}]");
    EXPECT_EQ(show("(*a*)$1F 'b'7 //c"),
              "[CommentParAst:(*a*)][Numbers:$1F] [Strings:'b'][Numbers:7] [CommentSingleLine://c]");
    // Inside asm blocks too, and still only whole words.
    EXPECT_EQ(show("asm {c}4 {d}4x end"),
              "[KeywordsASM:asm][ASMHighlight: ][CommentBrace:{c}][Numbers:4][ASMHighlight: ]"
              "[CommentBrace:{d}][ASMHighlight:4x ][KeywordsASM:end]");
}

TEST_F(Pascal, CommentsDirectivesAndStrings)
{
    EXPECT_EQ(show("{$R+} { note } (* x *) // rest { not"),
              "[Directives:{$R+}] [CommentBrace:{ note }] [CommentParAst:(* x *)] "
              "[CommentSingleLine:// rest { not]");
    EXPECT_EQ(show("a { one\ntwo\nthree } b\nc"),
              "a [CommentBrace:{ one]\n[CommentBrace:two]\n[CommentBrace:three }] b\nc");
    EXPECT_EQ(show("s := 'open\nbegin // x\nend"),
              "s := [Strings:'open]\n[KeywordsOOP:begin] [CommentSingleLine:// x]\n[KeywordsOOP:end]");
    EXPECT_EQ(show("'it''s'"), "[Strings:'it'][Strings:'s']");
}

TEST_F(Pascal, NumbersOnlyInCodeAndAsm)
{
    EXPECT_EQ(show("x := 3.14 - -5 + 1E5 + #13 + $1F;"),
              "x := [Numbers:3].[Numbers:14] - -[Numbers:5] + 1E5 + #13 + [Numbers:$1F];");
    EXPECT_EQ(show("'12' {34} (*56*) {$R 78} // 90"),
              "[Strings:'12'] [CommentBrace:{34}] [CommentParAst:(*56*)] [Directives:{$R 78}] "
              "[CommentSingleLine:// 90]");
}

TEST_F(Pascal, RealisticUnitGetsTheRightStyles)
{
    doc.setText(sampleText());
    struct Row {
        int para;
        const char* text;
        const char* style; // "" = plain
    };
    const Row rows[] = {
        {0, "unit", "KeywordsOOP"},
        {0, "Sample", ""},
        {2, "{$IFDEF DEBUG}", "Directives"},
        {2, "{$R+}", "Directives"},
        {4, "interface", "KeywordsOOP"},
        {7, "Classes", ""},
        {10, "class", "KeywordsOOP"},
        {10, "TPersistent", ""},
        {11, "private", "KeywordsOOP"},
        {14, "procedure", "KeywordsOOP"},
        {16, "virtual", "KeywordsOOP"},
        {16, "abstract", ""},
        {19, "property", "KeywordsOOP"},
        {19, "read", "KeywordsOOP"},
        {19, "write", "KeywordsOOP"},
        {19, "default", "KeywordsOOP"},
        {19, "10", "Numbers"},
        {20, "stored", "KeywordsOOP"},
        {21, "end", "KeywordsOOP"},
        {25, "{ A brace comment", "CommentBrace"},
        {26, "that spans paragraphs }", "CommentBrace"},
        {28, "(* A parenthesis-star comment", "CommentParAst"},
        {29, "over two paragraphs *)", "CommentParAst"},
        {31, "constructor", "KeywordsOOP"},
        {33, "inherited", "KeywordsOOP"},
        {34, "$FF", "Numbers"},
        {34, "42", "Numbers"},
        {34, "// hex and decimal", "CommentSingleLine"},
        {35, "'It'", "Strings"},
        {35, "'s a shape'", "Strings"},
        {36, "Read", ""},
        {41, "then", "KeywordsOOP"},
        {42, "3", "Numbers"},
        {42, "14", "Numbers"},
        {45, "assembler", ""},
        {46, "asm", "KeywordsASM"},
        {47, "MOV", "KeywordsASM"},
        {47, "EAX, A", "ASMHighlight"},
        {48, "push", "KeywordsASM"},
        {48, "{ keep it }", "CommentBrace"},
        {49, "BEGIN", "ASMHighlight"},
        {50, "end", "KeywordsASM"},
        {52, "end", "KeywordsOOP"},
    };
    for (const Row& row : rows) {
        const QString para = doc.paragraphText(row.para);
        const qsizetype at = para.indexOf(QLatin1String(row.text));
        ASSERT_GE(at, 0) << row.para << ": " << row.text;
        for (qsizetype i = at; i < at + qsizetype(strlen(row.text)); ++i)
            EXPECT_EQ(classAt(row.para, int(i)).toStdString(), row.style)
                << "paragraph " << row.para << " \"" << row.text << "\" at " << i;
    }
}

TEST_F(Pascal, WholeDumpMatchesTheGoldenFile)
{
    doc.setText(sampleText());
    const QString dump = dumpText(doc);
    QFile golden(QStringLiteral(KBL_TEST_DATA "/Sample.pas.styled"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump, QString::fromUtf8(golden.readAll()));
    // Paragraph by paragraph on demand gives the same as all at once.
    StyledDocument lazy;
    lazy.UpdateMode = umOnNeed;
    lazy.ApplyKeyWords = false;
    lazy.setHighlighter(&h);
    lazy.setText(sampleText());
    for (int i = lazy.paragraphCount() - 1; i >= 0; i -= 7)
        lazy.ensureParsed(i);
    EXPECT_EQ(dumpText(lazy), dump);
}

TEST_F(Pascal, TypingABraceReHighlightsOnlyUpToTheClosingBrace)
{
    doc.setText(u"begin\n  a := 1;\n  b := 2;\n  c := 3; }\n  d := 4;\n  e := 5;\nend.");
    const qint64 regionsBefore = doc.counters.regionPasses;
    doc.insertText(doc.paragraph(1).Start + 2, u"{");
    EXPECT_EQ(dumpParagraph(doc, 1), "  [CommentBrace:{a := 1;]");
    EXPECT_EQ(dumpParagraph(doc, 2), "[CommentBrace:  b := 2;]");
    EXPECT_EQ(dumpParagraph(doc, 3), "[CommentBrace:  c := 3; }]");
    EXPECT_EQ(dumpParagraph(doc, 4), "  d := [Numbers:4];");
    // The paragraphs behind the one whose end state is unchanged are not touched.
    EXPECT_EQ(doc.lastRegionPassParagraphs, std::vector<int>({1, 2, 3}));
    EXPECT_EQ(doc.counters.regionPasses - regionsBefore, 3);

    // Deleting the brace restores the code.
    doc.deleteText(doc.paragraph(1).Start + 2, 1);
    EXPECT_EQ(dumpParagraph(doc, 2), "  b := [Numbers:2];");
    EXPECT_EQ(dumpParagraph(doc, 3), "  c := [Numbers:3]; }");
}

TEST_F(Pascal, UnterminatedRegionsAndDeepNestingEndSafely)
{
    EXPECT_EQ(show("{ never closed\nx"), "[CommentBrace:{ never closed]\n[CommentBrace:x]");
    EXPECT_EQ(show("(* open\nasm"), "[CommentParAst:(* open]\n[CommentParAst:asm]");
    EXPECT_EQ(show("asm mov\nnop"), "[KeywordsASM:asm][ASMHighlight: ][KeywordsASM:mov]\n"
                                     "[KeywordsASM:nop]");
    QString deep;
    for (int i = 0; i < 20; ++i)
        deep += "asm { (* ' ";
    doc.setText(deep);
    EXPECT_LE(doc.recordInForce(0, int(deep.size())).level(), 15);
}

TEST_F(Pascal, GroupStyleChangesKeepIndividualKeywordStyles)
{
    TExtKeywordInfo& begin = h.Keywords().entry(3);
    begin.Style |= fsUnderline;
    h.Keywords().changed();
    h.KeywordsOOP.setStyle(fsItalic);
    EXPECT_EQ(h.Keywords().entry(3).Style, fsItalic | fsUnderline);
    EXPECT_EQ(h.Keywords().entry(4).Style, fsItalic);
    EXPECT_EQ(h.Keywords().entry(90).Style, fsBold); // assembler keywords untouched
    h.KeywordsOOP.setForeground(0x123);
    EXPECT_EQ(h.Keywords().entry(0).Foreground, 0x123);
    h.Strings.setBackground(0x456);
    EXPECT_EQ(h.StartStopKeys().item(1).Background, 0x456);
    EXPECT_EQ(h.StartStopKeys().item(6).Background, 0x456);
    h.Numbers.setStyle(fsItalic);
    EXPECT_EQ(h.NumberHighlighter().Style, fsItalic);
    // The view shows the change when it is re-highlighted.
    doc.setText(u"begin");
    EXPECT_EQ(doc.recordInForce(0, 0).Attribute & 0x0F, fsItalic | fsUnderline);
}

TEST_F(Pascal, ViewerStylesAreApplied)
{
    EXPECT_EQ(h.StartStopKeys().item(1).Style, 0);          // Strings: no style
    EXPECT_EQ(h.StartStopKeys().item(1).Foreground, 0x800000); // navy
    EXPECT_EQ(h.StartStopKeys().item(3).Background, 0xC0C0C0); // directives on silver
    EXPECT_EQ(h.NumberHighlighter().Style, fsBold);
    EXPECT_EQ(h.Keywords().entry(100).Background, 0x00FFFF);
}

TEST_F(Pascal, ModFormatsRoundTripAndBadIndices)
{
    h.Keywords().entry(5).Foreground = 0xABCDEF;
    h.Keywords().entry(200).Style = fsUnderline;
    h.Keywords().changed();
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        ValueWriter w(out);
        h.writeComponent(w);
    }
    TOOPHighlighter back;
    {
        QDataStream in(bytes);
        ValueReader r(in);
        back.readComponent(r);
    }
    EXPECT_EQ(back.Keywords().entry(5).Foreground, 0xABCDEF);
    EXPECT_EQ(back.Keywords().entry(5).Style, fsBold); // the mark is cleared by Loaded
    EXPECT_EQ(back.Keywords().entry(200).Style, fsUnderline);
    EXPECT_EQ(back.Keywords().entry(6).Foreground, -1);
    EXPECT_EQ(back.Strings.Foreground(), 0x800000);
    EXPECT_EQ(back.StartStopKeys().item(1).Foreground, 0x800000);

    // An item naming index 246 or more changes nothing.
    QByteArray bad;
    {
        QDataStream out(&bad, QIODevice::WriteOnly);
        ValueWriter w(out);
        w.writePropertyName("ModFormats");
        w.writeListBegin();
        for (qint32 v : {246, 0, 4, 1, 0, 7, 7})
            w.writeInteger(v);
        w.writeListEnd();
        w.writePropertyName("Keywords.Formats"); // the legacy list: item i is keyword i
        w.writeListBegin();
        for (qint32 v : {2, 8, 1, 0, -1, 0x55})
            w.writeInteger(v);
        w.writeListEnd();
        w.writeListEnd();
    }
    TOOPHighlighter other;
    QDataStream in(bad);
    ValueReader r(in);
    other.readComponent(r);
    EXPECT_EQ(other.Keywords().entry(0).Foreground, 0x55);
    EXPECT_EQ(other.Keywords().entry(0).Style, 8);
    for (int i = 1; i < 246; ++i)
        ASSERT_NE(other.Keywords().entry(i).Foreground, 7) << i;
}
