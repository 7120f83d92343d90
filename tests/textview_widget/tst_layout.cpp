// Line layout without a window: wrapping rules and tab stops, with every expectation
// computed from the font's own advances.
#include "textview/LineLayout.h"
#include "textview/FormatRecord.h"

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

TEST(LineLayout, AFormatRecordsWidthDecidesWhetherAParagraphFits)
{
    // Bold over the middle word: the paragraph is as wide as its styled characters, fits
    // a line exactly that wide and wraps on one a little narrower, with or without wrap
    // giving the same width.
    Wrapper t;
    const QString s = QStringLiteral("alpha WWWWW omega");
    t.doc.setText(s);
    FormatRecord bold;
    bold.Attribute = 0x01;
    t.doc.ApplyFormat(6, 11, bold, true);
    const qreal styled = measureLine(t.doc, 0, 0, qint32(s.size()), t.fonts, t.params).back();
    ASSERT_GT(styled, t.w(s)); // the bold variant is wider
    for (const bool wrap : {true, false}) {
        t.params.wordWrap = wrap;
        t.params.availableWidth = styled;
        LayoutResult r = layoutParagraph(t.doc, 0, t.fonts, t.params);
        EXPECT_TRUE(r.lines.empty()) << wrap;
        EXPECT_DOUBLE_EQ(r.widest, styled) << wrap;
        t.params.availableWidth = styled - 0.5;
        r = layoutParagraph(t.doc, 0, t.fonts, t.params);
        EXPECT_EQ(r.lines.size(), wrap ? 2u : 0u) << wrap;
    }
}

TEST(LineLayout, WithoutWrapAParagraphIsOneLine)
{
    Wrapper t;
    t.params.wordWrap = false;
    EXPECT_EQ(t.starts(QString(300, u'x') + QStringLiteral(" y"), 50), (std::vector<int>{0}));
}

TEST(LineLayout, AWalkerStartedAtALineFindsTheStyleOfAWalkFromTheParagraphStart)
{
    // Bold codes between words, inside words that the wrap cuts, and at cut points; a
    // format record over a stretch. A walker started anywhere must agree with one that
    // walked there from offset 0, and cost no more than its distance from the line start.
    for (const bool staticFormat : {true, false}) {
        Wrapper t;
        t.doc.setStaticFormat(staticFormat);
        t.params.staticFormat = staticFormat;
        QString s;
        for (int i = 0; i < 60; ++i) {
            s += QStringLiteral("ab") + QChar(2) + QStringLiteral("cd ");
            if (i % 7 == 0)
                s += QString(23, u'x') + QChar(1) + QString(17, u'y') + QChar(21) + QStringLiteral(" ");
        }
        t.doc.setText(s);
        FormatRecord red;
        red.Foreground = 0x0000FF;
        red.Attribute = 0x02;
        t.doc.ApplyFormat(100, 260, red, true);
        t.params.availableWidth = 10.5 * t.fonts.advance(0, u'x');
        LayoutResult r = layoutParagraph(t.doc, 0, t.fonts, t.params);
        ASSERT_GT(r.lines.size(), 20u);
        const std::vector<DisplayLine> lines = r.lines;
        t.doc.setLineTable(0, std::move(r.lines));
        t.doc.setLaidOut(0);
        const quint8 bits = t.fonts.fontStyleBits();
        size_t line = 0;
        for (qint32 o = 0; o <= s.size(); ++o) {
            while (line + 1 < lines.size() && lines[line + 1].Start <= o)
                ++line;
            StyleWalker walked(t.doc, 0, staticFormat, bits);
            walked.advanceTo(o);
            const quint64 before = styleWalkSteps();
            StyleWalker started(t.doc, 0, staticFormat, bits, o);
            const quint64 cost = styleWalkSteps() - before;
            ASSERT_EQ(started.style(), walked.style()) << o << staticFormat;
            ASSERT_EQ(started.record().Foreground, walked.record().Foreground) << o;
            ASSERT_EQ(started.nextBoundary(), walked.nextBoundary()) << o;
            ASSERT_LE(cost, quint64(o - lines[line].Start) + 1) << o;
            // Both go on alike.
            if (o + 3 <= s.size()) {
                ASSERT_EQ(started.advanceTo(o + 3), walked.advanceTo(o + 3)) << o;
                ASSERT_EQ(started.style(), walked.style()) << o;
            }
        }
    }
}

TEST(LineLayout, MonospacedStretchesMeasureAsTheirCharactersDo)
{
    // A monospaced font with a proportional alternate font: records switch between bold,
    // italic and the alternate font. Each paragraph is as wide as its characters walked
    // one by one, fits a line exactly that wide and wraps on one a little narrower.
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(14);
    Wrapper t;
    t.fonts.setFonts(mono, testFont());
    ASSERT_GT(t.fonts.uniformAsciiAdvance(0), 0);
    ASSERT_GT(t.fonts.uniformAsciiAdvance(2), 0); // bold
    ASSERT_EQ(t.fonts.uniformAsciiAdvance(4), 0); // the proportional alternate font

    for (const QString& s : {QStringLiteral("procedure TThing.Value(const A: Integer): Boolean;"),
                             QStringLiteral("begin Result := 'Größe'; end;"), QStringLiteral("x")}) {
        for (const bool alternate : {false, true}) {
            SCOPED_TRACE(s.toStdString() + (alternate ? " with the alternate font" : ""));
            t.doc.setText(s);
            const qint32 n = qint32(s.size());
            for (const quint8 attribute : {quint8(0x01), quint8(0x02), quint8(0x20), quint8(0x23)}) {
                FormatRecord styled;
                styled.Attribute = attribute;
                if (alternate || !(attribute & 0x20))
                    t.doc.ApplyFormat(n / 3 + attribute % 5, n / 3 + attribute % 5 + 2, styled, true);
            }
            const qreal walked = measureLine(t.doc, 0, 0, n, t.fonts, t.params).back();
            t.params.availableWidth = walked;
            LayoutResult r = layoutParagraph(t.doc, 0, t.fonts, t.params);
            EXPECT_TRUE(r.lines.empty());
            EXPECT_EQ(r.widest, walked);
            t.params.availableWidth = walked - 0.01;
            EXPECT_EQ(layoutParagraph(t.doc, 0, t.fonts, t.params).lines.size(), n > 1 ? 2u : 0u);
            // Laid out as plain text, the formats do not count.
            StyledDocument unformatted;
            unformatted.setText(s);
            const FormatRecord plain;
            t.params.availableWidth = 10000;
            EXPECT_EQ(layoutParagraph(t.doc, 0, t.fonts, t.params, &plain).widest,
                      measureLine(unformatted, 0, 0, n, t.fonts, t.params).back());
        }
    }
}
