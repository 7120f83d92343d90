#include "textview/RuleSearch.h"

#include "textview/NestedScratch.h"
#include "textview/StyledDocument.h"

#include <algorithm>
#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kbl {

// ---- KeywordIndex ----

quint64 KeywordIndex::hashFolded(const char16_t* s, int len)
{
    // Bit 5 is dropped from every character, which folds ASCII case without a test. Other
    // characters that differ only there share a hash: the candidates a word finds are
    // compared with it anyway.
    quint64 h = 1469598103934665603ull;
    for (int i = 0; i < len; ++i)
        h = (h ^ (s[i] & ~0x20u)) * 1099511628211ull;
    return h | 1; // 0 marks an empty slot
}

void KeywordIndex::rebuild(const TKeywordList& list, const CharSet& seps)
{
    builtFor = &list;
    builtVersion = list.version();
    builtSeps = seps;
    slow.clear();
    std::vector<std::pair<quint64, int>> fast;
    minLen = 1 << 30;
    maxLen = 0;
    firstLengths.fill(0);
    lastLengths.fill(0);
    reaches.assign(size_t(list.count()), RuleReach{});
    for (int i = 0; i < list.count(); ++i) {
        if (!list.hasEntry(i))
            continue;
        reaches[size_t(i)] = list.reach(i);
        const auto& e = list.entry(i);
        const std::u16string& key = list.comparisonKey(i);
        bool ok = (e.Options & WholeWord) && !key.empty() && list.CaseMode() != smuUserDefined;
        for (char16_t c : key)
            ok = ok && c < 128 && !seps.contains(c);
        if (!ok) {
            slow.push_back(i);
            continue;
        }
        fast.emplace_back(hashFolded(key.data(), int(key.size())), i);
        firstLengths[fold(key.front())] |= lengthBit(int(key.size()));
        lastLengths[fold(key.back())] |= lengthBit(int(key.size()));
        minLen = std::min(minLen, int(key.size()));
        maxLen = std::max(maxLen, int(key.size()));
    }
    size_t size = 16;
    while (size < fast.size() * 2)
        size *= 2;
    buckets.assign(size, {0, {}});
    mask = size - 1;
    for (const auto& [h, i] : fast) {
        size_t slot = size_t(h & mask);
        while (buckets[slot].first != 0 && buckets[slot].first != h)
            slot = (slot + 1) & mask;
        buckets[slot].first = h;
        buckets[slot].second.push_back(i);
    }
}

const std::vector<int>* KeywordIndex::find(const char16_t* word, int len) const
{
    const quint64 h = hashFolded(word, len);
    size_t slot = size_t(h & mask);
    while (buckets[slot].first != 0) {
        if (buckets[slot].first == h)
            return &buckets[slot].second;
        slot = (slot + 1) & mask;
    }
    return nullptr;
}

// ---- helpers ----

int currentPriority(const FormatRecord& r, const TStartStopKeyList& list, int baseIndex)
{
    if (!r.isDynamic() || r.level() < 0)
        return 0;
    const qint16 t = r.topRule();
    if (t >= 0)
        return 0x7FFF;
    const int k = regionIndex(t) - baseIndex;
    return (k >= 0 && k < list.count()) ? list.reach(k).Priority : 0;
}

namespace {

// The record that opens rule `rule` one level above `cur`, painted as its entry says.
FormatRecord openingRecord(const FormatRecord& cur, const RuleAttributes& e, qint16 rule)
{
    FormatRecord rec = cur;
    const int level = cur.level() + 1;
    rec.Attribute = quint8(e.Style | 0xC0);
    rec.Level = qint8(level);
    rec.RuleStack[size_t(level)] = rule;
    rec.Cursor = e.Cursor;
    rec.Background = e.Background;
    rec.Foreground = e.Foreground;
    rec.Context = e.ContextNum;
    return rec;
}

// Keys are a few characters long: a plain loop costs less than calling memcmp.
bool keyAt(const char16_t* text, qint32 pos, const std::u16string& key)
{
    const char16_t* t = text + pos;
    for (size_t i = 0, n = key.size(); i < n; ++i)
        if (t[i] != key[i])
            return false;
    return true;
}

// keyAt against the text with its ASCII letters upper-cased.
bool keyAtFolded(const char16_t* text, qint32 pos, const std::u16string& key)
{
    const char16_t* t = text + pos;
    for (size_t i = 0, n = key.size(); i < n; ++i) {
        const char16_t c = (t[i] >= 'a' && t[i] <= 'z') ? char16_t(t[i] - 32) : t[i];
        if (c != key[i])
            return false;
    }
    return true;
}

struct Hit {
    int k;
    qint32 start;
    qint32 len;
};

// The hits of a keyword pass and the stretches they are merged as.
struct KeywordScratch {
    std::vector<Hit> hits;
    std::vector<std::pair<qint32, qint32>> stretches;
    std::vector<std::pair<size_t, size_t>> groups; // hits of each stretch
};

} // namespace

