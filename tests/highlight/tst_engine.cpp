#include "Support.h"

#include "highlight/ExtHighlighter.h"
#include "highlight/HighlightInfo.h"
#include "highlight/NumberHighlighter.h"
#include "textview/RuleSearch.h"

#include <gtest/gtest.h>

using namespace kbl;
using kbltest::contexts;

namespace {

struct Engine : ::testing::Test {
    Engine()
    {
        doc.UpdateMode = umOnNeed;
        doc.setHighlighter(&h);
    }
    QString run(const QString& text)
    {
        doc.setText(text);
        doc.parseAll();
        return contexts(doc);
    }
    TCustomExtHighlighter h;
    StyledDocument doc;
};

} // namespace

TEST_F(Engine, KeywordsNeedAContextAndWholeWords)
{
    h.Keywords().AddKeyword("if", WholeWord, fsBold, 1, 0, -1, -1);
    h.Keywords().AddKeyword("then", WholeWord, fsBold, 0, 0, -1, -1); // never matched
    h.Keywords().AddKeyword("xy", 0, fsBold, 2, 0, -1, -1);          // inside words too
    EXPECT_EQ(run("if a then IF;ifx,xyz"), "[c1:if] a then [c1:IF];ifx,[c2:xy]z\n");
}

TEST_F(Engine, WholeWordKeywordsIgnoreTheCaseOfLettersOnly)
{
    // "@" and "`", "[" and "{" differ as "A" and "a" do; only letters have a case.
    h.Keywords().AddKeyword("a@b", WholeWord, fsBold, 1, 0, -1, -1);
    h.Keywords().AddKeyword("x[y", WholeWord, fsBold, 2, 0, -1, -1);
    h.Keywords().AddKeyword("Zz", MatchCase | WholeWord, fsBold, 3, 0, -1, -1);
    EXPECT_EQ(run("a@b a`b A@B x[y x{y X[Y Zz zz ZZ zZ"),
              "[c1:a@b] a`b [c1:A@B] [c2:x[y] x{y [c2:X[Y] [c3:Zz] zz ZZ zZ\n");
}

TEST_F(Engine, WholeWordsAreThoseOfTheParagraph)
{
    // Stop keys: only the paragraph start stands for a separator before the key.
    h.StartStopKeys().Add("begin", "end", WholeWord, 0, 2, 0, -1, -1, false, 0, 0);
    h.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 1);
    EXPECT_EQ(run("begin\nxend {x}end end"), "[c2:begin]\n[c2:xend ][c3:{x}][c2:end end]\n");
    EXPECT_EQ(run("begin\nend"), "[c2:begin]\n[c2:end]\n");

    // Keywords over a stretch that ends inside a word: the word is still the paragraph's
    // word, for the word lookup ("abcde") and the plain search ("a.cde") alike.
    TCustomExtHighlighter words;
    words.Keywords().AddKeyword("abcde", WholeWord, fsBold, 1, 0, -1, -1);
    words.Keywords().AddKeyword("a.cde", WholeWord, fsBold, 4, 0, -1, -1);
    StyledDocument d;
    d.UpdateMode = umOnNeed;
    d.setText(u"abcdex a.cdez zzzzzzabcde a.cde");
    d.parseAll();
    TStyledNavigator from(&d), to(&d);
    for (qint64 at : {0, 7, 25}) {
        from.setPos(at);
        to.setPos(at);
        words.ApplyKeywords(d, from, to, 0);
        EXPECT_EQ(contexts(d, 0), "abcdex a.cdez zzzzzzabcde a.cde") << at;
    }
    from.setPos(0);
    to.setPos(d.textLength());
    words.ApplyKeywords(d, from, to, 0);
    EXPECT_EQ(contexts(d, 0), "abcdex a.cdez zzzzzzabcde [c4:a.cde]");
}

TEST_F(Engine, SeventeenHitsInOneParagraphAreAllApplied)
{
    h.Keywords().AddKeyword("k", WholeWord, fsBold, 1, 0, -1, -1);
    QString text, expected;
    for (int i = 0; i < 17; ++i) {
        text += "k ";
        expected += "[c1:k] ";
    }
    EXPECT_EQ(run(text), expected + "\n");
    EXPECT_EQ(doc.recordCount(0), 34);
}

TEST_F(Engine, AQuoteThatStartsAndStopsDoesNotNest)
{
    h.StartStopKeys().Add("'", "'", 0, fsItalic, 2, 0, -1, -1, true, 0, 0);
    EXPECT_EQ(run("a 'x' b 'y'"), "a [c2:'x'] b [c2:'y']\n");
    EXPECT_EQ(doc.recordInForce(0, 3).level(), 0);
}

