// Many adjacent and nested regions: the work stays linear in the paragraph's length, and
// the results are those of the plain searches (a stop-key scan of the whole window and a
// walk back over every record), which these tests keep as their reference.

#include "Support.h"

#include "highlight/ExtHighlighter.h"
#include "highlight/HighlightDump.h"
#include "highlight/OOPHighlighter.h"
#include "textview/RuleSearch.h"

#include <gtest/gtest.h>

#include <random>

using namespace kbl;

namespace {

// The state a closing region returns to, found by walking back over every record.
FormatRecord walkBack(StyledDocument& doc, int pi, int r, int level)
{
    for (int p = pi; p >= 0; --p) {
        const ParagraphInfo& q = doc.paragraph(p);
        if (p < pi)
            r = int(q.Formats.size()) - 1;
        for (; r >= 0; --r)
            if (doc.formats().at(q.Formats[size_t(r)].style).level() < level)
                return doc.formats().expand(q.Formats[size_t(r)]);
        const FormatRecord& s = doc.formats().at(q.StartFormat);
        if (s.level() < level)
            return s;
    }
    return FormatRecord{};
}

// The stop search as a plain scan of its whole window, closing by walkBack.
bool plainStopSearch(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                     TExtStartStopList& list, const CharSet& seps, int baseIndex, int k)
{
    const int pi = from.paraIndex();
    const ParagraphInfo& para = doc.paragraph(pi);
    const qint32 len = para.length();
    const char16_t* raw = para.text();
    const qint32 fromOff = from.offset();
    const qint32 toOff = to.paraIndex() == pi ? std::max(fromOff, to.offset()) : len;
    const int curIdx = doc.upperRecordIndex(pi, fromOff) - 1;
    const FormatRecord cur = doc.recordInForce(pi, fromOff);
    const int level = cur.level();
    if (level < 0 || k < 0 || k >= list.count())
        return false;
    const TExtStartStopInfo& e = list.item(k);
    const qint32 sl = e.StopKeyLen;
    qint32 winStart = std::max(0, fromOff - sl);
    if (curIdx >= 0 && cur.Offset + cur.StartKeyLen >= fromOff)
        winStart = std::max(winStart, std::min(len, cur.Offset + qint32(cur.StartKeyLen)));
    else if (curIdx >= 0)
        winStart = std::max(winStart, cur.Offset);
    const qint32 limit = std::min(len, toOff + sl);
    const char16_t* t = (e.Options & MatchCase) ? raw : doc.UpperCopy(pi, 0, len);
    qint32 found = -1, foundEnd = -1;
    if (e.Scope == 0x7FFF) {
        for (qint32 q = std::max(winStart, fromOff); q < std::min(len, toOff + 1); ++q)
            if (seps.contains(raw[q])) {
                found = foundEnd = q;
                break;
            }
    } else if (sl > 0) {
        for (qint32 q = winStart; q + sl <= limit; ++q) {
            if (!std::equal(e.StopKey.begin(), e.StopKey.end(), t + q))
                continue;
            if (e.StopNeedsSepBefore && q > 0 && !seps.contains(raw[q - 1]))
                continue;
            if (e.StopNeedsSepAfter && q + sl < len && !seps.contains(raw[q + sl]))
                continue;
            found = q;
            foundEnd = q + sl;
            break;
        }
    }
    if (found < 0 && e.StopAtParEnd && toOff == len)
        found = foundEnd = len;
    if (found < 0)
        return false;
    const int lo = std::max(curIdx + 1, doc.lowerRecordIndex(pi, found));
    for (int r = doc.upperRecordIndex(pi, foundEnd) - 1; r >= lo; --r)
        doc.deleteRecord(pi, r);
    FormatRecord region = cur;
    region.StopKeyLen = quint8(std::min(255, sl + (e.StopNeedsSepBefore ? 1 : 0)));
    if (curIdx >= 0)
        doc.replaceRecord(pi, curIdx, region);
    else
        doc.setStartFormat(pi, region);
    FormatRecord next;
    int chained = -1;
    for (int n = k + 1; n < list.count() && chained < 0; ++n) {
        const TExtStartStopInfo& c = list.item(n);
        if (c.FirstSameStart == k && c.Scope == e.Scope && c.Priority == e.Priority)
            chained = n;
    }
    if (chained >= 0) {
        const TExtStartStopInfo& c = list.item(chained);
        next = region;
        next.Attribute = quint8(c.Style | 0xC0);
        next.RuleStack[size_t(level)] = regionId(baseIndex + chained);
        next.Cursor = c.Cursor;
        next.Background = c.Background;
        next.Foreground = c.Foreground;
    } else {
        next = walkBack(doc, pi, curIdx - 1, level);
    }
    next.StartKeyLen = 0;
    next.Offset = foundEnd;
    doc.insertRecord(pi, doc.lowerRecordIndex(pi, foundEnd), next);
    to.setParaOffset(pi, foundEnd);
    return true;
}

// A highlighter whose stop searches are the plain ones.
template <typename Base>
struct PlainStops : Base {
    bool FindStopKey(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                     int baseIndex) override
    {
        const FormatRecord& cur = doc.styleInForce(from.paraIndex(), from.offset());
        if (cur.level() < 0)
            return false;
        const qint16 t = cur.topRule();
        const int k = regionIndex(t) - baseIndex;
        if (k < 0 || !isRegionId(t) || k >= this->StartStopKeys().count())
            return false;
        return plainStopSearch(doc, from, to, this->StartStopKeys(), this->Separators(),
                               baseIndex, k);
    }
};

// Generic rules with nesting, chaining, a separator-ended region and whole-word keys.
template <typename H>
void addGenericRules(H& h)
{
    h.StartStopKeys().Add("begin", "end", WholeWord, 0, 2, 0, -1, -1, false, 0, 0);
    h.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 1);
    h.StartStopKeys().Add("'", "'", 0, 0, 4, 0, -1, 0x11, true, 0, 2);
    h.StartStopKeys().Add("'", "'", 0, 0, 4, 0, -1, 0x22, true, 0, 2); // chained
    h.StartStopKeys().Add("@", "", 0, 0, 5, 0, -1, -1, false, 0x7FFF, 0x7FFF);
    h.StartStopKeys().Add("<", ">", 0, 0, 6, 0, -1, -1, false, 0, 0x7FFF);
    h.Keywords().AddKeyword("end", WholeWord, fsBold, 1, 0, -1, -1, 0, 0x7FFF);
}

