#pragma once
// The text view's own rule lists: keyword lists and start/stop key lists, each entry with
// the attributes a match paints and its matching options, plus the comparison data the
// scanners use. Lists persist as value sequences (ValueStream.h). The highlighters'
// extended lists build on these.

#include "textview/ValueStream.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kbl {

[[noreturn]] void throwListIndexOutOfBounds();
// Version numbers of list states, unique across all lists of the process, so that derived
// data cached elsewhere can never be mistaken for another list's.
quint64 nextListVersion();

// Entry options.
enum RuleOptions : quint8 {
    MatchCase = 0x01,
    WholeWord = 0x02,
};

enum TpmUpperCase { smuAscii = 0, smuAnsi = 1, smuUserDefined = 2 };

// The process-wide upper-casing routine for smuUserDefined (in place over n characters).
using UpperCaseRoutine = void (*)(char16_t* text, qsizetype n);
void setUserUpperCase(UpperCaseRoutine routine);
void upperCaseInPlace(TpmUpperCase mode, char16_t* text, qsizetype n);
// One character as upperCaseInPlace turns it; not for smuUserDefined, whose routine
// sees whole texts.
inline char16_t upperCaseChar(TpmUpperCase mode, char16_t c)
{
    if (c < 128)
        return (c >= 'a' && c <= 'z') ? char16_t(c - 32) : c;
    if (mode == smuAnsi && !QChar::isSurrogate(c))
        return char16_t(QChar::toUpper(c));
    return c;
}
std::u16string upperCased(TpmUpperCase mode, std::u16string text);

// A set of separator characters; characters above 255 never belong to it. A byte per
// character, since the scanners ask for every character of the text, and the same as
// bits, since caches compare sets on every search.
class CharSet {
public:
    CharSet() = default;
    explicit CharSet(QStringView chars) { for (QChar c : chars) add(c.unicode()); }
    void add(char16_t c)
    {
        if (c < 256) {
            member[c] = 1;
            bits[c >> 6] |= 1ull << (c & 63);
        }
    }
    void remove(char16_t c)
    {
        if (c < 256) {
            member[c] = 0;
            bits[c >> 6] &= ~(1ull << (c & 63));
        }
    }
    bool contains(char16_t c) const { return c < 256 && member[c]; }
    bool operator==(const CharSet& o) const
    {
        return bits[0] == o.bits[0] && bits[1] == o.bits[1] && bits[2] == o.bits[2] && bits[3] == o.bits[3];
    }

private:
    std::array<quint8, 256> member{};
    std::array<quint64, 4> bits{};
};

// What a keyword and a start/stop key both carry: their options and what a match paints.
struct RuleAttributes {
    RuleAttributes() = default;
    RuleAttributes(const RuleAttributes&) = default;
    RuleAttributes& operator=(const RuleAttributes&) = default;
    // A list holds its entries through this base; an extended list's are larger.
    virtual ~RuleAttributes() = default;

    quint8 Options = 0;
    quint8 Style = 0;
    qint32 ContextNum = 0;
    qint16 Cursor = 0;
    qint32 Background = -1;
    qint32 Foreground = -1;
};

// Where a rule may apply among regions: inside the regions of context Scope, or (Scope 0)
// outside regions and inside those of lower priority than Priority (0x7FFF: everywhere).
// Only the highlighters' extended lists give their rules a reach; the view's own rules
// have none and are matched by rules of their own (RuleSet::ownRules).
struct RuleReach {
    qint16 Scope = 0;
    qint16 Priority = 0;
    bool operator==(const RuleReach&) const = default;
};

struct KeywordInfo : RuleAttributes {
    qint32 KeyLength = 0;
};

class TKeywordList {
public:
    TKeywordList() = default;
    virtual ~TKeywordList() = default;
    TKeywordList(const TKeywordList&) = delete;
    TKeywordList& operator=(const TKeywordList&) = delete;

    int count() const { return int(strings.size()); }
    bool isEmpty() const { return strings.empty(); }
    const QString& string(int i) const;
    // The entry attached to keyword i (throws "List index out of bounds").
    const KeywordInfo& entry(int i) const { return const_cast<TKeywordList*>(this)->entry(i); }
    KeywordInfo& entry(int i)
    {
        if (!hasEntry(i))
            throwListIndexOutOfBounds();
        return *entries[size_t(i)];
    }
    bool hasEntry(int i) const { return i >= 0 && i < count() && entries[size_t(i)]; }