int applyKeywordRules(StyledDocument& doc, int para, qint32 fromOff, qint32 toOff,
                      qint32 stretchBegin, qint32 stretchEnd, const char16_t* raw,
                      const char16_t* upper, const TKeywordList& list, KeywordIndex& index,
                      const RuleSet& rules, const TStartStopKeyList* regions, int regionBase,
                      bool foldAscii)
{
    const CharSet& seps = *rules.separators;
    index.refresh(list, seps);
    // A match hook that highlights nests a keyword pass in this one.
    thread_local NestedScratch<KeywordScratch> scratch;
    const NestedScratch<KeywordScratch>::Lease lease(scratch);
    std::vector<Hit>& hits = lease->hits;
    hits.clear();
    if (upper)
        foldAscii = false;
    else if (foldAscii && !index.slowKeywords().empty())
        upper = doc.UpperCopy(para, 0, doc.paraLength(para));
    auto textFor = [&](const KeywordInfo& e) {
        return (e.Options & MatchCase) || !upper ? raw : upper;
    };
    // Whether keyword k matches at pos, as its options say.
    auto matchesAt = [&](const KeywordInfo& e, int k, qint32 pos) {
        if (foldAscii && !(e.Options & MatchCase))
            return keyAtFolded(raw, pos, list.comparisonKey(k));
        return keyAt(textFor(e), pos, list.comparisonKey(k));
    };

    // Word boundaries are those of the paragraph: a word cut by either end of the
    // stretch is not a whole word.
    const qint32 len = doc.paraLength(para);
    auto startsWord = [&](qint32 q) { return q == 0 || seps.contains(raw[q - 1]); };
    auto endsWord = [&](qint32 q) { return q == len || seps.contains(raw[q]); };

    // Whole words, looked up by their folded hash.
    qint32 wordsFrom = stretchBegin;
    if (!startsWord(wordsFrom))
        while (wordsFrom < stretchEnd && !seps.contains(raw[wordsFrom]))
            ++wordsFrom;
    for (qint32 i = wordsFrom; i < stretchEnd;) {
        while (i < stretchEnd && seps.contains(raw[i]))
            ++i;
        qint32 j = i;
        while (j < stretchEnd && !seps.contains(raw[j]))
            ++j;
        if (j > i && (j < stretchEnd || endsWord(j))) { // before the end j is a separator
            if (const auto* cands = index.lookup((upper ? upper : raw) + i, j - i)) {
                for (int k : *cands) {
                    const auto& e = list.entry(k);
                    const qint32 kl = e.KeyLength;
                    if (e.ContextNum == 0 || kl != j - i || i < fromOff - kl || j > toOff + kl)
                        continue;
                    if (matchesAt(e, k, i))
                        hits.push_back({k, i, kl});
                }
            }
        }
        i = j;
    }
    // Keywords the word lookup cannot serve, searched one by one.
    for (int k : index.slowKeywords()) {
        const auto& e = list.entry(k);
        const qint32 kl = e.KeyLength;
        if (e.ContextNum == 0 || kl == 0)
            continue;
        const std::u16string& key = list.comparisonKey(k);
        const char16_t* t = textFor(e);
        const qint32 lo = std::max(stretchBegin, fromOff - kl);
        const qint32 hi = std::min(stretchEnd, toOff + kl);
        for (qint32 q = lo; q + kl <= hi;) {
            if (t[q] == key[0] && keyAt(t, q, key)) {
                const bool counts = !(e.Options & WholeWord) || (startsWord(q) && endsWord(q + kl));
                if (counts) {
                    hits.push_back({k, q, kl});
                    q += kl;
                    continue;
                }
            }
            ++q;
        }
    }
    if (hits.empty())
        return 0;
    const qint64 paraStart = doc.paraStart(para);
    // The navigators for the hook: the document's, or, while another search holds
    // those, their own.
    struct HookNavigators {
        explicit HookNavigators(StyledDocument& d) : doc(d) {}
        StyledDocument& doc;
        TStyledNavigator* lent = nullptr;
        std::optional<TStyledNavigator> ownFirst, ownSecond;
        TStyledNavigator* first = nullptr;
        TStyledNavigator* second = nullptr;
        void get()
        {
            lent = doc.borrowHookNavigators();
            if (lent) {
                first = &lent[0];
                second = &lent[1];
            } else {
                first = &ownFirst.emplace(&doc);
                second = &ownSecond.emplace(&doc);
            }
        }
        ~HookNavigators()
        {
            if (lent)
                doc.returnHookNavigators();
        }
    } hookNavigators(doc);
    // The priority of the region in force, for the state it was last worked out for.
    quint32 prioFor = ~0u;
    int prio = 0;
    auto priorityOf = [&](quint32 curId, const FormatRecord& cur) {
        if (curId == ~0u || curId != prioFor) {
            prio = regions ? currentPriority(cur, *regions, regionBase) : 0;
            prioFor = curId;
        }
        return prio;
    };
    // curId: the interned form of cur, ~0u when not known.
    auto eligible = [&](const Hit& h, quint32 curId, const FormatRecord& cur) {
        if (cur.level() >= MaxNestingLevel)
            return false;
        if (rules.ownRules)
            return true;
        const RuleReach e = index.reach(h.k);
        if (e.Priority == 0x7FFF)
            return true;
        if (e.Scope == 0 && e.Priority > priorityOf(curId, cur))
            return true;
        return e.Scope == cur.context();
    };
    auto hookAccepts = [&](const Hit& h) {
        bool accept = true;
        if (rules.onKeywordMatch && *rules.onKeywordMatch) {
            if (!hookNavigators.first)
                hookNavigators.get();
            TStyledNavigator& first = *hookNavigators.first;
            TStyledNavigator& second = *hookNavigators.second;
            // By paragraph and offset: an absolute position would have to look its
            // paragraph up again for every hit.
            first.setParaOffset(para, h.start);
            second.setParaOffset(para, h.start + h.len);
            (*rules.onKeywordMatch)(first, &second, h.k, accept);
        }
        return accept;
    };
    auto build = [&](const Hit& h, const FormatRecord& cur) {
        FormatRecord rec = openingRecord(cur, list.entry(h.k), qint16(h.k));
        rec.StartKeyLen = rec.StopKeyLen = quint8(h.len & 0xFF);
        return rec;
    };

    // Hits on separate words with no record inside them cannot affect each other: they
    // are laid over the paragraph in one merge, in text order. The word lookup finds
    // them in that order already; only the keywords searched one by one add others.
    const auto textOrder = [](const Hit& a, const Hit& b) {
        return a.start != b.start ? a.start < b.start : a.k < b.k;
    };
    if (!std::is_sorted(hits.begin(), hits.end(), textOrder))
        std::sort(hits.begin(), hits.end(), textOrder);
    bool separate = true;
    for (size_t i = 0; i < hits.size() && separate; ++i) {
        const Hit& h = hits[i];
        if (i + 1 < hits.size()) {
            const Hit& n = hits[i + 1];
            separate = n.start == h.start ? n.len == h.len : h.start + h.len <= n.start;
        }
        separate = separate && doc.lowerRecordIndex(para, h.start + 1)
                                   >= doc.lowerRecordIndex(para, h.start + h.len);
    }
    if (separate) {
        std::vector<std::pair<qint32, qint32>>& stretches = lease->stretches;
        std::vector<std::pair<size_t, size_t>>& groups = lease->groups;
        stretches.clear();
        groups.clear();
        for (size_t i = 0; i < hits.size();) {
            size_t j = i;
            while (j < hits.size() && hits[j].start == hits[i].start)
                ++j;
            stretches.emplace_back(hits[i].start, hits[i].start + hits[i].len);
            groups.emplace_back(i, j);
            i = j;
        }
        // Keyword records repeat: the same keyword of the same list version over the same
        // state gives the same style.
        struct CacheEntry {
            quint64 serial = 0;
            const TKeywordList* list = nullptr;
            quint64 version = 0;
            quint32 cur = 0;
            int k = -1;
            qint32 len = 0;
            quint32 id = 0;
        };
        thread_local std::array<CacheEntry, 512> cache;
        const quint64 serial = doc.formats().serial();
        return doc.applyFormatsMerged(para, stretches,
            [&](size_t g, quint32 curId, const FormatRecord& cur, FormatRecord& rec, quint32& id) {
                for (size_t i = groups[g].first; i < groups[g].second; ++i) {
                    const Hit& h = hits[i];
                    if (eligible(h, curId, cur) && hookAccepts(h)) {
                        CacheEntry& c = cache[(curId * 31u + quint32(h.k) * 7u + quint32(h.len)) & 511u];
                        if (c.serial == serial && c.list == &list && c.version == list.version()
                            && c.cur == curId && c.k == h.k && c.len == h.len) {
                            id = c.id;
                        } else {
                            rec = build(h, cur);
                            rec.Attribute |= 0x80;
                            id = doc.formats().intern(rec);
                            c = {serial, &list, list.version(), curId, h.k, h.len, id};
                        }
                        return true;
                    }
                }
                return false;
            });
    }

    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        return a.k != b.k ? a.k < b.k : a.start < b.start;
    });
    doc.reserveRecords(para, doc.recordCount(para) + 2 * int(hits.size()));
    int applied = 0;
    for (const Hit& h : hits) {
        const ParagraphInfo& p = doc.paragraph(para);
        const int ui = doc.upperRecordIndex(para, h.start);
        const FormatRecord cur = ui > 0 ? doc.formats().expand(p.Formats[size_t(ui - 1)])
                                        : doc.formats().at(p.StartFormat);
        if (!eligible(h, ~0u, cur))
            continue;
        const int level = cur.level();
        // A keyword may cover whole earlier keyword highlights but never crosses a region
        // boundary or cuts another highlight.
        bool acceptable = true;
        bool open = false;
        const int end = doc.lowerRecordIndex(para, h.start + h.len);
        for (int r = ui; r < end && acceptable; ++r) {
            const FormatRecord& x = doc.formats().at(p.Formats[size_t(r)].style);
            const bool keywordOpen = x.level() >= 0 && x.topRule() >= 0 && x.level() > level;
            if (x.level() >= 0 && x.level() < level)
                acceptable = false;
            else if (keywordOpen)
                acceptable = !open, open = true;
            else if (open)
                open = false;
            else
                acceptable = false;
        }
        if (open || !acceptable || !hookAccepts(h))
            continue;
        doc.ApplyFormat(paraStart + h.start, paraStart + h.start + h.len, build(h, cur), true, false);
        ++applied;
    }
    return applied;
}

