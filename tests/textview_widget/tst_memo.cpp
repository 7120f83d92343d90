// The text view as a widget, offscreen: caret and selection, word moves, search,
// read-only typing, clipboard, mouse, wheel, wrapping at the widget's width, painted
// colours and background layout. Pixel positions come from the view's own metrics.
#include "highlight/OOPHighlighter.h"
#include "platform/Colors.h"
#include "support/TestFont.h"
#include "textview/TStyledMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace kbl;

namespace {

// A shown, focused view of a fixed size without frame and with known margins.
struct View {
    TStyledMemo memo;
    explicit View(QStringView text, int width = 400, int height = 200, bool show = true)
    {
        memo.setFrameShape(QFrame::NoFrame);
        memo.setFont(kbltest::monospacedFont());
        memo.setAltFont(kbltest::monospacedFont());
        memo.document().UpdateMode = umImmediate;
        memo.resize(width, height);
        if (show) {
            memo.show();
            memo.activateWindow();
            memo.setFocus();
            (void)QTest::qWaitForWindowExposed(&memo);
        }
        memo.setText(text);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(&memo, k, m);
    }
    QPoint pointOf(qint64 pos)
    {
        // The middle of the character cell at pos.
        const QPoint p = memo.positionToPoint(pos);
        return QPoint(p.x() + 1, p.y() + memo.lineHeight() / 2);
    }
};

} // namespace

TEST(MemoSelection, PositionsAndLengthsAreClamped)
{
    View v(u"abc\r\ndefgh", 400, 200, false);
    TStyledMemo& m = v.memo;
    const qint64 end = 3 + 2 + 5;
    m.setSelStart(-5);
    EXPECT_EQ(m.SelStart(), 0);
    m.setSelStart(m.document().textLength() + 10);
    EXPECT_EQ(m.SelStart(), end);
    m.setSelStart(2);
    m.setSelLength(1000);
    EXPECT_EQ(m.SelLength(), end - 2);
    EXPECT_EQ(m.SelText(), QStringLiteral("c\r\ndefgh"));
    m.setSelLength(-10);
    EXPECT_EQ(m.SelLength(), -2);
    EXPECT_EQ(m.SelStart(), 2); // the caret stays where it is
    m.setSelPar(99);
    EXPECT_EQ(m.SelStart(), 5);
    EXPECT_EQ(m.SelLength(), 0);
    EXPECT_EQ(m.SelPar(), 1);
    m.setSelCol(3);
    EXPECT_EQ(m.SelStart(), 8);
    EXPECT_EQ(m.SelCol(), 3);
}

TEST(MemoSelection, HiddenViewWrapsAtItsOwnWidth)
{
    // The declaration scanner drives a view that is never shown.
    const QString word = QStringLiteral("word ");
    QString text;
    for (int i = 0; i < 40; ++i)
        text += word;
    View v(text + QStringLiteral("\r\nsecond"), 200, 100, false);
    TStyledMemo& m = v.memo;
    const qreal wordW = 5 * m.fontSet().advance(0, u'w');
    const int perLine = int(std::floor((m.availableWidth() - 4 * m.fontSet().advance(0, u'w')) / wordW)) + 1;
    const int lines0 = (40 + perLine - 1) / perLine;
    EXPECT_EQ(m.DisplayLineCount(), lines0 + 1);
    m.setSelLine(1);
    EXPECT_EQ(m.SelStart(), perLine * 5);
    EXPECT_EQ(m.SelLine(), 1);
    EXPECT_EQ(m.SelCol(), 0);
    m.setSelLine(lines0);
    EXPECT_EQ(m.SelPar(), 1);
    EXPECT_EQ(m.SelLine(), lines0);
}

TEST(MemoKeys, WordMovesStopAtWordStartsAndParagraphEnds)
{
    View v(u"foo bar,baz\r\nqux");
    TStyledMemo& m = v.memo;
    std::vector<qint64> right;
    for (int i = 0; i < 5; ++i) {
        v.key(Qt::Key_Right, Qt::ControlModifier);
        right.push_back(m.SelStart());
    }
    EXPECT_EQ(right, (std::vector<qint64>{4, 8, 11, 13, 16}));
    std::vector<qint64> left;
    for (int i = 0; i < 5; ++i) {
        v.key(Qt::Key_Left, Qt::ControlModifier);
        left.push_back(m.SelStart());
    }
    // From the next paragraph's start, Ctrl+Left stops at the end of the previous one.
    EXPECT_EQ(left, (std::vector<qint64>{13, 11, 8, 4, 0}));
}

TEST(MemoKeys, CaretMovesAndShiftExtends)
{
    View v(u"abc\r\ndefgh\r\nij");
    TStyledMemo& m = v.memo;
    v.key(Qt::Key_Right);
    v.key(Qt::Key_Right);
    v.key(Qt::Key_Right);
    EXPECT_EQ(m.SelStart(), 3);
    v.key(Qt::Key_Right); // over the break in one step
    EXPECT_EQ(m.SelStart(), 5);
    v.key(Qt::Key_Left);
    EXPECT_EQ(m.SelStart(), 3);
    v.key(Qt::Key_Down); // same x on the next line
    EXPECT_EQ(m.SelStart(), 8);
    v.key(Qt::Key_Down); // clamped to the shorter line's end
    EXPECT_EQ(m.SelStart(), 14);
    v.key(Qt::Key_Up); // the remembered x comes back
    EXPECT_EQ(m.SelStart(), 8);
    v.key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(m.SelStart(), 10);
    EXPECT_EQ(m.SelLength(), -2);
    v.key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(m.SelStart(), 5);
    EXPECT_EQ(m.SelLength(), 3);
    v.key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(m.SelStart(), 14);
    EXPECT_EQ(m.SelLength(), 0);
    v.key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m.SelStart(), 0);
    EXPECT_EQ(m.SelLength(), 14);
}

