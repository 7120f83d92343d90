// Caret and selection, scrolling, search and the clipboard: what a window uses to
// drive the text view without typing into it.

#include "textview/TStyledMemo.h"

#include "textview/TextSearch.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kbl {

// ---- positions ----

qint64 TStyledMemo::clampPos(qint64 pos) const
{
    pos = std::clamp<qint64>(pos, 0, doc->textLength());
    // No position inside a paragraph break, nor behind the last paragraph.
    const int pi = doc->paragraphAt(pos);
    const ParagraphInfo& p = doc->paragraph(pi);
    return std::min(pos, p.Start + p.length());
}

char16_t TStyledMemo::charAt(qint64 pos) const
{
    if (pos < 0 || pos >= doc->textLength())
        return 0;
    const int pi = doc->paragraphAt(pos);
    const ParagraphInfo& p = doc->paragraph(pi);
    const qint64 off = pos - p.Start;
    if (off < p.length())
        return p.at(qint32(off));
    if (pi + 1 >= doc->paragraphCount())
        return 0;
    return off == p.length() ? u'\r' : u'\n';
}

qint64 TStyledMemo::stepLeft(qint64 pos) const
{
    if (pos <= 0)
        return 0;
    const int pi = doc->paragraphAt(pos);
    const ParagraphInfo& p = doc->paragraph(pi);
    if (pos == p.Start)
        return pos - 2; // a paragraph break is one step
    qint64 q = pos - 1;
    if (doc->StaticFormat() && PassOverCodes)
        while (q > p.Start && isStaticCode(p.at(qint32(q - p.Start))))
            --q;
    return q;
}

qint64 TStyledMemo::stepRight(qint64 pos) const
{
    const int pi = doc->paragraphAt(pos);
    const ParagraphInfo& p = doc->paragraph(pi);
    if (pos >= p.Start + p.length())
        return pi + 1 < doc->paragraphCount() ? p.Start + p.length() + 2 : pos;
    qint64 q = pos + 1;
    if (doc->StaticFormat() && PassOverCodes)
        while (q < p.Start + p.length() && isStaticCode(p.at(qint32(q - p.Start))))
            ++q;
    return q;
}

// ---- caret and selection ----

qint64 TStyledMemo::SelStart() const
{
    return caret->pos();
}

void TStyledMemo::setSelStart(qint64 pos)
{
    if (pos >= doc->textLength())
        finishLoad();
    rememberedX = -1;
    moveCaret(clampPos(pos), false);
}

qint64 TStyledMemo::SelLength() const
{
    return anchor->pos() - caret->pos();
}

void TStyledMemo::setSelLength(qint64 length)
{
    setBlockSel(false);
    const qint64 c = caret->pos();
    const qint64 oldA = anchor->pos();
    const qint64 a = clampPos(c + length);
    anchor->setPos(a);
    repaintSelectionChange(std::min(c, oldA), std::max(c, oldA), std::min(c, a), std::max(c, a));
    caretUpdate();
}

int TStyledMemo::SelPar() const
{
    return caret->paraIndex();
}

void TStyledMemo::setSelPar(int par)
{
    finishLoad();
    setSelLength(0);
    par = std::clamp(par, 0, doc->paragraphCount() - 1);
    setSelStart(doc->paragraph(par).Start);
}

qint64 TStyledMemo::SelLine()
{
    const int pi = caret->paraIndex();
    // A line number counts the wrapped lines of every paragraph before the caret's.
    while (doc->laidOutUpTo() <= pi && doc->workPending())
        runLayoutSlice();
    doc->ensureLaidOut(pi);
    return doc->firstLine(pi) + caretSubLine();
}

int TStyledMemo::SelParLine()
{
    const int pi = caret->paraIndex();
    doc->ensureLaidOut(pi);
    return caretSubLine();
}

void TStyledMemo::setSelLine(qint64 line)
{
    finishLoad();
    line = std::max<qint64>(0, line);
    // Lay out until the line exists.
    while (doc->laidOutUpTo() < doc->paragraphCount()) {
        const int pi = doc->laidOutUpTo();
        if (doc->firstLine(pi) > line)
            break;
        runLayoutSlice();
    }
    updateScrollBars();
    const LinePos lp = locateLine(line);
    doc->ensureLaidOut(lp.para);
    setSelStart(doc->paragraph(lp.para).Start + lineStart(lp.para, lp.sub));
}