namespace {

// The stretch of one paragraph that a start or stop search looks at, from `from` to `to`
// or the paragraph end; the list's boundary flags are made valid for the separators first.
struct SearchStretch {
    int pi;
    RecordSpan formats; // valid while the search only reads records
    quint32 startFormat;
    qint32 len;
    const char16_t* raw;
    qint32 fromOff;
    qint32 toOff;
};

SearchStretch searchStretch(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                            TStartStopKeyList& list, const CharSet& seps)
{
    if (!list.BoundaryFlagsValid())
        list.deriveBoundaryFlags(seps);
    const int pi = from.paraIndex();
    const qint32 len = doc.paraLength(pi);
    const qint32 fromOff = from.offset();
    const qint32 toOff = to.paraIndex() == pi ? std::max(fromOff, to.offset()) : len;
    return {pi, doc.records(pi), doc.paraStartFormat(pi), len, doc.paraChars(pi), fromOff, toOff};
}

// What one stop-key search learnt about a paragraph: no position in [from, to) is a
// stop, and whether `to` itself is one. Whether a position is a stop depends only on the
// text and the key's form, so a later search for the same key that starts inside that
// stretch goes on from where the last one ended. Without this the stop key of an
// enclosing region (an asm block's "end") would be looked for again over the rest of
// the paragraph behind every region nested in it.
struct StopScan {
    quint64 table = 0;
    quint64 text = 0;
    int para = -1;
    bool bySeparator = false;
    std::u16string key;
    quint8 matchCase = 0;
    bool sepBefore = false;
    bool sepAfter = false;
    CharSet seps;
    qint32 from = 0;
    qint32 to = 0;
    bool stopAtTo = false;