TEST(MemoKeys, EndOnAPieceOfACutWordGoesBehindItsLastCharacter)
{
    View v(QStringLiteral("ab ") + QString(80, u'x') + QStringLiteral(" cd"), 200, 200);
    TStyledMemo& m = v.memo;
    const LineSpan lines = m.document().paragraph(0).Lines;
    ASSERT_GE(lines.size(), 4u); // "ab ", pieces of the long word, the rest
    ASSERT_EQ(lines[1].Start, 3);
    const int piece1 = lines[1].Start, piece2 = lines[2].Start, piece3 = lines[3].Start;
    const int lh = m.lineHeight();
    const int pieceLength = piece2 - piece1;

    // Behind the first piece's last character and still on its line.
    m.setSelStart(piece1 + 2);
    v.key(Qt::Key_End);
    EXPECT_EQ(m.SelStart(), piece2);
    EXPECT_EQ(m.SelLine(), 1);
    EXPECT_EQ(m.SelCol(), pieceLength);
    const QRect caret = m.caretRect();
    EXPECT_EQ(caret.y(), 1 * lh);
    const qreal pieceWidth = pieceLength * m.fontSet().advance(0, u'x');
    EXPECT_NEAR(caret.x(), m.LeftMargin() + pieceWidth, 1.0);
    v.key(Qt::Key_End); // stays
    EXPECT_EQ(m.SelStart(), piece2);
    EXPECT_EQ(m.SelLine(), 1);
    v.key(Qt::Key_Home); // the start of that line, not of the next piece
    EXPECT_EQ(m.SelStart(), piece1);
    // Shift+End selects the whole piece.
    v.key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(m.SelText(), QString(pieceLength, u'x'));
    EXPECT_EQ(m.SelLine(), 1);
    // Up and Down go on from the line the caret is shown on.
    v.key(Qt::Key_End);
    v.key(Qt::Key_Down);
    EXPECT_EQ(m.SelLine(), 2);
    v.key(Qt::Key_End);
    EXPECT_EQ(m.SelStart(), piece3);
    v.key(Qt::Key_Up);
    EXPECT_EQ(m.SelLine(), 1);
    // The same position reached otherwise is the start of the next piece.
    m.setSelStart(piece2);
    EXPECT_EQ(m.SelLine(), 2);
    EXPECT_EQ(m.caretRect().y(), 2 * lh);
    EXPECT_EQ(m.SelCol(), 0);

    // A line that ends with blanks: End stops before the last blank, as before.
    m.setSelStart(0);
    v.key(Qt::Key_End);
    EXPECT_EQ(m.SelStart(), 2);
    // The last line of the paragraph: its end.
    const qint64 parEnd = m.document().paragraph(0).length();
    m.setSelStart(parEnd - 1);
    v.key(Qt::Key_Home);
    EXPECT_EQ(m.SelStart(), lines.back().Start);
    v.key(Qt::Key_End);
    EXPECT_EQ(m.SelStart(), parEnd);
}

TEST(MemoKeys, PageDownAtTheEndDoesNotScrollPastTheText)
{
    QString text;
    for (int i = 0; i < 100; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    View v(text);
    TStyledMemo& m = v.memo;
    v.key(Qt::Key_End, Qt::ControlModifier);
    const qint64 top = m.TopLine();
    EXPECT_GT(top, 0);
    v.key(Qt::Key_PageUp, Qt::ShiftModifier);
    v.key(Qt::Key_PageDown, Qt::ShiftModifier);
    v.key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(m.SelLine(), m.DisplayLineCount() - 1);
    EXPECT_EQ(m.TopLine(), top);
    EXPECT_EQ(m.verticalScrollBar()->value(), m.verticalScrollBar()->maximum());
}

TEST(MemoKeys, ReadOnlyViewIgnoresTypingButSelectsAndCopies)
{
    View v(u"hello world");
    TStyledMemo& m = v.memo;
    m.ReadOnly = true;
    QTest::keyClicks(&m, "xyz");
    v.key(Qt::Key_Return);
    v.key(Qt::Key_Delete);
    v.key(Qt::Key_Tab);
    EXPECT_EQ(m.Text(), QStringLiteral("hello world"));
    v.key(Qt::Key_Right, Qt::ShiftModifier);
    v.key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(m.SelLength(), -2);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    v.key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("he"));
    v.key(Qt::Key_X, Qt::ControlModifier); // no cut while read-only
    EXPECT_EQ(m.Text(), QStringLiteral("hello world"));
}

