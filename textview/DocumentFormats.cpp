// The format records of the paragraphs: finding, storing and laying them over a stretch,
// and the links that find the state a closing region returns to in a few steps.
#include "textview/StyledDocument.h"

#include <algorithm>
#include <limits>

namespace kbl {

// ---- records ----

void StyledDocument::setStartFormat(int para, const FormatRecord& r)
{
    ParagraphRecord& p = paragraphRecord(para);
    const int before = table.at(p.startFormat).level();
    p.startFormat = table.intern(r);
    if (table.at(p.startFormat).level() != before)
        recordsChanged(para, std::numeric_limits<int>::max());
}

FormatRecord StyledDocument::record(int para, int i) const
{
    const RecordSpan f = recordsOf(paragraphRecord(para));
    if (i < 0 || i >= int(f.size()))
        throwListIndexOutOfBounds();
    return table.expand(f[size_t(i)]);
}

// ---- the record store ----

void StyledDocument::recordsInsert(int para, int index, StoredRecord s)
{
    RecordBlock& b = paras[size_t(para)].formats;
    if (b.count == b.cap)
        store.reserve(b, b.count + 1);
    StoredRecord* f = store.data(b);
    std::copy_backward(f + index, f + b.count, f + b.count + 1);
    f[index] = s;
    ++b.count;
}

void StyledDocument::recordsErase(int para, int from, int to)
{
    RecordBlock& b = paras[size_t(para)].formats;
    if (to <= from)
        return;
    StoredRecord* f = store.data(b);
    std::copy(f + to, f + b.count, f + from);
    b.count -= quint32(to - from);
}

void StyledDocument::recordsAssign(int para, const StoredRecord* src, size_t n)
{
    RecordBlock& b = paras[size_t(para)].formats;
    if (n > 0xFFFFFFFFull)
        throw std::length_error("Text too long");
    store.reserve(b, quint32(n));
    if (n)
        std::copy_n(src, n, store.data(b));
    b.count = quint32(n);
}

void StyledDocument::compactRecords()
{
    if (!store.wantsCompaction())
        return;
    RecordStore packed;
    for (ParagraphRecord& p : paras) {
        RecordBlock b;
        if (p.formats.count) {
            packed.reserve(b, p.formats.count, true);
            std::copy_n(store.data(p.formats), p.formats.count, packed.data(b));
            b.count = p.formats.count;
        }
        p.formats = b;
    }
    store = std::move(packed);
}

namespace {
// The passes mostly ask near the last records of a paragraph (the region pass appends as
// it goes): the search gallops back from the end before it halves, which costs a few
// steps there and at most twice a plain binary search elsewhere. `before(r)` holds for
// the records before the index sought.
template <typename Before>
int searchFromEnd(const RecordSpan& f, Before before)
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

int StyledDocument::lowerRecordIndexBefore(int para, qint32 offset) const
{
    return searchFromEnd(recordsOf(paras[size_t(para)]),
                         [offset](const StoredRecord& r) { return r.offset < offset; });
}

int StyledDocument::upperRecordIndexBefore(int para, qint32 offset) const
{
    return searchFromEnd(recordsOf(paras[size_t(para)]),
                         [offset](const StoredRecord& r) { return r.offset <= offset; });
}

FormatRecord StyledDocument::recordInForce(int para, qint32 offset) const
{
    const ParagraphRecord& p = paragraphRecord(para);
    const int i = upperRecordIndex(para, offset);
    if (i > 0)
        return table.expand(recordsOf(p)[size_t(i - 1)]);
    return table.at(p.startFormat);
}

// ---- the state a closing region returns to ----

int StyledDocument::lowerInParagraph(int pi, int index, int level)
{
    const RecordSpan f = recordsOf(paras[size_t(pi)]);
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
        const RecordSpan f = recordsOf(paras[size_t(p)]);
        for (int r = int(f.size()) - 1; r >= 0 && open >= 0; --r) {
            const int own = levelOf(f[size_t(r)]);
            if (own < open)
                settle(own, p, r);
        }
        const int own = table.at(paras[size_t(p)].startFormat).level();
        if (open >= 0 && own < open)
            settle(own, p, -1);
    }
    endLandings = e;
    return e.at[size_t(level)];
}

FormatRecord StyledDocument::recordBelowLevel(int pi, int index, int level)
{
    return table.expand(storedRecordBelowLevel(pi, index, level));
}

StoredRecord StyledDocument::storedRecordBelowLevel(int pi, int index, int level)
{
    constexpr StoredRecord plain{0, 0}; // the table interns the plain record first
    if (level < 0)
        return plain;
    const ParagraphRecord& p = paragraphRecord(pi);
    const int r = lowerInParagraph(pi, index, level);
    if (r >= 0)
        return recordsOf(p)[size_t(r)];
    if (table.at(p.startFormat).level() < level)
        return {0, p.startFormat};
    const Landing at = landingAtEnd(pi - 1, level);
    if (at.para < 0)
        return plain;
    const ParagraphRecord& q = paras[size_t(at.para)];
    return at.index < 0 ? StoredRecord{0, q.startFormat} : recordsOf(q)[size_t(at.index)];
}

// ---- changing records ----

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
    const ParagraphRecord& p = paragraphRecord(para);
    if (index < 0 || index > int(p.formats.count))
        throwListIndexOutOfBounds();
    insertRecord(para, index, table.store(r));
}