// Parses both documents in the same random order (so keyword passes of earlier
// paragraphs also run after region passes of later ones) and compares their records.
void expectSameRecords(StyledDocument& a, StyledDocument& b, const QString& text, std::mt19937& rng)
{
    ASSERT_EQ(a.paragraphCount(), b.paragraphCount());
    for (int n = 0; n < 3; ++n) {
        const int i = int(rng() % unsigned(a.paragraphCount()));
        a.ensureParsed(i);
        b.ensureParsed(i);
    }
    for (int i = 0; i < a.paragraphCount(); ++i) {
        a.ensureParsed(i);
        b.ensureParsed(i);
    }
    for (int i = 0; i < a.paragraphCount(); ++i) {
        const ParagraphInfo& p = a.paragraph(i);
        const ParagraphInfo& q = b.paragraph(i);
        ASSERT_TRUE(a.formats().at(p.StartFormat).sameStyle(b.formats().at(q.StartFormat)))
            << "start format of paragraph " << i << " in " << text.toStdString();
        ASSERT_EQ(p.Formats.size(), q.Formats.size()) << "paragraph " << i << " in " << text.toStdString();
        for (size_t r = 0; r < p.Formats.size(); ++r) {
            ASSERT_EQ(p.Formats[r].offset, q.Formats[r].offset) << text.toStdString();
            ASSERT_TRUE(a.formats().at(p.Formats[r].style).sameStyle(b.formats().at(q.Formats[r].style)))
                << "record " << r << " of paragraph " << i << " in " << text.toStdString();
        }
    }
}