TEST(MemoKeys, TypingEditsAndRehighlights)
{
    TOOPHighlighter hl;
    View v(u"begin\r\nx := 1;\r\nend");
    TStyledMemo& m = v.memo;
    m.setHighlighter(&hl);
    EXPECT_FALSE(m.document().recordInForce(1, 2).isDynamic());
    QTest::keyClicks(&m, "{");
    EXPECT_EQ(m.document().paragraphText(0), QStringLiteral("{begin"));
    // The following paragraphs become comment until a closing brace is typed.
    EXPECT_EQ(m.document().recordInForce(1, 2).Foreground, hl.CommentBrace.Foreground());
    v.key(Qt::Key_End);
    QTest::keyClicks(&m, "}");
    EXPECT_NE(m.document().recordInForce(1, 2).Foreground, hl.CommentBrace.Foreground());
    v.key(Qt::Key_Return);
    EXPECT_EQ(m.document().paragraphCount(), 4);
    v.key(Qt::Key_Backspace);
    v.key(Qt::Key_Backspace);
    EXPECT_EQ(m.document().paragraphText(0), QStringLiteral("{begin"));
    EXPECT_EQ(m.SelStart(), 6);
}

TEST(MemoClipboard, CopyOfNothingLeavesTheClipboardAndPasteInserts)
{
    View v(u"alpha beta");
    TStyledMemo& m = v.memo;
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    m.setSelStart(3);
    m.CopyToClipboard();
    v.key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    m.setSelStart(6);
    m.setSelLength(4);
    v.key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("beta"));
    m.setSelStart(0);
    v.key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(m.Text(), QStringLiteral("betaalpha beta"));
    // A column block goes into the same column of consecutive lines.
    m.setText(u"abc\r\ndef");
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("1\r\n2"));
    mime->setData(QString::fromLatin1(BlockTypeMime), QByteArray());
    QApplication::clipboard()->setMimeData(mime);
    m.setSelStart(1);
    m.PasteFromClipboard();
    EXPECT_EQ(m.Text(), QStringLiteral("a1bc\r\nd2ef"));
}

TEST(MemoSearch, ForwardLeavesTheCaretBehindBackwardBeforeTheMatch)
{
    View v(u"one two one\r\nTwo twofold one", 400, 200, false);
    TStyledMemo& m = v.memo;
    ASSERT_TRUE(m.SearchText(QStringLiteral("one"), true, true, false));
    EXPECT_EQ(m.SelStart(), 3);
    EXPECT_EQ(m.SelLength(), -3);
    ASSERT_TRUE(m.SearchText(QStringLiteral("one"), true, true, false));
    EXPECT_EQ(m.SelStart(), 11);
    ASSERT_TRUE(m.SearchText(QStringLiteral("one"), true, true, false));
    EXPECT_EQ(m.SelStart(), 28);
    // The last occurrence: false, the selection stays.
    EXPECT_FALSE(m.SearchText(QStringLiteral("one"), true, true, false));
    EXPECT_EQ(m.SelStart(), 28);
    EXPECT_EQ(m.SelLength(), -3);

    // Case: "Two" only without match case.
    m.setSelStart(5);
    ASSERT_TRUE(m.SearchText(QStringLiteral("two"), true, false, false));
    EXPECT_EQ(m.SelStart(), 16);
    // Whole word: "two" inside "twofold" does not count.
    m.setSelStart(17);
    EXPECT_FALSE(m.SearchText(QStringLiteral("two"), true, true, true));
    m.setSelStart(17);
    EXPECT_FALSE(m.SearchText(QStringLiteral("fold"), true, true, true));

    // Backward from the middle of an occurrence does not find it.
    m.setSelStart(9);
    ASSERT_TRUE(m.SearchText(QStringLiteral("one"), false, true, false));
    EXPECT_EQ(m.SelStart(), 0);
    EXPECT_EQ(m.SelLength(), 3);
    EXPECT_FALSE(m.SearchText(QStringLiteral("one"), false, true, false));
    // Backward across paragraphs, the last occurrence first.
    m.setSelStart(m.document().paragraph(1).Start + 2);
    ASSERT_TRUE(m.SearchText(QStringLiteral("one"), false, true, false));
    EXPECT_EQ(m.SelStart(), 8);
    // Never across a paragraph break.
    m.setSelStart(0);
    EXPECT_FALSE(m.SearchText(QStringLiteral("one\r\nTwo"), true, true, false));
}

TEST(MemoSearch, WithoutMatchCaseTheViewsUpperCaseModeDecides)
{
    View v(QString::fromUtf8("Ärger.ärger\r\nx0x ärgerlich"), 400, 200, false);
    TStyledMemo& m = v.memo;
    // ASCII mode: "ä" is not "Ä".
    ASSERT_TRUE(m.SearchText(QString::fromUtf8("ÄRGER"), true, false, true));
    EXPECT_EQ(m.SelStart(), 5);
    EXPECT_FALSE(m.SearchText(QString::fromUtf8("ÄRGER"), true, false, true));

    m.document().setUpperCaseType(smuAnsi);
    m.setSelStart(0);
    ASSERT_TRUE(m.SearchText(QString::fromUtf8("ärger"), true, false, true));
    EXPECT_EQ(m.SelStart(), 5);
    ASSERT_TRUE(m.SearchText(QString::fromUtf8("ärger"), true, false, true));
    EXPECT_EQ(m.SelStart(), 11); // "." separates words
    EXPECT_FALSE(m.SearchText(QString::fromUtf8("ärger"), true, false, true)); // "ärgerlich"
    ASSERT_TRUE(m.SearchText(QString::fromUtf8("ÄRGER"), false, false, false));
    EXPECT_EQ(m.SelStart(), 6);
    EXPECT_EQ(m.SelLength(), 5);

    // A routine of the user's: here it also reads zeros as O.
    setUserUpperCase([](char16_t* text, qsizetype n) {
        for (qsizetype i = 0; i < n; ++i)
            text[i] = text[i] == u'0' ? u'O' : char16_t(QChar::toUpper(text[i]));
    });
    m.document().setUpperCaseType(smuUserDefined);
    m.setSelStart(0);
    const bool found = m.SearchText(QStringLiteral("xox"), true, false, true);
    setUserUpperCase(nullptr);
    ASSERT_TRUE(found);
    EXPECT_EQ(m.SelStart(), 16);
}

