// Painting and line layout: line metrics, the division of paragraphs into display
// lines, where a position stands on screen, and each line drawn off-screen.

#include "textview/TStyledMemo.h"

#include "platform/Colors.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace kbl {

namespace {
qint64 clamp16(qint64 v) { return std::clamp<qint64>(v, -32768, 32767); }
} // namespace

// ---- layout ----

LayoutParams TStyledMemo::layoutParams() const
{
    LayoutParams lp;
    lp.availableWidth = availableWidth();
    lp.tabWidth = std::max(1, tabStops) * fonts.spaceWidth();
    lp.wordWrap = wordWrap;
    lp.staticFormat = doc->StaticFormat();
    return lp;
}

void TStyledMemo::layoutParagraphHook(int para)
{
    const LayoutParams params = sliceParams ? *sliceParams : layoutParams();
    // With wrap the widest line is never asked for: a paragraph sure to fit is one line
    // without being measured, as most paragraphs of source text are.
    if (params.wordWrap && surelyOneLine(*doc, para, fonts, params)) {
        if (doc->lineCount(para) > 1)
            takeLineTable(para, {});
        return;
    }
    LayoutResult r = layoutParagraph(*doc, para, fonts, params);
    widest = std::max(widest, r.widest);
    takeLineTable(para, std::move(r.lines));
}

void TStyledMemo::takeLineTable(int para, std::vector<DisplayLine> lines)
{
    const int before = doc->lineCount(para);
    doc->setLineTable(para, std::move(lines));
    const int after = doc->lineCount(para);
    if (after != before) {
        totalLines += after - before;
        if (para < top.para)
            topLine += after - before;
        else if (para == top.para && top.sub >= after) {
            top.sub = after - 1;
            topLine = globalLine(top);
        }
    }
}

int TStyledMemo::clientWidth() const
{
    if (isVisible())
        return std::max(1, viewport()->width());
    int w = contentsRect().width();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        w -= verticalScrollBar()->sizeHint().width();
    return std::max(1, w);
}

int TStyledMemo::clientHeight() const
{
    if (isVisible())
        return std::max(1, viewport()->height());
    int h = contentsRect().height();
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        h -= horizontalScrollBar()->sizeHint().height();
    return std::max(1, h);
}

int TStyledMemo::availableWidth() const
{
    return std::max(1, clientWidth() - leftMargin - rightMargin);
}

int TStyledMemo::linesPerPage() const
{
    return clientHeight() / lh + 1;
}

void TStyledMemo::fontChanged()
{
    fonts.setFonts(font(), altFont);
    QFontMetrics fm(fonts.baseFont());
    lh = lineHeightSetting > 0 ? lineHeightSetting : fm.height() + 1;
    textOffset = lh - fm.descent() - 1;
    if (textOffset < fm.ascent())
        textOffset = std::min(lh, fm.ascent());
    verticalScrollBar()->setSingleStep(lh);
    top = {};
    topLine = 0;
    fine = 0;
    hOffset = 0;
    relayoutAll();
}

void TStyledMemo::relayoutAll()
{
    if (sliceParams)
        sliceParams = layoutParams(); // changed from inside a slice, by a progress handler
    layoutWidth = availableWidth();
    widest = 0;
    doc->invalidateLayout();
    scheduleBackground();
    updateScrollBars();
    viewport()->update();
    caretUpdate();
}

void TStyledMemo::recountLines()
{
    totalLines = doc->displayLineCount();
}

qint64 TStyledMemo::DisplayLineCount()
{
    finishLoad();
    // Paragraphs not laid out yet would count as one line each.
    while (doc->laidOutUpTo() < doc->paragraphCount())
        runLayoutSlice();
    return totalLines;
}

qint64 TStyledMemo::globalLine(LinePos lp)
{
    return doc->firstLine(lp.para) + lp.sub;
}

