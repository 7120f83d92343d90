// The document's paragraphs and their text: the paragraph store, loading (at once or in
// steps), saving and editing.
#include "textview/StyledDocument.h"

#include "textview/RuleSearch.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <stdexcept>

namespace kbl {

using Clock = std::chrono::steady_clock;

// ---- ParagraphInfo ----

namespace {
qint32 capacityFor(qint64 len)
{
    const qint64 cap = len + len / 64 + 1;
    if (len > MaxParagraphLength || cap > MaxParagraphLength)
        throw std::length_error("Text too long");
    return qint32(cap);
}
} // namespace

void ParagraphInfo::setText(QStringView s)
{
    const qint32 c = capacityFor(s.size());
    chars.reset(new char16_t[size_t(c)]);
    std::copy_n(reinterpret_cast<const char16_t*>(s.utf16()), s.size(), chars.get());
    len = qint32(s.size());
    cap = c;
    chars[size_t(len)] = 0;
}

void ParagraphInfo::insertText(qint32 at, QStringView s)
{
    const qint64 newLen = qint64(len) + s.size();
    if (newLen + 1 > cap) {
        const qint32 c = capacityFor(newLen);
        std::unique_ptr<char16_t[]> n(new char16_t[size_t(c)]);
        std::copy_n(text(), at, n.get());
        std::copy_n(text() + at, len - at, n.get() + at + s.size());
        chars = std::move(n);
        cap = c;
    } else {
        std::copy_backward(chars.get() + at, chars.get() + len, chars.get() + newLen);
    }
    std::copy_n(reinterpret_cast<const char16_t*>(s.utf16()), s.size(), chars.get() + at);
    len = qint32(newLen);
    chars[size_t(len)] = 0;
}

void ParagraphInfo::removeText(qint32 at, qint32 n)
{
    if (n <= 0 || !chars)
        return;
    std::copy(chars.get() + at + n, chars.get() + len, chars.get() + at);
    len -= n;
    chars[size_t(len)] = 0;
}

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
    setHighlighter(nullptr);
    for (TStyledNavigator* n : navigators)
        n->doc = nullptr;
}

const ParagraphInfo& StyledDocument::paragraph(int i) const
{
    if (i < 0 || i >= paragraphCount())
        throwListIndexOutOfBounds();
    return paras[size_t(i)];
}

ParagraphInfo& StyledDocument::paragraph(int i)
{
    if (i < 0 || i >= paragraphCount())
        throwListIndexOutOfBounds();
    return paras[size_t(i)];
}

int StyledDocument::paragraphAt(qint64 pos) const
{
    if (pos <= 0)
        return 0;
    auto it = std::upper_bound(paras.begin(), paras.end(), pos,
                               [](qint64 p, const ParagraphInfo& q) { return p < q.Start; });
    return std::max(0, int(it - paras.begin()) - 1);
}
// ---- loading and saving ----

void StyledDocument::setStaticFormat(bool v)
{
    finishLoad();
    if (v == staticFormat)
        return;
    const QString saved = text();
    staticFormat = v;
    load(saved);
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
    load(text);
}

void StyledDocument::loadFromBytes(QByteArrayView bytes)
{
    QString decoded = platform::decodeText(bytes);
    load(decoded);
}

namespace {
// NUL ends the text unless a replacement is set; `holder` keeps a replaced copy alive.
QStringView withoutNul(QStringView input, char16_t replacement, QString& holder)
{
    const qsizetype nul = input.indexOf(QChar(0));
    if (nul < 0)
        return input;
    if (replacement == 0)
        return input.left(nul);
    holder = input.toString();
    holder.replace(QChar(0), QChar(replacement));
    return holder;
}
// An upper bound of the paragraphs of a text (one per break character, plus one).
size_t paragraphsIn(QStringView text)
{
    size_t breaks = 0;
    for (QChar c : text)
        breaks += (c == u'\r' || c == u'\n');
    return breaks + 1;
}
} // namespace

