#include "textview/TStyledMemo.h"

#include "platform/Colors.h"
#include "textview/TextSearch.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace kbl {

namespace {
// Continues the background layout and highlighting (the view's private message 1025).
const QEvent::Type BackgroundEvent = QEvent::Type(QEvent::User + 1025);

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

TStyledMemo::TStyledMemo(QWidget* parent)
    : QAbstractScrollArea(parent), doc(std::make_unique<StyledDocument>())
{
    caret = std::make_unique<TStyledNavigator>(doc.get());
    anchor = std::make_unique<TStyledNavigator>(doc.get());
    SelBackColor = platform::clHighlight;
    SelTextColor = platform::clHighlightText;
    HighlightColor = platform::clRed;
    HighlightBackgnd = platform::clWindow;
    EndOfTextMark.Color = platform::clRed;
    SpecUnderline.Color = platform::clRed;
    altFont = font();
    doc->layoutHook = [this](int para, ParagraphInfo& p) { layoutParagraphHook(para, p); };
    doc->repaintHook = [this](int, int) { viewport()->update(); };
    doc->OnProgress = [this](int percent) { emit OnProgress(percent); };
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled);
    setScrollBars(scrollBars);
    verticalScrollBar()->setSingleStep(lh);
    blink.setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
    connect(&blink, &QTimer::timeout, this, [this] {
        caretOn = !caretOn;
        viewport()->update(lastCaretRect);
    });
    fontChanged();
}

TStyledMemo::~TStyledMemo()
{
    doc->layoutHook = nullptr;
    doc->repaintHook = nullptr;
    doc->OnProgress = nullptr;
    caret.reset();
    anchor.reset();
}

// ---- text ----

void TStyledMemo::setText(const QString& text)
{
    if (doc->UpdateMode == umBackground)
        doc->beginLoad(text);
    else
        doc->setText(text);
    afterLoad();
}

void TStyledMemo::finishLoad()
{
    if (!doc->loadPending())
        return;
    const int before = doc->paragraphCount();
    doc->finishLoad();
    totalLines += doc->paragraphCount() - before;
    updateScrollBars();
    scheduleBackground();
}

void TStyledMemo::loadFromBytes(QByteArrayView bytes)
{
    doc->loadFromBytes(bytes);
    afterLoad();
}

void TStyledMemo::afterLoad()
{
    totalLines = doc->paragraphCount();
    widest = 0;
    top = {};
    topLine = 0;
    fine = 0;
    hOffset = 0;
    rememberedX = -1;
    lineEndCaret = -1;
    caret->setPos(0);
    anchor->setPos(0);
    layoutWidth = availableWidth();
    recountLines();
    updateScrollBars();
    viewport()->update();
    scheduleBackground();
    caretUpdate();
    emit OnChange();
}

void TStyledMemo::ReapplyKeywords()
{
    finishLoad();
    doc->ReapplyKeywords();
    scheduleBackground();
}

void TStyledMemo::setHighlighter(TStyledHighlighter* h)
{
    doc->setHighlighter(h);
    ReapplyKeywords();
}

void TStyledMemo::finishBackgroundWork()
{
    finishLoad();
    while (doWork(std::chrono::milliseconds(1000))) {
    }
    updateScrollBars();
}

void TStyledMemo::scheduleBackground()
{
    if (doc->UpdateMode == umImmediate) {
        doc->parseAll();
        updateScrollBars();
        return;
    }
    if (doc->UpdateMode != umBackground || backgroundPosted || !doc->workPending())
        return;
    backgroundPosted = true;
    // Low priority: input and paint events waiting in the queue go first.
    QCoreApplication::postEvent(this, new QEvent(BackgroundEvent), Qt::LowEventPriority);
}

bool TStyledMemo::doWork(std::chrono::milliseconds budget)
{
    // Reading the geometry for every paragraph would cost more than many layouts.
    sliceParams = layoutParams();
    struct Reset {
        std::optional<LayoutParams>& params;
        ~Reset() { params.reset(); }
    } reset{sliceParams};
    return doc->doBackgroundWork(budget);
}

void TStyledMemo::runLayoutSlice()
{
    const int before = doc->paragraphCount();
    doWork(std::chrono::milliseconds(25));
    totalLines += doc->paragraphCount() - before;
}