TStyledMemo::LinePos TStyledMemo::locateLine(qint64 line)
{
    line = std::clamp<qint64>(line, 0, std::max<qint64>(0, totalLines - 1));
    const qint64 here = topLine;
    LinePos lp = top;
    if (std::abs(line - here) <= 4 * linesPerPage() + 64) {
        // Near the window: walk from its top line.
        qint64 l = here;
        while (l < line) {
            if (lp.sub + 1 < doc->paragraph(lp.para).lineCount())
                ++lp.sub;
            else if (lp.para + 1 < doc->paragraphCount())
                lp = {lp.para + 1, 0};
            else
                break;
            ++l;
        }
        while (l > line) {
            if (lp.sub > 0)
                --lp.sub;
            else if (lp.para > 0)
                lp = {lp.para - 1, doc->paragraph(lp.para - 1).lineCount() - 1};
            else
                break;
            --l;
        }
        return lp;
    }
    doc->displayLineCount(); // brings every paragraph's first line up to date
    int lo = 0, hi = doc->paragraphCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (doc->paragraph(mid).FirstLine <= line)
            lo = mid;
        else
            hi = mid - 1;
    }
    lp.para = lo;
    lp.sub = int(std::min<qint64>(line - doc->paragraph(lo).FirstLine, doc->paragraph(lo).lineCount() - 1));
    return lp;
}

int TStyledMemo::lineStart(int para, int sub)
{
    const ParagraphInfo& p = doc->paragraph(para);
    return p.Lines.empty() ? 0 : p.Lines[size_t(sub)].Start;
}

int TStyledMemo::lineEnd(int para, int sub)
{
    const ParagraphInfo& p = doc->paragraph(para);
    if (sub + 1 < p.lineCount())
        return p.Lines[size_t(sub + 1)].Start;
    return p.length();
}

int TStyledMemo::subLineOf(int para, qint32 offset)
{
    const ParagraphInfo& p = doc->paragraph(para);
    if (p.Lines.empty())
        return 0;
    auto it = std::upper_bound(p.Lines.begin(), p.Lines.end(), offset,
                               [](qint32 o, const DisplayLine& l) { return o < l.Start; });
    return std::max(0, int(it - p.Lines.begin()) - 1);
}

bool TStyledMemo::cutInsideWord(int para, int sub)
{
    const ParagraphInfo& p = doc->paragraph(para);
    if (sub + 1 >= p.lineCount())
        return false;
    const int s = lineStart(para, sub);
    int k = lineEnd(para, sub) - 1;
    while (k >= s && doc->StaticFormat() && isStaticCode(p.at(k)))
        --k;
    return k >= s && p.at(k) != u' ' && p.at(k) != u'\t';
}

qreal TStyledMemo::lineShift(int para, int sub, const std::vector<qreal>& xs, qreal* extraPerSpace)
{
    *extraPerSpace = 0;
    const ParagraphInfo& p = doc->paragraph(para);
    const int s = lineStart(para, sub);
    const int e = lineEnd(para, sub);
    const bool last = sub + 1 >= p.lineCount();
    // Blanks that end a wrapped line take no room.
    int contentEnd = e;
    if (!last)
        while (contentEnd > s && p.at(contentEnd - 1) == u' ')
            --contentEnd;
    const qreal width = xs[size_t(contentEnd - s)];
    const qreal avail = availableWidth();
    if (justified && !last && wordWrap) {
        int spaces = 0;
        for (int i = s; i < contentEnd; ++i)
            if (p.at(i) == u' ')
                ++spaces;
        if (spaces > 0 && width < avail)
            *extraPerSpace = (avail - width) / spaces;
        return 0;
    }
    switch (alignment) {
    case taRightJustify: return std::max<qreal>(0, avail - width);
    case taCenter: return std::max<qreal>(0, (avail - width) / 2);
    default: return 0;
    }
}

qreal TStyledMemo::xAtOffset(int para, int sub, qint32 offset)
{
    const int s = lineStart(para, sub);
    const int e = lineEnd(para, sub);
    const std::vector<qreal> xs = measureLine(*doc, para, s, e, fonts, layoutParams());
    qreal extra = 0;
    const qreal shift = lineShift(para, sub, xs, &extra);
    const int k = std::clamp(offset - s, 0, e - s);
    qreal x = xs[size_t(k)] + shift;
    if (extra > 0) {
        const ParagraphInfo& p = doc->paragraph(para);
        for (int i = s; i < s + k; ++i)
            if (p.at(i) == u' ')
                x += extra;
    }
    return x;
}

