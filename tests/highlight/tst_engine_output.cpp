// The engine's output, pinned: checksums of every format record over the sample unit,
// generated units and many random texts, taken from the engine as it was before its
// matching was made faster. A change of any record anywhere changes a sum.

#include "highlight/ExtHighlighter.h"
#include "highlight/HighlightDump.h"
#include "highlight/NumberHighlighter.h"
#include "highlight/OOPHighlighter.h"
#include "textview/StyledDocument.h"

#include "../../bench/common/PascalCorpus.h"

#include <QFile>

#include <gtest/gtest.h>

#include <random>

using namespace kbl;

namespace {

struct Viewer {
    Viewer()
    {
        applyFileViewerStyles(h);
        doc.UpdateMode = umOnNeed;
        doc.ApplyKeyWords = false;
        doc.setHighlighter(&h);
    }
    quint64 sumOf(const QString& text)
    {
        doc.setText(text);
        return formatChecksum(doc);
    }
    TOOPHighlighter h;
    StyledDocument doc;
};

QString randomText(std::mt19937& rng, const std::vector<const char16_t*>& tokens, int maxTokens)
{
    QString text;
    const int n = int(rng() % unsigned(maxTokens)) + 1;
    for (int i = 0; i < n; ++i)
        text += QString::fromUtf16(tokens[rng() % tokens.size()]);
    return text;
}

// Folds one document's sum into a running one, so that one value pins many texts.
quint64 fold(quint64 running, quint64 sum)
{
    return (running ^ sum) * 1099511628211ull + 0x9e3779b97f4a7c15ull;
}

const std::vector<const char16_t*> pascalTokens = {
    u"{", u"}", u"{$", u"{$R+}", u"(*", u"*)", u"'", u"''", u"//", u"asm ", u"asm", u" end", u"end",
    u"end;", u"x", u"1", u"42", u"$FF", u"$G", u"3.14", u"#13", u"1E5", u" ", u"  ", u"\t", u"\r\n",
    u"\n", u"\r", u"\n\r", u";", u":", u",", u".", u"(", u")", u"[", u"]", u"=", u"<", u">", u"-",
    u"property ", u"Property", u" read ", u" write ", u" index ", u"begin ", u"BEGIN", u"Begin",
    u"beginning", u"procedure ", u"function ", u"mov ", u"MOV", u"push eax", u"implements",
    u"{}", u"''''", u"(**)", u"}{", u"}{\n", u"@", u"Ä", u"ä", u"ı", u"語", u"\x01", u"\x02",
    u"string", u"class", u"var ", u"type", u"of", u"nil", u"stored", u"default", u"asm end",
};

} // namespace