bool StyledDocument::scanParagraphs(QStringView text, LoadCursor& at, qsizetype stopAt,
                                    std::vector<ParagraphInfo>& into)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    qsizetype i = at.next;
    // Consecutive paragraphs mostly share the start style: intern it once per change.
    quint8 internedFor = quint8(~at.running);
    quint32 startId = 0;
    for (;;) {
        qsizetype j = i;
        while (j < n && p[j] != u'\r' && p[j] != u'\n')
            ++j;
        qsizetype e = j;
        if (DiscardTrailingSpaces)
            while (e > i && (p[e - 1] == u' ' || p[e - 1] == u'\t'))
                --e;
        if (e - i > MaxParagraphLength)
            throw std::length_error("Text too long");
        ParagraphInfo& para = into.emplace_back(QStringView(p + i, e - i));
        para.Start = at.pos;
        para.StaticStyle = at.running;
        if (internedFor != at.running) {
            FormatRecord start;
            start.Attribute = at.running;
            startId = table.intern(start);
            internedFor = at.running;
        }
        para.StartFormat = startId;
        at.pos += (e - i) + 2;
        if (staticFormat)
            for (qsizetype k = i; k < e; ++k)
                if (isStaticCode(p[k]))
                    at.running = toggleStaticStyle(at.running, p[k]);
        if (j >= n) {
            at.next = n;
            return true;
        }
        // CR LF and LF CR are one break; CR CR and LF LF are two.
        if (j + 1 < n && (p[j + 1] == u'\r' || p[j + 1] == u'\n') && p[j + 1] != p[j])
            ++j;
        i = j + 1;
        at.next = i;
        if ((into.size() & 4095) == 0)
            progress(int(i * 100 / std::max<qsizetype>(1, n)), false);
        if (i >= stopAt)
            return false;
    }
}

void StyledDocument::load(QStringView input)
{
    pendingText.clear();
    pending = {};
    QString replaced;
    const QStringView text = withoutNul(input, NullReplacement, replaced);

    std::vector<ParagraphInfo> loaded;
    loaded.reserve(paragraphsIn(text));
    LoadCursor at;
    scanParagraphs(text, at, text.size() + 1, loaded);
    paras = std::move(loaded);
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
    QString replaced;
    const QStringView view = withoutNul(input, NullReplacement, replaced);
    pendingText = replaced.isNull() ? std::move(input) : std::move(replaced);
    pendingText.truncate(view.size());
    pending = {};
    paras.clear();
    // Room for every paragraph now: growing the list later would move all of them at once.
    paras.reserve(paragraphsIn(pendingText));
    const bool done = scanParagraphs(pendingText, pending, std::min(firstChars, pendingText.size()), paras);
    textLen = pending.pos;
    loadReset();
    if (done)
        endLoad();
}

bool StyledDocument::loadPending() const
{
    return !pendingText.isNull();
}

void StyledDocument::loadMore(qsizetype chars)
{
    if (!loadPending())
        return;
    const int before = paragraphCount();
    const bool done = scanParagraphs(pendingText, pending, pending.next + std::max<qsizetype>(1, chars), paras);
    textLen = pending.pos;
    ++textVersion;
    // The last paragraph read before may already be highlighted: carry its end state on.
    if (before > 0 && before < paragraphCount() && paras[size_t(before - 1)].RegionDone)
        propagate(before - 1);
    if (done)
        endLoad();
}

void StyledDocument::endLoad()
{
    pendingText = QString();
    pending = {};
    progress(layoutMark >= paragraphCount() ? 100 : 99, true);
    startWork();
}