qint32 TStyledMemo::offsetAtX(int para, int sub, qreal x)
{
    const ParagraphInfo& p = doc->paragraph(para);
    const int s = lineStart(para, sub);
    const int e = lineEnd(para, sub);
    const std::vector<qreal> xs = measureLine(*doc, para, s, e, fonts, layoutParams());
    qreal extra = 0;
    const qreal shift = lineShift(para, sub, xs, &extra);
    // A wrapped line's end is the next line's start: stop before it.
    const int lastK = (sub + 1 < p.lineCount() && e > s) ? e - s - 1 : e - s;
    qreal add = 0;
    for (int k = 0; k < lastK; ++k) {
        const qreal x0 = xs[size_t(k)] + shift + add;
        qreal x1 = xs[size_t(k + 1)] + shift + add;
        if (extra > 0 && p.at(s + k) == u' ')
            x1 += extra;
        if (x < (x0 + x1) / 2)
            return s + k;
        if (extra > 0 && p.at(s + k) == u' ')
            add += extra;
    }
    return s + lastK;
}

// ---- positions on screen ----

QPoint TStyledMemo::positionToPoint(qint64 pos)
{
    pos = clampPos(pos);
    const int pi = doc->paragraphAt(pos);
    doc->ensureLaidOut(pi);
    const qint32 off = qint32(pos - doc->paragraph(pi).Start);
    return pointAt(pi, subLineOf(pi, off), off);
}

QPoint TStyledMemo::pointAt(int pi, int sub, qint32 off)
{
    const qreal x = xAtOffset(pi, sub, off);
    const qint64 y = (doc->firstLine(pi) + sub) * lh - verticalOffset();
    return QPoint(int(std::lround(x)) + leftMargin - hOffset, int(clamp16(y)));
}

qint64 TStyledMemo::pointToPosition(QPoint pt)
{
    const qint64 v = verticalOffset() + pt.y();
    const qint64 line = v < 0 ? 0 : v / lh;
    LinePos lp = locateLine(line);
    doc->ensureLaidOut(lp.para);
    lp.sub = std::min(lp.sub, doc->paragraph(lp.para).lineCount() - 1);
    const qint32 off = offsetAtX(lp.para, lp.sub, pt.x() - leftMargin + hOffset);
    return doc->paragraph(lp.para).Start + off;
}

// ---- painting ----

QColor TStyledMemo::colorOf(qint32 c) const
{
    if (c == platform::clWindow)
        return palette().color(QPalette::Base);
    if (c == platform::clWindowText)
        return palette().color(QPalette::Text);
    if (c == platform::clHighlight)
        return palette().color(QPalette::Highlight);
    if (c == platform::clHighlightText)
        return palette().color(QPalette::HighlightedText);
    return platform::toQColor(c);
}