TEST(MemoMouse, ClickShiftClickDoubleClickAndMarginLines)
{
    View v(u"alpha beta,gamma\r\nsecond line");
    TStyledMemo& m = v.memo;
    QWidget* vp = m.viewport();
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, v.pointOf(7));
    EXPECT_EQ(m.SelStart(), 7);
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, v.pointOf(20));
    EXPECT_EQ(m.SelStart(), 20);
    EXPECT_EQ(m.SelLength(), -13);
    QTest::mouseDClick(vp, Qt::LeftButton, Qt::NoModifier, v.pointOf(7));
    EXPECT_EQ(m.SelText(), QStringLiteral("beta"));
    m.setOptions(smoLargeWordSelect);
    QTest::mouseDClick(vp, Qt::LeftButton, Qt::NoModifier, v.pointOf(7));
    EXPECT_EQ(m.SelText(), QStringLiteral("beta,"));
    // Dragging extends the selection.
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, v.pointOf(1));
    QMouseEvent move(QEvent::MouseMove, v.pointOf(4), vp->mapToGlobal(v.pointOf(4)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, v.pointOf(4));
    EXPECT_EQ(m.SelText(), QStringLiteral("lph"));
    // A click in the left margin selects the whole line.
    const int y = v.pointOf(18).y();
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, QPoint(m.LeftMargin() / 2 - 2, y));
    EXPECT_EQ(m.SelText(), QStringLiteral("second line"));
}

TEST(MemoMouse, WheelScrollsByTheFactor)
{
    QString text;
    for (int i = 0; i < 100; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    View v(text);
    TStyledMemo& m = v.memo;
    QSignalSpy scrolled(&m, &TStyledMemo::OnVScroll);
    QWheelEvent down(QPointF(10, 10), m.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m.viewport(), &down);
    EXPECT_EQ(m.TopLine(), 3);
    m.MouseWheelFactor = 5;
    QApplication::sendEvent(m.viewport(), &down);
    EXPECT_EQ(m.TopLine(), 8);
    EXPECT_EQ(scrolled.count(), 2);
    EXPECT_EQ(m.SelStart(), 0); // the caret does not move
}

TEST(MemoMouse, SmallWheelStepsAddUpToWhatOneLargeStepScrolls)
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    View v(text);
    TStyledMemo& m = v.memo;
    auto wheel = [&m](int delta, int times) {
        for (int i = 0; i < times; ++i) {
            QWheelEvent e(QPointF(10, 10), m.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(m.viewport(), &e);
        }
    };
    for (const int factor : {1, 3, 5}) {
        m.MouseWheelFactor = factor;
        m.setTopLine(0);
        wheel(-240, 1);
        const qint64 big = m.TopLine();
        EXPECT_EQ(big, 2 * factor);
        m.setTopLine(0);
        wheel(-15, 16); // a high-resolution wheel: 16 x 15 units = 240
        EXPECT_EQ(m.TopLine(), big) << factor;
        m.setTopLine(0);
        wheel(-60, 6); // 360 units: three 120-unit notches
        EXPECT_EQ(m.TopLine(), 3 * factor) << factor;
        // Back up the same way, to the top again.
        wheel(60, 6);
        EXPECT_EQ(m.TopLine(), 0) << factor;
    }
    // What is left over does not carry into the other direction: with factor 1, 60
    // units down and 60 up each leave half a line and scroll nothing.
    m.MouseWheelFactor = 1;
    m.setTopLine(10);
    wheel(-60, 1);
    wheel(60, 1);
    wheel(-60, 1);
    EXPECT_EQ(m.TopLine(), 10);
    wheel(-60, 1);
    EXPECT_EQ(m.TopLine(), 11);
    // Nor past the top: turning up at the first line leaves nothing for later.
    m.setTopLine(0);
    wheel(90, 2);
    EXPECT_EQ(m.TopLine(), 0);
    m.setTopLine(5);
    wheel(60, 1);
    EXPECT_EQ(m.TopLine(), 5);
}

TEST(MemoScroll, ScrollInViewShowsTheCaretLine)
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    View v(text, 300, 10 * 17 + 5);
    TStyledMemo& m = v.memo;
    const int lh = m.lineHeight();
    const int h = m.viewport()->height();
    m.setSelPar(150);
    EXPECT_EQ(m.TopLine(), 0); // SelPar alone never scrolls
    m.ScrollInView();
    // Fine scroll: the caret line's bottom meets the window's bottom.
    EXPECT_EQ(m.verticalOffset(), 151 * lh - h);
    m.setSelPar(20);
    m.ScrollInView();
    EXPECT_EQ(m.TopLine(), 20);
    EXPECT_EQ(m.verticalOffset(), 20 * lh);
    m.setOptions(smoNoFineScroll);
    m.setSelPar(150);
    m.ScrollInView();
    EXPECT_EQ(m.TopLine(), 150 - (m.linesPerPage() - 2));
    EXPECT_EQ(m.verticalOffset() % lh, 0);
    // DisplayOnly: keys scroll, the caret stays.
    m.setDisplayOnly(true);
    const qint64 caret = m.SelStart();
    const qint64 topNow = m.TopLine();
    v.key(Qt::Key_Down);
    EXPECT_EQ(m.TopLine(), topNow + 1);
    v.key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(m.TopLine(), 0);
    EXPECT_EQ(m.SelStart(), caret);
}

