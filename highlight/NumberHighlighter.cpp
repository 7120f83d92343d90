#include "highlight/NumberHighlighter.h"

#include "textview/CharScan.h"
#include "textview/NestedScratch.h"
#include "textview/StyledDocument.h"

#include <algorithm>
#include <array>

namespace kbl {

TNumberHighlighter::TNumberHighlighter() = default;

QString TNumberHighlighter::SeparatorsText() const
{
    QString s;
    for (int c = 27; c < 256; ++c)
        if (separators.contains(char16_t(c)))
            s.append(QChar(c));
    return s;
}

void TNumberHighlighter::setSeparatorsText(const QString& text)
{
    const CharSet set{QStringView(text)};
    if (set == separators)
        return;
    setSeparators(set);
    propertyChanged();
}

void TNumberHighlighter::propertyChanged()
{
    if (designMode && !loading)
        ReapplyToViews();
}

#define KBL_SETTER(name, field, type)                                                       \
    void TNumberHighlighter::name(type v)                                                   \
    {                                                                                       \
        if (field == v)                                                                     \
            return;                                                                         \
        field = v;                                                                          \
        propertyChanged();                                                                  \
    }
KBL_SETTER(setAltFont, AltFont, bool)
KBL_SETTER(setBackground, Background, qint32)
KBL_SETTER(setForeground, Foreground, qint32)
KBL_SETTER(setStyle, Style, quint8)
KBL_SETTER(setContextNum, ContextNum, qint16)
KBL_SETTER(setScope, Scope, qint32)
KBL_SETTER(setPriority, Priority, qint32)
#undef KBL_SETTER

bool TNumberHighlighter::mayHighlight(const FormatRecord& r)
{
    qint16 s = 0;
    if (r.isDynamic())
        s = r.isLevelRecord() ? qint16(r.Context) : qint16(-32768);
    bool doHilit = s == Scope;
    if (OnQueryHilit)
        OnQueryHilit(*this, s, doHilit);
    return doHilit;
}

bool TNumberHighlighter::isNumber(const char16_t* w, qint32 len)
{
    if (len <= 0)
        return false;
    if (w[0] == u'$') {
        for (qint32 i = 1; i < len; ++i) {
            const char16_t c = w[i];
            if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
                return false;
        }
        return true;
    }
    for (qint32 i = 0; i < len; ++i)
        if (w[i] < '0' || w[i] > '9')
            return false;
    return true;
}

void TNumberHighlighter::ApplyKeywords(StyledDocument& doc, TStyledNavigator& from,
                                       TStyledNavigator& to, int baseIndex)
{
    const int pi = from.paraIndex();
    const char16_t* T = doc.paraChars(pi);
    const qint32 N = doc.paraLength(pi);
    const qint32 fromOff = from.offset();
    const qint32 toOff = to.paraIndex() == pi ? to.offset() : N;
    qint32 i = fromOff > 0 ? fromOff - 1 : 0;
    const qint32 E = toOff < N ? toOff + 1 : toOff;
    while (i > 0 && !separators.contains(T[i - 1]))
        --i;
    // A number is a word that starts with a digit or "$": the scan goes from one such
    // character to the next, and only those that begin a word are looked at. Most words
    // begin with a letter and cost nothing this way, and most paragraphs hold no number.
    qint32 k = findDigitOr(T, i, E, u'$');
    if (k >= E)
        return;

    const RecordSpan F = doc.records(pi);
    constexpr qint32 None = std::numeric_limits<qint32>::max();
    size_t ri = size_t(doc.upperRecordIndex(pi, i));
    const FormatRecord* cur = &doc.formats().at(ri > 0 ? F[ri - 1].style : doc.paraStartFormat(pi));
    // The offset of the next record, kept as records are passed.
    qint32 next = ri < F.size() ? F[ri].offset : None;
    bool allowed = mayHighlight(*cur);
    auto advanceRecord = [&] {
        cur = &doc.formats().at(F[ri].style);
        ++ri;
        next = ri < F.size() ? F[ri].offset : None;
        allowed = mayHighlight(*cur);
    };

    // The style query may highlight, nesting a number pass in this one.
    thread_local NestedScratch<std::vector<std::pair<qint32, qint32>>> scratch;
    const NestedScratch<std::vector<std::pair<qint32, qint32>>>::Lease lease(scratch);
    std::vector<std::pair<qint32, qint32>>& hits = *lease;
    hits.clear();
    for (; k < E; k = findDigitOr(T, k, E, u'$')) {
        if (separators.contains(T[k]) || (k > 0 && !separators.contains(T[k - 1]))) {
            ++k;
            continue;
        }
        while (next <= k)
            advanceRecord();
        qint32 m = k + 1;
        while (m < N && !separators.contains(T[m]))
            ++m;
        // A word cut by a record is no number.
        if (allowed && m <= next && isNumber(T + k, m - k))
            hits.emplace_back(k, m);
        k = m; // the rest of the word begins no number
    }
    if (hits.empty())
        return;

    // Numbers are separate words ending before the next record: one merge serves all.
    const qint64 start = doc.paraStart(pi);
    // A number's record depends only on the record in force, its length and the number
    // style: most numbers repeat one of a few, and looking it up again costs more than
    // remembering it.
    struct CacheEntry {
        quint64 serial = 0;
        quint32 cur = ~0u;
        quint8 len = 0;
        int base = 0;
        quint8 attribute = 0;
        qint32 background = 0, foreground = 0;
        qint16 context = 0;
        quint32 id = 0;
    };
    thread_local std::array<CacheEntry, 256> cache;
    const quint64 serial = doc.formats().serial();
    const quint8 attribute = quint8(Style | 0xC0 | (AltFont ? 0x20 : 0));
    const int applied = doc.applyFormatsMerged(pi, hits,
        [&](size_t i, quint32 curId, const FormatRecord& inForce, FormatRecord& rec, quint32& id) {
            const int level = inForce.level();
            if (level >= MaxNestingLevel)
                return false;
            const auto len = quint8((hits[i].second - hits[i].first) & 0xFF);
            CacheEntry& c = cache[(curId * 31u + len) & 255u];
            if (c.serial == serial && c.cur == curId && c.len == len && c.base == baseIndex
                && c.attribute == attribute && c.background == Background
                && c.foreground == Foreground && c.context == ContextNum) {
                id = c.id;
                return true;
            }
            rec = inForce;
            rec.Attribute = quint8(Style | 0xC0 | (AltFont ? 0x20 : 0));
            rec.Background = Background;
            rec.Foreground = Foreground;
            rec.Context = ContextNum;
            rec.Cursor = 0;
            rec.StartKeyLen = rec.StopKeyLen = quint8((hits[i].second - hits[i].first) & 0xFF);
            rec.Level = qint8(level + 1);
            rec.RuleStack[size_t(level + 1)] = qint16(baseIndex);
            rec.Attribute |= 0x80;
            id = doc.formats().intern(rec);
            c = {serial, curId, len, baseIndex, attribute, Background, Foreground, ContextNum, id};
            return true;
        });
    if (applied == 0)
        return;
    doc.markNavigatorsStale(pi, doc.paragraphCount() - 1, start);
}

} // namespace kbl
