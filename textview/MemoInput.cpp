// Keyboard and mouse: caret and word moves by key, selecting and dragging with the
// mouse, the wheel, the view's own menu and the caret's blink with the focus.

#include "textview/TStyledMemo.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

namespace kbl {

namespace {
// A right-pointing arrow for the margin where a click selects whole lines.
QCursor rightArrowCursor()
{
    static const QCursor cursor = [] {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QPolygon arrow({QPoint(14, 1), QPoint(14, 12), QPoint(11, 9), QPoint(8, 14),
                              QPoint(6, 13), QPoint(9, 8), QPoint(4, 8)});
        p.setPen(Qt::white);
        p.setBrush(Qt::black);
        p.drawPolygon(arrow);
        p.end();
        return QCursor(pm, 14, 1);
    }();
    return cursor;
}

Qt::CursorShape cursorShapeOf(qint16 value)
{
    switch (value) {
    case -2: return Qt::ArrowCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -11: return Qt::WaitCursor;
    case -12: return Qt::DragMoveCursor;
    case -21: return Qt::PointingHandCursor;
    default: return Qt::IBeamCursor;
    }
}
} // namespace

// ---- word moves ----

bool TStyledMemo::isWordBreak(char16_t c) const
{
    return c == u'\r' || c == u'\n' || doc->Separators.contains(c);
}

qint64 TStyledMemo::wordLeft(qint64 pos) const
{
    if (pos <= 0)
        return 0;
    qint64 p = pos - 1;
    while (p > 0 && doc->Separators.contains(charAt(p)))
        --p;
    if (charAt(p) == u'\n')
        return p - 1; // onto the end of the previous paragraph
    while (p > 0) {
        --p;
        if (isWordBreak(charAt(p)))
            return p + 1;
    }
    return 0;
}

qint64 TStyledMemo::wordRight(qint64 pos) const
{
    const qint64 len = doc->textLength();
    const int pi = doc->paragraphAt(pos);
    const ParagraphInfo& par = doc->paragraph(pi);
    if (pos == par.Start + par.length())
        return pi + 1 < doc->paragraphCount() ? pos + 2 : pos;
    qint64 p = pos;
    while (p < len && charAt(p) != 0 && !isWordBreak(charAt(p)))
        ++p;
    while (p < len && charAt(p) != 0 && doc->Separators.contains(charAt(p)))
        ++p;
    return clampPos(p);
}

// ---- keyboard ----

qint64 TStyledMemo::verticalMove(qint64 pos, qint64 lines)
{
    const int pi = doc->paragraphAt(pos);
    doc->ensureLaidOut(pi);
    const qint32 off = qint32(pos - doc->paragraph(pi).Start);
    const int sub = pos == caret->pos() ? caretSubLine() : subLineOf(pi, off);
    if (rememberedX < 0)
        rememberedX = xAtOffset(pi, sub, off);
    // Walk line by line so that paragraphs are laid out as they are reached.
    LinePos lp{pi, sub};
    for (qint64 k = 0; k < std::abs(lines); ++k) {
        if (lines > 0) {
            if (lp.sub + 1 < doc->paragraph(lp.para).lineCount())
                ++lp.sub;
            else if (lp.para + 1 < doc->paragraphCount()) {
                doc->ensureLaidOut(lp.para + 1);
                lp = {lp.para + 1, 0};
            } else
                break;
        } else {
            if (lp.sub > 0)
                --lp.sub;
            else if (lp.para > 0) {
                doc->ensureLaidOut(lp.para - 1);
                lp = {lp.para - 1, doc->paragraph(lp.para - 1).lineCount() - 1};
            } else
                break;
        }
    }
    return doc->paragraph(lp.para).Start + offsetAtX(lp.para, lp.sub, rememberedX);
}

void TStyledMemo::keyPressEvent(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const int key = e->key();

    if (e->matches(QKeySequence::Copy) || (ctrl && key == Qt::Key_Insert)) {
        CopyToClipboard();
        return;
    }

    if (displayOnly) {
        qint64 v = verticalOffset();
        switch (key) {
        case Qt::Key_Up: setVerticalOffset(v - lh); break;
        case Qt::Key_Down: setVerticalOffset(v + lh); break;
        case Qt::Key_PageUp: setVerticalOffset(ctrl ? 0 : v - (linesPerPage() - 1) * lh); break;
        case Qt::Key_PageDown:
            if (ctrl)
                finishLoad();
            setVerticalOffset(ctrl ? maxVerticalOffset() : v + (linesPerPage() - 1) * lh);
            break;
        case Qt::Key_Left: setHorizontalOffset(hOffset - int(fonts.spaceWidth())); break;
        case Qt::Key_Right: setHorizontalOffset(hOffset + int(fonts.spaceWidth())); break;
        case Qt::Key_Home: setHorizontalOffset(0); break;
        case Qt::Key_End: setHorizontalOffset(std::numeric_limits<int>::max() / 2); break;
        default: e->ignore(); return;
        }
        return;
    }

    qint64 pos = caret->pos();
    bool nav = true;
    bool keepX = false;
    bool atLineEnd = false;
    switch (key) {
    case Qt::Key_Left:
        if (virtualCols > 0 && !ctrl && !shift) {
            --virtualCols;
            caretUpdate();
            return;
        }
        pos = ctrl ? wordLeft(pos) : stepLeft(pos);
        break;
    case Qt::Key_Right:
        if (!ctrl && !shift && hasOption(smoKeepColumnPos) && !hasOption(smoWrapCaret) &&
            caret->offset() == doc->paragraph(caret->paraIndex()).length() && SelLength() == 0) {
            // Into a virtual column beyond the text instead of onto the next paragraph.
            ++virtualCols;
            caretUpdate();
            return;
        }
        pos = ctrl ? wordRight(pos) : stepRight(pos);
        break;
    case Qt::Key_Up:
        pos = verticalMove(pos, -1);
        keepX = true;
        break;
    case Qt::Key_Down:
        pos = verticalMove(pos, 1);
        keepX = true;
        break;
    case Qt::Key_PageUp:
        pos = verticalMove(pos, -(linesPerPage() - 1));
        keepX = true;
        break;
    case Qt::Key_PageDown:
        pos = verticalMove(pos, linesPerPage() - 1);
        keepX = true;
        break;
    case Qt::Key_Home:
        if (ctrl)
            pos = 0;
        else {
            const int pi = caret->paraIndex();
            doc->ensureLaidOut(pi);
            pos = doc->paragraph(pi).Start + lineStart(pi, caretSubLine());
        }
        break;
    case Qt::Key_End:
        if (ctrl) {
            finishLoad();
            pos = clampPos(doc->textLength());
        } else {
            const int pi = caret->paraIndex();
            doc->ensureLaidOut(pi);
            const int sub = caretSubLine();
            int end = lineEnd(pi, sub);
            if (cutInsideWord(pi, sub))
                atLineEnd = true; // behind the piece's last character, on this line
            else if (sub + 1 < doc->paragraph(pi).lineCount())
                end = std::max(lineStart(pi, sub), end - 1); // before the blank ending the line
            pos = doc->paragraph(pi).Start + end;
        }
        break;
    default:
        nav = false;
    }
    if (nav) {
        if (!keepX)
            rememberedX = -1;
        const bool block = alt && shift && hasOption(smoBlockSelection) && !wordWrap;
        if (block && !blockSel && SelLength() != 0)
            anchor->setPos(caret->pos());
        setBlockSel(block);
        moveCaret(clampPos(pos), shift, atLineEnd);
        ScrollInView();
        return;
    }

    const bool hotKeys = !ReadOnly && EnableHotKeys && ctrl && !alt;
    if (key == Qt::Key_Insert && !ctrl) {
        if (shift)
            PasteFromClipboard();
        else if (hasOption(smoInsertKeyActive)) {
            Overwrite = !Overwrite;
            caretUpdate();
            emit OnStyleChange();
        }
        return;
    }
    if (key == Qt::Key_Delete && shift) {
        CutToClipboard();
        return;
    }
    if (ctrl && !alt) {
        switch (key) {
        case Qt::Key_V: PasteFromClipboard(); return;
        case Qt::Key_X: CutToClipboard(); return;
        case Qt::Key_A: SelectAll(); return;
        default: break;
        }
        if (hotKeys) {
            switch (key) {
            case Qt::Key_B: ToggleBold(); return;
            case Qt::Key_I: ToggleItalic(); return;
            case Qt::Key_U: ToggleUnderline(); return;
            case Qt::Key_H: ToggleHighlight(); return;
            case Qt::Key_F: ToggleAltFont(); return;
            case Qt::Key_T: replaceSelection(QStringLiteral("\t")); return;
            case Qt::Key_P: replaceSelection(QStringLiteral("\r\n\x10\r\n")); return;
            case Qt::Key_Z:
                if (shift)
                    Redo();
                else
                    Undo();
                return;
            default: break;
            }
        }
        e->ignore();
        return;
    }
    if (ReadOnly) {
        // Caret and selection work; nothing typed changes the text.
        if (key == Qt::Key_Tab && alt)
            e->ignore();
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        replaceSelection(QStringLiteral("\r\n"));
        ScrollInView();
        return;
    case Qt::Key_Backspace:
        deleteBackward();
        ScrollInView();
        return;
    case Qt::Key_Delete:
        deleteForward();
        ScrollInView();
        return;
    case Qt::Key_Tab:
        if (alt) {
            e->ignore();
            return;
        }
        replaceSelection(QStringLiteral("\t"));
        ScrollInView();
        return;
    default:
        break;
    }
    const QString t = e->text();
    if (!t.isEmpty() && t[0].isPrint()) {
        if (Overwrite && SelLength() == 0) {
            const char16_t c = charAt(caret->pos());
            if (c && c != u'\r')
                anchor->setPos(stepRight(caret->pos()));
        }
        replaceSelection(t);
        ScrollInView();
        return;
    }
    e->ignore();
}

bool TStyledMemo::focusNextPrevChild(bool next)
{
    // Tab is a character of the text unless the view is read-only.
    if (!ReadOnly && !displayOnly)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

// ---- mouse ----

void TStyledMemo::selectWordAt(qint64 pos)
{
    auto inWord = [this](char16_t c) { return c != 0 && !isWordBreak(c); };
    qint64 s = pos;
    while (s > 0 && inWord(charAt(s - 1)))
        --s;
    qint64 e = pos;
    const qint64 len = doc->textLength();
    while (e < len && inWord(charAt(e)))
        ++e;
    if (hasOption(smoLargeWordSelect))
        while (e < len && charAt(e) != 0 && doc->Separators.contains(charAt(e)))
            ++e;
    e = clampPos(e);
    rememberedX = -1;
    moveCaret(s, false);
    moveCaret(e, true);
}

void TStyledMemo::selectLinesTo(qint64 line)
{
    const qint64 a = std::min(lineAnchor, line);
    const qint64 b = std::max(lineAnchor, line);
    const LinePos la = locateLine(a);
    const LinePos lb = locateLine(b);
    doc->ensureLaidOut(lb.para);
    const qint64 start = doc->paragraph(la.para).Start + lineStart(la.para, la.sub);
    qint64 end;
    if (lb.sub + 1 < doc->paragraph(lb.para).lineCount())
        end = doc->paragraph(lb.para).Start + lineEnd(lb.para, lb.sub);
    else if (lb.para + 1 < doc->paragraphCount())
        end = doc->paragraph(lb.para + 1).Start;
    else
        end = doc->paragraph(lb.para).Start + doc->paragraph(lb.para).length();
    if (line >= lineAnchor) {
        moveCaret(start, false);
        moveCaret(end, true);
    } else {
        moveCaret(end, false);
        moveCaret(start, true);
    }
}

void TStyledMemo::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || displayOnly) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint pt = e->position().toPoint();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    if (pt.x() < leftMargin - hOffset - 2 && !hasOption(smoNoLineSelection)) {
        const qint64 v = verticalOffset() + pt.y();
        const qint64 line = std::clamp<qint64>(v / lh, 0, totalLines - 1);
        if (!shift)
            lineAnchor = line;
        drag = Drag::Lines;
        selectLinesTo(line);
        return;
    }
    rememberedX = -1;
    const qint64 at = pointToPosition(pt);
    const qint64 s0 = std::min(caret->pos(), anchor->pos());
    const qint64 s1 = std::max(caret->pos(), anchor->pos());
    if (!ReadOnly && !shift && !blockSel && !hasOption(smoNoDragnDrop) && s0 < s1 && at > s0 && at < s1) {
        // Grabbing the selection starts a drag of the selected text.
        drag = Drag::Move;
        dragStart = at;
        dragMoved = false;
        return;
    }
    const bool block = (e->modifiers() & Qt::AltModifier) && hasOption(smoBlockSelection) && !wordWrap;
    setBlockSel(false);
    moveCaret(at, shift);
    setBlockSel(block);
    if (hasOption(smoKeepColumnPos) && !shift) {
        const QPoint endPt = positionToPoint(at);
        const int pi = caret->paraIndex();
        if (caret->offset() == doc->paragraph(pi).length() && pt.x() > endPt.x()) {
            virtualCols = int((pt.x() - endPt.x()) / fonts.spaceWidth() + 0.5);
            caretUpdate();
        }
    }
    drag = Drag::Text;
}