TEST(MemoPainting, KeywordCommentSelectionAndEndMarkColours)
{
    TOOPHighlighter hl;
    const QColor keyword(0xC0, 0x10, 0x10);
    hl.KeywordsOOP.setForeground(platform::fromQColor(keyword));
    View v(u"begin { note }\r\nabcdefgh");
    TStyledMemo& m = v.memo;
    m.setHideSelection(false);
    m.setHighlighter(&hl);
    m.SelBackColor = platform::rgbColor(0, 0xA0, 0);
    m.SelTextColor = platform::clWhite;
    m.setSelStart(18);
    m.setSelLength(4); // "cdef"
    const QImage img = m.viewport()->grab().toImage();
    const int lh = m.lineHeight();
    auto countColour = [&](qint64 from, qint64 to, const QColor& c) {
        const QPoint a = m.positionToPoint(from);
        const QPoint b = m.positionToPoint(to);
        int n = 0;
        for (int y = a.y(); y < a.y() + lh; ++y)
            for (int x = a.x(); x < b.x(); ++x)
                if (QColor(img.pixel(x, y)) == c)
                    ++n;
        return n;
    };
    EXPECT_GT(countColour(0, 5, keyword), 5);
    EXPECT_EQ(countColour(6, 14, keyword), 0);
    const QColor comment = platform::toQColor(hl.CommentBrace.Foreground());
    EXPECT_GT(countColour(8, 12, comment), 3);
    const QColor selBack(0, 0xA0, 0);
    const QPoint s = m.positionToPoint(18);
    const QPoint e = m.positionToPoint(22);
    EXPECT_GT(countColour(18, 22, selBack), (e.x() - s.x()) * lh / 2);
    EXPECT_EQ(countColour(16, 18, selBack), 0);
    // The end-of-text line right under the last line, red; hidden with colour -1.
    const int ey = 2 * lh;
    EXPECT_EQ(QColor(img.pixel(100, ey)), QColor(Qt::red));
    m.EndOfTextMark.Color = -1;
    const QImage img2 = m.viewport()->grab().toImage();
    EXPECT_NE(QColor(img2.pixel(100, ey)), QColor(Qt::red));
    // With HideSelection the selection disappears when focus leaves.
    m.setHideSelection(true);
    m.clearFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    other.setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(m.hasFocus());
    const QImage img3 = m.viewport()->grab().toImage();
    int n = 0;
    for (int x = s.x(); x < e.x(); ++x)
        if (QColor(img3.pixel(x, s.y() + lh / 2)) == selBack)
            ++n;
    EXPECT_EQ(n, 0);
    // With HideSelection false it stays visible without focus.
    m.setHideSelection(false);
    const QImage img4 = m.viewport()->grab().toImage();
    n = 0;
    for (int x = s.x(); x < e.x(); ++x)
        if (QColor(img4.pixel(x, s.y() + lh / 2)) == selBack)
            ++n;
    EXPECT_GT(n, (e.x() - s.x()) / 2);
}

TEST(MemoBackground, FirstScreenAtOnceThenSlicesWithProgress)
{
    QString text;
    for (int i = 0; i < 60000; ++i)
        text += QStringLiteral("procedure P%1; begin x := %1; end; { c }\r\n").arg(i);
    TOOPHighlighter hl;
    TStyledMemo m;
    m.setFont(kbltest::monospacedFont());
    m.resize(400, 300);
    m.show();
    (void)QTest::qWaitForWindowExposed(&m);
    m.document().setHighlighter(&hl);
    QSignalSpy progress(&m, &TStyledMemo::OnProgress);
    m.setText(text);
    EXPECT_TRUE(m.backgroundWorkPending());
    m.viewport()->repaint();
    EXPECT_LT(m.document().laidOutUpTo(), m.document().paragraphCount());
    EXPECT_TRUE(m.document().paragraph(3).LayoutDone); // on the first screen
    // Search works while the rest is still being laid out.
    EXPECT_TRUE(m.SearchText(QStringLiteral("P59999;"), true, true, false));
    QElapsedTimer t;
    t.start();
    while (m.backgroundWorkPending() && t.elapsed() < 60000)
        QApplication::processEvents();
    EXPECT_FALSE(m.backgroundWorkPending());
    ASSERT_GE(progress.count(), 1);
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
    EXPECT_EQ(m.DisplayLineCount(), m.document().displayLineCount());
}

