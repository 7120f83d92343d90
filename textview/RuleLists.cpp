#include "textview/RuleLists.h"

#include <QChar>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kbl {

namespace {
UpperCaseRoutine userUpperCase = nullptr;

std::u16string toU16(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}
} // namespace

quint64 nextListVersion()
{
    static std::atomic<quint64> next{1};
    return next++;
}

void throwListIndexOutOfBounds()
{
    throw std::out_of_range("List index out of bounds");
}

void setUserUpperCase(UpperCaseRoutine routine)
{
    userUpperCase = routine;
}

namespace {
// Upper-cases the ASCII letters of text[i, n) eight characters at a time, up to the first
// block holding a character from 0x80 up when `stopAtHigh`; returns where it stopped.
qsizetype upperCaseAsciiBlocks(char16_t* text, qsizetype i, qsizetype n, bool stopAtHigh)
{
#if defined(__SSE2__)
    // Signed comparisons: characters from 0x8000 up are negative and never in a..z.
    const __m128i beforeA = _mm_set1_epi16(short('a' - 1));
    const __m128i afterZ = _mm_set1_epi16(short('z' + 1));
    const __m128i caseBit = _mm_set1_epi16(short(0x20));
    const __m128i highBits = _mm_set1_epi16(short(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        __m128i* at = reinterpret_cast<__m128i*>(text + i);
        const __m128i v = _mm_loadu_si128(at);
        if (stopAtHigh && _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, highBits), zero)) != 0xFFFF)
            return i;
        const __m128i lower = _mm_and_si128(_mm_cmpgt_epi16(v, beforeA), _mm_cmplt_epi16(v, afterZ));
        _mm_storeu_si128(at, _mm_sub_epi16(v, _mm_and_si128(lower, caseBit)));
    }
#else
    (void)text, (void)n, (void)stopAtHigh;
#endif
    return i;
}
} // namespace

void upperCaseInPlace(TpmUpperCase mode, char16_t* text, qsizetype n)
{
    if (mode == smuUserDefined && userUpperCase) {
        userUpperCase(text, n);
        return;
    }
    // One loop per mode, so that the per-character test folds away. Source text is
    // mostly ASCII: whole blocks of it are done at once, the rest character by character.
    if (mode == smuAnsi) {
        for (qsizetype i = 0; i < n;) {
            i = upperCaseAsciiBlocks(text, i, n, true);
            const qsizetype blockEnd = std::min(n, i + 8);
            for (; i < blockEnd; ++i)
                text[i] = upperCaseChar(smuAnsi, text[i]);
        }
        return;
    }
    for (qsizetype i = upperCaseAsciiBlocks(text, 0, n, false); i < n; ++i)
        text[i] = upperCaseChar(smuAscii, text[i]);
}

std::u16string upperCased(TpmUpperCase mode, std::u16string text)
{
    upperCaseInPlace(mode, text.data(), qsizetype(text.size()));
    return text;
}

// ---- TKeywordList ----

const QString& TKeywordList::string(int i) const
{
    if (i < 0 || i >= count())
        throwListIndexOutOfBounds();
    return strings[size_t(i)];
}

int TKeywordList::addString(const QString& s)
{
    strings.push_back(s);
    entries.emplace_back(); // no entry
    changed();
    return count() - 1;
}

void TKeywordList::insertString(int i, const QString& s)
{
    if (i < 0 || i > count())
        throwListIndexOutOfBounds();
    strings.insert(strings.begin() + i, s);
    entries.insert(entries.begin() + i, nullptr);
    changed();
}

void TKeywordList::setEntry(int i, const KeywordInfo& info)
{
    if (i < 0 || i >= count())
        throwListIndexOutOfBounds();
    std::unique_ptr<KeywordInfo>& slot = entries[size_t(i)];
    if (!slot)
        slot = newEntry();
    *slot = info; // overwrites an existing entry in place (what an extended entry adds stays)
    changed();
}

int TKeywordList::AddKeyword(const QString& keyword, quint8 options, quint8 style,
                             qint32 contextNum, qint16 cursor, qint32 background,
                             qint32 foreground)
{
    BeginUpdate();
    const int i = addString(keyword);
    KeywordInfo e;
    e.Options = options;
    e.Style = style;
    e.ContextNum = contextNum;
    e.Cursor = cursor;
    e.Background = background;
    e.Foreground = foreground;
    setEntry(i, e);
    EndUpdate();
    return i;
}

void TKeywordList::Delete(int i)
{
    if (i < 0 || i >= count())
        throwListIndexOutOfBounds();
    entries.erase(entries.begin() + i);
    strings.erase(strings.begin() + i);
    changed();
}

void TKeywordList::Clear()
{
    entries.clear();
    strings.clear();
    changed();
}

void TKeywordList::CopyFrom(const TKeywordList& source)
{
    if (&source == this)
        return;
    BeginUpdate();
    Clear();
    for (int i = 0; i < source.count(); ++i) {
        addString(source.strings[size_t(i)]);
        if (source.entries[size_t(i)])
            setEntry(i, *source.entries[size_t(i)]);
    }
    EndUpdate();
}