void StyledDocument::insertRecord(int para, int index, StoredRecord r)
{
    const ParagraphRecord& p = paragraphRecord(para);
    if (index < 0 || index > int(p.formats.count) || r.style >= table.size())
        throwListIndexOutOfBounds();
    // The store grows a block by a fraction, so that very long paragraphs do not copy
    // their records over and over.
    recordsInsert(para, index, r);
    recordsChanged(para, index);
    for (TStyledNavigator* n : navigators)
        if (n->para == para)
            n->recIndex = TStyledNavigator::Unknown;
}

void StyledDocument::replaceRecord(int para, int index, const FormatRecord& r)
{
    const ParagraphRecord& p = paragraphRecord(para);
    if (index < 0 || index >= int(p.formats.count))
        throwListIndexOutOfBounds();
    replaceRecord(para, index, table.store(r));
}

void StyledDocument::replaceRecord(int para, int index, StoredRecord stored)
{
    ParagraphRecord& p = paragraphRecord(para);
    if (index < 0 || index >= int(p.formats.count) || stored.style >= table.size())
        throwListIndexOutOfBounds();
    StoredRecord* f = store.data(p.formats);
    // The links follow levels only: a record that keeps its level keeps them valid.
    if (levelOf(f[size_t(index)]) != levelOf(stored))
        recordsChanged(para, index);
    f[size_t(index)] = stored;
}

void StyledDocument::deleteRecord(int para, int index)
{
    const ParagraphRecord& p = paragraphRecord(para);
    if (index < 0 || index >= int(p.formats.count))
        throwListIndexOutOfBounds();
    recordsErase(para, index, index + 1);
    recordsChanged(para, index);
    for (TStyledNavigator* n : navigators)
        if (n->para == para)
            n->recIndex = TStyledNavigator::Unknown;
}

void StyledDocument::reserveRecords(int para, int n)
{
    ParagraphRecord& p = paragraphRecord(para);
    if (n > 0)
        store.reserve(p.formats, quint32(n), true);
}
// ---- laying a record over a stretch ----

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
        return qint32(std::min<qint64>(pos - paras[size_t(para)].start, paras[size_t(para)].length));
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
    qint64 rememberedPos = paras[size_t(p0)].start;
    {
        const int ui = upperRecordIndex(p0, s);
        if (ui > 0)
            rememberedPos += records(p0)[size_t(ui - 1)].offset;
    }
    const bool insertStart = dynamic || remembered.isDynamic();

    // Delete the records inside [start, end); the last deleted is the state at end.
    for (int p = p0; p <= p1; ++p) {
        const qint32 from = p == p0 ? s : 0;
        const qint32 to = p == p1 ? e : paras[size_t(p)].length + 1;
        const int a = lowerRecordIndex(p, from);
        int b = lowerRecordIndex(p, to);
        if (p == p1 && p1 != p0 && b == a && e == 0)
            b = a;
        if (b > a) {
            const StoredRecord last = records(p)[size_t(b - 1)];
            remembered = table.expand(last);
            rememberedPos = paras[size_t(p)].start + last.offset;
            recordsErase(p, a, b);
        }
        if (b > a || p > p0)
            recordsChanged(p, a);
        if (p > p0) {
            paras[size_t(p)].startFormat = table.intern(rec);
            paras[size_t(p)].set(ParagraphRecord::LayoutDone, false);
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
    const ParagraphRecord& para = paragraphRecord(pi);
    const RecordSpan old = recordsOf(para);
    const NestedScratch<std::vector<StoredRecord>>::Lease lease(mergeBuffers);
    std::vector<StoredRecord>& out = *lease;
    out.clear();
    out.reserve(old.size() + 2 * stretches.size());
    size_t oi = 0;
    int applied = 0;
    quint32 inForce = para.startFormat;
    qint32 inForcePos = 0;
    FormatRecord rec; // filled by `build` whenever it gives no id
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
        quint32 recId = ~0u;
        if (!call(build, i, cur, table.at(cur), rec, recId))
            continue;
        // Accepted: the records at s are replaced; the state in force resumes at e.
        out.resize(out.size() - atS);
        oi = oj;
        const quint8 keyLen = table.at(cur).StartKeyLen;
        if (recId == ~0u) {
            rec.Attribute |= 0x80;
            recId = table.intern(rec);
        }
        out.push_back({s, recId});
        const auto keyLeft = quint8(std::max<qint64>(0, qint64(keyLen) - (e - curPos)));
        if (keyLeft == keyLen) {
            out.push_back({e, cur});
        } else {
            // The state resumes with what is left of its opening key (copied only here:
            // most stretches leave it whole).
            FormatRecord remembered = table.at(cur);
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
        // The store leaves room for a few more: the number pass follows the keyword pass.
        recordsAssign(pi, out.data(), out.size());
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

} // namespace kbl
