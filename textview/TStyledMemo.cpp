// The text view's state and its glue to the document: construction, loading and the
// background work in time slices, editing with undo, and the properties.

#include "textview/TStyledMemo.h"

#include "platform/Colors.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <stdexcept>

namespace kbl {

namespace {
// Continues the background layout and highlighting (the view's private message 1025).
const QEvent::Type BackgroundEvent = QEvent::Type(QEvent::User + 1025);
// A slice from the event loop. Short enough that a slice the scheduler interrupts once
// still answers within about 25 ms; the work between two slices costs almost nothing.
constexpr std::chrono::milliseconds BackgroundSlice(12);
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
    doc->layoutHook = [this](int para) { layoutParagraphHook(para); };
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
    widest = 0; // before the load: with umImmediate it lays every paragraph out at once
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
    widest = 0;
    doc->loadFromBytes(bytes);
    afterLoad();
}

void TStyledMemo::afterLoad()
{
    totalLines = doc->paragraphCount();
    top = {};
    topLine = 0;
    fine = 0;
    hOffset = 0;
    rememberedX = -1;
    lineEndCaret = -1;
    caret->setPos(0);
    anchor->setPos(0);
    layoutWidth = availableWidth();
    // A paragraph has more than one line only once it is laid out, and only a load that
    // lays out everything at once has done so: otherwise the count is already right, and
    // walking a million paragraphs for it would cost more than the first screen.
    if (doc->laidOutUpTo() > 0)
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
    const bool more = doWork(BackgroundSlice);
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

// ---- editing ----

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