    // Plain string-list operations (a keyword without an entry is never matched).
    int addString(const QString& s);
    void insertString(int i, const QString& s);
    // Attaches an entry to keyword i, or overwrites the one it has.
    void setEntry(int i, const KeywordInfo& info);

    // Adds a keyword with a new entry; returns its index.
    int AddKeyword(const QString& keyword, quint8 options, quint8 style, qint32 contextNum,
                   qint16 cursor, qint32 background, qint32 foreground);
    void Delete(int i);
    void Clear();
    // Copies the keywords and what their entries share; an extended list copies more.
    virtual void CopyFrom(const TKeywordList& source);

    void BeginUpdate() { ++updating; }
    void EndUpdate();

    TpmUpperCase CaseMode() const { return caseMode; }
    void setCaseMode(TpmUpperCase mode);

    // Derived data.
    int MaxLen() const { return maxLen; }
    bool NeedsUpperCopy() const { return needsUpperCopy; }
    const std::u16string& comparisonKey(int i) const { return keys[size_t(i)]; }
    quint64 version() const { return changeCount; }
    // Where keyword i applies; the plain list's keywords have no reach.
    virtual RuleReach reach(int /*i*/) const { return {}; }

    // Persistence: the "Strings" defined property, written only when not empty.
    virtual bool isExtended() const { return false; }
    void writeProperties(ValueWriter& w) const;
    void writeData(ValueWriter& w) const;
    void readData(ValueReader& r);

    // Changes made through entry(i) directly must be followed by this.
    void changed();

protected:
    // An extended list's entries carry more: it makes them, and it writes and reads what
    // they add right after the fields every entry has.
    virtual std::unique_ptr<KeywordInfo> newEntry() const { return std::make_unique<KeywordInfo>(); }
    virtual void writeExtraFields(ValueWriter&, const KeywordInfo&) const {}
    virtual void readExtraFields(ValueReader&, KeywordInfo&) const {}

private:
    void rebuild();

    std::vector<QString> strings;
    std::vector<std::unique_ptr<KeywordInfo>> entries; // null: no entry
    std::vector<std::u16string> keys;
    int maxLen = 0;
    bool needsUpperCopy = false;
    int updating = 0;
    bool pending = false;
    TpmUpperCase caseMode = smuAscii;
    quint64 changeCount = nextListVersion();
};

struct StartStopInfo : RuleAttributes {
    std::u16string StartKey; // comparison form
    std::u16string StopKey;  // comparison form; empty when the region has no stop key
    qint16 StartKeyLen = 0;
    qint16 StopKeyLen = 0;
    QString StartKeyAsAdded;
    QString StopKeyAsAdded;
    bool StopAtParEnd = false;
    qint16 FirstSameStart = -1;
    bool StartNeedsSepBefore = false;
    bool StartNeedsSepAfter = false;
    bool StopNeedsSepBefore = false;
    bool StopNeedsSepAfter = false;
};

class TStartStopKeyList {
public:
    TStartStopKeyList() = default;
    virtual ~TStartStopKeyList() = default;
    TStartStopKeyList(const TStartStopKeyList&) = delete;
    TStartStopKeyList& operator=(const TStartStopKeyList&) = delete;

    int Add(const QString& startKey, const QString& stopKey, quint8 options, quint8 style,
            qint32 contextNum, qint16 cursor, qint32 background, qint32 foreground,
            bool stopAtParEnd);
    int count() const { return int(items.size()); }
    bool isEmpty() const { return items.empty(); }
    int capacity() const { return cap; }
    const StartStopInfo& item(int i) const { return const_cast<TStartStopKeyList*>(this)->item(i); }
    StartStopInfo& item(int i) // callers changing attributes call changed()
    {
        if (i < 0 || i >= count())
            throwListIndexOutOfBounds();
        return *items[size_t(i)];
    }
    void Clear();
    // Where entry i applies; the plain list's entries have no reach.
    virtual RuleReach reach(int /*i*/) const { return {}; }

