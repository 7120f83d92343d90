#include "highlight/HighlightInfo.h"
#include "textview/CharScan.h"
#include "textview/StyledDocument.h"
#include "textview/TextSearch.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace kbl;

namespace {

QStringList paragraphs(const StyledDocument& doc)
{
    QStringList out;
    for (int i = 0; i < doc.paragraphCount(); ++i)
        out << doc.paragraphText(i);
    return out;
}

std::string errorOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(DocumentLoading, EveryLineEndFormIsOneBreak)
{
    StyledDocument doc;
    doc.setText(u"a\r\nb\nc\rd\n\re");
    EXPECT_EQ(paragraphs(doc), QStringList({"a", "b", "c", "d", "e"}));
    doc.setText(u"a\r\rb\n\nc");
    EXPECT_EQ(paragraphs(doc), QStringList({"a", "", "b", "", "c"}));
    doc.setText(u"a\r\n\r\nb\n\r\n\rc");
    EXPECT_EQ(paragraphs(doc), QStringList({"a", "", "b", "", "c"}));
    doc.setText(u"end\r\n");
    EXPECT_EQ(paragraphs(doc), QStringList({"end", ""}));
    doc.setText(u"");
    EXPECT_EQ(doc.paragraphCount(), 1);
}

TEST(DocumentLoading, PositionsCountTwoPerBreak)
{
    StyledDocument doc;
    doc.setText(u"abc\nabcde");
    EXPECT_EQ(doc.textLength(), 12);
    EXPECT_EQ(doc.paragraph(1).Start, 5);
    EXPECT_EQ(doc.paragraphAt(3), 0);
    EXPECT_EQ(doc.paragraphAt(4), 0); // the second position of the break
    EXPECT_EQ(doc.paragraphAt(5), 1);
    TStyledNavigator nav(&doc);
    nav.setPos(7);
    EXPECT_EQ(nav.paraIndex(), 1);
    EXPECT_EQ(nav.offset(), 2);
}

TEST(DocumentLoading, NulCutsTheTextUnlessReplaced)
{
    StyledDocument doc;
    const QString text = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd\nef");
    doc.setText(text);
    EXPECT_EQ(paragraphs(doc), QStringList({"ab"}));
    doc.NullReplacement = u'.';
    doc.setText(text);
    EXPECT_EQ(paragraphs(doc), QStringList({"ab.cd", "ef"}));
}

TEST(DocumentLoading, BytesAreDecodedBeforeLoading)
{
    StyledDocument doc;
    doc.loadFromBytes("pr\xC3\xBC" "f\r\nx");
    EXPECT_EQ(paragraphs(doc), QStringList({QString::fromUtf8("prüf"), "x"}));
    doc.loadFromBytes("caf\xE9\rz"); // not UTF-8: the ANSI code page
    EXPECT_EQ(doc.paragraphCount(), 2);
    EXPECT_EQ(doc.paragraphText(0).size(), 4);
}

TEST(DocumentLoading, StaticCodesCarryTheirStyleIntoLaterParagraphs)
{
    StyledDocument doc;
    doc.setText(QStringLiteral("a\x02" "b\nc\x01\nd"));
    EXPECT_EQ(doc.startFormat(0).Attribute, 0);
    EXPECT_EQ(doc.startFormat(1).Attribute, fsBold);
    EXPECT_EQ(doc.startFormat(2).Attribute, fsBold | fsItalic);
    doc.setStaticFormat(false);
    EXPECT_EQ(doc.startFormat(2).Attribute, 0);
}

TEST(DocumentSaving, LineBreakAndCleanups)
{
    StyledDocument doc;
    doc.setText(u"a\nb\rc");
    EXPECT_EQ(doc.text(), "a\r\nb\r\nc");
    doc.LineBreak = pbLFCR;
    EXPECT_EQ(doc.text(), "a\n\rb\n\rc");
    doc.LineBreak = pbCR;
    EXPECT_EQ(doc.text(), "a\rb\rc");
    doc.LineBreak = pbLF;
    EXPECT_EQ(doc.text(), "a\nb\nc");

    // A toggle followed by the same toggle changes nothing and is dropped with its partner.
    doc.setText(QStringLiteral("x\x02\x01\x02y\x02z"));
    EXPECT_EQ(doc.text(), QStringLiteral("x\x01y\x02z"));
    doc.DiscardTrailingSpaces = true;
    doc.setText(u"a \t\nb  ");
    EXPECT_EQ(paragraphs(doc), QStringList({"a", "b"}));
}

TEST(DocumentErrors, FixedMessages)
{
    StyledDocument doc;
    doc.setText(u"abc");
    EXPECT_EQ(errorOf([&] { doc.paragraph(1); }), "List index out of bounds");
    EXPECT_EQ(errorOf([&] { doc.record(0, 0); }), "List index out of bounds");
    EXPECT_EQ(errorOf([] { TStyledNavigator n(nullptr); }),
              "Internal error: component is not a TStyledMemo");
    TStyledNavigator nav(&doc);
    nav.setPos(1);
    EXPECT_EQ(errorOf([&] { nav.deleteRecord(); }), "Internal StyledMemo error");
}

TEST(DocumentErrors, StoredRecordsNeedAnIndexAndAStyleOfTheTable)
{
    StyledDocument doc;
    doc.setText(u"abc");
    FormatRecord bold;
    bold.Attribute = 0x80 | 0x01;
    const quint32 style = doc.formats().intern(bold);
    EXPECT_EQ(errorOf([&] { doc.insertRecord(0, 1, StoredRecord{1, style}); }), "List index out of bounds");
    EXPECT_EQ(errorOf([&] { doc.insertRecord(0, 0, StoredRecord{1, quint32(doc.formats().size())}); }),
              "List index out of bounds");
    doc.insertRecord(0, 0, StoredRecord{1, style});
    EXPECT_EQ(errorOf([&] { doc.replaceRecord(0, 1, StoredRecord{2, style}); }), "List index out of bounds");
    EXPECT_EQ(errorOf([&] { doc.replaceRecord(0, 0, StoredRecord{2, ~0u}); }), "List index out of bounds");
    doc.replaceRecord(0, 0, StoredRecord{2, style});
    ASSERT_EQ(doc.recordCount(0), 1);
    EXPECT_EQ(doc.record(0, 0).Offset, 2);
    EXPECT_TRUE(doc.record(0, 0).sameStyle(doc.formats().at(style)));
}

TEST(DocumentRecords, ApplyFormatOverOneParagraphRestoresTheStateBehind)
{
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setText(u"hello world");
    FormatRecord red;
    red.Foreground = 0xFF;
    red.Attribute = fsBold;
    doc.ApplyFormat(6, 2, red, true); // ends are swapped
    ASSERT_EQ(doc.recordCount(0), 2);
    EXPECT_EQ(doc.record(0, 0).Offset, 2);
    EXPECT_EQ(doc.record(0, 0).Attribute, fsBold | 0x80);
    EXPECT_EQ(doc.record(0, 1).Offset, 6);
    EXPECT_FALSE(doc.record(0, 1).isDynamic()); // the old (plain) state resumes
    EXPECT_EQ(doc.recordInForce(0, 4).Foreground, 0xFF);
    EXPECT_EQ(doc.recordInForce(0, 6).Foreground, -1);

    // A second stretch over the first swallows its records.
    FormatRecord blue = red;
    blue.Foreground = 0xFF0000;
    doc.ApplyFormat(1, 8, blue, true);
    ASSERT_EQ(doc.recordCount(0), 2);
    EXPECT_EQ(doc.record(0, 0).Foreground, 0xFF0000);
    EXPECT_EQ(doc.record(0, 1).Offset, 8);
    EXPECT_EQ(doc.record(0, 1).Foreground, -1);
}

TEST(DocumentRecords, ApplyFormatAcrossParagraphsSetsTheirStartFormats)
{
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setText(u"aaaa\nbbbb\ncccc\ndddd");
    FormatRecord r;
    r.Foreground = 7;
    doc.ApplyFormat(2, 14, r, true); // from "aa|aa" to "cc|cc"
    EXPECT_EQ(doc.startFormat(1).Foreground, 7);
    EXPECT_EQ(doc.startFormat(2).Foreground, 7);
    EXPECT_EQ(doc.startFormat(3).Foreground, -1);
    EXPECT_EQ(doc.recordInForce(2, 1).Foreground, 7);
    EXPECT_EQ(doc.recordInForce(2, 2).Foreground, -1);
    // Paragraph 1 and 2 share one interned start format.
    EXPECT_EQ(doc.paragraph(1).StartFormat, doc.paragraph(2).StartFormat);
}

TEST(DocumentNavigator, StepsThroughRecords)
{
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setText(u"0123456789\nabcdef");
    FormatRecord r;
    r.Foreground = 1;
    doc.ApplyFormat(2, 4, r, true);
    doc.ApplyFormat(14, 15, r, true);
    TStyledNavigator nav(&doc);
    nav.setPos(0);
    ASSERT_TRUE(nav.stepToNextRecord(100));
    EXPECT_EQ(nav.pos(), 2);
    nav.skipRecordsAtPos();
    ASSERT_TRUE(nav.stepToNextRecord(100));
    EXPECT_EQ(nav.pos(), 4);
    nav.skipRecordsAtPos();
    ASSERT_TRUE(nav.stepToNextRecord(100)); // crosses into paragraph 1
    EXPECT_EQ(nav.paraIndex(), 1);
    EXPECT_EQ(nav.offset(), 2);
    nav.skipRecordsAtPos();
    EXPECT_FALSE(nav.stepToNextRecord(14));

    nav.setPos(13); // paragraph 1, offset 1: the record in force is back in paragraph 0
    ASSERT_TRUE(nav.stepBackToRecordInForce(0));
    EXPECT_EQ(nav.pos(), 4);
    nav.setPos(13);
    EXPECT_FALSE(nav.stepBackToRecordInForce(5));

    nav.setPos(7);
    FormatRecord g;
    g.Attribute = 0x80;
    g.Foreground = 9;
    nav.insertRecord(g);
    EXPECT_EQ(doc.recordInForce(0, 8).Foreground, 9);
    nav.setPos(7);
    nav.deleteRecord();
    EXPECT_EQ(doc.recordInForce(0, 8).Foreground, -1);
}

TEST(DocumentNavigator, ForwardMovesKeepCachedIndices)
{
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.setText(u"0123456789");
    FormatRecord r;
    doc.ApplyFormat(2, 4, r, true);
    TStyledNavigator nav(&doc);
    nav.setPos(0);
    EXPECT_EQ(nav.recordIndex(), 0);
    nav.setPos(3);
    EXPECT_EQ(nav.recordIndex(), 1);
    nav.setPos(9);
    EXPECT_EQ(nav.recordIndex(), 2);
    nav.setPos(1); // backward: recomputed
    EXPECT_EQ(nav.recordIndex(), 0);
}

TEST(DocumentUpperCopy, CaseModesAndCacheExtension)
{
    StyledDocument doc;
    doc.setText(QString::fromUtf8("abcäxyz"));
    EXPECT_EQ(QStringView(doc.UpperCopy(0, 1, 3), 3), QString::fromUtf8("BCä"));
    // Overlapping requests extend the cached copy on either side.
    EXPECT_EQ(QStringView(doc.UpperCopy(0, 0, 2), 2), u"AB");
    EXPECT_EQ(QStringView(doc.UpperCopy(0, 3, 4), 4), QString::fromUtf8("äXYZ"));
    doc.setUpperCaseType(smuAnsi);
    EXPECT_EQ(QStringView(doc.UpperCopy(0, 0, 7), 7), QString::fromUtf8("ABCÄXYZ"));
    static auto rot = [](char16_t* t, qsizetype n) { for (qsizetype i = 0; i < n; ++i) t[i] = u'*'; };
    setUserUpperCase(rot);
    doc.setUpperCaseType(smuUserDefined);
    EXPECT_EQ(QStringView(doc.UpperCopy(0, 0, 2), 2), u"**");
    setUserUpperCase(nullptr);
    doc.setUpperCaseType(smuUserDefined); // none installed: as smuAscii
    EXPECT_EQ(QStringView(doc.UpperCopy(0, 0, 2), 2), u"AB");
}

TEST(DocumentOwnRules, KeywordsAreMaskedInsideRegions)
{
    StyledDocument doc;
    doc.UpdateMode = umImmediate;
    doc.Keywords().AddKeyword("todo", WholeWord, fsBold, 1, 0, -1, 0xFF);
    doc.Keywords().AddKeyword("never", WholeWord, fsBold, 0, 0, -1, 0xFF); // context 0
    doc.StartStopKeys().Add("<", ">", 0, fsItalic, 2, 0, -1, -1, false);
    doc.setText(u"todo <todo> never TODO todos");
    const ParagraphInfo& p = doc.paragraph(0);
    auto fg = [&](int off) { return doc.recordInForce(0, off).Foreground; };
    EXPECT_EQ(fg(0), 0xFF);
    EXPECT_EQ(doc.recordInForce(0, 6).context(), 2); // inside the region
    EXPECT_EQ(fg(6), -1);
    EXPECT_EQ(fg(12), -1); // ContextNum 0 is never matched
    EXPECT_EQ(fg(18), 0xFF); // case-insensitive
    EXPECT_EQ(fg(23), -1);  // not a whole word
    EXPECT_GT(p.Formats.size(), 0u);
}

TEST(DocumentUpdateModes, OnNeedParsesOnlyWhatIsAskedAndBackgroundFinishes)
{
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.StartStopKeys().Add("{", "}", 0, fsItalic, 3, 0, -1, -1, false);
    std::vector<int> laidOut;
    doc.layoutHook = [&](int para) { laidOut.push_back(para); };
    QString text;
    for (int i = 0; i < 2000; ++i)
        text += (i == 10 ? QStringLiteral("{ open\n") : QStringLiteral("line %1\n").arg(i));
    doc.setText(text);
    EXPECT_EQ(doc.parsedUpTo(), 0);
    EXPECT_TRUE(laidOut.empty());
    doc.ensureLaidOut(50);
    EXPECT_EQ(laidOut, std::vector<int>({50}));
    EXPECT_EQ(doc.parsedUpTo(), 51);
    EXPECT_EQ(doc.recordInForce(50, 0).context(), 3); // the region pass ran from the start
    EXPECT_EQ(doc.counters.keywordPasses, 1);         // only the paragraph asked for

    std::vector<int> progress;
    doc.OnProgress = [&](int p) { progress.push_back(p); };
    int slices = 0;
    while (doc.doBackgroundWork(std::chrono::milliseconds(1)))
        ++slices;
    EXPECT_FALSE(doc.workPending());
    EXPECT_EQ(int(laidOut.size()), doc.paragraphCount());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    for (size_t i = 0; i + 1 < progress.size(); ++i)
        EXPECT_LE(progress[i], 99);
}

TEST(DocumentEditing, InsertAndDeleteKeepPositionsAndRecords)
{
    StyledDocument doc;
    doc.UpdateMode = umImmediate;
    doc.StartStopKeys().Add("<", ">", 0, fsItalic, 2, 0, -1, 0xFF, false);
    doc.setText(u"ab <c> d\nxyz");
    TStyledNavigator tail(&doc);
    tail.setPos(11); // "y"
    doc.insertText(1, u"1\r\n2");
    EXPECT_EQ(paragraphs(doc), QStringList({"a1", "2b <c> d", "xyz"}));
    EXPECT_EQ(doc.paragraph(2).Start, 3 + 1 + 8 + 2 - 1 + 0 + 1);
    EXPECT_EQ(tail.pos(), 15);
    EXPECT_EQ(tail.paraIndex(), 2);
    EXPECT_EQ(tail.offset(), 1);
    EXPECT_EQ(doc.recordInForce(1, 4).Foreground, 0xFF); // region moved with its text

    doc.deleteText(2, 4); // the break and "2b"
    EXPECT_EQ(paragraphs(doc), QStringList({"a1 <c> d", "xyz"}));
    EXPECT_EQ(doc.recordInForce(0, 4).Foreground, 0xFF);
    EXPECT_EQ(doc.recordInForce(0, 7).Foreground, -1);
    EXPECT_EQ(doc.textLength(), 8 + 2 + 3 + 2);

    doc.insertText(doc.paragraph(0).Start + 3, u"<");
    EXPECT_EQ(doc.recordInForce(0, 4).Foreground, 0xFF);
    EXPECT_EQ(doc.recordInForce(1, 1).Foreground, -1);
}

TEST(DocumentEditing, ParagraphListAddsAndInsertsWholeParagraphs)
{
    StyledDocument doc;
    doc.setText(u"a\r\n");
    EXPECT_EQ(doc.paraStringCount(), 1);
    doc.addParagraph(u"b"); // into the last, empty paragraph
    EXPECT_EQ(paragraphs(doc), QStringList({"a", "b", ""}));
    doc.setText(u"a");
    doc.addParagraph(u"b"); // never runs into the last paragraph's text
    EXPECT_EQ(paragraphs(doc), QStringList({"a", "b", ""}));
    doc.insertParagraph(0, u"z");
    doc.insertParagraph(3, u"end");
    EXPECT_EQ(paragraphs(doc), QStringList({"z", "a", "b", "end", ""}));
    EXPECT_THROW(doc.insertParagraph(6, u"x"), std::out_of_range);
}

TEST(DocumentRecords, ContextStretchUnderAPosition)
{
    StyledDocument doc;
    doc.UpdateMode = umOnNeed;
    doc.StartStopKeys().Add("{", "}", 0, 0, 3, 0, -1, -1, false);
    doc.setText(u"ab {cd\nef} g");
    StyledDocument::ContextStretch c;
    ASSERT_TRUE(doc.contextAt(9, c));
    EXPECT_EQ(c.context, 3);
    EXPECT_EQ(c.start, 3);
    EXPECT_EQ(c.end, 11);
    EXPECT_FALSE(doc.contextAt(1, c));
    EXPECT_FALSE(doc.contextAt(12, c));
}

TEST(CaseBlindSearch, AgreesWithSearchingAnUpperCasedCopy)
{
    // Characters whose upper case is ASCII (dotless i, long s), letters with and without
    // an upper case, a surrogate pair and separators.
    const QString alphabet = QString::fromUtf8("aAiIı sSſäÄ.x") + QChar(0xD83D) + QChar(0xDE00);
    quint32 seed = 12345;
    auto next = [&seed](quint32 n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (const TpmUpperCase mode : {smuAscii, smuAnsi}) {
        for (int round = 0; round < 300; ++round) {
            QString hay;
            for (quint32 k = 0, n = next(24); k < n; ++k)
                hay += alphabet[qsizetype(next(quint32(alphabet.size())))];
            std::u16string upper(reinterpret_cast<const char16_t*>(hay.utf16()), size_t(hay.size()));
            upperCaseInPlace(mode, upper.data(), qsizetype(upper.size()));
            const QStringView upperHay(upper.data(), qsizetype(upper.size()));
            // A needle taken from the upper-cased text, so that most searches find something.
            const qsizetype start = hay.isEmpty() ? 0 : qsizetype(next(quint32(hay.size())));
            const QStringView needle = upperHay.mid(start, qsizetype(1 + next(3)));
            if (needle.isEmpty())
                continue;
            for (qsizetype from = -1; from <= hay.size() + 1; ++from) {
                SCOPED_TRACE(hay.toStdString() + " / " + needle.toString().toStdString() + " from " +
                             std::to_string(from) + " mode " + std::to_string(int(mode)));
                EXPECT_EQ(indexOfUpperCased(hay, needle, from, mode),
                          upperHay.indexOf(needle, std::max<qsizetype>(0, from)));
                // Qt counts a negative start from the end; here it means nothing is before it.
                const qsizetype expectedBack =
                    from < 0 ? -1 : upperHay.lastIndexOf(needle, std::min(from, upperHay.size()));
                EXPECT_EQ(lastIndexOfUpperCased(hay, needle, from, mode), expectedBack);
            }
        }
    }
}

TEST(CaseBlindSearch, LongTextsAgreeWithQtWithAndWithoutCase)
{
    // Long enough for the eight-at-a-time scan, with candidates at every place of a block
    // and characters outside ASCII that upper-case to the needle's first character.
    const QString alphabet = QString::fromUtf8("abcABCıſé x");
    quint32 seed = 777;
    auto next = [&seed](quint32 n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (const TpmUpperCase mode : {smuAscii, smuAnsi}) {
        for (int round = 0; round < 400; ++round) {
            QString hay;
            for (quint32 k = 0, n = next(90); k < n; ++k)
                hay += alphabet[qsizetype(next(quint32(alphabet.size())))];
            std::u16string upper(reinterpret_cast<const char16_t*>(hay.utf16()), size_t(hay.size()));
            upperCaseInPlace(mode, upper.data(), qsizetype(upper.size()));
            const QStringView upperHay(upper.data(), qsizetype(upper.size()));
            const qsizetype start = hay.isEmpty() ? 0 : qsizetype(next(quint32(hay.size())));
            const qsizetype len = qsizetype(1 + next(4));
            const QStringView upperNeedle = upperHay.mid(start, len);
            const QStringView needle = QStringView(hay).mid(start, len);
            if (needle.isEmpty())
                continue;
            for (qsizetype from = 0; from <= hay.size() + 1; from += 1 + qsizetype(next(5))) {
                SCOPED_TRACE(hay.toStdString() + " / " + needle.toString().toStdString() + " from " +
                             std::to_string(from));
                EXPECT_EQ(indexOfUpperCased(hay, upperNeedle, from, mode), upperHay.indexOf(upperNeedle, from));
                EXPECT_EQ(indexOfExact(hay, needle, from), QStringView(hay).indexOf(needle, from));
            }
        }
    }
    EXPECT_EQ(indexOfExact(u"abcabc", u"", 0), -1);
    EXPECT_EQ(indexOfExact(u"ab", u"abc", 0), -1);
    EXPECT_EQ(indexOfExact(QString(40, u'x') + QStringLiteral("Ab"), u"Ab", 3), 40);
    EXPECT_EQ(indexOfExact(QString(40, u'x') + QStringLiteral("Ab"), u"AB", 0), -1);
}

TEST(CaseBlindSearch, ModesDifferOutsideAscii)
{
    const QString hay = QString::fromUtf8("größe ıf");
    EXPECT_EQ(indexOfUpperCased(hay, u"GRÖSSE", 0, smuAnsi), -1); // no one-character upper case of ß
    EXPECT_EQ(indexOfUpperCased(hay, u"GRÖ", 0, smuAnsi), 0);
    EXPECT_EQ(indexOfUpperCased(hay, u"GRÖ", 0, smuAscii), -1);
    EXPECT_EQ(indexOfUpperCased(hay, u"GRö", 0, smuAscii), 0);
    EXPECT_EQ(indexOfUpperCased(hay, u"IF", 0, smuAnsi), 6);
    EXPECT_EQ(indexOfUpperCased(hay, u"IF", 0, smuAscii), -1);
    EXPECT_EQ(lastIndexOfUpperCased(hay, u"IF", 7, smuAnsi), 6);
    EXPECT_EQ(lastIndexOfUpperCased(hay, u"IF", 5, smuAnsi), -1);
    EXPECT_EQ(indexOfUpperCased(hay, u"", 0, smuAnsi), -1);
    EXPECT_EQ(indexOfUpperCased(u"ab", u"ABC", 0, smuAnsi), -1);
}

TEST(CaseBlindSearch, DocumentSearchFindsEveryHitWhereverItStandsInItsParagraph)
{
    // Paragraphs of every length around the blocks of eight the search reads at once, the
    // word at each place, in either case, cut short at the end, between near misses.
    QStringList paras;
    for (int len = 0; len <= 27; ++len)
        for (int at = 0; at <= len; ++at) {
            QString p;
            for (int k = 0; k < len; ++k)
                p += QStringLiteral("xpPrR")[k % 5];
            const QString word = (at % 2) ? QStringLiteral("Proc") : QStringLiteral("pROC");
            p.replace(at, std::min(4, len - at), word.left(len - at));
            paras << p;
        }
    auto expectEveryHit = [](StyledDocument& doc, const char* when) {
        const QStringList now = paragraphs(doc);
        std::vector<std::pair<int, qsizetype>> want, got;
        for (int pi = 0; pi < int(now.size()); ++pi)
            for (qsizetype at = 0; (at = now[pi].indexOf(QStringLiteral("PROC"), at, Qt::CaseInsensitive)) >= 0; ++at)
                want.emplace_back(pi, at);
        int para = 0;
        qint32 offset = 0;
        while (const TextMatch m = searchDocument(doc, doc.Separators, u"proc", para, offset, true, false, false)) {
            got.emplace_back(m.para, m.at);
            para = m.para;
            offset = qint32(m.at + 1);
        }
        EXPECT_EQ(got, want) << when << " " << int(doc.UpperCaseType());
        return want.size();
    };
    for (const TpmUpperCase mode : {smuAscii, smuAnsi}) {
        StyledDocument doc;
        doc.setUpperCaseType(mode);
        doc.setText(paras.join(QStringLiteral("\r\n")));
        EXPECT_EQ(expectEveryHit(doc, "loaded"), 300u); // each word placed whole, none made by the misses
        // Edited paragraphs keep their text elsewhere in the buffer, out of order.
        for (int k = 0; k < 40; ++k) {
            const qint64 pos = doc.paragraph((k * 37) % doc.paragraphCount()).Start + k % 3;
            if (k % 4 == 3)
                doc.deleteText(pos, 3);
            else
                doc.insertText(pos, k % 2 ? QStringLiteral("pRoC\r\nx") : QStringLiteral("proc"));
        }
        EXPECT_GT(expectEveryHit(doc, "edited"), 300u);
    }
}

TEST(CharScan, AsciiClassesHoldForEveryLengthAndPlace)
{
    // One character of each kind at every place of texts around the blocks of eight,
    // printable ones around it: the overlapping last block must see it as the loop does.
    for (const char16_t odd : {u'~', u' ', char16_t(127), char16_t(31), u'\t', char16_t(0), char16_t(128),
                               char16_t(0xFF), char16_t(0xFFFF)})
        for (int n = 1; n <= 33; ++n)
            for (int at = 0; at < n; ++at) {
                std::u16string text(size_t(n), u'x');
                text[size_t(at)] = odd;
                const AsciiClass kind = classifyAscii(text.data(), n);
                EXPECT_EQ(kind.ascii, odd < 128) << int(odd) << " " << n << " " << at;
                EXPECT_EQ(kind.printable, odd >= 32 && odd < 128) << int(odd) << " " << n << " " << at;
            }
    const AsciiClass empty = classifyAscii(u"", 0);
    EXPECT_TRUE(empty.ascii && empty.printable);
}