    // The first stop in [lo, hi), -1 when there is none.
    template <typename IsStop>
    qint32 first(qint32 lo, qint32 hi, IsStop&& isStop)
    {
        qint32 q = lo;
        if (from <= lo && lo <= to) {
            if (stopAtTo)
                return to < hi ? to : -1;
            q = to;
        } else {
            from = to = lo;
            stopAtTo = false;
        }
        for (; q < hi; ++q)
            if (isStop(q)) {
                to = q;
                stopAtTo = true;
                return q;
            }
        to = std::max(to, hi);
        return -1;
    }
};

// One memo per nesting level: the searches of nested regions do not evict the enclosing
// region's. Keyed by the table's serial, unique for the life of the process.
StopScan& stopScanFor(StyledDocument& doc, int pi, int level, const StartStopInfo& e,
                      const CharSet& seps, bool bySeparator)
{
    thread_local std::array<StopScan, MaxNestingLevel + 1> memos;
    StopScan& m = memos[size_t(std::clamp(level, 0, MaxNestingLevel))];
    const quint8 matchCase = e.Options & MatchCase;
    const bool same = m.table == doc.formats().serial() && m.text == doc.textRevision()
        && m.para == pi && m.bySeparator == bySeparator && m.seps == seps
        && (bySeparator
            || (m.key == e.StopKey && m.matchCase == matchCase
                && m.sepBefore == e.StopNeedsSepBefore && m.sepAfter == e.StopNeedsSepAfter));
    if (!same) {
        m.table = doc.formats().serial();
        m.text = doc.textRevision();
        m.para = pi;
        m.bySeparator = bySeparator;
        // A search per paragraph: what did not change is not copied again.
        if (!(m.seps == seps))
            m.seps = seps;
        if (bySeparator)
            m.key.clear();
        else if (m.key != e.StopKey)
            m.key = e.StopKey;
        m.matchCase = matchCase;
        m.sepBefore = e.StopNeedsSepBefore;
        m.sepAfter = e.StopNeedsSepAfter;
        m.from = m.to = -1;
        m.stopAtTo = false;
    }
    return m;
}

// For each distance d, the entries (bit i = entry i, first 64) whose start key, with one
// character more for a separator after it, is longer than d: at a position d characters
// before From only these can end after From, so the look-back tries no others. (The
// separator is counted for every key, which keeps the table apart from the separators;
// the exact test follows anyway.)
struct StartReach {
    const TStartStopKeyList* list = nullptr;
    quint64 version = 0;
    std::vector<quint64> over; // by distance
    quint64 beyond(qint32 d) const { return size_t(d) < over.size() ? over[size_t(d)] : 0; }
};

const StartReach& startReach(const TStartStopKeyList& list)
{
    thread_local StartReach r;
    if (r.list == &list && r.version == list.version() && !r.over.empty())
        return r;
    r.list = &list;
    r.version = list.version();
    r.over.assign(size_t(list.MaxStartLen()) + 3, 0);
    for (int i = 0; i < std::min(64, list.count()); ++i) {
        const StartStopInfo& e = list.item(i);
        const int reach = e.StartKeyLen + 1;
        for (int d = 0; d < reach && size_t(d) < r.over.size(); ++d)
            r.over[size_t(d)] |= 1ull << i;
    }
    return r;
}

// The entry a stop of entry k chains into: the next with the same start key and the same
// reach, else -1. Worked out once per list version.
int chainedEntry(const TStartStopKeyList& list, int k)
{
    thread_local const TStartStopKeyList* builtFor = nullptr;
    thread_local quint64 builtVersion = 0;
    thread_local std::vector<int> chainOf;
    if (builtFor != &list || builtVersion != list.version() || chainOf.size() != size_t(list.count())) {
        builtFor = &list;
        builtVersion = list.version();
        chainOf.assign(size_t(list.count()), -1);
        for (int j = 0; j < list.count(); ++j)
            for (int n = j + 1; n < list.count(); ++n)
                if (list.item(n).FirstSameStart == j && list.reach(n) == list.reach(j)) {
                    chainOf[size_t(j)] = n;
                    break;
                }
    }
    return chainOf[size_t(k)];
}

// A record with its opening key's extent dropped, as the state a region closes back to
// resumes. The same few states return again and again: their plain forms are remembered.
quint32 withoutStartKey(FormatTable& table, quint32 id)
{
    if (table.at(id).StartKeyLen == 0)
        return id;
    struct CacheEntry {
        quint64 serial = 0;
        quint32 from = ~0u;
        quint32 to = 0;
    };
    thread_local std::array<CacheEntry, 64> cache;
    CacheEntry& c = cache[id & 63u];
    if (c.serial == table.serial() && c.from == id)
        return c.to;
    FormatRecord rec = table.at(id);
    rec.StartKeyLen = 0;
    const quint32 plain = table.intern(rec);
    c = {table.serial(), id, plain};
    return plain;
}

// The interned record that opens region entry `winner` of a list over the state
// `inForce` (interned as inForceId). Regions open over the same few states: the same entry
// of the same list version over the same state opens with the same record.
quint32 openingId(StyledDocument& doc, const TStartStopKeyList& list, int winner, int baseIndex,
                  quint32 inForceId, const FormatRecord& inForce)
{
    struct CacheEntry {
        quint64 serial = 0;
        const TStartStopKeyList* list = nullptr;
        quint64 version = 0;
        quint32 inForce = ~0u;
        int winner = -1;
        int base = 0;
        quint32 id = 0;
    };
    thread_local std::array<CacheEntry, 256> cache;
    CacheEntry& c = cache[(inForceId * 31u + quint32(winner)) & 255u];
    const quint64 serial = doc.formats().serial();
    if (c.serial == serial && c.list == &list && c.version == list.version() && c.inForce == inForceId
        && c.winner == winner && c.base == baseIndex)
        return c.id;
    const StartStopInfo& e = list.item(winner);
    FormatRecord rec = openingRecord(inForce, e, regionId(baseIndex + winner));
    rec.StartKeyLen = quint8(std::min(255, e.StartKeyLen + (e.StartNeedsSepAfter ? 1 : 0)));
    rec.StopKeyLen = quint8(std::min<int>(255, e.StopKeyLen));
    const quint32 id = doc.formats().intern(rec);
    c = {serial, &list, list.version(), inForceId, winner, baseIndex, id};
    return id;
}

// Finds where a key of a list may start. Most characters start no key, and letters
// inside words start only keys that need no separator before them: a table lookup per
// character passes over them, or, when the list names the few characters keys start
// with, a comparison of eight characters at a time.
class StartScanner {
public:
    using L = TStartStopKeyList;

