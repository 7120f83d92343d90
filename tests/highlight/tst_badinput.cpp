#include "Support.h"

#include "highlight/HighlightDump.h"
#include "highlight/OOPHighlighter.h"

#include <gtest/gtest.h>

#include <random>

using namespace kbl;

namespace {

void expectSaneRecords(StyledDocument& doc)
{
    for (int i = 0; i < doc.paragraphCount(); ++i) {
        const ParagraphInfo& p = doc.paragraph(i);
        qint32 last = 0;
        for (const StoredRecord& r : p.Formats) {
            ASSERT_GE(r.offset, last) << "paragraph " << i;
            ASSERT_LE(r.offset, p.length()) << "paragraph " << i;
            ASSERT_LE(doc.formats().at(r.style).level(), MaxNestingLevel);
            last = r.offset;
        }
    }
}

struct BadInput : ::testing::Test {
    BadInput()
    {
        applyFileViewerStyles(h);
        doc.UpdateMode = umOnNeed;
        doc.ApplyKeyWords = false;
        doc.setHighlighter(&h);
    }
    TOOPHighlighter h;
    StyledDocument doc;
};

} // namespace

TEST_F(BadInput, FiftyMegabyteSingleLine)
{
    const QString unit = QStringLiteral("begin x := 'it''s' + y12; { note } z := $FF * abc; //\t");
    QString text;
    text.reserve(50'000'000 + unit.size());
    while (text.size() < 50'000'000)
        text += unit;
    text.replace(text.size() - 3, 3, QStringLiteral("end")); // the last "//" would swallow nothing anyway
    doc.setText(text);
    ASSERT_EQ(doc.paragraphCount(), 1);
    doc.ensureParsed(0);
    // "//" comments end only at the paragraph end: after the first one everything is comment.
    EXPECT_TRUE(dumpParagraph(doc, 0).startsWith(
        "[KeywordsOOP:begin] x := [Strings:'it'][Strings:'s'] + y12; [CommentBrace:{ note }] "
        "z := [Numbers:$FF] * abc; [CommentSingleLine://\tbegin x"));
    EXPECT_EQ(oopStyleClass(doc.recordInForce(0, int(text.size()) - 1), 0), "CommentSingleLine");
    expectSaneRecords(doc);
}

TEST_F(BadInput, RandomBytesLoadAndHighlightWithoutHarm)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 4; ++round) {
        QByteArray bytes(1 << 20, Qt::Uninitialized);
        for (char& c : bytes) {
            // Mostly Pascal punctuation and letters, so that regions and keywords happen.
            static const char alphabet[] = "{}()*'/$\r\n\t ;:=.asmendbeginproperty019AF\x00\x01\x02\xFF";
            c = rng() % 3 ? alphabet[rng() % (sizeof alphabet - 1)] : char(rng());
        }
        doc.NullReplacement = round % 2 ? u'?' : 0;
        doc.loadFromBytes(bytes);
        doc.parseAll();
        expectSaneRecords(doc);
        const int p = doc.paragraphCount() / 2;
        doc.insertText(doc.paragraph(p).Start, u"{");
        doc.deleteText(doc.paragraph(p / 2).Start, 40);
        expectSaneRecords(doc);
        (void)doc.text();
    }
}

TEST_F(BadInput, MixedLineEndsKeepRegionsRunning)
{
    doc.setText(u"a { one\rtwo\n\rthree\r\nfour\n\n} b\r'x");
    EXPECT_EQ(dumpText(doc), "a [CommentBrace:{ one]\n[CommentBrace:two]\n[CommentBrace:three]\n"
                             "[CommentBrace:four]\n\n[CommentBrace:}] b\n[Strings:'x]\n");
}

TEST_F(BadInput, UnterminatedConstructsAtTheEndOfTheText)
{
    for (const char* text : {"x := 'abc", "{ never", "(* never", "asm mov eax,", "{$IFDEF",
                             "property X: Integer read", "'", "{", "(*", "//"}) {
        doc.setText(QString::fromLatin1(text));
        doc.parseAll();
        expectSaneRecords(doc);
        EXPECT_FALSE(dumpText(doc).isEmpty()) << text;
    }
}

TEST_F(BadInput, TwentyLevelsOfNestedRegions)
{
    TCustomExtHighlighter nest;
    nest.StartStopKeys().Add("<", ">", 0, 0, 9, 0, -1, -1, false, 0, 0x7FFF);
    StyledDocument d;
    d.UpdateMode = umOnNeed;
    d.setHighlighter(&nest);
    QString text;
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral("<\n");
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral(">\n");
    d.setText(text);
    d.parseAll();
    expectSaneRecords(d);
    EXPECT_EQ(d.startFormat(19).level(), 15);
    EXPECT_EQ(d.startFormat(30).level(), 5); // ten closed; the extra opens never happened
    EXPECT_EQ(d.startFormat(40).level(), -1);
}
