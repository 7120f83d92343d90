// The document's paragraphs and their text: the paragraph store, loading (at once or in
// steps), saving and editing.
#include "textview/StyledDocument.h"

#include "textview/CharScan.h"
#include "textview/RuleSearch.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <stdexcept>

namespace kbl {

using Clock = std::chrono::steady_clock;

// ---- StyledDocument ----

StyledDocument::StyledDocument() : ownKeywordIndex(std::make_unique<KeywordIndex>())
{
    paras.emplace_back();
    textLen = 2;
    scratchFrom = std::make_unique<TStyledNavigator>(this);
    scratchTo = std::make_unique<TStyledNavigator>(this);
}

StyledDocument::~StyledDocument()
{
    scratchFrom.reset();
    scratchTo.reset();
    hookNavigators.reset();
    setHighlighter(nullptr);
    for (TStyledNavigator* n : navigators)
        n->doc = nullptr;
}

ParagraphInfo StyledDocument::paragraph(int i) const
{
    const ParagraphRecord& r = paragraphRecord(i);
    ParagraphInfo p;
    p.chars = charsOf(r);
    p.len = r.length;
    p.Start = r.start;
    p.StartFormat = r.startFormat;
    p.StaticStyle = r.staticStyle;
    p.LayoutDone = r.has(ParagraphRecord::LayoutDone);
    p.RegionDone = r.has(ParagraphRecord::RegionDone);
    p.KeywordsDone = r.has(ParagraphRecord::KeywordsDone);
    p.Formats = recordsOf(r);
    if (size_t(i) < lineTables.size()) {
        const LineTable& t = lineTables[size_t(i)];
        p.FirstLine = t.firstLine;
        p.Lines = LineSpan(t.lines.data(), qsizetype(t.lines.size()));
    }
    if (!colors.empty()) {
        const auto it = colors.find(i);
        if (it != colors.end()) {
            p.Foreground = it->second.first;
            p.Background = it->second.second;
        }
    }
    return p;
}

void StyledDocument::setParagraphColors(int para, qint32 foreground, qint32 background)
{
    paragraphRecord(para);
    if (foreground == -1 && background == -1)
        colors.erase(para);
    else
        colors[para] = {foreground, background};
    if (repaintHook)
        repaintHook(para, para);
}

int StyledDocument::paragraphAt(qint64 pos) const
{
    if (pos <= 0)
        return 0;
    auto it = std::upper_bound(paras.begin(), paras.end(), pos,
                               [](qint64 p, const ParagraphRecord& q) { return p < q.start; });
    return std::max(0, int(it - paras.begin()) - 1);
}

StyledDocument::LineTable& StyledDocument::lineTable(int para)
{
    // Grown only as far as asked: a view that shows the top of a long text and wraps
    // none of it needs the tables of its first screen only.
    if (lineTables.size() <= size_t(para)) {
        if (lineTables.capacity() < paras.size())
            lineTables.reserve(std::max(paras.size(), paras.capacity()));
        lineTables.resize(size_t(para) + 1);
    }
    return lineTables[size_t(para)];
}

LineSpan StyledDocument::lines(int para) const
{
    if (size_t(para) >= lineTables.size())
        return {};
    const auto& l = lineTables[size_t(para)].lines;
    return LineSpan(l.data(), qsizetype(l.size()));
}

int StyledDocument::lineCount(int para) const
{
    return size_t(para) < lineTables.size() && !lineTables[size_t(para)].lines.empty()
        ? int(lineTables[size_t(para)].lines.size())
        : 1;
}

void StyledDocument::paragraphsInserted(int at, int n)
{
    if (size_t(at) < lineTables.size())
        lineTables.insert(lineTables.begin() + at, size_t(n), LineTable{});
    if (!colors.empty()) {
        std::map<int, std::pair<qint32, qint32>> moved;
        for (const auto& [p, c] : colors)
            moved[p >= at ? p + n : p] = c;
        colors = std::move(moved);
    }
}

void StyledDocument::paragraphsErased(int from, int to)
{
    if (size_t(from) < lineTables.size())
        lineTables.erase(lineTables.begin() + from, lineTables.begin() + std::min<qsizetype>(to, qsizetype(lineTables.size())));
    if (!colors.empty()) {
        std::map<int, std::pair<qint32, qint32>> kept;
        for (const auto& [p, c] : colors)
            if (p < from || p >= to)
                kept[p >= to ? p - (to - from) : p] = c;
        colors = std::move(kept);
    }
}

// ---- the text buffer ----

void StyledDocument::setParagraphText(int para, std::initializer_list<QStringView> parts)
{
    qint64 total = 0;
    for (const QStringView& v : parts)
        total += v.size();
    if (total > MaxParagraphLength)
        throw std::length_error("Text too long");
    // The parts may lie in the buffer, which growing it may move: copied out first.
    thread_local std::u16string scratch;
    scratch.clear();
    for (const QStringView& v : parts)
        scratch.append(reinterpret_cast<const char16_t*>(v.utf16()), size_t(v.size()));
    ParagraphRecord& r = paras[size_t(para)];
    if (r.textAt + r.length == textBuf.size() && textBuf.isDetached()) {
        textBuf.truncate(qsizetype(r.textAt)); // the last text of the buffer is rewritten in place
    } else {
        unusedText += r.length;
        r.textAt = textBuf.size();
    }
    textBuf.append(QStringView(scratch.data(), qsizetype(scratch.size())));
    r.length = qint32(total);
}

void StyledDocument::compactText()
{
    const qint64 used = textBuf.size() - unusedText;
    if (unusedText < (1 << 20) || unusedText < used)
        return;
    QString packed;
    packed.reserve(qsizetype(used + 2 * qint64(paras.size())));
    for (ParagraphRecord& r : paras) {
        const QStringView t = viewOf(r);
        r.textAt = packed.size();
        packed.append(t);
        packed.append(u"\r\n");
    }
    textBuf = std::move(packed);
    unusedText = 0;
}

// ---- loading and saving ----

void StyledDocument::setStaticFormat(bool v)
{
    finishLoad();
    if (v == staticFormat)
        return;
    QString saved = text();
    staticFormat = v;
    load(std::move(saved));
}

void StyledDocument::progress(int percent, bool force)
{
    if (!OnProgress)
        return;
    const auto now = Clock::now();
    if (force || now - lastProgress >= std::chrono::milliseconds(300)) {
        lastProgress = now;
        OnProgress(percent);
    }
}

void StyledDocument::setText(QStringView text)
{
    load(text.toString());
}

void StyledDocument::setText(const QString& text)
{
    load(text);
}

void StyledDocument::loadFromBytes(QByteArrayView bytes)
{
    load(platform::decodeText(bytes));
}

qsizetype StyledDocument::takeText(QString text)
{
    // NUL ends the text unless a replacement is set.
    qsizetype end = text.indexOf(QChar(0));
    if (end >= 0 && NullReplacement) {
        text.replace(QChar(0), QChar(NullReplacement));
        end = -1;
    }
    textBuf = std::move(text);
    unusedText = 0;
    if (end < 0)
        end = textBuf.size();
    std::vector<ParagraphRecord>().swap(paras);
    // Room for every paragraph now: growing the list later would move all of them at
    // once. One per break character is enough (a CR LF pair counts twice).
    paras.reserve(size_t(countBreakCharacters(reinterpret_cast<const char16_t*>(textBuf.constData()), end)) + 1);
    store.clear();
    std::vector<LineTable>().swap(lineTables);
    colors.clear();
    return end;
}

bool StyledDocument::scanParagraphs(LoadCursor& at, qsizetype end, qsizetype stopAt)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(textBuf.constData());
    qsizetype i = at.next;
    // Consecutive paragraphs mostly share the start style: intern it once per change.
    quint8 internedFor = quint8(~at.running);
    quint32 startId = 0;
    for (;;) {
        const quint8 startStyle = at.running;
        // Breaks and static codes are the only characters below 22 that matter here.
        qsizetype j = i;
        for (;;) {
            j = findBelow(p, j, end, 22);
            if (j >= end || p[j] == u'\r' || p[j] == u'\n')
                break;
            if (staticFormat && isStaticCode(p[j]))
                at.running = toggleStaticStyle(at.running, p[j]);
            ++j;
        }
        qsizetype e = j;
        if (DiscardTrailingSpaces)
            while (e > i && (p[e - 1] == u' ' || p[e - 1] == u'\t'))
                --e;
        if (e - i > MaxParagraphLength)
            throw std::length_error("Text too long");
        ParagraphRecord& para = paras.emplace_back();
        para.start = at.pos;
        para.textAt = i;
        para.length = qint32(e - i);
        para.staticStyle = startStyle;
        if (internedFor != startStyle) {
            FormatRecord start;
            start.Attribute = startStyle;
            startId = table.intern(start);
            internedFor = startStyle;
        }
        para.startFormat = startId;
        at.pos += (e - i) + 2;
        if (j >= end) {
            at.next = end;
            return true;
        }
        // CR LF and LF CR are one break; CR CR and LF LF are two.
        if (j + 1 < end && (p[j + 1] == u'\r' || p[j + 1] == u'\n') && p[j + 1] != p[j])
            ++j;
        i = j + 1;
        at.next = i;
        if ((paras.size() & 4095) == 0)
            progress(int(i * 100 / std::max<qsizetype>(1, end)), false);
        if (i >= stopAt)
            return false;
    }
}