    StartScanner(const char16_t* text, const L::StartMasks& masks) : raw(text), m(masks) {}

    // The first position in [p, end) where a key may start, else end.
    qint32 next(qint32 p, qint32 end) const
    {
        if (m.startCharCount == 0)
            return end;
#if defined(__SSE2__)
        if (m.startCharCount > 0) {
            auto wanted = [this](int k) {
                return _mm_load_si128(reinterpret_cast<const __m128i*>(m.startLanes[k]));
            };
            for (; p + 8 <= end; p += 8) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(raw + p));
                const __m128i hit = _mm_or_si128(
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, wanted(0)), _mm_cmpeq_epi16(v, wanted(1))),
                                 _mm_or_si128(_mm_cmpeq_epi16(v, wanted(2)), _mm_cmpeq_epi16(v, wanted(3)))),
                    _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, wanted(4)), _mm_cmpeq_epi16(v, wanted(5))),
                                 _mm_or_si128(_mm_cmpeq_epi16(v, wanted(6)), _mm_cmpeq_epi16(v, wanted(7)))));
                // Two bits per character.
                for (unsigned bits = unsigned(_mm_movemask_epi8(hit)); bits; bits &= bits - 1) {
                    const qint32 q = p + qint32(__builtin_ctz(bits) >> 1);
                    bits &= bits - 1;
                    if (mayStartAt(q))
                        return q;
                }
            }
        }