int TStyledMemo::SelCol()
{
    const int pi = caret->paraIndex();
    doc->ensureLaidOut(pi);
    const qint32 off = caret->offset();
    const int s = lineStart(pi, caretSubLine());
    // Static codes take no column.
    int col = 0;
    const ParagraphInfo& p = doc->paragraph(pi);
    for (int i = s; i < off; ++i)
        if (!(doc->StaticFormat() && isStaticCode(p.at(i))))
            ++col;
    return col + virtualCols;
}

void TStyledMemo::setSelCol(int col)
{
    const qint64 len = SelLength();
    const int pi = caret->paraIndex();
    doc->ensureLaidOut(pi);
    const int sub = caretSubLine();
    const int s = lineStart(pi, sub);
    const int e = lineEnd(pi, sub);
    const ParagraphInfo& p = doc->paragraph(pi);
    int off = s;
    for (int c = 0; off < e && c < col; ++off)
        if (!(doc->StaticFormat() && isStaticCode(p.at(off))))
            ++c;
    if (p.Start + off != caret->pos())
        lineEndCaret = -1;
    anchor->setPos(caret->pos());
    caret->setPos(p.Start + off);
    anchor->setPos(clampPos(caret->pos() + len));
    viewport()->update();
    caretUpdate();
}

int TStyledMemo::caretSubLine()
{
    const int pi = caret->paraIndex();
    const qint32 off = caret->offset();
    const int sub = subLineOf(pi, off);
    // Where a word was cut, the end of one piece and the start of the next are one
    // position; after End the caret belongs to the piece before.
    if (caret->pos() == lineEndCaret && sub > 0 && off == lineStart(pi, sub) && cutInsideWord(pi, sub - 1))
        return sub - 1;
    return sub;
}

QString TStyledMemo::SelText() const
{
    return rangeText(std::min(caret->pos(), anchor->pos()), std::max(caret->pos(), anchor->pos()));
}

QString TStyledMemo::rangeText(qint64 a, qint64 b) const
{
    if (a >= b)
        return {};
    QString out;
    const int p0 = doc->paragraphAt(a);
    const int p1 = doc->paragraphAt(b);
    for (int pi = p0; pi <= p1; ++pi) {
        const ParagraphInfo& p = doc->paragraph(pi);
        const qint64 s = std::max<qint64>(a, p.Start) - p.Start;
        const qint64 e = std::min<qint64>(b, p.Start + p.length()) - p.Start;
        if (e > s)
            out += p.view().mid(s, e - s);
        if (b > p.Start + p.length() && pi < p1)
            out += QStringLiteral("\r\n");
    }
    return out;
}

void TStyledMemo::setBlockSel(bool on)
{
    if (blockSel != on) {
        blockSel = on;
        viewport()->update();
    }
}

bool TStyledMemo::blockRange(int para, qint32* from, qint32* to)
{
    if (!blockSel)
        return false;
    const int pa = anchor->paraIndex();
    const int pc = caret->paraIndex();
    if (para < std::min(pa, pc) || para > std::max(pa, pc))
        return false;
    const qreal xa = xAtOffset(pa, 0, anchor->offset());
    const qreal xc = xAtOffset(pc, 0, caret->offset());
    doc->ensureLaidOut(para);
    *from = offsetAtX(para, 0, std::min(xa, xc));
    *to = offsetAtX(para, 0, std::max(xa, xc));
    return true;
}

QString TStyledMemo::blockText()
{
    QStringList rows;
    const int pa = anchor->paraIndex();
    const int pc = caret->paraIndex();
    for (int pi = std::min(pa, pc); pi <= std::max(pa, pc); ++pi) {
        qint32 a = 0, b = 0;
        blockRange(pi, &a, &b);
        rows << doc->paragraph(pi).view().mid(a, b - a).toString();
    }
    return rows.join(QStringLiteral("\r\n"));
}

void TStyledMemo::SelectAll()
{
    finishLoad();
    setSelStart(doc->textLength());
    setSelLength(-doc->textLength());
}

void TStyledMemo::moveCaret(qint64 pos, bool extend, bool atLineEnd)
{
    virtualCols = 0;
    lineEndCaret = atLineEnd ? pos : -1;
    const qint64 oc = caret->pos();
    const qint64 oa = anchor->pos();
    caret->setPos(pos);
    if (!extend)
        anchor->setPos(pos);
    repaintSelectionChange(std::min(oc, oa), std::max(oc, oa),
                           std::min(pos, anchor->pos()), std::max(pos, anchor->pos()));
    caretUpdate();
}