void TStyledMemo::paintLine(QPainter& g, int para, int sub, int y)
{
    const ParagraphInfo& p = doc->paragraph(para);
    const int w = clientWidth();
    const QColor window = colorOf(color);
    g.fillRect(QRect(0, y, w, lh), p.Background != -1 ? colorOf(p.Background) : window);

    const int s = lineStart(para, sub);
    const int e = lineEnd(para, sub);
    const bool lastLine = sub + 1 >= p.lineCount();
    const LayoutParams params = layoutParams();
    const std::vector<qreal> xs = measureLine(*doc, para, s, e, fonts, params);
    qreal extra = 0;
    const qreal shift = lineShift(para, sub, xs, &extra);
    int drawEnd = e;
    if (!lastLine)
        while (drawEnd > s && p.at(drawEnd - 1) == u' ')
            --drawEnd;
    // x of each boundary, justification included.
    std::vector<qreal> px(xs.size());
    {
        qreal add = 0;
        for (size_t k = 0; k < xs.size(); ++k) {
            px[k] = xs[k] + add + shift + leftMargin - hOffset;
            if (extra > 0 && k + 1 < xs.size() && p.at(s + int(k)) == u' ')
                add += extra;
        }
    }

    // Selection in this line.
    qint64 selA = std::min(caret->pos(), anchor->pos()) - p.Start;
    qint64 selB = std::max(caret->pos(), anchor->pos()) - p.Start;
    const bool showSel = selA != selB && !(hideSelection && !hasFocus());
    qint64 la = showSel ? std::clamp<qint64>(selA, s, e) : 0;
    qint64 lb = showSel ? std::clamp<qint64>(selB, s, e) : 0;
    if (showSel && blockSel) {
        qint32 ba = 0, bb = 0;
        if (blockRange(para, &ba, &bb)) {
            la = std::clamp<qint64>(ba, s, e);
            lb = std::clamp<qint64>(bb, s, e);
        } else {
            la = lb = 0;
        }
        selA = selB = -1; // no paragraph-break block in a column selection
    }
    const bool useSelColors = SelBackColor != -1 && SelTextColor != -1;
    const QColor selBack = colorOf(hasOption(smoWindowsSelColors) ? platform::clHighlight : SelBackColor);
    const QColor selText = colorOf(hasOption(smoWindowsSelColors) ? platform::clHighlightText : SelTextColor);
    const QColor fontColor = palette().color(QPalette::Text);
    const int baseline = y + textOffset;
    // Text goes out in bounded pieces, so a very long line costs only its visible part.
    const int outputChunk = std::max(16, int(16384 / std::max<qreal>(1, fonts.metrics(0).maxWidth())));

    StyleWalker sw(*doc, para, params.staticFormat, fonts.fontStyleBits(), s);
    QString run;
    run.reserve(e - s);

    // Runs of one style between record boundaries, static codes and TABs.
    int i = s;
    while (i < drawEnd) {
        if (sw.advanceTo(i)) {
            ++i;
            continue;
        }
        const FormatRecord& rec = sw.record();
        quint8 st = sw.style();
        const bool wavy = rec.isDynamic() && (rec.Attribute & 0x18) == 0x18;
        if (wavy)
            st &= quint8(~0x18);
        QColor fg = p.Foreground != -1 ? colorOf(p.Foreground)
                    : rec.Foreground != -1 ? colorOf(rec.Foreground) : fontColor;
        QColor bg = p.Background != -1 ? colorOf(p.Background)
                    : rec.Background != -1 ? colorOf(rec.Background) : QColor();
        if (st & 0x10) {
            fg = colorOf(HighlightColor);
            bg = colorOf(HighlightBackgnd);
        }
        const int runStart = i;
        if (p.at(i) == u'\t') {
            ++i;
        } else {
            const qint32 boundary = sw.nextBoundary();
            run.clear();
            while (i < drawEnd && i < boundary && i - runStart < outputChunk) {
                const char16_t c = p.at(i);
                if (c == u'\t' || (params.staticFormat && isStaticCode(c)))
                    break;
                if (extra > 0 && c == u' ' && i > runStart)
                    break; // justified words are placed one by one
                run.append(QChar(c));
                ++i;
                if (extra > 0 && c == u' ')
                    break;
            }
        }
        const qreal x0 = px[size_t(runStart - s)];
        const qreal x1 = px[size_t(i - s)];
        if (x1 < -16383 || x0 > w) {
            continue; // off the window: measured only
        }
        const QRectF box(x0, y, x1 - x0, lh);
        if (bg.isValid())
            g.fillRect(box, bg);
        if (!run.isEmpty() && p.at(runStart) != u'\t') {
            g.setFont(fonts.font(st));
            auto draw = [&](const QColor& c) {
                g.setPen(c);
                g.drawText(QPointF(x0, baseline), run);
            };
            draw(fg);
            if (wavy) {
                QPen pen(colorOf(SpecUnderline.Color), SpecUnderline.Width);
                g.setPen(pen);
                QPolygonF zig;
                const qreal yb = baseline + 1;
                bool down = false;
                for (qreal x = x0; x <= x1; x += 2, down = !down)
                    zig << QPointF(x, down ? yb + 2 : yb);
                g.drawPolyline(zig);
            }
            // Selected characters of the run again, in selection colours.
            if (showSel && la < lb && useSelColors && runStart < lb && i > la) {
                const qreal sx0 = px[size_t(std::max<qint64>(runStart, la) - s)];
                const qreal sx1 = px[size_t(std::min<qint64>(i, lb) - s)];
                g.save();
                g.setClipRect(QRectF(sx0, y, sx1 - sx0, lh));
                g.fillRect(QRectF(sx0, y, sx1 - sx0, lh), selBack);
                draw(selText);
                g.restore();
            }
        }
        if (showSel && la < lb && useSelColors && runStart < lb && i > la && (run.isEmpty() || p.at(runStart) == u'\t')) {
            const qreal sx0 = px[size_t(std::max<qint64>(runStart, la) - s)];
            const qreal sx1 = px[size_t(std::min<qint64>(i, lb) - s)];
            g.fillRect(QRectF(sx0, y, sx1 - sx0, lh), selBack);
        }
    }
    if (showSel && la < lb && !useSelColors) {
        g.save();
        g.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        g.fillRect(QRectF(px[size_t(la - s)], y, px[size_t(lb - s)] - px[size_t(la - s)], lh), Qt::white);
        g.restore();
    }
    // A selected paragraph break as a small block behind the last character.
    if (showSel && ShowEndParSelected && lastLine && selA <= p.length() && selB > p.length() &&
        para + 1 < doc->paragraphCount()) {
        const qreal bx = px.back();
        const qreal bw = fonts.spaceWidth() / 2 + 1;
        g.fillRect(QRectF(bx, y + lh / 3.0, bw, lh / 3.0), useSelColors ? selBack : fontColor);
    }
}