TEST(MemoClipboard, ColumnSelectionCopiesCutsAndPastesAsABlock)
{
    View v(u"abcd\r\nefgh\r\nijkl");
    TStyledMemo& m = v.memo;
    m.setWordWrap(false);
    m.setOptions(smoBlockSelection);
    m.setSelStart(1);
    const auto block = Qt::AltModifier | Qt::ShiftModifier;
    v.key(Qt::Key_Down, block);
    v.key(Qt::Key_Down, block);
    v.key(Qt::Key_Right, block);
    v.key(Qt::Key_Right, block);
    ASSERT_TRUE(m.BlockSelection());
    m.CopyToClipboard();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text(), QStringLiteral("bc\r\nfg\r\njk"));
    EXPECT_TRUE(mime->hasFormat(QString::fromLatin1(BlockTypeMime)));
    m.CutToClipboard();
    EXPECT_EQ(m.Text(), QStringLiteral("ad\r\neh\r\nil"));
    EXPECT_EQ(m.SelStart(), 1);
    m.PasteFromClipboard();
    EXPECT_EQ(m.Text(), QStringLiteral("abcd\r\nefgh\r\nijkl"));
    // Without the option, Alt+Shift extends an ordinary selection.
    m.setOptions(0);
    m.setSelStart(1);
    v.key(Qt::Key_Down, block);
    EXPECT_FALSE(m.BlockSelection());
    m.CopyToClipboard();
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasFormat(QString::fromLatin1(BlockTypeMime)));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bcd\r\ne"));
}

TEST(MemoMouse, DraggingTheSelectionMovesOrCopiesItUnlessReadOnly)
{
    View v(u"one two three");
    TStyledMemo& m = v.memo;
    QWidget* vp = m.viewport();
    auto drag = [&](qint64 from, qint64 to, Qt::KeyboardModifiers mods) {
        QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, v.pointOf(from));
        QMouseEvent move(QEvent::MouseMove, v.pointOf(to), vp->mapToGlobal(v.pointOf(to)), Qt::NoButton,
                         Qt::LeftButton, mods);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, mods, v.pointOf(to));
    };
    m.setSelStart(4);
    m.setSelLength(4); // "two "
    drag(5, 13, Qt::NoModifier);
    EXPECT_EQ(m.Text(), QStringLiteral("one threetwo "));
    EXPECT_EQ(m.SelText(), QStringLiteral("two "));
    m.setSelStart(0);
    m.setSelLength(3); // "one"
    drag(1, 13, Qt::ControlModifier);
    EXPECT_EQ(m.Text(), QStringLiteral("one threetwo one"));
    // Read-only: pressing inside the selection starts a new selection instead.
    m.ReadOnly = true;
    m.setSelStart(0);
    m.setSelLength(3);
    drag(1, 9, Qt::NoModifier);
    EXPECT_EQ(m.Text(), QStringLiteral("one threetwo one"));
    EXPECT_EQ(m.SelStart(), 9);
    EXPECT_EQ(m.SelLength(), -8);
}

TEST(MemoPainting, AlignmentAndJustification)
{
    View v(u"short\r\nalpha beta gamma delta epsilon zeta eta theta iota kappa", 300, 200);
    TStyledMemo& m = v.memo;
    const int right = m.clientWidth() - m.RightMargin();
    m.setAlignment(taRightJustify);
    EXPECT_NEAR(m.positionToPoint(5).x(), right, 1);
    m.setAlignment(taCenter);
    const int centre = m.LeftMargin() + m.availableWidth() / 2;
    EXPECT_NEAR((m.positionToPoint(0).x() + m.positionToPoint(5).x()) / 2.0, centre, 1.5);
    m.setAlignment(taLeftJustify);
    m.setJustified(true);
    // A wrapped line's last word ends at the right edge; the last line stays ragged.
    const ParagraphInfo& p = m.document().paragraph(1);
    ASSERT_GT(p.lineCount(), 1);
    int end = p.Lines[1].Start;
    while (p.at(end - 1) == u' ')
        --end;
    EXPECT_NEAR(m.positionToPoint(p.Start + end).x(), right, 1);
    EXPECT_EQ(m.positionToPoint(p.Start + p.Lines.back().Start).x(), m.LeftMargin());
}

TEST(MemoKeys, KeepColumnPosGoesIntoVirtualColumns)
{
    View v(u"ab\r\ncd");
    TStyledMemo& m = v.memo;
    m.setOptions(smoKeepColumnPos);
    m.setSelStart(2);
    const int x0 = m.caretRect().x();
    v.key(Qt::Key_Right);
    v.key(Qt::Key_Right);
    EXPECT_EQ(m.SelStart(), 2);
    EXPECT_EQ(m.SelCol(), 4);
    EXPECT_NEAR(m.caretRect().x() - x0, 2 * m.spaceWidth(), 1);
    v.key(Qt::Key_Left);
    EXPECT_EQ(m.SelCol(), 3);
    v.key(Qt::Key_Right);
    QTest::keyClicks(&m, "x");
    EXPECT_EQ(m.document().paragraphText(0), QStringLiteral("ab  x"));
    // With smoWrapCaret the caret wraps onto the next paragraph as usual.
    m.setOptions(smoKeepColumnPos | smoWrapCaret);
    v.key(Qt::Key_Right);
    EXPECT_EQ(m.SelPar(), 1);
    EXPECT_EQ(m.SelCol(), 0);
}

TEST(MemoScroll, WithoutWrapTheViewScrollsSidewaysInStepsOfFiveCharacters)
{
    View v(QString(300, u'x') + QStringLiteral("\r\nshort"), 300, 100);
    TStyledMemo& m = v.memo;
    m.setWordWrap(false);
    QSignalSpy h(&m, &TStyledMemo::OnHScroll);
    v.key(Qt::Key_End);
    const int step = int(std::lround(5 * m.fontSet().averageCharWidth()));
    EXPECT_GT(m.horizontalOffset(), 0);
    // Whole steps, unless the end of the scroll range comes first.
    const int maxH = m.horizontalScrollBar()->maximum();
    EXPECT_TRUE(m.horizontalOffset() % step == 0 || m.horizontalOffset() == maxH) << m.horizontalOffset();
    const int x = m.caretRect().x();
    EXPECT_LT(x, m.clientWidth());
    EXPECT_GE(x, m.clientWidth() - step - m.RightMargin() - 1);
    EXPECT_EQ(h.count(), 1);
    v.key(Qt::Key_Home);
    EXPECT_EQ(m.horizontalOffset(), 0);
}