void TStyledMemo::repaintPositions(qint64 from, qint64 to)
{
    if (!isVisible())
        return; // nothing on screen to repaint
    if (from > to)
        std::swap(from, to);
    const QPoint a = positionToPoint(from);
    const QPoint b = positionToPoint(to);
    viewport()->update(QRect(0, a.y(), clientWidth(), b.y() - a.y() + lh));
}

void TStyledMemo::repaintSelectionChange(qint64 a0, qint64 a1, qint64 b0, qint64 b1)
{
    if (a0 == b0 && a1 == b1)
        return;
    if (a0 == a1 && b0 == b1)
        return; // no selection before or after
    if (a0 == b0) {
        repaintPositions(std::min(a1, b1), std::max(a1, b1));
    } else if (a1 == b1) {
        repaintPositions(std::min(a0, b0), std::max(a0, b0));
    } else {
        if (a0 != a1)
            repaintPositions(a0, a1);
        if (b0 != b1)
            repaintPositions(b0, b1);
    }
}

QRect TStyledMemo::caretRect()
{
    const int pi = caret->paraIndex();
    doc->ensureLaidOut(pi);
    QPoint pt = pointAt(pi, caretSubLine(), caret->offset());
    pt.rx() += int(std::lround(virtualCols * fonts.spaceWidth()));
    int w = CaretWidth;
    if (Overwrite && hasOption(smoWideOverwriteCaret) && SelLength() == 0) {
        const char16_t c = charAt(caret->pos());
        if (c && c != u'\r')
            w = std::max(1, int(std::lround(fonts.advance(0, c))));
    }
    return QRect(pt.x(), pt.y(), std::max(1, w), lh);
}

void TStyledMemo::caretUpdate()
{
    // A hidden view has no caret on screen; the next paint places it.
    if (isVisible()) {
        const QRect r = caretRect();
        if (r != lastCaretRect) {
            viewport()->update(lastCaretRect);
            viewport()->update(r);
            lastCaretRect = r;
        }
    }
    caretOn = true;
    if (hasFocus() && blink.isActive())
        blink.start();
    const qint64 pos = caret->pos();
    const int pi = caret->paraIndex();
    const StyleWalker sw(*doc, pi, doc->StaticFormat(), fonts.fontStyleBits(), caret->offset());
    const quint8 style = sw.style();
    if (pos != lastCaretPos) {
        lastCaretPos = pos;
        emit OnSelMove();
    }
    if (style != lastCaretStyle) {
        lastCaretStyle = style;
        emit OnStyleChange();
    }
}

// ---- scrolling ----

qint64 TStyledMemo::verticalOffset()
{
    topLine = globalLine(top);
    return topLine * lh + fine;
}

qint64 TStyledMemo::maxVerticalOffset()
{
    return std::max<qint64>(0, totalLines * lh - clientHeight());
}

void TStyledMemo::setTopLine(qint64 line)
{
    setVerticalOffset(std::max<qint64>(0, line) * lh);
}

void TStyledMemo::setVerticalOffset(qint64 v)
{
    const qint64 old = verticalOffset();
    v = std::clamp<qint64>(v, 0, maxVerticalOffset());
    if (v == old)
        return;
    top = locateLine(v / lh);
    doc->ensureLaidOut(top.para);
    top.sub = std::min(top.sub, doc->paragraph(top.para).lineCount() - 1);
    fine = int(v % lh);
    const qint64 now = verticalOffset();
    const qint64 dy = old - now;
    if (std::abs(dy) < clientHeight() && std::abs(dy) <= 32767)
        viewport()->scroll(0, int(dy));
    else
        viewport()->update();
    lastCaretRect = caretRect();
    updateScrollBars();
    emit OnVScroll();
}

void TStyledMemo::setHorizontalOffset(int h)
{
    const int maxH = wordWrap ? 0 : std::max(0, int(std::ceil(widest)) + leftMargin + rightMargin - clientWidth());
    h = std::clamp(h, 0, std::max(maxH, hOffset));
    if (h == hOffset)
        return;
    const int dx = hOffset - h;
    hOffset = h;
    if (std::abs(dx) < clientWidth())
        viewport()->scroll(dx, 0);
    else
        viewport()->update();
    lastCaretRect = caretRect();
    updateScrollBars();
    emit OnHScroll();
}