void TKeywordList::EndUpdate()
{
    if (updating > 0 && --updating == 0 && pending)
        rebuild();
}

void TKeywordList::changed()
{
    changeCount = nextListVersion();
    if (updating > 0)
        pending = true;
    else
        rebuild();
}

void TKeywordList::setCaseMode(TpmUpperCase mode)
{
    if (mode == caseMode)
        return;
    caseMode = mode;
    BeginUpdate();
    changed();
    EndUpdate();
}

void TKeywordList::rebuild()
{
    pending = false;
    keys.assign(strings.size(), {});
    maxLen = 0;
    needsUpperCopy = false;
    for (size_t i = 0; i < strings.size(); ++i) {
        const int len = int(strings[i].size());
        maxLen = std::max(maxLen, len);
        keys[i] = toU16(strings[i]);
        if (entries[i]) {
            entries[i]->KeyLength = len;
            if (!(entries[i]->Options & MatchCase)) {
                needsUpperCopy = true;
                upperCaseInPlace(caseMode, keys[i].data(), qsizetype(keys[i].size()));
            }
        }
    }
}

void TKeywordList::writeProperties(ValueWriter& w) const
{
    if (isEmpty())
        return;
    w.writePropertyName(QStringLiteral("Strings"));
    writeData(w);
}

namespace {

// The fields a keyword and a start/stop key share, in their stored order.
void writeRuleFields(ValueWriter& w, const RuleAttributes& e)
{
    w.writeInteger(e.Options);
    w.writeInteger(e.Style);
    w.writeInteger(e.ContextNum);
    w.writeInteger(e.Cursor);
    w.writeInteger(e.Background);
    w.writeInteger(e.Foreground);
}

void readRuleFields(ValueReader& r, RuleAttributes& e)
{
    e.Options = quint8(r.readInteger());
    e.Style = quint8(r.readInteger());
    e.ContextNum = r.readInteger();
    e.Cursor = qint16(r.readInteger());
    e.Background = r.readInteger();
    e.Foreground = r.readInteger();
}

} // namespace

void TKeywordList::writeData(ValueWriter& w) const
{
    const std::unique_ptr<KeywordInfo> blank = newEntry(); // written for a keyword without entry
    w.writeListBegin();
    for (int i = 0; i < count(); ++i) {
        const KeywordInfo& e = entries[size_t(i)] ? *entries[size_t(i)] : *blank;
        w.writeString(strings[size_t(i)]);
        writeRuleFields(w, e);
        writeExtraFields(w, e);
    }
    w.writeListEnd();
}

void TKeywordList::readData(ValueReader& r)
{
    r.readListBegin();
    Clear();
    BeginUpdate();
    try {
        while (!r.endOfList()) {
            const int i = addString(r.readString());
            std::unique_ptr<KeywordInfo> e = newEntry();
            readRuleFields(r, *e);
            readExtraFields(r, *e);
            entries[size_t(i)] = std::move(e);
            changed();
        }
        r.readListEnd();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- TStartStopKeyList ----

void TStartStopKeyList::deriveComparisonKeys(StartStopInfo& e) const
{
    e.StartKey = toU16(e.StartKeyAsAdded);
    e.StopKey = toU16(e.StopKeyAsAdded);
    if (!(e.Options & MatchCase)) {
        upperCaseInPlace(caseMode, e.StartKey.data(), qsizetype(e.StartKey.size()));
        upperCaseInPlace(caseMode, e.StopKey.data(), qsizetype(e.StopKey.size()));
    }
}

int TStartStopKeyList::Add(const QString& startKey, const QString& stopKey, quint8 options,
                           quint8 style, qint32 contextNum, qint16 cursor, qint32 background,
                           qint32 foreground, bool stopAtParEnd)
{
    std::unique_ptr<StartStopInfo> e = newEntry();
    e->Options = options;
    e->Style = style;
    e->ContextNum = contextNum;
    e->Cursor = cursor;
    e->Background = background;
    e->Foreground = foreground;
    e->StartKeyAsAdded = startKey;
    e->StopKeyAsAdded = stopKey;
    e->StopAtParEnd = stopAtParEnd;
    return addEntry(std::move(e));
}

int TStartStopKeyList::addEntry(std::unique_ptr<StartStopInfo> e)
{
    const QString& startKey = e->StartKeyAsAdded;
    const QString& stopKey = e->StopKeyAsAdded;
    // Key lengths are 16-bit fields; a longer key could never be matched sensibly.
    if (startKey.size() > 32767 || stopKey.size() > 32767)
        throw std::length_error("Text too long");
    if (items.size() >= 32767) // identifiers carry the index in 15 bits
        throw std::length_error("List index out of bounds");
    const auto l1 = qint16(startKey.size());
    const auto l2 = qint16(stopKey.size());
    maxStartLen = std::max(maxStartLen, l1);
    maxStopLen = std::max(maxStopLen, l2);
    if (e->StopAtParEnd && maxStopLen < 2)
        maxStopLen = 2;

    e->StartKeyLen = l1;
    e->StopKeyLen = l2;
    deriveComparisonKeys(*e);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i]->Options == e->Options && items[i]->StartKey == e->StartKey) {
            e->FirstSameStart = qint16(i);
            break;
        }
    items.push_back(std::move(e));
    cap = int(items.size());
    boundaryFlagsValid = false;
    changed();
    return count() - 1;
}