void StyledDocument::load(QString input)
{
    pendingEnd = -1;
    pending = {};
    const qsizetype end = takeText(std::move(input));
    LoadCursor at;
    scanParagraphs(at, end, end + 1);
    textLen = at.pos;
    loadReset();
    progress(100, true);
    startWork();
}

void StyledDocument::loadReset()
{
    ++textVersion;
    paragraphsReplaced(0);
    for (TStyledNavigator* nav : navigators) {
        nav->position = std::clamp<qint64>(nav->position, 0, textLen);
        nav->forget();
    }
    parseMark = layoutMark = lineMark = 0;
}

void StyledDocument::beginLoad(QString input, qsizetype firstChars)
{
    pending = {};
    pendingEnd = takeText(std::move(input));
    const bool done = scanParagraphs(pending, pendingEnd, std::min(firstChars, pendingEnd));
    textLen = pending.pos;
    loadReset();
    if (done)
        endLoad();
}

bool StyledDocument::loadPending() const
{
    return pendingEnd >= 0;
}

void StyledDocument::loadMore(qsizetype chars)
{
    if (!loadPending())
        return;
    const int before = paragraphCount();
    const bool done = scanParagraphs(pending, pendingEnd, pending.next + std::max<qsizetype>(1, chars));
    textLen = pending.pos;
    ++textVersion;
    // The last paragraph read before may already be highlighted: carry its end state on.
    if (before > 0 && before < paragraphCount() && paras[size_t(before - 1)].has(ParagraphRecord::RegionDone))
        propagate(before - 1);
    if (done)
        endLoad();
}

