#include "textview/StyledDocument.h"

#include "highlight/RuleSearch.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <stdexcept>

namespace kbl {

using Clock = std::chrono::steady_clock;

// ---- TStyledHighlighter ----

void TStyledHighlighter::removeChainUser(TStyledHighlighter* h)
{
    std::erase(chainUsers, h);
}

TStyledHighlighter::~TStyledHighlighter()
{
    const auto users = chainUsers;
    for (TStyledHighlighter* h : users)
        h->ComponentRemoved(this);
    // Views must not keep a dangling highlighter.
    const auto views = attached;
    for (StyledDocument* d : views)
        d->setHighlighter(nullptr);
}

void TStyledHighlighter::ReapplyToViews()
{
    for (StyledDocument* d : attached)
        d->ReapplyKeywords();
}

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

void StyledDocument::setHighlighter(TStyledHighlighter* h)
{
    if (h == highlighter)
        return;
    if (highlighter)
        std::erase(highlighter->attached, this);
    highlighter = h;
    if (h)
        h->attached.push_back(this);
}

void StyledDocument::setUpperCaseType(TpmUpperCase mode)
{
    upperCaseType = mode;
    keywords.setCaseMode(mode);
    startStopKeys.setCaseMode(mode);
    ++textVersion; // drops the upper-case cache
}

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

// ---- records ----

void StyledDocument::setStartFormat(int para, const FormatRecord& r)
{
    ParagraphInfo& p = paragraph(para);
    const int before = table.at(p.StartFormat).level();
    p.StartFormat = table.intern(r);
    if (table.at(p.StartFormat).level() != before)
        recordsChanged(para, std::numeric_limits<int>::max());
}

FormatRecord StyledDocument::record(int para, int i) const
{
    const auto& f = paragraph(para).Formats;
    if (i < 0 || i >= int(f.size()))
        throwListIndexOutOfBounds();
    return table.expand(f[size_t(i)]);
}

namespace {
// The passes mostly ask near the last records of a paragraph (the region pass appends as
// it goes): the search gallops back from the end before it halves, which costs a few
// steps there and at most twice a plain binary search elsewhere. `before(r)` holds for
// the records before the index sought.
template <typename Before>
int searchFromEnd(const std::vector<StoredRecord>& f, Before before)
{
    const int n = int(f.size());
    if (n == 0 || before(f[size_t(n - 1)]))
        return n;
    int hi = n - 1; // f[hi] is not before
    for (int step = 1;; step *= 2) {
        if (hi == 0)
            return 0;
        const int lo = std::max(0, hi - step);
        if (before(f[size_t(lo)])) // the index lies in (lo, hi]
            return int(std::partition_point(f.begin() + lo + 1, f.begin() + hi, before) - f.begin());
        hi = lo;
    }
}
} // namespace

int StyledDocument::lowerRecordIndex(int para, qint32 offset) const
{
    return searchFromEnd(paras[size_t(para)].Formats,
                         [offset](const StoredRecord& r) { return r.offset < offset; });
}

int StyledDocument::upperRecordIndex(int para, qint32 offset) const
{
    return searchFromEnd(paras[size_t(para)].Formats,
                         [offset](const StoredRecord& r) { return r.offset <= offset; });
}

const FormatRecord& StyledDocument::styleInForce(int para, qint32 offset) const
{
    const ParagraphInfo& p = paragraph(para);
    const int i = upperRecordIndex(para, offset);
    return table.at(i > 0 ? p.Formats[size_t(i - 1)].style : p.StartFormat);
}

FormatRecord StyledDocument::recordInForce(int para, qint32 offset) const
{
    const ParagraphInfo& p = paragraph(para);
    const int i = upperRecordIndex(para, offset);
    if (i > 0)
        return table.expand(p.Formats[size_t(i - 1)]);
    return table.at(p.StartFormat);
}

int StyledDocument::lowerInParagraph(int pi, int index, int level)
{
    const auto& f = paras[size_t(pi)].Formats;
    index = std::min(index, int(f.size()) - 1);
    if (index < 0)
        return -1;
    LowerLinks& l = lowerLinks;
    if (l.para != pi) {
        l.para = pi;
        l.valid = 0;
        if (l.link.capacity() > 65536 && l.link.capacity() > 4 * f.size())
            std::vector<int>().swap(l.link); // do not keep a huge paragraph's links
    }
    if (l.link.size() < f.size())
        l.link.resize(f.size());
    for (int r = l.valid; r <= index; ++r) {
        const int own = levelOf(f[size_t(r)]);
        int j = r - 1;
        while (j >= 0 && levelOf(f[size_t(j)]) >= own)
            j = l.link[size_t(j)];
        l.link[size_t(r)] = j;
    }
    l.valid = std::max(l.valid, index + 1);
    int j = index;
    while (j >= 0 && levelOf(f[size_t(j)]) >= level)
        j = l.link[size_t(j)];
    return j;
}

StyledDocument::Landing StyledDocument::landingAtEnd(int q, int level)
{
    level = std::clamp(level, 0, MaxNestingLevel + 1); // every record is below 16
    if (q < 0)
        return {};
    if (endLandings.para == q)
        return endLandings.at[size_t(level)];
    // One walk back settles every level: a record settles the levels above its own that
    // no later record settled. The landings of an earlier paragraph, when known, finish it.
    EndLandings e;
    e.para = q;
    int open = MaxNestingLevel + 1; // levels 0..open are not settled yet
    auto settle = [&](int own, int p, int index) {
        for (int l = std::max(0, own + 1); l <= open; ++l)
            e.at[size_t(l)] = {p, index};
        open = own;
    };
    for (int p = q; p >= 0 && open >= 0; --p) {
        if (p < q && endLandings.para == p) {
            for (int l = 0; l <= open; ++l)
                e.at[size_t(l)] = endLandings.at[size_t(l)];
            break;
        }
        const auto& f = paras[size_t(p)].Formats;
        for (int r = int(f.size()) - 1; r >= 0 && open >= 0; --r) {
            const int own = levelOf(f[size_t(r)]);
            if (own < open)
                settle(own, p, r);
        }
        const int own = table.at(paras[size_t(p)].StartFormat).level();
        if (open >= 0 && own < open)
            settle(own, p, -1);
    }
    endLandings = e;
    return e.at[size_t(level)];
}

FormatRecord StyledDocument::recordBelowLevel(int pi, int index, int level)
{
    if (level < 0)
        return FormatRecord{};
    const ParagraphInfo& p = paragraph(pi);
    const int r = lowerInParagraph(pi, index, level);
    if (r >= 0)
        return table.expand(p.Formats[size_t(r)]);
    const FormatRecord& start = table.at(p.StartFormat);
    if (start.level() < level)
        return start;
    const Landing at = landingAtEnd(pi - 1, level);
    if (at.para < 0)
        return FormatRecord{};
    const ParagraphInfo& q = paras[size_t(at.para)];
    return at.index < 0 ? table.at(q.StartFormat) : table.expand(q.Formats[size_t(at.index)]);
}

void StyledDocument::recordsChanged(int pi, int index)
{
    if (pi == lowerLinks.para)
        lowerLinks.valid = std::min(lowerLinks.valid, std::max(0, index));
    if (pi <= endLandings.para)
        endLandings.para = -1;
}

void StyledDocument::paragraphsReplaced(int fromPara)
{
    if (lowerLinks.para >= fromPara)
        lowerLinks.para = -1;
    if (endLandings.para >= fromPara)
        endLandings.para = -1;
}

void StyledDocument::insertRecord(int para, int index, const FormatRecord& r)
{
    auto& f = paragraph(para).Formats;
    if (index < 0 || index > int(f.size()))
        throwListIndexOutOfBounds();
    // Grow by a fraction so that very long paragraphs do not copy their records over
    // and over.
    if (f.size() == f.capacity())
        f.reserve(f.size() + f.size() / 8 + 4);
    f.insert(f.begin() + index, table.store(r));
    recordsChanged(para, index);
    for (TStyledNavigator* n : navigators)
        if (n->para == para)
            n->recIndex = TStyledNavigator::Unknown;
}

void StyledDocument::replaceRecord(int para, int index, const FormatRecord& r)
{
    auto& f = paragraph(para).Formats;
    if (index < 0 || index >= int(f.size()))
        throwListIndexOutOfBounds();
    const StoredRecord stored = table.store(r);
    // The links follow levels only: a record that keeps its level keeps them valid.
    if (levelOf(f[size_t(index)]) != levelOf(stored))
        recordsChanged(para, index);
    f[size_t(index)] = stored;
}

void StyledDocument::deleteRecord(int para, int index)
{
    auto& f = paragraph(para).Formats;
    if (index < 0 || index >= int(f.size()))
        throwListIndexOutOfBounds();
    f.erase(f.begin() + index);
    recordsChanged(para, index);
    for (TStyledNavigator* n : navigators)
        if (n->para == para)
            n->recIndex = TStyledNavigator::Unknown;
}

void StyledDocument::reserveRecords(int para, int n)
{
    auto& f = paragraph(para).Formats;
    if (n > int(f.capacity()))
        f.reserve(size_t(n));
}

const char16_t* StyledDocument::UpperCopy(int para, qint32 start, qint32 length)
{
    const ParagraphInfo& p = paragraph(para);
    start = std::clamp(start, 0, p.length());
    length = std::clamp(length, 0, p.length() - start);
    const qint32 end = start + length;
    const bool cached = upperPara == para && upperVersion == textVersion;
    const qint32 cEnd = upperStart + qint32(upperBuf.size());
    if (cached && start >= upperStart && end <= cEnd)
        return upperBuf.data() + (start - upperStart);
    if (cached && start <= cEnd && end >= upperStart) {
        // Overlapping: convert only what is missing on either side.
        const qint32 ns = std::min(start, upperStart);
        const qint32 ne = std::max(end, cEnd);
        std::u16string buf(p.text() + ns, size_t(ne - ns));
        upperCaseInPlace(upperCaseType, buf.data(), upperStart - ns);
        std::copy(upperBuf.begin(), upperBuf.end(), buf.begin() + (upperStart - ns));
        upperCaseInPlace(upperCaseType, buf.data() + (cEnd - ns), ne - cEnd);
        upperBuf = std::move(buf);
        upperStart = ns;
    } else {
        upperBuf.assign(p.text() + start, size_t(length));
        upperCaseInPlace(upperCaseType, upperBuf.data(), length);
        upperStart = start;
        upperPara = para;
        upperVersion = textVersion;
    }
    return upperBuf.data() + (start - upperStart);
}

void StyledDocument::ApplyFormat(qint64 start, qint64 end, FormatRecord rec, bool dynamic,
                                 bool repaint)
{
    if (end < start)
        std::swap(start, end);
    start = std::clamp<qint64>(start, 0, textLen);
    end = std::clamp<qint64>(end, 0, textLen);
    const int p0 = paragraphAt(start);
    const int p1 = paragraphAt(end);
    auto offsetIn = [this](int para, qint64 pos) {
        return qint32(std::min<qint64>(pos - paras[size_t(para)].Start, paras[size_t(para)].length()));
    };
    const qint32 s = offsetIn(p0, start);
    const qint32 e = offsetIn(p1, end);
    if (repaint && repaintHook)
        repaintHook(p0, p1);
    if (dynamic)
        rec.Attribute |= 0x80;
    else
        rec.Attribute &= ~0x80;

    // The state in force at start, and where it took effect.
    FormatRecord remembered = recordInForce(p0, s);
    qint64 rememberedPos = paras[size_t(p0)].Start;
    {
        const int ui = upperRecordIndex(p0, s);
        if (ui > 0)
            rememberedPos += paras[size_t(p0)].Formats[size_t(ui - 1)].offset;
    }
    const bool insertStart = dynamic || remembered.isDynamic();

    // Delete the records inside [start, end); the last deleted is the state at end.
    for (int p = p0; p <= p1; ++p) {
        auto& f = paras[size_t(p)].Formats;
        const qint32 from = p == p0 ? s : 0;
        const qint32 to = p == p1 ? e : paras[size_t(p)].length() + 1;
        const int a = lowerRecordIndex(p, from);
        int b = lowerRecordIndex(p, to);
        if (p == p1 && p1 != p0 && b == a && e == 0)
            b = a;
        if (b > a) {
            remembered = table.expand(f[size_t(b - 1)]);
            rememberedPos = paras[size_t(p)].Start + f[size_t(b - 1)].offset;
            f.erase(f.begin() + a, f.begin() + b);
        }
        if (b > a || p > p0)
            recordsChanged(p, a);
        if (p > p0) {
            paras[size_t(p)].StartFormat = table.intern(rec);
            paras[size_t(p)].LayoutDone = false;
        }
    }
    if (insertStart) {
        FormatRecord r = rec;
        r.Offset = s;
        insertRecord(p0, lowerRecordIndex(p0, s), r);
    }
    const qint64 swallowed = end - rememberedPos;
    remembered.StartKeyLen = quint8(std::max<qint64>(0, qint64(remembered.StartKeyLen) - swallowed));
    if (end < textLen && (dynamic || remembered.isDynamic())) {
        remembered.Offset = e;
        insertRecord(p1, lowerRecordIndex(p1, e), remembered);
    }
    for (TStyledNavigator* n : navigators)
        if (n->para >= p0 && n->para <= p1)
            n->markStale();
}

int StyledDocument::mergeFormats(int pi, const std::vector<std::pair<qint32, qint32>>& stretches,
                                 void* build,
                                 bool (*call)(void*, size_t, quint32, const FormatRecord&, FormatRecord&, quint32&))
{
    ParagraphInfo& para = paragraph(pi);
    const std::vector<StoredRecord>& old = para.Formats;
    std::vector<StoredRecord>& out = mergeBuffer;
    out.clear();
    out.reserve(old.size() + 2 * stretches.size());
    size_t oi = 0;
    int applied = 0;
    quint32 inForce = para.StartFormat;
    qint32 inForcePos = 0;
    for (size_t i = 0; i < stretches.size(); ++i) {
        const auto [s, e] = stretches[i];
        while (oi < old.size() && old[oi].offset < s) {
            out.push_back(old[oi]);
            inForce = old[oi].style;
            inForcePos = old[oi].offset;
            ++oi;
        }
        // Records at the stretch start: the last of them is in force there. A closing
        // record just written for the previous stretch counts among them.
        size_t atS = 0;
        while (!out.empty() && out.size() > atS && out[out.size() - 1 - atS].offset == s)
            ++atS;
        size_t oj = oi;
        quint32 cur = atS ? out.back().style : inForce;
        qint32 curPos = atS ? s : inForcePos;
        while (oj < old.size() && old[oj].offset == s) {
            cur = old[oj].style;
            curPos = s;
            ++oj;
        }
        FormatRecord rec;
        quint32 recId = ~0u;
        if (!call(build, i, cur, table.at(cur), rec, recId))
            continue;
        // Accepted: the records at s are replaced; the state in force resumes at e.
        out.resize(out.size() - atS);
        oi = oj;
        FormatRecord remembered = table.at(cur);
        if (recId == ~0u) {
            rec.Attribute |= 0x80;
            recId = table.intern(rec);
        }
        out.push_back({s, recId});
        const auto keyLeft = quint8(std::max<qint64>(0, qint64(remembered.StartKeyLen) - (e - curPos)));
        if (keyLeft == remembered.StartKeyLen) {
            out.push_back({e, cur});
        } else {
            remembered.StartKeyLen = keyLeft;
            remembered.Offset = e;
            out.push_back(table.store(remembered));
        }
        inForce = out.back().style;
        inForcePos = e;
        ++applied;
    }
    out.insert(out.end(), old.begin() + qsizetype(oi), old.end());
    if (applied) {
        // Room for a few more records: the number pass usually follows the keyword pass.
        if (para.Formats.capacity() < out.size())
            para.Formats.reserve(out.size() + 4);
        para.Formats.assign(out.begin(), out.end());
        recordsChanged(pi, 0);
        for (TStyledNavigator* n : navigators)
            if (n->para == pi)
                n->markStale();
    }
    return applied;
}

void StyledDocument::markNavigatorsStale(int firstPara, int lastPara, qint64 pos)
{
    for (TStyledNavigator* n : navigators)
        if ((n->para < 0 || (n->para >= firstPara && n->para <= lastPara)) && n->position > pos)
            n->markStale();
}

void StyledDocument::ReapplyKeywords()
{
    finishLoad();
    for (auto& p : paras) {
        p.LayoutDone = p.RegionDone = p.KeywordsDone = false;
        p.Formats.clear();
        FormatRecord start;
        start.Attribute = p.StaticStyle;
        p.StartFormat = table.intern(start);
    }
    paragraphsReplaced(0);
    markNavigatorsStale(0, paragraphCount() - 1, -1);
    parseMark = layoutMark = 0;
    if (repaintHook)
        repaintHook(0, paragraphCount() - 1);
    startWork();
}

// ---- pipeline ----

void StyledDocument::regionPass(int pi)
{
    ++counters.regionPasses;
    if (inEdit)
        lastRegionPassParagraphs.push_back(pi);
    ParagraphInfo& para = paras[size_t(pi)];
    const qint32 len = para.length();
    std::erase_if(para.Formats, [this](const StoredRecord& r) {
        const FormatRecord& f = table.at(r.style);
        return !(f.isDynamic() && !f.isLevelRecord());
    });
    recordsChanged(pi, 0);
    for (TStyledNavigator* n : navigators)
        if (n->para == pi)
            n->markStale();

    const bool ownKeys = ApplyStartStopKeys && !startStopKeys.isEmpty();
    if (ownKeys && !startStopKeys.BoundaryFlagsValid())
        startStopKeys.deriveBoundaryFlags(Separators);
    const int ownCount = startStopKeys.count();
    if (highlighter || ownKeys) {
        TStyledNavigator& from = *scratchFrom;
        TStyledNavigator& to = *scratchTo;
        qint32 pos = 0;
        int stuck = 0;
        for (int guard = 0; guard < 4 * len + 64; ++guard) {
            // Records made by the application bound the stretch searched next.
            qint32 bound = len;
            {
                const auto& f = paras[size_t(pi)].Formats;
                for (size_t r = size_t(upperRecordIndex(pi, pos)); r < f.size(); ++r) {
                    const FormatRecord& x = table.at(f[r].style);
                    if (x.isDynamic() && !x.isLevelRecord()) {
                        bound = f[r].offset;
                        break;
                    }
                }
            }
            const FormatRecord& cur = styleInForce(pi, pos);
            const int curLevel = cur.level();
            const qint16 t = cur.topRule(); // read now: interning may move the table
            bool stopFound = false;
            qint32 stopEnd = pos, stopStart = bound;
            if (curLevel >= 0) {
                from.setParaOffset(pi, pos);
                to.setParaOffset(pi, bound);
                if (isRegionId(t) && regionIndex(t) < ownCount)
                    stopFound = ownStopSearch(from, to, regionIndex(t));
                else if (highlighter)
                    stopFound = highlighter->FindStopKey(*this, from, to, ownCount);
                if (stopFound) {
                    stopEnd = to.offset();
                    stopStart = std::max(pos, stopEnd - qint32(styleInForce(pi, pos).StopKeyLen));
                }
            }
            bool startFound = false;
            from.setParaOffset(pi, pos);
            to.setParaOffset(pi, stopFound ? stopStart : bound);
            if (ownKeys)
                startFound = ownStartSearch(from, to);
            if (!startFound && highlighter) {
                from.setParaOffset(pi, pos);
                to.setParaOffset(pi, stopFound ? stopStart : bound);
                startFound = highlighter->FindStartKey(*this, from, to, ownCount);
            }
            if (startFound) {
                const qint32 np = from.offset();
                // A stop found behind the new region's start is no longer valid.
                auto& f = paras[size_t(pi)].Formats;
                const int a = lowerRecordIndex(pi, np);
                f.erase(std::remove_if(f.begin() + a, f.end(),
                                       [this](const StoredRecord& r) {
                                           const FormatRecord& x = table.at(r.style);
                                           return !(x.isDynamic() && !x.isLevelRecord());
                                       }),
                        f.end());
                recordsChanged(pi, a);
                stuck = np > pos ? 0 : stuck + 1;
                pos = std::max(pos, np);
            } else if (stopFound) {
                stuck = stopEnd > pos ? 0 : stuck + 1;
                pos = std::max(pos, stopEnd);
            } else if (bound < len) {
                pos = bound;
                stuck = 0;
            } else {
                break;
            }
            if (stuck > MaxNestingLevel + 2)
                break;
        }
    }
    para.RegionDone = true;
    para.KeywordsDone = false;
    para.LayoutDone = false;
    propagate(pi);
}

void StyledDocument::propagate(int pi)
{
    if (pi + 1 >= paragraphCount())
        return;
    ParagraphInfo& next = paras[size_t(pi + 1)];
    if (table.at(next.StartFormat).sameState(styleInForce(pi, paras[size_t(pi)].length())))
        return;
    FormatRecord end = recordInForce(pi, paras[size_t(pi)].length());
    if (!end.isDynamic())
        end.Attribute = quint8((end.Attribute & 0xC0) | next.StaticStyle);
    end.StartKeyLen = 0;
    next.StartFormat = table.intern(end);
    recordsChanged(pi + 1, std::numeric_limits<int>::max());
    next.RegionDone = next.KeywordsDone = next.LayoutDone = false;
    resetWork(pi + 1);
}

void StyledDocument::keywordPass(int pi)
{
    ++counters.keywordPasses;
    if (highlighter) {
        TStyledNavigator& from = *scratchFrom;
        TStyledNavigator& to = *scratchTo;
        from.setParaOffset(pi, 0);
        to.setParaOffset(pi, paras[size_t(pi)].length());
        highlighter->ApplyKeywords(*this, from, to, keywords.count());
    }
    if (ApplyKeyWords && !keywords.isEmpty())
        ownKeywordPass(pi);
    paras[size_t(pi)].KeywordsDone = true;
}

void StyledDocument::ownKeywordPass(int pi)
{
    const ParagraphInfo& para = paras[size_t(pi)];
    const qint32 len = para.length();
    // The view's own keywords never match inside comments, strings or other regions.
    std::u16string masked(para.text(), size_t(len));
    FormatRecord cur = table.at(para.StartFormat);
    size_t ri = 0;
    for (qint32 i = 0; i < len; ++i) {
        while (ri < para.Formats.size() && para.Formats[ri].offset <= i)
            cur = table.at(para.Formats[ri++].style);
        if (cur.isDynamic() && cur.Context != 0)
            masked[size_t(i)] = 0xFFFF;
    }
    std::u16string upper;
    if (keywords.NeedsUpperCopy())
        upper = upperCased(upperCaseType, masked);
    ownKeywordIndex->refresh(keywords, Separators);
    RuleSet rules;
    rules.separators = &Separators;
    rules.ownRules = true;
    const int hits = applyKeywordRules(*this, pi, 0, len, 0, len, masked.data(),
                                       upper.empty() ? nullptr : upper.data(), keywords,
                                       *ownKeywordIndex, rules);
    if (hits > 0)
        markNavigatorsStale(pi, paragraphCount() - 1, para.Start);
}

bool StyledDocument::ownStopSearch(TStyledNavigator& from, TStyledNavigator& to, int k)
{
    RuleSet rules;
    rules.separators = &Separators;
    rules.ownRules = true;
    return findStopKeyIn(*this, from, to, startStopKeys, rules, 0, k);
}

bool StyledDocument::ownStartSearch(TStyledNavigator& from, TStyledNavigator& to)
{
    if (styleInForce(from.paraIndex(), from.offset()).level() >= MaxNestingLevel)
        return false;
    RuleSet rules;
    rules.separators = &Separators;
    rules.ownRules = true;
    return findStartKeyIn(*this, from, to, startStopKeys, rules, 0);
}

void StyledDocument::ensureParsed(int pi)
{
    if (pi < 0 || pi >= paragraphCount())
        return;
    for (int q = parseMark; q <= pi; ++q)
        if (!paras[size_t(q)].RegionDone)
            regionPass(q);
    parseMark = std::max(parseMark, pi + 1);
    ParagraphInfo& p = paras[size_t(pi)];
    if (!p.KeywordsDone) {
        if (highlighter || ApplyKeyWords)
            keywordPass(pi);
        else
            p.KeywordsDone = true;
    }
}

void StyledDocument::ensureLaidOut(int pi)
{
    ensureParsed(pi);
    ParagraphInfo& p = paras[size_t(pi)];
    if (!p.LayoutDone) {
        if (layoutHook) {
            layoutHook(pi, p);
            lineMark = std::min(lineMark, pi + 1);
        }
        p.LayoutDone = true;
    }
}

void StyledDocument::parseAll()
{
    for (int i = 0; i < paragraphCount(); ++i)
        ensureLaidOut(i);
    layoutMark = paragraphCount();
}

void StyledDocument::startWork()
{
    if (UpdateMode == umImmediate)
        parseAll();
}

void StyledDocument::resetWork(int fromPara)
{
    parseMark = std::min(parseMark, fromPara);
    layoutMark = std::min(layoutMark, fromPara);
}

bool StyledDocument::doBackgroundWork(std::chrono::milliseconds budget)
{
    const auto deadline = Clock::now() + budget;
    while (loadPending() && Clock::now() < deadline)
        loadMore(256 * 1024);
    const int n = paragraphCount();
    // The clock is read every few thousand characters: reading it for every short
    // paragraph costs more than laying the paragraph out.
    qint64 unchecked = Clock::now() < deadline ? 0 : -1;
    while (layoutMark < n && unchecked >= 0) {
        ensureLaidOut(layoutMark);
        unchecked += paras[size_t(layoutMark)].length() + 1;
        ++layoutMark;
        if (unchecked >= 4096)
            unchecked = Clock::now() < deadline ? 0 : -1;
    }
    if (workPending())
        progress(std::min(99, int(qint64(layoutMark) * 100 / std::max(1, n))), false);
    else
        progress(100, true);
    return workPending();
}

qint64 StyledDocument::firstLine(int para)
{
    para = std::clamp(para, 0, paragraphCount() - 1);
    if (lineMark == 0) {
        paras[0].FirstLine = 0;
        lineMark = 1;
    }
    for (; lineMark <= para; ++lineMark) {
        const ParagraphInfo& prev = paras[size_t(lineMark - 1)];
        paras[size_t(lineMark)].FirstLine = prev.FirstLine + prev.lineCount();
    }
    return paras[size_t(para)].FirstLine;
}

qint64 StyledDocument::displayLineCount()
{
    const int last = paragraphCount() - 1;
    return firstLine(last) + paras[size_t(last)].lineCount();
}

void StyledDocument::setLineTable(int para, std::vector<DisplayLine> lines)
{
    paragraph(para).Lines = std::move(lines);
    lineMark = std::min(lineMark, para + 1);
}

void StyledDocument::invalidateLayout()
{
    for (ParagraphInfo& p : paras)
        p.LayoutDone = false;
    layoutMark = 0;
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

bool StyledDocument::contextAt(qint64 pos, ContextStretch& out)
{
    const int pi = paragraphAt(std::clamp<qint64>(pos, 0, textLen));
    ensureParsed(pi);
    TStyledNavigator nav(this);
    nav.setPos(pos);
    const FormatRecord r = nav.recordInForce();
    if (!r.isDynamic() || r.Context == 0)
        return false;
    out.context = r.Context;
    TStyledNavigator back(nav);
    out.start = back.stepBackToRecordInForce(0) ? back.pos() : 0;
    nav.skipRecordsAtPos();
    out.end = nav.stepToNextRecord(textLen) ? nav.pos() : textLen;
    return true;
}

void StyledDocument::reparseAfterEdit(int firstPara, int lastPara)
{
    lastRegionPassParagraphs.clear();
    if (OnParse)
        OnParse(paras[size_t(firstPara)].Start,
                paras[size_t(lastPara)].Start + paras[size_t(lastPara)].length());
    for (int q = firstPara; q <= lastPara; ++q)
        paras[size_t(q)].RegionDone = paras[size_t(q)].KeywordsDone = paras[size_t(q)].LayoutDone = false;
    resetWork(firstPara);
    if (repaintHook)
        repaintHook(firstPara, paragraphCount() - 1);
    // Paragraphs not parsed yet stay for later; parsed ones are brought up to date now,
    // stopping at the first paragraph whose start state is unchanged.
    inEdit = true;
    const int known = std::max(parseMark, lastPara + 1);
    int q = firstPara;
    for (; q < paragraphCount() && (q <= lastPara || !paras[size_t(q)].RegionDone); ++q) {
        if (q > lastPara && q >= known && UpdateMode != umImmediate)
            break;
        regionPass(q);
        if (highlighter || ApplyKeyWords)
            keywordPass(q);
        else
            paras[size_t(q)].KeywordsDone = true;
    }
    inEdit = false;
    parseMark = std::max(parseMark, q);
    // parseMark must not pass a paragraph whose region pass is pending.
    for (int k = firstPara; k < parseMark; ++k)
        if (!paras[size_t(k)].RegionDone) {
            parseMark = k;
            break;
        }
    markNavigatorsStale(firstPara, paragraphCount() - 1, paras[size_t(firstPara)].Start);
}

// ---- TStyledNavigator ----

TStyledNavigator::TStyledNavigator(StyledDocument* d) : doc(d)
{
    if (!d)
        throw std::invalid_argument("Internal error: component is not a TStyledMemo");
    doc->navigators.push_back(this);
}

TStyledNavigator::TStyledNavigator(const TStyledNavigator& o) : TStyledNavigator(o.doc)
{
    assign(o);
}

TStyledNavigator::~TStyledNavigator()
{
    if (doc)
        std::erase(doc->navigators, this);
}

void TStyledNavigator::assign(const TStyledNavigator& o)
{
    if (o.doc != doc) {
        if (doc)
            std::erase(doc->navigators, this);
        doc = o.doc;
        doc->navigators.push_back(this);
    }
    position = o.position;
    para = o.para;
    off = o.off;
    recIndex = o.recIndex;
    lineIdx = o.lineIdx;
}

void TStyledNavigator::setPos(qint64 p)
{
    p = std::clamp<qint64>(p, 0, doc->textLen);
    if (para >= 0 && para < doc->paragraphCount() && p >= position) {
        const ParagraphInfo& q = doc->paras[size_t(para)];
        if (p <= q.Start + q.length() + 1) {
            // Forward inside the same paragraph: advance the cached indices.
            const qint32 newOff = qint32(std::min<qint64>(p - q.Start, q.length()));
            if (p == position)
                recIndex = Unknown; // back to "before the records at the position"
            if (recIndex != Unknown)
                while (recIndex < int(q.Formats.size()) && q.Formats[size_t(recIndex)].offset < newOff)
                    ++recIndex;
            if (lineIdx != Unknown && !q.Lines.empty()) {
                while (lineIdx + 1 - int(q.FirstLine) < int(q.Lines.size())
                       && q.Lines[size_t(lineIdx + 1 - q.FirstLine)].Start <= newOff)
                    ++lineIdx;
            }
            position = p;
            off = newOff;
            return;
        }
    }
    position = p;
    para = -1;
    markStale();
}

void TStyledNavigator::setParaOffset(int p, qint32 offset)
{
    const ParagraphInfo& q = doc->paragraph(p);
    offset = std::clamp(offset, 0, q.length());
    if (para == p && offset >= off) {
        setPos(q.Start + offset);
        return;
    }
    position = q.Start + offset;
    para = p;
    off = offset;
    markStale();
}

void TStyledNavigator::locate()
{
    if (para >= 0 && para < doc->paragraphCount()) {
        const ParagraphInfo& q = doc->paras[size_t(para)];
        if (position >= q.Start && position <= q.Start + q.length() + 1)
            return;
    }
    para = doc->paragraphAt(position);
    const ParagraphInfo& q = doc->paras[size_t(para)];
    off = qint32(std::min<qint64>(position - q.Start, q.length()));
    markStale();
}

int TStyledNavigator::paraIndex()
{
    locate();
    return para;
}

qint32 TStyledNavigator::offset()
{
    locate();
    return off;
}

int TStyledNavigator::recordIndex()
{
    locate();
    if (recIndex == Unknown)
        recIndex = doc->lowerRecordIndex(para, off);
    return recIndex;
}

int TStyledNavigator::lineIndex()
{
    locate();
    if (lineIdx == Unknown) {
        const ParagraphInfo& q = doc->paras[size_t(para)];
        const qint64 first = doc->firstLine(para);
        int l = 0;
        while (l + 1 < int(q.Lines.size()) && q.Lines[size_t(l + 1)].Start <= off)
            ++l;
        lineIdx = int(first + l);
    }
    return lineIdx;
}

FormatRecord TStyledNavigator::recordInForce()
{
    locate();
    return doc->recordInForce(para, off);
}

void TStyledNavigator::skipRecordsAtPos()
{
    int i = recordIndex();
    const auto& f = doc->paras[size_t(para)].Formats;
    while (i < int(f.size()) && f[size_t(i)].offset == off)
        ++i;
    recIndex = i;
}

bool TStyledNavigator::stepToNextRecord(qint64 limit)
{
    int i = recordIndex();
    int p = para;
    // Skip records at the current position that are behind us already.
    while (p < doc->paragraphCount()) {
        const ParagraphInfo& q = doc->paras[size_t(p)];
        if (i < int(q.Formats.size())) {
            const qint64 abs = q.Start + q.Formats[size_t(i)].offset;
            if (abs > limit)
                return false;
            position = abs;
            para = p;
            off = q.Formats[size_t(i)].offset;
            recIndex = i;
            lineIdx = Unknown;
            return true;
        }
        ++p;
        i = 0;
        if (p < doc->paragraphCount() && doc->paras[size_t(p)].Start > limit)
            return false;
    }
    return false;
}

bool TStyledNavigator::stepBackToRecordInForce(qint64 limit)
{
    locate();
    int p = para;
    int i = doc->upperRecordIndex(p, off);
    while (p >= 0) {
        const ParagraphInfo& q = doc->paras[size_t(p)];
        if (i > 0) {
            const qint64 abs = q.Start + q.Formats[size_t(i - 1)].offset;
            if (abs < limit)
                return false;
            position = abs;
            para = p;
            off = q.Formats[size_t(i - 1)].offset;
            recIndex = i - 1;
            lineIdx = Unknown;
            return true;
        }
        if (--p < 0 || doc->paras[size_t(p)].Start + doc->paras[size_t(p)].length() < limit)
            return false;
        i = int(doc->paras[size_t(p)].Formats.size());
    }
    return false;
}

void TStyledNavigator::insertRecord(const FormatRecord& r)
{
    const int i = recordIndex();
    FormatRecord c = r;
    c.Offset = off;
    doc->insertRecord(para, i, c);
    recIndex = i + 1;
}

void TStyledNavigator::deleteRecord()
{
    const int i = recordIndex();
    const auto& f = doc->paras[size_t(para)].Formats;
    if (i >= int(f.size()) || f[size_t(i)].offset != off)
        throw std::logic_error("Internal StyledMemo error");
    doc->deleteRecord(para, i);
    recIndex = i;
}

} // namespace kbl