#endif
        quint8 before = flagsBefore(p);
        for (; p < end; ++p) {
            const quint8 f = m.flags(raw[p]);
            if (f & wantedAfter(before))
                return p;
            before = f;
        }
        return end;
    }

private:
    static_assert(L::MaxListedStarts == 8 && L::IsSeparator >> 1 == L::StartsAtWord);
    // The paragraph start counts as a separator.
    quint8 flagsBefore(qint32 q) const { return q > 0 ? m.flags(raw[q - 1]) : quint8(L::IsSeparator); }
    // After a separator keys of both kinds may start, elsewhere only the free ones.
    static quint8 wantedAfter(quint8 before)
    {
        return quint8(L::StartsFree | ((before & L::IsSeparator) >> 1));
    }
    bool mayStartAt(qint32 q) const { return m.flags(raw[q]) & wantedAfter(flagsBefore(q)); }

    const char16_t* raw;
    const L::StartMasks& m;
};

} // namespace

bool findStartKeyIn(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                    TStartStopKeyList& list, const RuleSet& rules, int baseIndex)
{
    if (list.isEmpty())
        return false;
    const CharSet& seps = *rules.separators;
    const SearchStretch st = searchStretch(doc, from, to, list, seps);
    // Named copies, not a structured binding: clang before 16 cannot capture bindings
    // in a lambda (keyStandsAt below).
    const int pi = st.pi;
    const qint32 len = st.len;
    const char16_t* raw = st.raw;
    const qint32 fromOff = st.fromOff;
    const qint32 toOff = st.toOff;
    const qint32 maxStart = list.MaxStartLen();
    const qint32 B = std::min(fromOff, maxStart + 1);
    const qint32 A = std::min(maxStart + 1, len - toOff);
    const qint32 scanBegin = fromOff - B;
    const qint32 scanEnd = toOff + A;
    // Keys that ignore case are compared with the text upper-cased: with ASCII
    // upper-casing that is the text folded as it is read, else the document's copy.
    const bool foldAscii = doc.UpperCaseType() == smuAscii;
    const char16_t* upper = nullptr;
    auto keyStandsAt = [&](const StartStopInfo& e, qint32 p) {
        if (e.Options & MatchCase)
            return keyAt(raw, p, e.StartKey);
        if (foldAscii)
            return keyAtFolded(raw, p, e.StartKey);
        if (!upper)
            upper = doc.UpperCopy(pi, 0, len);
        return keyAt(upper, p, e.StartKey);
    };

    int ri = doc.upperRecordIndex(pi, scanBegin);
    const RecordSpan formats = st.formats;
    const FormatRecord* cur = &doc.formats().at(ri > 0 ? formats[size_t(ri - 1)].style : st.startFormat);
    // Priority and context of the record in force, worked out when a key first needs them.
    bool stale = true;
    int prio = 0;
    int ctx = 0;
    const int count = list.count();
    const StartReach& reach = startReach(list);
    using Masks = TStartStopKeyList::StartMasks;
    const Masks masks = list.startMasks(seps);

    const StartScanner scanner(raw, masks);
    const qint32 scanLast = std::min(toOff + 1, len);
    for (qint32 p = scanBegin; p < scanLast; ++p) {
        p = scanner.next(p, scanLast);
        if (p >= scanLast)
            break;
        quint64 cand = masks.candidates(raw[p]);
        if (!cand)
            continue;
        if (count <= 64) {
            // Inside a word only keys that need no separator before them can start.
            if ((cand & masks.needSepBefore) && p > 0 && !seps.contains(raw[p - 1]))
                cand &= ~masks.needSepBefore;
            if (p < fromOff)
                cand &= reach.beyond(fromOff - p); // keys that end after From
            if (!cand)
                continue;
        }
        // The record in force is only needed where a key may start: most characters
        // start none.
        while (ri < int(formats.size()) && formats[size_t(ri)].offset <= p) {
            cur = &doc.formats().at(formats[size_t(ri)].style);
            ++ri;
            stale = true;
        }
        int winner = -1;
        for (int i = 0; i < count && cand; ++i) {
            if (count <= 64) {
                i = std::countr_zero(cand); // the next candidate: lower bits are cleared
                cand &= cand - 1;
            }
            const StartStopInfo& e = list.item(i);
            const qint32 kl = e.StartKeyLen;
            const qint32 sa = e.StartNeedsSepAfter ? 1 : 0;
            if (kl == 0 || p + kl + sa <= fromOff || p + kl > scanEnd)
                continue;
            // The cheap word-boundary test first: inside identifiers most candidates end here,
            // before the upper-cased copy is made.
            if (e.StartNeedsSepBefore && p > 0 && !seps.contains(raw[p - 1]))
                continue;
            if (rules.ownRules) {
                if (cur->level() >= 0 && isRegionId(cur->topRule()))
                    continue;
            } else {
                if (stale) {
                    prio = currentPriority(*cur, list, baseIndex);
                    ctx = cur->context();
                    stale = false;
                }
                const RuleReach r = list.reach(i);
                if (!(r.Priority == 0x7FFF || (r.Scope == 0 && r.Priority > prio)
                      || (r.Scope == ctx && (r.Scope != 0 || !cur->isDynamic()))))
                    continue;
            }
            if (!keyStandsAt(e, p))
                continue;
            if (e.StartNeedsSepAfter && p + kl < len && !seps.contains(raw[p + kl]))
                continue;
            if (rules.onStartMatch && *rules.onStartMatch) {
                bool accept = true;
                from.setParaOffset(pi, p);
                (*rules.onStartMatch)(from, nullptr, i, accept);
                if (!accept)
                    continue;
            }
            winner = i;
            break;
        }
        if (winner < 0)
            continue;
        const StartStopInfo& e = list.item(winner);
        const qint16 id = regionId(baseIndex + winner);
        // The records as they are now: a start hook may have highlighted.
        const RecordSpan now = doc.records(pi);
        const int idx = doc.upperRecordIndex(pi, p);
        const quint32 inForceId = idx > 0 ? now[size_t(idx - 1)].style : doc.paraStartFormat(pi);
        FormatRecord inForce = doc.formats().at(inForceId);
        inForce.Offset = idx > 0 ? now[size_t(idx - 1)].offset : 0;
        if (inForce.level() >= 0 && inForce.topRule() == id && e.StartKey == e.StopKey)
            continue; // the closing delimiter of the open region
        const int level = inForce.level();
        if (level >= MaxNestingLevel)
            return false;
        const qint32 kl = e.StartKeyLen;
        const StoredRecord opening{p, openingId(doc, list, winner, baseIndex, inForceId, inForce)};
        // The enclosing region's record gives up its closing-key extent.
        if (level >= 0 && inForce.StopKeyLen != 0) { // unchanged records are not stored again
            FormatRecord enclosing = inForce;
            enclosing.StopKeyLen = 0;
            if (idx > 0)
                doc.replaceRecord(pi, idx - 1, enclosing);
            else
                doc.setStartFormat(pi, enclosing);
        }
        // Records inside the key go; one sitting exactly at p is overwritten.
        int lo = doc.lowerRecordIndex(pi, p);
        const int hi = doc.lowerRecordIndex(pi, p + kl);
        const bool atP = lo < hi && doc.records(pi)[size_t(lo)].offset == p;
        for (int r = hi - 1; r >= lo + (atP ? 1 : 0); --r)
            doc.deleteRecord(pi, r);
        if (atP)
            doc.replaceRecord(pi, lo, opening);
        else
            doc.insertRecord(pi, lo, opening);
        from.setParaOffset(pi, p + kl);
        return true;
    }
    return false;
}