void StyledDocument::endLoad()
{
    pendingEnd = -1;
    pending = {};
    progress(layoutMark >= paragraphCount() ? 100 : 99, true);
    startWork();
}

void StyledDocument::finishLoad()
{
    while (loadPending())
        loadMore(pendingEnd);
}

QString StyledDocument::text() const
{
    // Saving needs the whole text; finishing a load changes no content.
    const_cast<StyledDocument*>(this)->finishLoad();
    const char16_t* br = u"\r\n";
    qsizetype brLen = 2;
    switch (LineBreak) {
    case pbCRLF: br = u"\r\n"; break;
    case pbLFCR: br = u"\n\r"; break;
    case pbCR: br = u"\r"; brLen = 1; break;
    case pbLF: br = u"\n"; brLen = 1; break;
    }
    QString out;
    out.reserve(qsizetype(textLen));
    for (size_t pi = 0; pi < paras.size(); ++pi) {
        const ParagraphRecord& para = paras[pi];
        const char16_t* t = charsOf(para);
        qint32 len = para.length;
        if (DiscardTrailingSpaces)
            while (len > 0 && (t[len - 1] == u' ' || t[len - 1] == u'\t'))
                --len;
        if (staticFormat) {
            // A run of format codes keeps only the codes that toggle something.
            for (qint32 k = 0; k < len;) {
                if (!isStaticCode(t[k])) {
                    qint32 e = k + 1;
                    while (e < len && !isStaticCode(t[e]))
                        ++e;
                    out.append(QStringView(t + k, e - k));
                    k = e;
                    continue;
                }
                qint32 e = k;
                while (e < len && isStaticCode(t[e]))
                    ++e;
                for (qint32 m = k; m < e; ++m) {
                    bool first = true;
                    int count = 0;
                    for (qint32 q = k; q < e; ++q)
                        if (t[q] == t[m]) {
                            if (q < m)
                                first = false;
                            ++count;
                        }
                    if (first && (count & 1))
                        out.append(QChar(t[m]));
                }
                k = e;
            }
        } else {
            out.append(QStringView(t, len));
        }
        if (pi + 1 < paras.size())
            out.append(QStringView(br, brLen));
    }
    return out;
}
// ---- editing ----