QString randomText(std::mt19937& rng, const std::vector<const char*>& tokens, int maxTokens)
{
    QString text;
    const int n = int(rng() % unsigned(maxTokens)) + 1;
    for (int i = 0; i < n; ++i)
        text += QString::fromLatin1(tokens[rng() % tokens.size()]);
    return text;
}

struct Comparison {
    std::vector<const char*> tokens;
    std::vector<const char16_t*> inserts;
    std::function<void(StyledDocument&, StyledDocument&)> attach;
};

// Random texts, then random edits: the document with the quick searches and the one with
// the plain searches end with the same records. The quick walk back is checked against
// the plain one for every record and level, also between the searches of a pass.
template <typename Quick>
void compareOnRandomTexts(Quick& quick, const Comparison& c, unsigned seed)
{
    std::mt19937 rng(seed);
    StyledDocument fast, plain;
    for (StyledDocument* d : {&fast, &plain})
        d->UpdateMode = umOnNeed;
    c.attach(fast, plain);
    int checks = 0;
    auto checkWalks = [&](StyledDocument& d, int upTo) {
        for (int p = 0; p <= upTo; ++p)
            for (int r = -1; r < d.recordCount(p); ++r)
                for (int level = 0; level <= MaxNestingLevel + 1; ++level) {
                    ++checks;
                    ASSERT_TRUE(d.recordBelowLevel(p, r, level).sameStyle(walkBack(d, p, r, level)))
                        << p << " " << r << " " << level;
                }
    };
    quick.OnStartMatch = [&](TStyledNavigator& at, TStyledNavigator*, int, bool&) {
        if (rng() % 4 == 0)
            checkWalks(fast, at.paraIndex());
    };
    for (int round = 0; round < 300; ++round) {
        const QString text = randomText(rng, c.tokens, 40);
        fast.setText(text);
        plain.setText(text);
        expectSameRecords(fast, plain, text, rng);
        checkWalks(fast, fast.paragraphCount() - 1);
        if (round % 8 == 0) { // parsed again over the same text
            fast.ReapplyKeywords();
            plain.ReapplyKeywords();
            expectSameRecords(fast, plain, text, rng);
        }
        for (int edit = 0; edit < 4; ++edit) {
            const qint64 pos = qint64(rng() % unsigned(fast.textLength() + 1));
            if (rng() % 3 == 0) {
                const qint64 n = qint64(rng() % 6);
                fast.deleteText(pos, n);
                plain.deleteText(pos, n);
            } else {
                const char16_t* ins = c.inserts[rng() % c.inserts.size()];
                fast.insertText(pos, ins);
                plain.insertText(pos, ins);
            }
            expectSameRecords(fast, plain, fast.text(), rng);
            checkWalks(fast, fast.paragraphCount() - 1);
        }
    }
    quick.OnStartMatch = nullptr;
    EXPECT_GT(checks, 10000);
}

} // namespace

TEST(RegionSearch, PascalResultsEqualThePlainSearches)
{
    TOOPHighlighter quick;
    PlainStops<TOOPHighlighter> plain;
    applyFileViewerStyles(quick);
    applyFileViewerStyles(plain);
    Comparison c;
    c.tokens = {"{", "}", "{$", "(*", "*)", "'", "''", "//", "asm ", "asm", " end", "end", "@end",
                "x", "1", " ", "\n", "\n", "\n", ";", "property ", "begin ", "{}", "''''", "(**)",
                "}{", "}{\n", "mov ", " read "};
    c.inserts = {u"{", u"}", u"'", u"(*", u"*)", u"asm ", u" end", u"\r\n", u"//", u"{}"};
    c.attach = [&](StyledDocument& f, StyledDocument& p) {
        f.ApplyKeyWords = p.ApplyKeyWords = false;
        f.setHighlighter(&quick);
        p.setHighlighter(&plain);
    };
    compareOnRandomTexts(quick, c, 11);
}