TEST_F(Engine, StopAtParagraphEndOrCarryOn)
{
    h.StartStopKeys().Add("'", "'", 0, 0, 2, 0, -1, -1, true, 0, 0);
    h.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 0);
    EXPECT_EQ(run("a 'open\nb\n{ c\nd } e"), "a [c2:'open]\nb\n[c3:{ c]\n[c3:d }] e\n");
}

TEST_F(Engine, NestingStopsAtSixteenLevels)
{
    h.StartStopKeys().Add("(", ")", 0, 0, 9, 0, -1, -1, false, 0, 0x7FFF);
    h.Keywords().AddKeyword("k", WholeWord, 0, 1, 0, -1, -1, 0, 0x7FFF);
    QString text(20, u'(');
    text += " k ";
    run(text);
    int maxLevel = -1;
    for (int i = 0; i < doc.recordCount(0); ++i)
        maxLevel = std::max(maxLevel, doc.record(0, i).level());
    EXPECT_EQ(maxLevel, 15);
    EXPECT_EQ(doc.recordInForce(0, 21).level(), 15); // no keyword on top of level 15
    EXPECT_EQ(doc.recordInForce(0, 21).Context, 9);
}

TEST_F(Engine, ScopeEverywhereEndsAtTheFirstSeparator)
{
    h.StartStopKeys().Add("@", "", 0, 0, 4, 0, -1, -1, false, 0x7FFF, 0x7FFF);
    EXPECT_EQ(run("x @abc def @g"), "x [c4:@abc] def [c4:@g]\n");
}

TEST_F(Engine, ScopesAndPrioritiesDecideWhatAppliesInsideRegions)
{
    h.StartStopKeys().Add("<", ">", 0, 0, 5, 0, -1, -1, false, 0, 5);
    h.Keywords().AddKeyword("low", WholeWord, 0, 1, 0, -1, -1, 0, 5);   // not above 5
    h.Keywords().AddKeyword("high", WholeWord, 0, 2, 0, -1, -1, 0, 6);  // above 5
    h.Keywords().AddKeyword("inner", WholeWord, 0, 3, 0, -1, -1, 5, 0); // only in context 5
    EXPECT_EQ(run("low high inner <low high inner >"),
              "[c1:low] [c2:high] inner [c5:<low ][c2:high][c5: ][c3:inner][c5: >]\n");
}

TEST_F(Engine, ChainedHighlightersOffsetTheirRegionIdentifiers)
{
    TCustomExtHighlighter second;
    second.StartStopKeys().Add("<", ">", 0, 0, 4, 0, -1, -1, false, 0, 0);
    second.Keywords().AddKeyword("w", WholeWord, 0, 6, 0, -1, -1);
    h.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 0);
    h.Keywords().AddKeyword("v", WholeWord, 0, 5, 0, -1, -1);
    h.setSubHighlighter(&second);
    EXPECT_EQ(run("{a} <b\nc> v w"), "[c3:{a}] [c4:<b]\n[c4:c>] [c5:v] [c6:w]\n");
    EXPECT_EQ(doc.recordInForce(0, 5).topRule(), regionId(1)); // 1 = first's entry count
    h.ComponentRemoved(&second);
    EXPECT_EQ(h.SubHighlighter(), nullptr);
}

TEST_F(Engine, AStopKeyCanChainIntoARegionWithTheSameStart)
{
    h.StartStopKeys().Add("'", "'", 0, 0, 2, 0, -1, 0x11, false, 0, 0);
    h.StartStopKeys().Add("'", "'", 0, 0, 2, 0, -1, 0x22, false, 0, 0);
    run("'a'b'c");
    EXPECT_EQ(doc.recordInForce(0, 1).Foreground, 0x11);
    EXPECT_EQ(doc.recordInForce(0, 3).Foreground, 0x22);
    EXPECT_EQ(doc.recordInForce(0, 5).level(), -1);
}