    qint16 MaxStartLen() const { return maxStartLen; }
    qint16 MaxStopLen() const { return maxStopLen; }
    TpmUpperCase CaseMode() const { return caseMode; }
    void setCaseMode(TpmUpperCase mode);

    bool BoundaryFlagsValid() const { return boundaryFlagsValid; }
    // Derives the four boundary flags of every entry from the given separators (a new
    // version: what is derived from the entries follows them).
    void deriveBoundaryFlags(const CharSet& separators);
    quint64 version() const { return changeCount; }
    void changed() { changeCount = nextListVersion(); }
    // Entries (bit i = entry i, for the first 64) whose start key may begin with c;
    // all bits when the list has more than 64 entries.
    quint64 startCandidates(char16_t c) const
    {
        if (maskVersion != changeCount)
            buildMasks();
        return c < 256 ? firstCharMask[c] : otherMask;
    }
    // The same as tables for a scan over many characters, with the entries whose start
    // key needs a separator before it (none when the list has more than 64 entries).
    // With a byte per character for the scan itself: whether a key that needs no
    // separator before it may start with the character, one that does, and whether the
    // character is a separator (for the separators given). When only a few characters
    // start keys at all, they are listed for a scan that compares several at once.
    enum StartScanFlag : quint8 { StartsFree = 1, StartsAtWord = 2, IsSeparator = 4 };
    static constexpr int MaxListedStarts = 8;
    struct StartMasks {
        const quint64* byChar; // characters below 256
        quint64 other;
        quint64 needSepBefore;
        const quint8* scanFlags; // characters below 256
        quint8 otherFlags;
        // Each listed character eight times over, unused places repeating the first.
        const char16_t (*startLanes)[8];
        int startCharCount; // -1: too many to list
        quint64 candidates(char16_t c) const { return c < 256 ? byChar[c] : other; }
        quint8 flags(char16_t c) const { return c < 256 ? scanFlags[c] : otherFlags; }
    };
    StartMasks startMasks(const CharSet& separators) const
    {
        if (maskVersion != changeCount)
            buildMasks();
        if (!(flagSeparators == separators) || flagVersion != changeCount)
            buildScanFlags(separators);
        return {firstCharMask, otherMask, sepBeforeMask, scanFlags, otherFlags, startLanes, startCharCount};
    }

    virtual bool isExtended() const { return false; }
    // Persistence: the "Keys" defined property, written only when not empty.
    void writeProperties(ValueWriter& w) const;
    void writeData(ValueWriter& w) const;
    void readData(ValueReader& r);

protected:
    // An extended list's entries carry more: it makes them, and it writes and reads what
    // they add right after the fields every entry has.
    virtual std::unique_ptr<StartStopInfo> newEntry() const { return std::make_unique<StartStopInfo>(); }
    virtual void writeExtraFields(ValueWriter&, const StartStopInfo&) const {}
    virtual void readExtraFields(ValueReader&, StartStopInfo&) const {}

private:
    // Adds an entry whose attributes, keys as added and StopAtParEnd are set: derives its
    // lengths, comparison keys and same-start link, and raises the list's maximum lengths.
    int addEntry(std::unique_ptr<StartStopInfo> e);
    void deriveComparisonKeys(StartStopInfo& e) const;
    void buildMasks() const;
    mutable quint64 maskVersion = ~0ull;
    mutable quint64 firstCharMask[256] = {};
    mutable quint64 otherMask = 0;
    mutable quint64 sepBeforeMask = 0;
    void buildScanFlags(const CharSet& separators) const;
    mutable quint64 flagVersion = ~0ull;
    mutable CharSet flagSeparators;
    mutable quint8 scanFlags[256] = {};
    mutable quint8 otherFlags = 0;
    alignas(16) mutable char16_t startLanes[MaxListedStarts][8] = {};
    mutable int startCharCount = -1;

    std::vector<std::unique_ptr<StartStopInfo>> items;
    int cap = 2;
    qint16 maxStartLen = 0;
    qint16 maxStopLen = 0;
    TpmUpperCase caseMode = smuAscii;
    bool boundaryFlagsValid = false;
    quint64 changeCount = nextListVersion();
};

} // namespace kbl