void TStyledMemo::runBackgroundSlice()
{
    backgroundPosted = false;
    const qint64 oldTop = topLine;
    const int before = doc->paragraphCount();
    const bool more = doWork(std::chrono::milliseconds(25));
    totalLines += doc->paragraphCount() - before; // paragraphs read in: one line each so far
    updateScrollBars();
    if (topLine != oldTop)
        emit OnVScroll();
    if (more)
        scheduleBackground();
}

bool TStyledMemo::event(QEvent* e)
{
    if (e->type() == BackgroundEvent) {
        runBackgroundSlice();
        return true;
    }
    return QAbstractScrollArea::event(e);
}

// ---- layout ----

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

bool TStyledMemo::isWordBreak(char16_t c) const
{
    return c == u'\r' || c == u'\n' || doc->Separators.contains(c);
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

// ---- undo ----

void TStyledMemo::setUndoMaxLevel(int v)
{
    if (v > 134217727)
        throw std::out_of_range("Undo set too high");
    undoMaxLevel = std::max(0, v);
    trimUndo();
}

void TStyledMemo::setUndoMaxSpace(qint64 v)
{
    undoMaxSpace = std::max<qint64>(0, v);
    trimUndo();
}

void TStyledMemo::trimUndo()
{
    // The oldest steps go first; a space limit of 0 sets no limit.
    auto space = [this] {
        qint64 s = 0;
        for (const UndoStep& st : undoSteps)
            for (const UndoEdit& e : st.edits)
                s += 2 * (e.removed.size() + e.inserted.size());
        return s;
    };
    while (qsizetype(undoSteps.size()) > undoMaxLevel ||
           (undoMaxSpace > 0 && !undoSteps.empty() && space() > undoMaxSpace))
        undoSteps.erase(undoSteps.begin());
}

void TStyledMemo::beginStep()
{
    redoSteps.clear();
    if (undoMaxLevel <= 0)
        return;
    undoSteps.push_back({{}, caret->pos(), anchor->pos()});
    stepOpen = true;
}

void TStyledMemo::endStep()
{
    if (stepOpen && !undoSteps.empty() && undoSteps.back().edits.empty())
        undoSteps.pop_back(); // nothing changed
    stepOpen = false;
    trimUndo();
}

void TStyledMemo::recordedDelete(qint64 pos, qint64 length)
{
    const QString removed = rangeText(pos, pos + length);
    doc->deleteText(pos, length);
    if (stepOpen && !undoSteps.empty())
        undoSteps.back().edits.push_back({pos, removed, QString()});
}

qint64 TStyledMemo::recordedInsert(qint64 pos, const QString& text)
{
    const qint64 before = doc->textLength();
    doc->insertText(pos, text);
    const qint64 added = doc->textLength() - before;
    if (stepOpen && !undoSteps.empty() && added > 0)
        undoSteps.back().edits.push_back({pos, QString(), rangeText(pos, pos + added)});
    return added;
}

void TStyledMemo::applyStep(const UndoStep& step, bool undo)
{
    const bool wasOpen = stepOpen;
    stepOpen = false;
    if (undo) {
        for (auto it = step.edits.rbegin(); it != step.edits.rend(); ++it) {
            if (!it->inserted.isEmpty())
                doc->deleteText(it->pos, insertedLength(*it));
            if (!it->removed.isEmpty())
                doc->insertText(it->pos, it->removed);
        }
    } else {
        for (const UndoEdit& e : step.edits) {
            if (!e.removed.isEmpty())
                doc->deleteText(e.pos, insertedLengthOf(e.removed));
            if (!e.inserted.isEmpty())
                doc->insertText(e.pos, e.inserted);
        }
    }
    stepOpen = wasOpen;
    recountLines();
    lineEndCaret = -1;
    caret->setPos(clampPos(step.caret));
    anchor->setPos(clampPos(step.anchor));
    blockSel = false;
    scheduleBackground();
    updateScrollBars();
    viewport()->update();
    caretUpdate();
    emit OnChange();
}

qint64 TStyledMemo::insertedLength(const UndoEdit& e) const
{
    return insertedLengthOf(e.inserted);
}

qint64 TStyledMemo::insertedLengthOf(const QString& s)
{
    // Positions count a paragraph break as 2, whatever break characters the text had.
    qint64 n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'\r' || c == u'\n') {
            if (i + 1 < s.size() && (s[i + 1] == u'\r' || s[i + 1] == u'\n') && s[i + 1] != c)
                ++i;
            n += 2;
        } else {
            ++n;
        }
    }
    return n;
}