bool findStopKeyIn(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                   TStartStopKeyList& list, const RuleSet& rules, int baseIndex, int k)
{
    const CharSet& seps = *rules.separators;
    const SearchStretch st = searchStretch(doc, from, to, list, seps);
    const int pi = st.pi; // named copies for the lambdas below, as in findStartKeyIn
    const qint32 len = st.len;
    const char16_t* raw = st.raw;
    const qint32 fromOff = st.fromOff;
    const qint32 toOff = st.toOff;
    const int curIdx = doc.upperRecordIndex(pi, fromOff) - 1; // -1: the start format
    const FormatRecord cur = curIdx >= 0 ? doc.formats().expand(st.formats[size_t(curIdx)])
                                         : doc.formats().at(st.startFormat);
    const int level = cur.level();
    if (level < 0 || k < 0 || k >= list.count())
        return false;
    const StartStopInfo& e = list.item(k);
    const qint32 sl = e.StopKeyLen;
    qint32 winStart = std::max(0, fromOff - sl);
    // Never look for the stop key inside the region's own start key.
    if (curIdx >= 0 && cur.Offset + cur.StartKeyLen >= fromOff)
        winStart = std::max(winStart, std::min(len, cur.Offset + qint32(cur.StartKeyLen)));
    else if (curIdx >= 0)
        winStart = std::max(winStart, cur.Offset);
    const qint32 limit = std::min(len, toOff + sl); // the last stop-key end allowed
    // Keys that ignore case: with ASCII upper-casing the text is folded as it is read,
    // else compared with the document's upper-cased copy. The scan's memo keeps it from
    // reading a stretch twice, and most paragraphs are short: copying a whole paragraph for
    // each search costs more than folding the characters looked at.
    const bool matchCase = e.Options & MatchCase;
    const bool foldAscii = !matchCase && doc.UpperCaseType() == smuAscii;
    const char16_t* t = matchCase || foldAscii ? raw : doc.UpperCopy(pi, 0, len);
    const char16_t first = e.StopKey.empty() ? u'\0' : e.StopKey[0];

    qint32 found = -1, foundEnd = -1;
    const RuleReach reach = list.reach(k);
    const bool bySeparator = !rules.ownRules && reach.Scope == 0x7FFF;
    const bool hooked = rules.onStopMatch && *rules.onStopMatch;
    auto accepted = [&](qint32 q) {
        if (foldAscii) {
            const char16_t c = raw[q];
            if ((c >= 'a' && c <= 'z' ? char16_t(c - 32) : c) != first || !keyAtFolded(raw, q, e.StopKey))
                return false;
        } else if (t[q] != first || !keyAt(t, q, e.StopKey)) {
            return false;
        }
        // Only the paragraph start is a boundary of its own; anywhere else the
        // character before the key decides, however near the window starts.
        if (e.StopNeedsSepBefore && q > 0 && !seps.contains(raw[q - 1]))
            return false;
        return !(e.StopNeedsSepAfter && q + sl < len && !seps.contains(raw[q + sl]));
    };
    if (bySeparator) {
        StopScan& memo = stopScanFor(doc, pi, level, e, seps, true);
        found = foundEnd = memo.first(std::max(winStart, fromOff), std::min(len, toOff + 1),
                                      [&](qint32 q) { return seps.contains(raw[q]); });
    } else if (sl > 0 && !hooked) {
        StopScan& memo = stopScanFor(doc, pi, level, e, seps, false);
        found = memo.first(winStart, limit - sl + 1, accepted);
        foundEnd = found < 0 ? -1 : found + sl;
    } else if (sl > 0) {
        for (qint32 q = winStart; q + sl <= limit; ++q) {
            if (!accepted(q))
                continue;
            bool accept = true;
            TStyledNavigator stopEnd(&doc);
            stopEnd.setParaOffset(pi, q + sl);
            (*rules.onStopMatch)(from, &stopEnd, k, accept);
            if (!accept)
                continue;
            found = q;
            foundEnd = q + sl;
            break;
        }
    }
    if (found < 0 && e.StopAtParEnd && toOff == len)
        found = foundEnd = len;
    if (found < 0)
        return false;

    // Records inside the stop key go (never the region's own record).
    {
        const int lo = std::max(curIdx + 1, doc.lowerRecordIndex(pi, found));
        const int hi = doc.upperRecordIndex(pi, foundEnd);
        for (int r = hi - 1; r >= lo; --r)
            doc.deleteRecord(pi, r);
    }
    FormatRecord region = cur;
    region.StopKeyLen = quint8(std::min(255, sl + (e.StopNeedsSepBefore ? 1 : 0)));
    if (region.StopKeyLen != cur.StopKeyLen) { // an unchanged record is not stored again
        if (curIdx >= 0)
            doc.replaceRecord(pi, curIdx, region);
        else
            doc.setStartFormat(pi, region);
    }

    StoredRecord next;
    const int chained = chainedEntry(list, k);
    if (chained >= 0) {
        const StartStopInfo& c = list.item(chained);
        FormatRecord rec = region;
        rec.Attribute = quint8(c.Style | 0xC0);
        rec.RuleStack[size_t(level)] = regionId(baseIndex + chained);
        rec.Cursor = c.Cursor;
        rec.Background = c.Background;
        rec.Foreground = c.Foreground;
        rec.StartKeyLen = 0;
        rec.Offset = foundEnd;
        next = doc.formats().store(rec);
    } else {
        // The state before the region opened: the nearest earlier record of lower level.
        const quint32 below = doc.storedRecordBelowLevel(pi, curIdx - 1, level).style;
        next = {foundEnd, withoutStartKey(doc.formats(), below)};
    }
    doc.insertRecord(pi, doc.lowerRecordIndex(pi, foundEnd), next);
    to.setParaOffset(pi, foundEnd);
    return true;
}

} // namespace kbl