void StyledDocument::finishLoad()
{
    while (loadPending())
        loadMore(pendingText.size());
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
        const ParagraphInfo& para = paras[pi];
        const char16_t* t = para.text();
        qint32 len = para.length();
        if (DiscardTrailingSpaces)
            while (len > 0 && (t[len - 1] == u' ' || t[len - 1] == u'\t'))
                --len;
        if (staticFormat) {
            // A run of format codes keeps only the codes that toggle something.
            for (qint32 k = 0; k < len;) {
                if (!isStaticCode(t[k])) {
                    out.append(QChar(t[k++]));
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
    qint64 pos = fromPara > 0 ? paras[size_t(fromPara - 1)].Start + paras[size_t(fromPara - 1)].length() + 2 : 0;
    for (size_t i = size_t(std::max(0, fromPara)); i < paras.size(); ++i) {
        paras[i].Start = pos;
        pos += paras[i].length() + 2;
    }
    textLen = pos;
}

quint8 StyledDocument::staticStyleAfter(int para) const
{
    const ParagraphInfo& q = paras[size_t(para)];
    quint8 s = q.StaticStyle;
    if (staticFormat)
        for (qint32 i = 0; i < q.length(); ++i)
            if (isStaticCode(q.at(i)))
                s = toggleStaticStyle(s, q.at(i));
    return s;
}

void StyledDocument::recomputeStaticStyles(int fromPara)
{
    for (int i = std::max(1, fromPara); i < paragraphCount(); ++i) {
        const quint8 s = staticStyleAfter(i - 1);
        if (s == paras[size_t(i)].StaticStyle && i > fromPara + 1)
            break;
        paras[size_t(i)].StaticStyle = s;
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
    pos = std::clamp<qint64>(pos, 0, textLen);
    const int pi = paragraphAt(pos);
    const qint32 off = qint32(std::min<qint64>(pos - paras[size_t(pi)].Start, paras[size_t(pi)].length()));

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
        if (piece.size() + qint64(paras[size_t(pi)].length()) > MaxParagraphLength)
            throw std::length_error("Text too long");

    ParagraphInfo& first = paras[size_t(pi)];
    const qint32 ins = qint32(pieces.front().size());
    if (pieces.size() == 1) {
        first.insertText(off, pieces.front());
        for (auto& r : first.Formats)
            if (r.offset > off)
                r.offset += ins;
    } else {
        // The tail of the paragraph moves into the last new paragraph, with its records.
        const QString tail = first.view().mid(off).toString();
        std::vector<StoredRecord> tailRecords;
        for (auto it = first.Formats.begin(); it != first.Formats.end();) {
            if (it->offset > off) {
                tailRecords.push_back({it->offset - off + qint32(pieces.back().size()), it->style});
                it = first.Formats.erase(it);
            } else {
                ++it;
            }
        }
        first.removeText(off, first.length() - off);
        first.insertText(off, pieces.front());
        std::vector<ParagraphInfo> added;
        for (size_t k = 1; k < pieces.size(); ++k) {
            ParagraphInfo np(pieces[k]);
            np.StartFormat = first.StartFormat;
            added.push_back(std::move(np));
        }
        added.back().insertText(added.back().length(), tail);
        added.back().Formats = std::move(tailRecords);
        added.back().Foreground = first.Foreground;
        added.back().Background = first.Background;
        paras.insert(paras.begin() + pi + 1, std::make_move_iterator(added.begin()),
                     std::make_move_iterator(added.end()));
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
    const int p0 = paragraphAt(start);
    int p1 = paragraphAt(end);
    const qint32 s = qint32(std::min<qint64>(start - paras[size_t(p0)].Start, paras[size_t(p0)].length()));
    qint64 eo = end - paras[size_t(p1)].Start;
    if (eo > paras[size_t(p1)].length()) {
        // The end lies inside a break: the whole break goes.
        if (p1 + 1 < paragraphCount()) {
            ++p1;
            eo = 0;
        } else {
            eo = paras[size_t(p1)].length();
        }
    }
    const qint32 e = qint32(eo);
    if (p0 == p1) {
        ParagraphInfo& para = paras[size_t(p0)];
        if (e <= s)
            return;
        para.removeText(s, e - s);
        std::erase_if(para.Formats, [&](const StoredRecord& r) { return r.offset > s && r.offset < e; });
        for (auto& r : para.Formats)
            if (r.offset >= e)
                r.offset -= (e - s);
    } else {
        ParagraphInfo& first = paras[size_t(p0)];
        ParagraphInfo& lastPara = paras[size_t(p1)];
        first.removeText(s, first.length() - s);
        std::erase_if(first.Formats, [&](const StoredRecord& r) { return r.offset > s; });
        if (qint64(first.length()) + (lastPara.length() - e) > MaxParagraphLength)
            throw std::length_error("Text too long");
        first.insertText(s, lastPara.view().mid(e));
        for (const auto& r : lastPara.Formats)
            if (r.offset >= e)
                first.Formats.push_back({r.offset - e + s, r.style});
        paras.erase(paras.begin() + p0 + 1, paras.begin() + p1 + 1);
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
    return paras.back().length() == 0 ? n - 1 : n;
}

void StyledDocument::addParagraph(QStringView text)
{
    const ParagraphInfo& last = paras.back();
    QString t = text.toString() + QStringLiteral("\r\n");
    // Into the last, empty paragraph; after a last paragraph with text, behind a break
    // of its own so that the two texts do not run together.
    if (last.length() != 0)
        t.prepend(QStringLiteral("\r\n"));
    insertText(last.length() == 0 ? last.Start : last.Start + last.length(), t);
}

void StyledDocument::insertParagraph(int index, QStringView text)
{
    if (index < 0 || index > paraStringCount())
        throwListIndexOutOfBounds();
    if (index == paraStringCount()) {
        const ParagraphInfo& last = paras[size_t(std::max(0, index - 1))];
        insertText(last.Start + last.length(), QStringLiteral("\r\n") + text.toString());
        return;
    }
    insertText(paras[size_t(index)].Start, text.toString() + QStringLiteral("\r\n"));
}

} // namespace kbl