QImage TStyledMemo::renderLine(qint64 line)
{
    const LinePos lp = locateLine(line);
    doc->ensureLaidOut(lp.para);
    QImage img(clientWidth(), lh, QImage::Format_RGB32);
    QPainter g(&img);
    paintLine(g, lp.para, std::min(lp.sub, doc->paragraph(lp.para).lineCount() - 1), 0);
    return img;
}

void TStyledMemo::paintEvent(QPaintEvent* ev)
{
    QPainter vp(viewport());
    const int w = clientWidth();
    const int h = clientHeight();
    const QRect dirty = ev->rect();
    const QColor window = colorOf(color);
    if (lineImage.width() != w || lineImage.height() != lh)
        lineImage = QImage(std::max(1, w), lh, QImage::Format_RGB32);

    LinePos lp = top;
    doc->ensureLaidOut(lp.para);
    lp.sub = std::min(lp.sub, doc->paragraph(lp.para).lineCount() - 1);
    int y = -fine;
    bool reachedEnd = false;
    while (y < h) {
        if (y + lh > dirty.top() && y < dirty.bottom() + 1) {
            // Each line is drawn off-screen and copied in one operation.
            QPainter g(&lineImage);
            paintLine(g, lp.para, lp.sub, 0);
            g.end();
            vp.drawImage(0, y, lineImage);
        }
        y += lh;
        if (lp.sub + 1 < doc->paragraph(lp.para).lineCount()) {
            ++lp.sub;
        } else if (lp.para + 1 < doc->paragraphCount()) {
            doc->ensureLaidOut(lp.para + 1);
            lp = {lp.para + 1, 0};
        } else {
            reachedEnd = true;
            break;
        }
    }
    if (reachedEnd) {
        if (y < h)
            vp.fillRect(QRect(0, y, w, h - y), window);
        if (EndOfTextMark.Color != -1) {
            const int pw = std::max(1, EndOfTextMark.Width);
            vp.setPen(QPen(colorOf(EndOfTextMark.Color), pw));
            const int ly = y + pw / 2;
            vp.drawLine(0, ly, w, ly);
        }
    }
    if (hasFocus() && caretOn && !displayOnly) {
        const QRect r = caretRect();
        lastCaretRect = r;
        vp.fillRect(r, palette().color(QPalette::Text));
    }
}

} // namespace kbl