TEST(MemoSelection, CaretEventsAndTheWavyUnderline)
{
    View v(u"plain bold plain");
    TStyledMemo& m = v.memo;
    FormatRecord bold;
    bold.Attribute = 0x01;
    m.document().ApplyFormat(6, 10, bold, true);
    FormatRecord wavy;
    wavy.Attribute = 0x18;
    m.document().ApplyFormat(11, 16, wavy, true);
    QSignalSpy moved(&m, &TStyledMemo::OnSelMove);
    QSignalSpy style(&m, &TStyledMemo::OnStyleChange);
    m.setSelStart(2);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(style.count(), 0);
    m.setSelStart(7);
    EXPECT_EQ(style.count(), 1);
    m.setSelStart(7); // no change, no event
    EXPECT_EQ(moved.count(), 2);
    // The zigzag under the last word in the SpecUnderline colour, none under the first.
    const QImage img = m.viewport()->grab().toImage();
    auto redBelow = [&](qint64 from, qint64 to) {
        const QPoint a = m.positionToPoint(from);
        const QPoint b = m.positionToPoint(to);
        int n = 0;
        for (int y = a.y(); y < a.y() + m.lineHeight(); ++y)
            for (int x = a.x(); x < b.x(); ++x)
                if (QColor(img.pixel(x, y)) == QColor(Qt::red))
                    ++n;
        return n;
    };
    EXPECT_GT(redBelow(11, 16), (m.positionToPoint(16).x() - m.positionToPoint(11).x()) / 2);
    EXPECT_EQ(redBelow(0, 5), 0);
}

TEST(MemoKeys, UndoAndRedoRestoreTextAndSelection)
{
    View v(u"one\r\ntwo");
    TStyledMemo& m = v.memo;
    m.setSelStart(3);
    QTest::keyClicks(&m, "ab");
    v.key(Qt::Key_Return);
    m.setSelStart(0);
    m.setSelLength(5); // "oneab"
    v.key(Qt::Key_Delete);
    EXPECT_EQ(m.Text(), QStringLiteral("\r\n\r\ntwo"));
    v.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m.Text(), QStringLiteral("oneab\r\n\r\ntwo"));
    EXPECT_EQ(m.SelLength(), 5);
    v.key(Qt::Key_Z, Qt::ControlModifier);
    v.key(Qt::Key_Z, Qt::ControlModifier);
    v.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(m.Text(), QStringLiteral("one\r\ntwo"));
    EXPECT_FALSE(m.CanUndo());
    v.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    v.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    v.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m.Text(), QStringLiteral("oneab\r\n\r\ntwo"));
    // Cut a column block and undo it in one step.
    m.setWordWrap(false);
    m.setOptions(smoBlockSelection);
    m.setText(u"abcd\r\nefgh");
    m.setSelStart(1);
    v.key(Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
    v.key(Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier);
    m.CutToClipboard();
    EXPECT_EQ(m.Text(), QStringLiteral("acd\r\negh"));
    m.Undo();
    EXPECT_EQ(m.Text(), QStringLiteral("abcd\r\nefgh"));
    // Limits: the oldest steps go; no undo at level 0; far too high is refused.
    m.setUndoMaxLevel(2);
    for (char ch : {'x', 'y', 'z'})
        QTest::keyClicks(&m, QString(QChar(ch)));
    m.Undo();
    m.Undo();
    m.Undo();
    EXPECT_TRUE(m.Text().contains(u'x'));
    EXPECT_FALSE(m.Text().contains(u'y'));
    m.setUndoMaxLevel(0);
    QTest::keyClicks(&m, "q");
    EXPECT_FALSE(m.CanUndo());
    EXPECT_THROW(m.setUndoMaxLevel(134217728), std::out_of_range);
}

TEST(MemoMouse, ReleaseOverHighlightedTextReportsItsContext)
{
    View v(u"plain marked plain");
    TStyledMemo& m = v.memo;
    FormatRecord rec;
    rec.Context = 7;
    m.document().ApplyFormat(6, 12, rec, true);
    int context = 0;
    qint64 from = -1, to = -1;
    m.document().OnContext = [&](int c, qint64 s, qint64 e) {
        context = c;
        from = s;
        to = e;
    };
    QTest::mouseClick(m.viewport(), Qt::LeftButton, Qt::NoModifier, v.pointOf(2));
    EXPECT_EQ(context, 0);
    QTest::mouseClick(m.viewport(), Qt::LeftButton, Qt::NoModifier, v.pointOf(8));
    EXPECT_EQ(context, 7);
    EXPECT_EQ(from, 6);
    EXPECT_EQ(to, 12);
}