void StyledDocument::updateStarts(int fromPara)
{
    qint64 pos = fromPara > 0 ? paras[size_t(fromPara - 1)].start + paras[size_t(fromPara - 1)].length + 2 : 0;
    for (size_t i = size_t(std::max(0, fromPara)); i < paras.size(); ++i) {
        paras[i].start = pos;
        pos += paras[i].length + 2;
    }
    textLen = pos;
}

quint8 StyledDocument::staticStyleAfter(int para) const
{
    const ParagraphRecord& q = paras[size_t(para)];
    quint8 s = q.staticStyle;
    if (staticFormat) {
        const char16_t* t = charsOf(q);
        for (qint32 i = 0; i < q.length; ++i)
            if (isStaticCode(t[i]))
                s = toggleStaticStyle(s, t[i]);
    }
    return s;
}

void StyledDocument::recomputeStaticStyles(int fromPara)
{
    for (int i = std::max(1, fromPara); i < paragraphCount(); ++i) {
        const quint8 s = staticStyleAfter(i - 1);
        if (s == paras[size_t(i)].staticStyle && i > fromPara + 1)
            break;
        paras[size_t(i)].staticStyle = s;
    }
}

void StyledDocument::insertText(qint64 pos, QStringView text)
{
    finishLoad();
    if (text.isEmpty())
        return;
    if (text.contains(QChar(0))) {
        QString t = text.toString();
        if (NullReplacement)
            t.replace(QChar(0), QChar(NullReplacement));
        else
            t.truncate(t.indexOf(QChar(0)));
        insertText(pos, t);
        return;
    }
    // Text taken from this document's own buffer: the edit may move the buffer.
    QString own;
    {
        const QChar* b = textBuf.constData();
        if (text.data() >= b && text.data() < b + textBuf.size()) {
            own = text.toString();
            text = own;
        }
    }
    compactRecords();
    compactText();
    pos = std::clamp<qint64>(pos, 0, textLen);
    const int pi = paragraphAt(pos);
    const qint32 oldLen = paras[size_t(pi)].length;
    const qint32 off = qint32(std::min<qint64>(pos - paras[size_t(pi)].start, oldLen));

    // Split the inserted text at its breaks.
    std::vector<QStringView> pieces;
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype i = 0;
    const qsizetype n = text.size();
    for (;;) {
        qsizetype j = i;
        while (j < n && p[j] != u'\r' && p[j] != u'\n')
            ++j;
        pieces.push_back(QStringView(p + i, j - i));
        if (j >= n)
            break;
        if (j + 1 < n && (p[j + 1] == u'\r' || p[j + 1] == u'\n') && p[j + 1] != p[j])
            ++j;
        i = j + 1;
    }
    for (const auto& piece : pieces)
        if (piece.size() + qint64(oldLen) > MaxParagraphLength)
            throw std::length_error("Text too long");

    const qint32 ins = qint32(pieces.front().size());
    if (pieces.size() == 1) {
        const QStringView old = viewOf(paras[size_t(pi)]);
        setParagraphText(pi, {old.left(off), pieces.front(), old.mid(off)});
        RecordBlock& b = paras[size_t(pi)].formats;
        StoredRecord* f = store.data(b);
        for (quint32 r = 0; r < b.count; ++r)
            if (f[r].offset > off)
                f[r].offset += ins;
    } else {
        // The tail of the paragraph moves into the last new paragraph, with its records.
        const QString tail = viewOf(paras[size_t(pi)]).mid(off).toString();
        const qint32 lastPiece = qint32(pieces.back().size());
        std::vector<StoredRecord> tailRecords;
        for (const StoredRecord& r : records(pi))
            if (r.offset > off)
                tailRecords.push_back({r.offset - off + lastPiece, r.style});
        recordsEraseIf(pi, 0, [off](const StoredRecord& r) { return r.offset > off; });
        const int added = int(pieces.size()) - 1;
        ParagraphRecord blank;
        blank.startFormat = paras[size_t(pi)].startFormat;
        paras.insert(paras.begin() + pi + 1, size_t(added), blank);
        paragraphsInserted(pi + 1, added);
        for (int k = 1; k <= added; ++k) {
            if (k < added)
                setParagraphText(pi + k, {pieces[size_t(k)]});
            else
                setParagraphText(pi + k, {pieces.back(), tail});
        }
        recordsAssign(pi + added, tailRecords.data(), tailRecords.size());
        if (const auto c = colors.find(pi); c != colors.end())
            colors[pi + added] = c->second;
        // The paragraph itself keeps what stood before the insertion point.
        ParagraphRecord& first = paras[size_t(pi)];
        if (ins == 0) {
            unusedText += first.length - off;
            first.length = off;
        } else {
            const QStringView old = viewOf(first);
            setParagraphText(pi, {old.left(off), pieces.front()});
        }
    }
    const int last = pi + int(pieces.size()) - 1;
    updateStarts(pi);
    recomputeStaticStyles(pi);
    ++textVersion;
    paragraphsReplaced(pi);
    lineMark = std::min(lineMark, pi + 1);
    qint64 delta = 2 * qint64(pieces.size() - 1);
    for (const auto& piece : pieces)
        delta += piece.size();
    for (TStyledNavigator* nav : navigators) {
        if (nav->position > pos)
            nav->position += delta;
        nav->forget();
    }
    reparseAfterEdit(pi, last);
}