void TStyledMemo::Undo()
{
    if (ReadOnly || undoSteps.empty())
        return;
    UndoStep step = std::move(undoSteps.back());
    undoSteps.pop_back();
    applyStep(step, true);
    redoSteps.push_back(std::move(step));
}

void TStyledMemo::Redo()
{
    if (ReadOnly || redoSteps.empty())
        return;
    UndoStep step = std::move(redoSteps.back());
    redoSteps.pop_back();
    applyStep(step, false);
    undoSteps.push_back(std::move(step));
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
    if (text.isEmpty())
        return false;
    const TpmUpperCase mode = doc->UpperCaseType();
    std::u16string needle(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
    if (!matchCase)
        needle = upperCased(mode, needle);
    const QStringView pat(needle.data(), qsizetype(needle.size()));
    const qsizetype m = pat.size();
    const CharSet& seps = doc->Separators;
    // Without match case a paragraph is compared upper-cased: a character at a time, or
    // through the document's upper-cased copy where only a user routine knows how.
    const bool folded = !matchCase && mode != smuUserDefined;
    const bool copied = !matchCase && !folded;

    auto hay = [&](int pi) -> QStringView {
        const ParagraphInfo& p = doc->paragraph(pi);
        if (!copied || p.length() == 0)
            return p.view();
        return QStringView(doc->UpperCopy(pi, 0, p.length()), p.length());
    };
    auto find = [&](QStringView h, qsizetype from) {
        return folded ? indexOfUpperCased(h, pat, from, mode) : h.indexOf(pat, from);
    };
    auto findBack = [&](QStringView h, qsizetype from) {
        return folded ? lastIndexOfUpperCased(h, pat, from, mode) : h.lastIndexOf(pat, from);
    };
    auto isSeparator = [&](QChar c) {
        return seps.contains(folded ? upperCaseChar(mode, c.unicode()) : c.unicode());
    };
    auto isWhole = [&](QStringView h, qsizetype at) {
        if (!wholeWord)
            return true;
        const bool before = at == 0 || isSeparator(h[at - 1]);
        const bool after = at + m >= h.size() || isSeparator(h[at + m]);
        return before && after;
    };

    const int n = doc->paragraphCount();
    const int cp = caret->paraIndex();
    const qint32 co = caret->offset();
    if (forward) {
        for (int pi = cp; pi < n; ++pi) {
            const QStringView h = hay(pi);
            qsizetype at = pi == cp ? co : 0;
            while ((at = find(h, at)) >= 0) {
                if (isWhole(h, at)) {
                    const qint64 s = doc->paragraph(pi).Start + at;
                    setSelStart(s + m);
                    setSelLength(-m);
                    return true;
                }
                ++at;
            }
        }
    } else {
        for (int pi = cp; pi >= 0; --pi) {
            const QStringView h = hay(pi);
            // Only occurrences that lie wholly before the caret.
            qsizetype from = pi == cp ? co - m : h.size() - m;
            while (from >= 0) {
                const qsizetype at = findBack(h, from);
                if (at < 0)
                    break;
                if (isWhole(h, at)) {
                    setSelStart(doc->paragraph(pi).Start + at);
                    setSelLength(m);
                    return true;
                }
                from = at - 1;
            }
        }
    }
    return false;
}

// ---- clipboard and editing ----

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

void TStyledMemo::InsertText(const QString& text)
{
    if (ReadOnly)
        return;
    replaceSelection(text);
}

void TStyledMemo::replaceSelection(const QString& text)
{
    finishLoad();
    beginStep();
    if (blockSel) {
        // Remove the column from the bottom row up, so earlier positions stay valid.
        const int pa = anchor->paraIndex();
        const int pc = caret->paraIndex();
        qint32 firstFrom = 0, dummy = 0;
        blockRange(std::min(pa, pc), &firstFrom, &dummy);
        std::vector<std::pair<qint64, qint64>> cuts;
        for (int pi = std::min(pa, pc); pi <= std::max(pa, pc); ++pi) {
            qint32 a = 0, b = 0;
            blockRange(pi, &a, &b);
            if (b > a)
                cuts.emplace_back(doc->paragraph(pi).Start + a, b - a);
        }
        const qint64 at = doc->paragraph(std::min(pa, pc)).Start + firstFrom;
        blockSel = false;
        for (auto it = cuts.rbegin(); it != cuts.rend(); ++it)
            recordedDelete(it->first, it->second);
        caret->setPos(at);
        anchor->setPos(at);
    }
    const qint64 a = std::min(caret->pos(), anchor->pos());
    const qint64 b = std::max(caret->pos(), anchor->pos());
    if (b > a)
        recordedDelete(a, b - a);
    const qint64 before = doc->textLength();
    if (!text.isEmpty())
        recordedInsert(a, virtualCols > 0 ? QString(virtualCols, u' ') + text : text);
    virtualCols = 0;
    endStep();
    const qint64 added = doc->textLength() - before;
    recountLines();
    lineEndCaret = -1;
    caret->setPos(clampPos(a + added));
    anchor->setPos(caret->pos());
    rememberedX = -1;
    scheduleBackground();
    updateScrollBars();
    viewport()->update();
    caretUpdate();
    emit OnChange();
}

void TStyledMemo::toggleCode(char16_t code)
{
    finishLoad();
    beginStep();
    if (ReadOnly || SelLength() == 0 || !doc->StaticFormat())
        return;
    const qint64 a = std::min(caret->pos(), anchor->pos());
    const qint64 b = std::max(caret->pos(), anchor->pos());
    const qint64 len0 = doc->textLength();
    // One code at each end toggles the style for the stretch between.
    recordedInsert(b, QString(QChar(code)));
    recordedInsert(a, QString(QChar(code)));
    endStep();
    const qint64 grown = doc->textLength() - len0;
    recountLines();
    lineEndCaret = -1;
    caret->setPos(a);
    anchor->setPos(b + grown);
    scheduleBackground();
    viewport()->update();
    caretUpdate();
    emit OnChange();
    emit OnStyleChange();
}

void TStyledMemo::deleteBackward()
{
    if (SelLength() != 0) {
        replaceSelection(QString());
        return;
    }
    const qint64 p = caret->pos();
    if (p == 0)
        return;
    anchor->setPos(stepLeft(p));
    replaceSelection(QString());
}

void TStyledMemo::deleteForward()
{
    if (SelLength() != 0) {
        replaceSelection(QString());
        return;
    }
    const qint64 p = caret->pos();
    const qint64 q = stepRight(p);
    if (q == p)
        return;
    anchor->setPos(q);
    replaceSelection(QString());
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

// ---- properties ----

void TStyledMemo::setAltFont(const QFont& f)
{
    altFont = f;
    fontChanged();
}

void TStyledMemo::setColor(qint32 c)
{
    color = c;
    viewport()->update();
}

void TStyledMemo::setLeftMargin(int v)
{
    leftMargin = std::max(0, v);
    relayoutAll();
}

void TStyledMemo::setRightMargin(int v)
{
    rightMargin = std::max(0, v);
    relayoutAll();
}

void TStyledMemo::setWordWrap(bool v)
{
    if (wordWrap == v)
        return;
    wordWrap = v;
    hOffset = 0;
    relayoutAll();
}

void TStyledMemo::setScrollBars(TScrollStyle s)
{
    scrollBars = s;
    // Fixed bars: a bar that comes and goes would change the wrap width under the text.
    setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TStyledMemo::setDisplayOnly(bool v)
{
    displayOnly = v;
    viewport()->update();
}

void TStyledMemo::setHideSelection(bool v)
{
    hideSelection = v;
    viewport()->update();
}

void TStyledMemo::setAlignment(TAlignment a)
{
    alignment = a;
    viewport()->update();
    caretUpdate();
}

void TStyledMemo::setJustified(bool v)
{
    justified = v;
    viewport()->update();
    caretUpdate();
}

void TStyledMemo::setTabStops(int v)
{
    tabStops = std::max(1, v);
    relayoutAll();
}

void TStyledMemo::setLineHeight(int v)
{
    lineHeightSetting = v;
    fontChanged();
}

void TStyledMemo::setOptions(TStyledMemoOptions o)
{
    options = o;
    doc->DiscardTrailingSpaces = o & smoDiscardTrailingSpaces;
    viewport()->update();
}

void TStyledMemo::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        fontChanged();
}

void TStyledMemo::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (wordWrap && availableWidth() != layoutWidth)
        relayoutAll();
    else
        updateScrollBars();
}

} // namespace kbl
