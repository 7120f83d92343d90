// One paragraph of a megabyte, wrapped into tens of thousands of display lines: painting
// and caret moves near its end must cost what the lines on screen cost, not what lies
// before them. Work is counted by the style walkers' step counter.
#include "support/TestFont.h"
#include "textview/LineLayout.h"
#include "textview/TStyledMemo.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace kbl;

TEST(MemoLongLine, PaintingAndCaretMovesFollowTheLineNotItsOffset)
{
    TStyledMemo m;
    m.setFrameShape(QFrame::NoFrame);
    m.setFont(kbltest::monospacedFont());
    m.setAltFont(kbltest::monospacedFont());
    m.document().UpdateMode = umImmediate;
    m.resize(400, 200);
    m.show();
    m.activateWindow();
    m.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
    // Words with a bold code now and then, so the static style matters at every line.
    QString text;
    text.reserve(1 << 20);
    for (int i = 0; text.size() < (1 << 20); ++i)
        text += (i % 5 == 0) ? QStringLiteral("abc\x02" "defg ") : QStringLiteral("abcdefgh ");
    m.setText(text);
    const qint64 lines = m.DisplayLineCount();
    ASSERT_GT(lines, 20000);

    const qint64 end = m.document().textLength();
    m.setSelStart(end - 100);
    m.ScrollInView();
    QApplication::processEvents();
    const qint64 caretLine = m.SelLine();
    ASSERT_GT(caretLine, lines - 5);

    // What one screen of lines holds, generously: the walk from the paragraph start
    // would be over a million steps for every line.
    const qreal charW = m.fontSet().advance(0, u'a');
    const quint64 lineChars = quint64(m.availableWidth() / charW) + 2;
    const quint64 screen = lineChars * quint64(m.linesPerPage());

    quint64 before = styleWalkSteps();
    m.viewport()->repaint();
    EXPECT_LE(styleWalkSteps() - before, 8 * screen);

    before = styleWalkSteps();
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&m, Qt::Key_Up);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&m, Qt::Key_Down);
    QTest::keyClick(&m, Qt::Key_End);
    QTest::keyClick(&m, Qt::Key_Home);
    QTest::keyClick(&m, Qt::Key_PageUp);
    QApplication::processEvents(); // the repaints the moves asked for
    EXPECT_EQ(m.SelLine(), caretLine - 6 - (m.linesPerPage() - 1));
    EXPECT_LE(styleWalkSteps() - before, 8 * 20 * lineChars + 8 * 2 * screen);

    // The style under the caret is still found: a bold stretch near the end.
    const qint64 code = m.document().text().lastIndexOf(QChar(2));
    ASSERT_GT(code, end - 100);
    m.setSelStart(code - 2);
    QSignalSpy styleChanges(&m, &TStyledMemo::OnStyleChange);
    m.setSelStart(code + 2);
    m.setSelStart(code - 2);
    EXPECT_EQ(styleChanges.count(), 2);
}