TEST_F(Engine, HooksCanVetoMatches)
{
    h.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 0);
    h.Keywords().AddKeyword("k", WholeWord, 0, 1, 0, -1, -1);
    int starts = 0;
    h.OnStartMatch = [&](TStyledNavigator& at, TStyledNavigator* second, int index, bool& accept) {
        EXPECT_EQ(second, nullptr);
        EXPECT_EQ(index, 0);
        accept = at.offset() != 0;
        ++starts;
    };
    h.OnKeywordMatch = [&](TStyledNavigator& a, TStyledNavigator* b, int, bool& accept) {
        accept = b && b->pos() - a.pos() == 1 && a.offset() > 8;
    };
    EXPECT_EQ(run("{x} k {y} k"), "{x} k [c3:{y}] [c1:k]\n");
    EXPECT_EQ(starts, 2);
}

TEST_F(Engine, HooksThatHighlightOtherParagraphsLeaveTheirOwnRight)
{
    // A hook may highlight other paragraphs while its own pass is under way: the passes
    // it nests must not take over the outer pass's hits, merged records or navigators.
    TNumberHighlighter numbers;
    h.setSubHighlighter(&numbers);
    h.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 0);
    h.Keywords().AddKeyword("begin", WholeWord, 0, 1, 0, -1, -1);
    h.Keywords().AddKeyword("end", WholeWord, 0, 2, 0, -1, -1);
    const QString text = QStringLiteral("begin {a} 1 end 2 begin\nend 3 {b} begin 4\n{c} 5 end\nbegin 6 end");
    const QString expected = run(text);
    ASSERT_EQ(expected, "[c1:begin] [c3:{a}] [c0:1] [c2:end] [c0:2] [c1:begin]\n[c2:end] [c0:3] [c3:{b}] "
                        "[c1:begin] [c0:4]\n[c3:{c}] [c0:5] [c2:end]\n[c1:begin] [c0:6] [c2:end]\n");

    // Looking ahead from a keyword nests the keyword passes of the following paragraphs.
    h.OnKeywordMatch = [&](TStyledNavigator& first, TStyledNavigator*, int, bool&) {
        if (first.paraIndex() + 1 < doc.paragraphCount())
            doc.ensureParsed(first.paraIndex() + 1);
    };
    EXPECT_EQ(run(text), expected);

    // Looking back from a region's start nests an earlier paragraph's keyword pass in this
    // region pass: the last paragraph is parsed first, so that the earlier ones have had
    // their region passes only.
    h.OnKeywordMatch = nullptr;
    h.OnStartMatch = [&](TStyledNavigator& at, TStyledNavigator*, int, bool&) {
        if (at.paraIndex() > 0)
            doc.ensureParsed(at.paraIndex() - 1);
    };
    doc.setText(text);
    doc.ensureParsed(doc.paragraphCount() - 1);
    doc.parseAll();
    EXPECT_EQ(contexts(doc), expected);
}

TEST_F(Engine, InactiveHighlighterStillRunsTheChain)
{
    TCustomExtHighlighter second;
    second.Keywords().AddKeyword("b", WholeWord, 0, 2, 0, -1, -1);
    h.Keywords().AddKeyword("a", WholeWord, 0, 1, 0, -1, -1);
    h.setSubHighlighter(&second);
    h.Active = false;
    EXPECT_EQ(run("a b"), "a [c2:b]\n");
}

TEST(NumberHighlighter, RecognisesDecimalAndHexWordsOnly)
{
    EXPECT_TRUE(TNumberHighlighter::isNumber(u"$FF", 3));
    EXPECT_TRUE(TNumberHighlighter::isNumber(u"$0", 2));
    EXPECT_TRUE(TNumberHighlighter::isNumber(u"$", 1));
    EXPECT_TRUE(TNumberHighlighter::isNumber(u"0123", 4));
    EXPECT_FALSE(TNumberHighlighter::isNumber(u"$FG", 3));
    EXPECT_FALSE(TNumberHighlighter::isNumber(u"0x1F", 4));
    EXPECT_FALSE(TNumberHighlighter::isNumber(u"123abc", 6));
}

TEST(NumberHighlighter, ContextQueryAndRecordBoundaries)
{
    TCustomExtHighlighter regions;
    regions.StartStopKeys().Add("'", "'", 0, 0, 2, 0, -1, -1, true, 0, 0);
    regions.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 0);
    TNumberHighlighter numbers;
    numbers.ContextNum = 5;
    numbers.setSubHighlighter(&regions);
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setHighlighter(&numbers);
    doc.setText(u"1 22 $FF 'a 12 ' 7 99{x} 8");
    doc.parseAll();
    EXPECT_EQ(contexts(doc, 0), "[c5:1] [c5:22] [c5:$FF] [c2:'a 12 '] [c5:7] 99[c3:{x}] [c5:8]");

    // A query answering "no" for plain text leaves numbers alone there.
    std::vector<int> scopes;
    numbers.OnQueryHilit = [&](TCustomExtHighlighter&, qint16 scope, bool& doHilit) {
        scopes.push_back(scope);
        doHilit = scope == 2;
    };
    doc.ReapplyKeywords();
    doc.parseAll();
    EXPECT_EQ(contexts(doc, 0), "1 22 $FF [c2:'a ][c5:12][c2: '] 7 99[c3:{x}] 8");
    EXPECT_NE(std::find(scopes.begin(), scopes.end(), 3), scopes.end());
}