TEST(EngineOutput, SampleAndGeneratedUnitsKeepTheirRecords)
{
    Viewer v;
    QFile f(QStringLiteral(KBL_TEST_DATA "/Sample.pas"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    v.doc.loadFromBytes(f.readAll());
    const quint64 sample = formatChecksum(v.doc);
    EXPECT_EQ(sample, 15694417469804216882ull) << sample;
    const quint64 units = v.sumOf(kblbench::pascalCorpus(400'000));
    EXPECT_EQ(units, 13665589003852771166ull) << units;
}

TEST(EngineOutput, RandomPascalTextsKeepTheirRecords)
{
    Viewer v;
    std::mt19937 rng(2024);
    quint64 running = 0;
    for (int round = 0; round < 4000; ++round)
        running = fold(running, v.sumOf(randomText(rng, pascalTokens, round % 10 == 0 ? 400 : 60)));
    EXPECT_EQ(running, 13573986051231453009ull) << running;
}

TEST(EngineOutput, EditedPascalTextsKeepTheirRecords)
{
    // Edits re-highlight only what they change: the records must still be those a fresh
    // highlighting would make, and the same as before.
    Viewer v;
    v.doc.UpdateMode = umImmediate;
    std::mt19937 rng(77);
    quint64 running = 0;
    for (int round = 0; round < 600; ++round) {
        v.doc.setText(randomText(rng, pascalTokens, 80));
        for (int edit = 0; edit < 6; ++edit) {
            const qint64 pos = qint64(rng() % unsigned(v.doc.textLength() + 1));
            if (rng() % 3 == 0)
                v.doc.deleteText(pos, qint64(rng() % 8));
            else
                v.doc.insertText(pos, QString::fromUtf16(pascalTokens[rng() % pascalTokens.size()]));
            running = fold(running, formatChecksum(v.doc));
        }
    }
    EXPECT_EQ(running, 4702189634316981069ull) << running;
}

TEST(EngineOutput, GenericAndOwnRulesKeepTheirRecords)
{
    // Scopes, priorities, chaining, a separator-ended region, case-sensitive keys, a
    // chained number highlighter and the document's own lists, in ASCII and ANSI case.
    for (TpmUpperCase mode : {smuAscii, smuAnsi}) {
        TCustomExtHighlighter h;
        TNumberHighlighter numbers;
        h.setSubHighlighter(&numbers);
        numbers.ContextNum = 9;
        h.StartStopKeys().Add("begin", "end", WholeWord, 0, 2, 0, -1, -1, false, 0, 0);
        h.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false, 0, 1);
        h.StartStopKeys().Add("'", "'", 0, 0, 4, 0, -1, 0x11, true, 0, 2);
        h.StartStopKeys().Add("'", "'", 0, 0, 4, 0, -1, 0x22, true, 0, 2); // chained
        h.StartStopKeys().Add("@", "", 0, 0, 5, 0, -1, -1, false, 0x7FFF, 0x7FFF);
        h.StartStopKeys().Add("<", ">", 0, 0, 6, 0, -1, -1, false, 0, 0x7FFF);
        h.StartStopKeys().Add("Ab", "bA", MatchCase, 0, 7, 0, -1, -1, true, 3, 0);
        h.Keywords().AddKeyword("end", WholeWord, fsBold, 1, 0, -1, -1, 0, 0x7FFF);
        h.Keywords().AddKeyword("xy", 0, fsItalic, 2, 0, -1, -1, 0, 0);
        h.Keywords().AddKeyword("Zz", MatchCase | WholeWord, fsItalic, 3, 0, -1, -1, 3, 0);
        h.Keywords().AddKeyword("äö", WholeWord, fsItalic, 4, 0, -1, -1, 0, 5);
        StyledDocument doc;
        doc.UpdateMode = umOnNeed;
        doc.setUpperCaseType(mode);
        doc.Keywords().AddKeyword("own", WholeWord, fsBold, 8, 0, -1, -1);
        doc.Keywords().AddKeyword("q", 0, fsBold, 9, 0, -1, -1);
        doc.StartStopKeys().Add("[", "]", 0, 0, 10, 0, -1, -1, false);
        doc.StartStopKeys().Add("%", "%", WholeWord, 0, 11, 0, -1, -1, true);
        doc.setHighlighter(&h);
        const std::vector<const char16_t*> tokens = {
            u"begin", u"end", u"xend", u" ", u"\n", u"\r\n", u"{", u"}", u"}{\n", u"'", u"@", u"a",
            u",", u"<", u">", u";", u" end ", u"Ab", u"bA", u"ab", u"Zz", u"zz", u"xy", u"XY",
            u"äö", u"ÄÖ", u"own", u"OWN", u"q", u"[", u"]", u"%", u"12", u"$1f", u".", u"\t"};
        std::mt19937 rng(mode == smuAscii ? 5 : 6);
        quint64 running = 0;
        for (int round = 0; round < 2000; ++round) {
            doc.setText(randomText(rng, tokens, 50));
            running = fold(running, formatChecksum(doc));
        }
        EXPECT_EQ(running, mode == smuAscii ? 16673845076643423691ull : 3638221918349002806ull) << int(mode) << " " << running;
    }
}