void TStyledMemo::updateScrollBars()
{
    settingBars = true;
    QScrollBar* vb = verticalScrollBar();
    const qint64 maxV = std::min<qint64>(maxVerticalOffset(), std::numeric_limits<int>::max());
    vb->setRange(0, int(maxV));
    vb->setPageStep(std::max(lh, clientHeight() - lh));
    vb->setSingleStep(lh);
    vb->setValue(int(std::min<qint64>(verticalOffset(), maxV)));
    QScrollBar* hb = horizontalScrollBar();
    const int maxH = wordWrap ? 0 : std::max(0, int(std::ceil(widest)) + leftMargin + rightMargin - clientWidth());
    hb->setRange(0, maxH);
    hb->setPageStep(std::max(1, clientWidth() - int(fonts.spaceWidth())));
    hb->setSingleStep(std::max(1, int(fonts.spaceWidth())));
    hb->setValue(hOffset);
    settingBars = false;
}

void TStyledMemo::scrollContentsBy(int, int)
{
    if (settingBars)
        return;
    setVerticalOffset(verticalScrollBar()->value());
    setHorizontalOffset(horizontalScrollBar()->value());
}

void TStyledMemo::ScrollInView()
{
    if (!updatesEnabled())
        return;
    const int pi = caret->paraIndex();
    doc->ensureLaidOut(pi);
    // Horizontally, in steps of five average characters.
    if (!wordWrap && (alignment == taLeftJustify || hOffset > 0)) {
        const int step = std::max(1, int(std::lround(5 * fonts.averageCharWidth())));
        const int x = positionToPoint(caret->pos()).x();
        int h = hOffset;
        if (x >= clientWidth())
            h += ((x - clientWidth()) / step + 1) * step;
        else if (x < leftMargin) {
            h -= ((leftMargin - x + step - 1) / step) * step;
            h = std::max(0, h);
        }
        if (h != hOffset) {
            updateScrollBars();
            setHorizontalOffset(h);
        }
    }
    const qint64 line = doc->firstLine(pi) + caretSubLine();
    const qint64 v = verticalOffset();
    if (line < topLine || (line == topLine && fine > 0)) {
        setVerticalOffset(line * lh);
    } else if ((line + 1) * lh > v + clientHeight()) {
        if (hasOption(smoNoFineScroll))
            setVerticalOffset(std::max<qint64>(0, line - (linesPerPage() - 2)) * lh);
        else
            setVerticalOffset((line + 1) * lh - clientHeight());
    }
}

// ---- search ----

bool TStyledMemo::SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord)
{
    finishLoad();
    const TextMatch match = searchDocument(*doc, doc->Separators, text, caret->paraIndex(), caret->offset(),
                                           forward, matchCase, wholeWord);
    if (!match)
        return false;
    const qint64 s = doc->paragraph(match.para).Start + match.at;
    const qint64 m = text.size();
    // Forward the caret stands behind the match, backward at its start.
    if (forward) {
        setSelStart(s + m);
        setSelLength(-m);
    } else {
        setSelStart(s);
        setSelLength(m);
    }
    return true;
}

// ---- clipboard ----

void TStyledMemo::CopyToClipboard()
{
    if (SelLength() == 0)
        return;
    auto* mime = new QMimeData;
    if (blockSel) {
        // The block marker lets a paste put the rows back into one column.
        mime->setText(blockText());
        mime->setData(QString::fromLatin1(BlockTypeMime), QByteArray("1"));
    } else {
        mime->setText(SelText());
    }
    QApplication::clipboard()->setMimeData(mime);
}

void TStyledMemo::CutToClipboard()
{
    if (ReadOnly || SelLength() == 0)
        return;
    CopyToClipboard();
    replaceSelection(QString());
}

void TStyledMemo::PasteFromClipboard()
{
    finishLoad();
    if (ReadOnly)
        return;
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText())
        return;
    QString t = mime->text();
    if (mime->hasFormat(QString::fromLatin1(BlockTypeMime))) {
        // A column block: each line goes to the same column of the following lines.
        const QStringList rows = t.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
        const int col = SelCol();
        const int pi = SelPar();
        replaceSelection(QString());
        beginStep();
        for (int r = 0; r < rows.size(); ++r) {
            if (pi + r >= doc->paragraphCount()) {
                recordedInsert(doc->textLength(), QStringLiteral("\r\n"));
            }
            const ParagraphInfo& p = doc->paragraph(pi + r);
            QString row = rows[r];
            qint32 at = std::min<qint32>(col, p.length());
            if (col > p.length())
                row.prepend(QString(col - p.length(), u' '));
            recordedInsert(p.Start + at, row);
        }
        endStep();
        recountLines();
        updateScrollBars();
        viewport()->update();
        caretUpdate();
        emit OnChange();
        return;
    }
    replaceSelection(t);
}

} // namespace kbl