void StyledDocument::deleteText(qint64 pos, qint64 length)
{
    finishLoad();
    qint64 start = std::clamp<qint64>(pos, 0, textLen);
    qint64 end = std::clamp<qint64>(pos + length, 0, textLen);
    if (end < start)
        std::swap(start, end);
    if (end == start)
        return;
    compactRecords();
    compactText();
    const int p0 = paragraphAt(start);
    int p1 = paragraphAt(end);
    const qint32 s = qint32(std::min<qint64>(start - paras[size_t(p0)].start, paras[size_t(p0)].length));
    qint64 eo = end - paras[size_t(p1)].start;
    if (eo > paras[size_t(p1)].length) {
        // The end lies inside a break: the whole break goes.
        if (p1 + 1 < paragraphCount()) {
            ++p1;
            eo = 0;
        } else {
            eo = paras[size_t(p1)].length;
        }
    }
    const qint32 e = qint32(eo);
    if (p0 == p1) {
        if (e <= s)
            return;
        ParagraphRecord& para = paras[size_t(p0)];
        // In place: the characters behind the stretch move up.
        QChar* d = textBuf.data() + para.textAt;
        std::copy(d + e, d + para.length, d + s);
        unusedText += e - s;
        para.length -= e - s;
        recordsEraseIf(p0, 0, [&](const StoredRecord& r) { return r.offset > s && r.offset < e; });
        RecordBlock& b = para.formats;
        StoredRecord* f = store.data(b);
        for (quint32 r = 0; r < b.count; ++r)
            if (f[r].offset >= e)
                f[r].offset -= (e - s);
    } else {
        const ParagraphRecord& lastPara = paras[size_t(p1)];
        if (qint64(s) + (lastPara.length - e) > MaxParagraphLength)
            throw std::length_error("Text too long");
        std::vector<StoredRecord> moved;
        for (const StoredRecord& r : records(p1))
            if (r.offset >= e)
                moved.push_back({r.offset - e + s, r.style});
        if (e == lastPara.length) {
            unusedText += paras[size_t(p0)].length - s;
            paras[size_t(p0)].length = s;
        } else {
            setParagraphText(p0, {viewOf(paras[size_t(p0)]).left(s), viewOf(paras[size_t(p1)]).mid(e)});
        }
        recordsEraseIf(p0, 0, [s](const StoredRecord& r) { return r.offset > s; });
        RecordBlock& b = paras[size_t(p0)].formats;
        store.reserve(b, b.count + quint32(moved.size()));
        std::copy(moved.begin(), moved.end(), store.data(b) + b.count);
        b.count += quint32(moved.size());
        for (int q = p0 + 1; q <= p1; ++q) {
            unusedText += paras[size_t(q)].length;
            store.release(paras[size_t(q)].formats);
        }
        paras.erase(paras.begin() + p0 + 1, paras.begin() + p1 + 1);
        paragraphsErased(p0 + 1, p1 + 1);
    }
    updateStarts(p0);
    recomputeStaticStyles(p0);
    ++textVersion;
    paragraphsReplaced(p0);
    lineMark = std::min(lineMark, p0 + 1);
    for (TStyledNavigator* nav : navigators) {
        if (nav->position >= end)
            nav->position -= (end - start);
        else if (nav->position > start)
            nav->position = start;
        nav->position = std::clamp<qint64>(nav->position, 0, textLen);
        nav->forget();
    }
    reparseAfterEdit(p0, p0);
}

int StyledDocument::paraStringCount() const
{
    const int n = paragraphCount();
    return paras.back().length == 0 ? n - 1 : n;
}

void StyledDocument::addParagraph(QStringView text)
{
    const ParagraphRecord& last = paras.back();
    QString t = text.toString() + QStringLiteral("\r\n");
    // Into the last, empty paragraph; after a last paragraph with text, behind a break
    // of its own so that the two texts do not run together.
    if (last.length != 0)
        t.prepend(QStringLiteral("\r\n"));
    insertText(last.length == 0 ? last.start : last.start + last.length, t);
}

void StyledDocument::insertParagraph(int index, QStringView text)
{
    if (index < 0 || index > paraStringCount())
        throwListIndexOutOfBounds();
    if (index == paraStringCount()) {
        const ParagraphRecord& last = paras[size_t(std::max(0, index - 1))];
        insertText(last.start + last.length, QStringLiteral("\r\n") + text.toString());
        return;
    }
    insertText(paras[size_t(index)].start, text.toString() + QStringLiteral("\r\n"));
}

} // namespace kbl