void TStyledMemo::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (drag == Drag::None || !(e->buttons() & Qt::LeftButton)) {
        drag = Drag::None;
        if (pt.x() < leftMargin - hOffset - 2) {
            viewport()->setCursor(rightArrowCursor());
        } else {
            const qint64 pos = pointToPosition(pt);
            const int pi = doc->paragraphAt(pos);
            const FormatRecord r = doc->recordInForce(pi, qint32(pos - doc->paragraph(pi).Start));
            viewport()->setCursor(r.Cursor ? QCursor(cursorShapeOf(r.Cursor)) : QCursor(Qt::IBeamCursor));
        }
        return;
    }
    if (drag == Drag::Move) {
        dragMoved = dragMoved || pointToPosition(pt) != dragStart;
        viewport()->setCursor((e->modifiers() & Qt::ControlModifier) ? Qt::DragCopyCursor : Qt::DragMoveCursor);
        return;
    }
    if (drag == Drag::Lines) {
        const qint64 v = verticalOffset() + pt.y();
        selectLinesTo(std::clamp<qint64>(v / lh, 0, totalLines - 1));
    } else {
        moveCaret(pointToPosition(pt), true);
    }
    ScrollInView();
}

void TStyledMemo::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        if (drag == Drag::Move) {
            drag = Drag::None;
            viewport()->setCursor(Qt::IBeamCursor);
            dropSelection(pointToPosition(pt), e->modifiers() & Qt::ControlModifier);
            return;
        }
        drag = Drag::None;
        contextClick(pt, false);
        return;
    }
    if (e->button() == Qt::RightButton) {
        contextClick(pt, true);
        if (PopupMenu)
            PopupMenu->popup(e->globalPosition().toPoint());
        else
            showDefaultMenu(e->globalPosition().toPoint());
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void TStyledMemo::contextClick(QPoint pt, bool)
{
    if (!doc->OnContext && !doc->Highlighter())
        return;
    StyledDocument::ContextStretch cs;
    if (!doc->contextAt(pointToPosition(pt), cs))
        return;
    if (doc->Highlighter())
        doc->Highlighter()->ContextNotification(cs.context);
    if (doc->OnContext)
        doc->OnContext(cs.context, cs.start, cs.end);
}

void TStyledMemo::dropSelection(qint64 to, bool copy)
{
    const qint64 s0 = std::min(caret->pos(), anchor->pos());
    const qint64 s1 = std::max(caret->pos(), anchor->pos());
    if (!dragMoved || (to >= s0 && to <= s1)) {
        // A click into the selection without moving: the caret goes there.
        moveCaret(to, false);
        return;
    }
    const QString moved = SelText();
    beginStep();
    const qint64 len0 = doc->textLength();
    qint64 at = to;
    if (!copy) {
        recordedDelete(s0, s1 - s0);
        if (at > s1)
            at -= doc->textLength() < len0 ? len0 - doc->textLength() : 0;
    }
    caret->setPos(at);
    anchor->setPos(at);
    const qint64 before = doc->textLength();
    recordedInsert(at, moved);
    const qint64 added = doc->textLength() - before;
    endStep();
    recountLines();
    lineEndCaret = -1;
    caret->setPos(at);
    anchor->setPos(at + added);
    scheduleBackground();
    updateScrollBars();
    viewport()->update();
    caretUpdate();
    emit OnChange();
}

void TStyledMemo::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || displayOnly)
        return;
    selectWordAt(pointToPosition(e->position().toPoint()));
    drag = Drag::None;
}