TEST(NumberHighlighter, NumbersAreWholeWordsThatStartWithADigitOrDollar)
{
    TNumberHighlighter numbers;
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setHighlighter(&numbers);
    auto run = [&](const QString& text) {
        doc.setText(text);
        doc.parseAll();
        return contexts(doc, 0);
    };
    // Digits inside words, "$" alone or followed by a non-hex letter, and a word cut by
    // the paragraph start or end.
    EXPECT_EQ(run(QString::fromUtf16(u"1 a1 b22 $ $x x$1 1$ 9a a9 $ff0 7")),
              "[c0:1] a1 b22 [c0:$] $x x$1 1$ 9a a9 [c0:$ff0] [c0:7]");
    EXPECT_EQ(run(QString::fromUtf16(u"12345678901234567 x12345678 ,,,,,,,,,,;;;;;;;;;42")),
              "[c0:12345678901234567] x12345678 ,,,,,,,,,,;;;;;;;;;[c0:42]");
    // Characters past the first 256 and digits of other scripts start no number.
    EXPECT_EQ(run(QString::fromUtf16(u"\u0661 \u20ac1 \u2002 5")), "\u0661 \u20ac1 \u2002 [c0:5]");

    // "$" and digits may themselves be separators: they then begin no word.
    numbers.setSeparatorsText(QStringLiteral(" $1"));
    EXPECT_EQ(run(QStringLiteral("$12 212 a$3 x1y")), "$1[c0:2] [c0:2]1[c0:2] a$[c0:3] x1y");
}

TEST(NumberHighlighter, AStretchTakesTheWordsThatStartInOrNextToIt)
{
    // Called for offsets 4 to 7 of "12 34 56 78 90": the word under the character before
    // the stretch and those beginning in it or right after it count, no others.
    TNumberHighlighter numbers;
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setText(QStringLiteral("12 34 56 78 90"));
    doc.ensureParsed(0);
    TStyledNavigator from(&doc), to(&doc);
    from.setParaOffset(0, 4);
    to.setParaOffset(0, 7);
    numbers.ApplyKeywords(doc, from, to, 0);
    EXPECT_EQ(contexts(doc, 0), "12 [c0:34] [c0:56] 78 90");
    from.setParaOffset(0, 10);
    to.setParaOffset(0, 10);
    numbers.ApplyKeywords(doc, from, to, 0);
    EXPECT_EQ(contexts(doc, 0), "12 [c0:34] [c0:56] [c0:78] 90");
}

TEST(NumberHighlighter, SeparatorsAsText)
{
    TNumberHighlighter numbers;
    EXPECT_EQ(numbers.SeparatorsText(), " ,.;");
    numbers.setSeparatorsText(QStringLiteral("\t+ "));
    EXPECT_EQ(numbers.SeparatorsText(), " +");
    EXPECT_TRUE(numbers.Separators().contains(u'\t'));
    numbers.setSeparatorsText(QString());
    EXPECT_EQ(numbers.SeparatorsText(), "");

    numbers.setSeparatorsText(QStringLiteral("\t"));
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setHighlighter(&numbers);
    QString text, expected;
    for (int i = 0; i < 17; ++i) {
        text += QStringLiteral("%1\t").arg(i);
        expected += QStringLiteral("[c0:%1]\t").arg(i);
    }
    doc.setText(text);
    EXPECT_EQ(contexts(doc, 0), expected);
}

TEST(EngineChain, DestroyingTheNextHighlighterClearsTheLink)
{
    TCustomExtHighlighter first;
    {
        TCustomExtHighlighter second;
        first.setSubHighlighter(&second);
        EXPECT_EQ(first.SubHighlighter(), &second);
    }
    EXPECT_EQ(first.SubHighlighter(), nullptr);
    StyledDocument doc;
    {
        TCustomExtHighlighter h;
        doc.setHighlighter(&h);
    }
    EXPECT_EQ(doc.Highlighter(), nullptr);
}
