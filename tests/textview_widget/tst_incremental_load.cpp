// Loading a text in steps must give the document that loading it at once gives: the same
// paragraphs, positions and highlighting, whatever the step sizes and wherever a step
// ends (inside a CR LF pair, inside a comment that spans paragraphs).
#include "highlight/OOPHighlighter.h"
#include "textview/StyledDocument.h"

#include <gtest/gtest.h>

using namespace kbl;

namespace {

QString sample()
{
    QString s;
    for (int i = 0; i < 300; ++i) {
        s += QStringLiteral("procedure P%1; { open\r\n").arg(i);
        s += QStringLiteral("still comment }\nbegin x := 'str'; end;\r\r\n\r");
        if (i % 7 == 0)
            s += QStringLiteral("(* spans\r\nthree\r\nparagraphs *) begin\n");
    }
    return s;
}

void expectSame(StyledDocument& a, StyledDocument& b)
{
    a.parseAll();
    b.parseAll();
    ASSERT_EQ(a.paragraphCount(), b.paragraphCount());
    EXPECT_EQ(a.textLength(), b.textLength());
    for (int i = 0; i < a.paragraphCount(); ++i) {
        ASSERT_EQ(a.paragraphText(i), b.paragraphText(i)) << i;
        ASSERT_EQ(a.paragraph(i).Start, b.paragraph(i).Start) << i;
        ASSERT_EQ(a.recordCount(i), b.recordCount(i)) << i;
        for (int r = 0; r < a.recordCount(i); ++r)
            ASSERT_TRUE(a.record(i, r).sameStyle(b.record(i, r))) << i << " " << r;
        ASSERT_TRUE(a.startFormat(i).sameStyle(b.startFormat(i))) << i;
    }
}

} // namespace

TEST(IncrementalLoad, StepsGiveTheSameDocumentAsOneLoad)
{
    const QString text = sample();
    TOOPHighlighter hl;
    StyledDocument whole;
    whole.setHighlighter(&hl);
    whole.setText(text);
    for (qsizetype first : {qsizetype(1), qsizetype(23), qsizetype(100), qsizetype(5000)}) {
        for (qsizetype step : {qsizetype(1), qsizetype(17), qsizetype(4096)}) {
            StyledDocument parts;
            parts.setHighlighter(&hl);
            parts.beginLoad(text, first);
            EXPECT_TRUE(parts.loadPending());
            // Highlight what is there before the rest arrives.
            parts.parseAll();
            while (parts.loadPending()) {
                parts.loadMore(step);
                parts.ensureLaidOut(parts.paragraphCount() - 1);
            }
            expectSame(whole, parts);
        }
    }
}

TEST(IncrementalLoad, WholeTextOperationsFinishTheLoadFirst)
{
    const QString text = sample();
    StyledDocument doc;
    doc.beginLoad(text, 10);
    EXPECT_TRUE(doc.workPending());
    StyledDocument ref;
    ref.setText(text);
    EXPECT_EQ(doc.text(), ref.text());
    EXPECT_FALSE(doc.loadPending());

    doc.beginLoad(text, 10);
    doc.insertText(0, u"x");
    EXPECT_EQ(doc.paragraphCount(), ref.paragraphCount());
    EXPECT_EQ(doc.textLength(), ref.textLength() + 1);

    // Background slices finish loading and laying out.
    doc.beginLoad(text, 10);
    while (doc.doBackgroundWork(std::chrono::milliseconds(1))) {
    }
    EXPECT_EQ(doc.paragraphCount(), ref.paragraphCount());
    EXPECT_EQ(doc.laidOutUpTo(), doc.paragraphCount());

    // A new load drops what an unfinished one had left.
    doc.beginLoad(text, 10);
    doc.setText(u"a\r\nb");
    EXPECT_FALSE(doc.loadPending());
    EXPECT_EQ(doc.paragraphCount(), 2);
    // Nothing to load at all.
    doc.beginLoad(QString());
    EXPECT_FALSE(doc.loadPending());
    EXPECT_EQ(doc.paragraphCount(), 1);
}