void TStartStopKeyList::Clear()
{
    items.clear();
    cap = 2;
    boundaryFlagsValid = false;
    changed();
}

void TStartStopKeyList::setCaseMode(TpmUpperCase mode)
{
    caseMode = mode;
    for (auto& e : items)
        deriveComparisonKeys(*e);
    changed();
}

void TStartStopKeyList::buildMasks() const
{
    maskVersion = changeCount;
    const bool many = items.size() > 64;
    for (auto& m : firstCharMask)
        m = many ? ~0ull : 0;
    otherMask = many ? ~0ull : 0;
    sepBeforeMask = 0;
    if (many)
        return;
    for (size_t i = 0; i < items.size(); ++i) {
        const StartStopInfo& e = *items[i];
        if (e.StartKey.empty())
            continue;
        const quint64 bit = 1ull << i;
        if (e.StartNeedsSepBefore)
            sepBeforeMask |= bit;
        const char16_t k = e.StartKey[0];
        if (e.Options & MatchCase) {
            if (k < 256)
                firstCharMask[k] |= bit;
            else
                otherMask |= bit;
            continue;
        }
        // Compared upper-cased: every character that upper-cases to the key's first.
        for (char16_t c = 0; c < 256; ++c) {
            char16_t u = c;
            upperCaseInPlace(caseMode, &u, 1);
            if (u == k)
                firstCharMask[c] |= bit;
        }
        if (k >= 128 || caseMode != smuAscii)
            otherMask |= bit;
    }
}

void TStartStopKeyList::buildScanFlags(const CharSet& seps) const
{
    if (maskVersion != changeCount)
        buildMasks();
    flagVersion = changeCount;
    flagSeparators = seps;
    auto flagsFor = [this](quint64 cand) {
        return quint8(((cand & ~sepBeforeMask) ? StartsFree : 0)
                      | ((cand & sepBeforeMask) ? StartsAtWord : 0));
    };
    for (int c = 0; c < 256; ++c)
        scanFlags[c] = quint8(flagsFor(firstCharMask[c]) | (seps.contains(char16_t(c)) ? IsSeparator : 0));
    otherFlags = flagsFor(otherMask);
    char16_t listed[MaxListedStarts] = {};
    startCharCount = otherMask ? -1 : 0;
    for (int c = 0; c < 256 && startCharCount >= 0; ++c) {
        if (!firstCharMask[c])
            continue;
        if (startCharCount == MaxListedStarts)
            startCharCount = -1;
        else
            listed[startCharCount++] = char16_t(c);
    }
    for (int k = 0; k < MaxListedStarts; ++k)
        std::fill_n(startLanes[k], 8, listed[k < startCharCount ? k : 0]);
}

void TStartStopKeyList::deriveBoundaryFlags(const CharSet& seps)
{
    for (auto& entry : items) {
        StartStopInfo& e = *entry;
        const bool ww = e.Options & WholeWord;
        const auto& a = e.StartKeyAsAdded;
        const auto& b = e.StopKeyAsAdded;
        e.StartNeedsSepBefore = ww && !a.isEmpty() && !seps.contains(a.front().unicode());
        e.StartNeedsSepAfter = ww && !a.isEmpty() && !seps.contains(a.back().unicode());
        e.StopNeedsSepBefore = ww && !b.isEmpty() && !seps.contains(b.front().unicode());
        e.StopNeedsSepAfter = ww && !b.isEmpty() && !seps.contains(b.back().unicode());
    }
    boundaryFlagsValid = true;
    changed();
}

void TStartStopKeyList::writeProperties(ValueWriter& w) const
{
    if (isEmpty())
        return;
    w.writePropertyName(QStringLiteral("Keys"));
    writeData(w);
}

void TStartStopKeyList::writeData(ValueWriter& w) const
{
    w.writeListBegin();
    for (const auto& entry : items) {
        const StartStopInfo& e = *entry;
        w.writeString(QString::fromUtf16(e.StartKey.data(), qsizetype(e.StartKey.size())));
        w.writeString(QString::fromUtf16(e.StopKey.data(), qsizetype(e.StopKey.size())));
        writeRuleFields(w, e);
        writeExtraFields(w, e);
        w.writeBoolean(e.StopAtParEnd);
    }
    w.writeListEnd();
}

void TStartStopKeyList::readData(ValueReader& r)
{
    r.readListBegin();
    Clear();
    while (!r.endOfList()) {
        // Through the normal add: lengths, links and comparison keys are derived again.
        std::unique_ptr<StartStopInfo> e = newEntry();
        e->StartKeyAsAdded = r.readString();
        e->StopKeyAsAdded = r.readString();
        readRuleFields(r, *e);
        readExtraFields(r, *e);
        e->StopAtParEnd = r.readBoolean();
        addEntry(std::move(e));
    }
    r.readListEnd();
    boundaryFlagsValid = false;
}

} // namespace kbl