void TStyledMemo::wheelEvent(QWheelEvent* e)
{
    const int delta = e->angleDelta().y();
    if (delta == 0) {
        e->ignore();
        return;
    }
    // MouseWheelFactor lines per 120 units. High-resolution wheels send a fraction of
    // that per event: what falls short of a whole line carries over to the next event,
    // so many small turns scroll as far as one large one.
    const qint64 step = qint64(delta) * MouseWheelFactor;
    if (wheelRemainder != 0 && (wheelRemainder > 0) != (step > 0))
        wheelRemainder = 0; // turned back: the other way starts afresh
    const qint64 units = wheelRemainder + step;
    const qint64 lines = units / 120;
    wheelRemainder = units - lines * 120;
    if (lines != 0) {
        const qint64 before = verticalOffset();
        setVerticalOffset(before - lines * lh);
        if (verticalOffset() == before)
            wheelRemainder = 0; // at the end: nothing to carry
    }
    e->accept();
}

void TStyledMemo::showDefaultMenu(QPoint globalPos)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool sel = SelLength() != 0;
    const bool editable = !ReadOnly && !displayOnly;
    QAction* undo = menu->addAction(QStringLiteral("&Undo"), this, &TStyledMemo::Undo);
    QAction* redo = menu->addAction(QStringLiteral("&Redo"), this, &TStyledMemo::Redo);
    undo->setEnabled(editable && !undoSteps.empty());
    redo->setEnabled(editable && !redoSteps.empty());
    QAction* cut = menu->addAction(QStringLiteral("Cu&t"), this, &TStyledMemo::CutToClipboard);
    QAction* copy = menu->addAction(QStringLiteral("&Copy"), this, &TStyledMemo::CopyToClipboard);
    QAction* paste = menu->addAction(QStringLiteral("&Paste"), this, &TStyledMemo::PasteFromClipboard);
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Select all"), this, &TStyledMemo::SelectAll);
    cut->setEnabled(sel && editable);
    copy->setEnabled(sel);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    paste->setEnabled(editable && mime && mime->hasText());
    menu->popup(globalPos);
}

// ---- focus ----

void TStyledMemo::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    caretOn = true;
    blink.start();
    viewport()->update();
}

void TStyledMemo::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    blink.stop();
    viewport()->update();
}

} // namespace kbl
