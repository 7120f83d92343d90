// Line layout without a window: wrapping rules and tab stops, with every expectation
// computed from the font's own advances.
#include "textview/LineLayout.h"

#include <QFont>

#include <gtest/gtest.h>

using namespace kbl;

namespace {

QFont testFont()
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(14);
    return f;
}

struct Wrapper {
    StyledDocument doc;
    FontSet fonts;
    LayoutParams params;

    Wrapper()
    {
        fonts.setFonts(testFont(), testFont());
        params.tabWidth = 8 * fonts.spaceWidth();
    }
    qreal w(QStringView s) const
    {
        qreal x = 0;
        for (QChar c : s)
            x += fonts.advance(0, c.unicode());
        return x;
    }
    std::vector<int> starts(QStringView text, qreal avail)
    {
        doc.setText(text);
        params.availableWidth = avail;
        const LayoutResult r = layoutParagraph(doc, 0, fonts, params);
        std::vector<int> out;
        if (r.lines.empty())
            out.push_back(0);
        for (const DisplayLine& l : r.lines)
            out.push_back(l.Start);
        return out;
    }
};

} // namespace

TEST(LineLayout, SpacesAfterTheLastWordStayOnTheLine)
{
    Wrapper t;
    // Room for "alpha" and two blanks: all six blanks stay on the first line.
    const qreal avail = t.w(u"alpha") + 2 * t.fonts.spaceWidth();
    EXPECT_EQ(t.starts(u"alpha      beta", avail), (std::vector<int>{0, 11}));
    // A line of blanks only, far wider than the line, is not broken.
    EXPECT_EQ(t.starts(QString(200, u' '), avail), (std::vector<int>{0}));
    // Words that fit share a line; the next word that does not fit starts a new one.
    const qreal two = t.w(u"ab cd");
    EXPECT_EQ(t.starts(u"ab cd ef", two + 1), (std::vector<int>{0, 6}));
}

TEST(LineLayout, WordEndingExactlyAtTheWidthStaysButLongWordsAreCut)
{
    Wrapper t;
    const qreal x = t.fonts.advance(0, u'x');
    // A ten-character word on a line exactly ten characters wide fits.
    EXPECT_EQ(t.starts(QString(10, u'x'), 10 * x), (std::vector<int>{0}));
    // A longer word is cut into pieces narrower than the line: nine characters each.
    EXPECT_EQ(t.starts(QString(25, u'x'), 10 * x), (std::vector<int>{0, 9, 18}));
    // With half a character to spare, ten fit.
    EXPECT_EQ(t.starts(QString(25, u'x'), 10.5 * x), (std::vector<int>{0, 10, 20}));
    // A long word after a short one starts its own line, then is cut.
    EXPECT_EQ(t.starts(QStringLiteral("ab ") + QString(25, u'x'), 10.5 * x), (std::vector<int>{0, 3, 13, 23}));
    // A character wider than the line gets a line of its own.
    const qreal wide = t.fonts.advance(0, u'W');
    EXPECT_EQ(t.starts(u"WWW", wide / 2), (std::vector<int>{0, 1, 2}));
}

TEST(LineLayout, StaticCodesTakeNoWidth)
{
    Wrapper t;
    const qreal x = t.fonts.advance(0, u'x');
    QString s = QString(5, u'x') + QChar(2) + QChar(2) + QString(5, u'x');
    EXPECT_EQ(t.starts(s, 10 * x), (std::vector<int>{0}));
}

TEST(LineLayout, TabsAdvanceToMultiplesOfTheTabWidth)
{
    Wrapper t;
    const qreal tab = 8 * t.fonts.spaceWidth();
    t.doc.setText(u"abc\tx\ty");
    const std::vector<qreal> xs = measureLine(t.doc, 0, 0, 7, t.fonts, t.params);
    EXPECT_DOUBLE_EQ(xs[3], t.w(u"abc"));
    EXPECT_NEAR(xs[4], tab, 1e-6);                      // after the first TAB
    EXPECT_NEAR(xs[5], tab + t.fonts.advance(0, u'x'), 1e-6);
    EXPECT_NEAR(xs[6], 2 * tab, 1e-6);                  // the next stop
    // A TAB standing exactly on a stop still moves to the next one.
    t.doc.setText(u"\t\t");
    const std::vector<qreal> ys = measureLine(t.doc, 0, 0, 2, t.fonts, t.params);
    EXPECT_NEAR(ys[1], tab, 1e-6);
    EXPECT_NEAR(ys[2], 2 * tab, 1e-6);
}

TEST(LineLayout, WithoutWrapAParagraphIsOneLine)
{
    Wrapper t;
    t.params.wordWrap = false;
    EXPECT_EQ(t.starts(QString(300, u'x') + QStringLiteral(" y"), 50), (std::vector<int>{0}));
}