TEST(RegionSearch, GenericRulesEqualThePlainSearches)
{
    TCustomExtHighlighter quick;
    PlainStops<TCustomExtHighlighter> plain;
    addGenericRules(quick);
    addGenericRules(plain);
    Comparison c;
    c.tokens = {"begin", "end", "xend", " ", "\n", "\n", "{", "}", "}{\n", "'", "@", "a", ",", "<",
                ">", ";", " end "};
    c.inserts = {u"{", u"}", u"'", u"begin ", u" end", u"\r\n", u"@", u"<", u">"};
    c.attach = [&](StyledDocument& f, StyledDocument& p) {
        f.setHighlighter(&quick);
        p.setHighlighter(&plain);
    };
    compareOnRandomTexts(quick, c, 5);
}

// Sizes that quadratic searches cannot finish within the test timeout (minutes each),
// while the linear ones take a fraction of a second.
struct LongParagraphs : ::testing::Test {
    LongParagraphs()
    {
        applyFileViewerStyles(h);
        doc.UpdateMode = umOnNeed;
        doc.ApplyKeyWords = false;
        doc.setHighlighter(&h);
    }
    QString style(int para, qint32 offset)
    {
        doc.ensureParsed(para);
        return oopStyleClass(doc.recordInForce(para, offset), 0);
    }
    TOOPHighlighter h;
    StyledDocument doc;
};

TEST_F(LongParagraphs, TwoMegabytesOfQuotesOrOfEmptyComments)
{
    doc.setText(QString(2'000'000, u'\''));
    ASSERT_EQ(doc.paragraphCount(), 1);
    doc.ensureParsed(0);
    EXPECT_EQ(doc.recordCount(0), 1'000'001); // a string every two quotes, plain at the end
    EXPECT_EQ(style(0, 0), "Strings");
    EXPECT_EQ(style(0, 1'999'999), "Strings");
    EXPECT_EQ(doc.recordInForce(0, 2'000'000).level(), -1);

    doc.setText(QStringLiteral("{}").repeated(1'000'000) + QStringLiteral("1"));
    doc.ensureParsed(0);
    EXPECT_EQ(style(0, 1'999'998), "CommentBrace");
    EXPECT_EQ(style(0, 2'000'000), "Numbers");
}

TEST_F(LongParagraphs, ManyRegionsNestedInOneAsmBlock)
{
    // Every comment and string closes back to the block; the block's own "end" is not
    // looked for again over the rest of the paragraph behind each of them.
    doc.setText(QStringLiteral("asm ") + QStringLiteral("{}(**)''").repeated(250'000) + QStringLiteral(" end 7"));
    doc.ensureParsed(0);
    EXPECT_EQ(style(0, 4), "CommentBrace");
    EXPECT_EQ(style(0, 6), "CommentParAst");
    EXPECT_EQ(style(0, 2'000'002), "Strings");
    EXPECT_EQ(style(0, 2'000'004), "ASMHighlight");
    EXPECT_EQ(style(0, 2'000'005), "KeywordsASM");
    EXPECT_EQ(doc.recordInForce(0, 2'000'008).level(), -1);
    doc.ensureParsed(0);
    EXPECT_EQ(style(0, 2'000'009), "Numbers");
}

TEST_F(LongParagraphs, RegionsReopenedOnEveryParagraphCloseInFewSteps)
{
    // "}{" closes a comment and opens the next one in its place: the walk back to the
    // state before the comment must not cross all earlier paragraphs each time.
    QString text = QStringLiteral("x := 1; {\n") + QStringLiteral("}{\n").repeated(500'000) + QStringLiteral("} y := 2;");
    doc.setText(text);
    const int last = doc.paragraphCount() - 1;
    EXPECT_EQ(last, 500'001);
    doc.ensureParsed(last);
    EXPECT_EQ(style(250'000, 0), "CommentBrace");
    EXPECT_EQ(style(250'000, 1), "CommentBrace");
    EXPECT_EQ(doc.recordInForce(last, 2).level(), -1);
    EXPECT_EQ(style(last, 7), "Numbers");
    // Edits at the top re-highlight every paragraph, each time in linear time.
    doc.UpdateMode = umImmediate;
    doc.insertText(0, u"(*");
    EXPECT_EQ(style(last, 7), "CommentParAst");
    doc.deleteText(0, 2);
    EXPECT_EQ(style(250'000, 1), "CommentBrace");
    EXPECT_EQ(style(last, 7), "Numbers");
}