TEST(MemoSelection, LineNumbersOfAHiddenViewCountEveryWrappedLineBefore)
{
    // As the declaration scanner uses it: load, search, read the line.
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QString(60, u'x') + QStringLiteral(" ") + QString(60, u'y') + QStringLiteral("\r\n");
    text += QStringLiteral("target");
    TStyledMemo m;
    m.setFrameShape(QFrame::NoFrame);
    m.setFont(kbltest::monospacedFont());
    m.setScrollBars(ssNone);
    const qreal w61 = 61 * m.fontSet().advance(0, u'x');
    m.resize(int(w61) + m.LeftMargin() + m.RightMargin() + 2, 100);
    m.setText(text); // background loading and layout, never run here
    ASSERT_TRUE(m.SearchText(QStringLiteral("target"), true, true, false));
    EXPECT_EQ(m.SelPar(), 3000);
    EXPECT_EQ(m.SelLine(), 6000);
    EXPECT_EQ(m.SelCol(), 6);
    m.setSelLine(4001);
    EXPECT_EQ(m.SelPar(), 2000);
    EXPECT_EQ(m.SelStart(), m.document().paragraph(2000).Start + 61);
}

TEST(MemoLayout, ParagraphsSureToFitAreDividedAsAFullLayoutDividesThem)
{
    // The view keeps a paragraph it is sure fits as one line without measuring it. At the
    // edges of that bound (the width, TABs, the wider alternate font by a code, by a style
    // running in from the paragraph before or by a record, characters above ASCII, lines
    // that no longer wrap once the view is wider) every paragraph must still be divided as
    // the full layout divides it.
    QFont wide = kbltest::monospacedFont();
    wide.setPixelSize(40);
    TStyledMemo m;
    m.setFrameShape(QFrame::NoFrame);
    m.setScrollBars(ssNone);
    m.setFont(kbltest::monospacedFont());
    m.setAltFont(wide);
    m.document().UpdateMode = umOnNeed;
    const int cols = 40;
    const qreal x = m.fontSet().advance(0, u'x');
    m.resize(int(cols * x) + m.LeftMargin() + m.RightMargin(), 200);
    m.show(); // a shown view lays out again when its width changes
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
    ASSERT_GT(m.fontSet().advance(4, u'x'), 2 * x);

    QStringList paras;
    for (int n = cols - 3; n <= cols + 2; ++n)
        paras << QString(n, u'x');
    paras << QStringLiteral("words of some length, ").repeated(2);
    paras << QStringLiteral("\t\t\tabc") << QStringLiteral("\t\t\t\tabcdefghij");
    paras << QStringLiteral("ab \x04wide words in the other font\x04 cd");
    paras << QStringLiteral("runs on \x04into the next");
    paras << QStringLiteral("the rest of the wide text");
    paras << QStringLiteral("\x04 and back");
    paras << QString(12, QChar(0x65E5)) << QStringLiteral("caf\u00E9 ").repeated(7);
    paras << QStringLiteral("a record takes the other font here");
    m.setText(paras.join(QStringLiteral("\r\n")));

    auto expectFullLayout = [&m](const char* when) {
        const qint64 total = m.DisplayLineCount();
        const LayoutParams params = m.layoutParams();
        qint64 sum = 0;
        for (int i = 0; i < m.document().paragraphCount(); ++i) {
            const LayoutResult full = layoutParagraph(m.document(), i, m.fontSet(), params);
            std::vector<qint32> want, got;
            for (const DisplayLine& l : full.lines)
                want.push_back(l.Start);
            for (const DisplayLine& l : m.document().lines(i))
                got.push_back(l.Start);
            EXPECT_EQ(got, want) << when << ", paragraph " << i;
            sum += qint64(std::max<size_t>(1, full.lines.size()));
        }
        EXPECT_EQ(total, sum) << when;
    };
    expectFullLayout("codes");
    EXPECT_GT(m.document().lineCount(int(paras.indexOf(QStringLiteral("the rest of the wide text")))), 1);

    // Wider: what wrapped fits again; narrower: it wraps again.
    // A window's new size comes back through the event loop.
    auto resizeTo = [&m](int width) {
        m.resize(width, 200);
        return QTest::qWaitFor([&m, width] { return m.viewport()->width() == width; });
    };
    const int narrow = m.width();
    ASSERT_TRUE(resizeTo(narrow + int(20 * x)));
    expectFullLayout("wider");
    ASSERT_TRUE(resizeTo(narrow));
    expectFullLayout("narrower");

    FormatRecord other;
    other.Attribute = 0x20;
    const qint64 start = m.document().paragraph(m.document().paragraphCount() - 1).Start;
    m.document().ApplyFormat(start + 2, start + 30, other, true);
    m.setWordWrap(false);
    m.setWordWrap(true); // lays every paragraph out again
    expectFullLayout("record");
    EXPECT_GT(m.document().lineCount(m.document().paragraphCount() - 1), 1);
}

TEST(MemoScroll, WithoutWrapALoadLaidOutAtOnceKeepsItsWidestLine)
{
    // The view set up first, the text loaded after: the sideways range is that text's.
    TStyledMemo m;
    m.setFrameShape(QFrame::NoFrame);
    m.setScrollBars(ssBoth);
    m.setFont(kbltest::monospacedFont());
    m.setWordWrap(false);
    m.document().UpdateMode = umImmediate;
    m.resize(300, 100);
    m.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
    m.setText(QString(300, u'x') + QStringLiteral("\r\nshort"));
    const int wide = int(std::ceil(300 * m.fontSet().advance(0, u'x')));
    EXPECT_EQ(m.horizontalScrollBar()->maximum(), wide + m.LeftMargin() + m.RightMargin() - m.clientWidth());
    m.setText(QStringLiteral("short\r\nlines"));
    EXPECT_EQ(m.horizontalScrollBar()->maximum(), 0);
}
