#pragma once
// The matching algorithms shared by the document's own rule lists and the extended
// highlighter engine: keyword hits, start-key search and stop-key search over a paragraph.
// Where a rule may apply among regions comes from its list (TKeywordList::reach,
// TStartStopKeyList::reach), so the extended lists of the engine pass through unchanged.

#include "textview/RuleLists.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kbl {

class StyledDocument;
class TStyledNavigator;
struct FormatRecord;

// (first navigator, second navigator or null, local rule index, accept)
using MatchHook = std::function<void(TStyledNavigator&, TStyledNavigator*, int, bool&)>;

struct RuleSet {
    const CharSet* separators = nullptr;
    // The document's own rules: no scope, priority or hooks; start keys only outside
    // regions.
    bool ownRules = false;
    const MatchHook* onKeywordMatch = nullptr;
    const MatchHook* onStartMatch = nullptr;
    const MatchHook* onStopMatch = nullptr;
};

// Finds keyword candidates by word instead of scanning the text once per keyword: whole-
// word keywords without separators are looked up in a hash of their comparison form;
// the others are searched the plain way.
class KeywordIndex {
public:
    // Inline: a pass asks for every paragraph, and the index rarely needs building.
    void refresh(const TKeywordList& list, const CharSet& separators)
    {
        if (builtFor != &list || builtVersion != list.version() || !(builtSeps == separators))
            rebuild(list, separators);
    }
    // Candidate keywords for a word (ASCII-folded hash); ascending indices. Most words
    // are no keyword: their length and first and last characters turn them away before
    // they are hashed.
    const std::vector<int>* lookup(const char16_t* word, int len) const
    {
        if (len < minLen || len > maxLen || word[0] >= 128 || word[len - 1] >= 128)
            return nullptr;
        const quint32 bit = lengthBit(len);
        if (!(firstLengths[fold(word[0])] & bit) || !(lastLengths[fold(word[len - 1])] & bit))
            return nullptr;
        return find(word, len);
    }
    const std::vector<int>& slowKeywords() const { return slow; }
    // Where keyword k of the list applies, as of the last refresh.
    RuleReach reach(int k) const { return reaches[size_t(k)]; }

private:
    void rebuild(const TKeywordList& list, const CharSet& separators);
    static quint64 hashFolded(const char16_t* s, int len);
    static char16_t fold(char16_t c) { return (c >= 'a' && c <= 'z') ? char16_t(c - 32) : c; }
    static quint32 lengthBit(int len) { return 1u << std::min(len, 31); }
    const std::vector<int>* find(const char16_t* word, int len) const;
    quint64 builtVersion = ~0ull;
    const TKeywordList* builtFor = nullptr;
    CharSet builtSeps;
    std::vector<std::pair<quint64, std::vector<int>>> buckets; // open addressing
    quint64 mask = 0;
    std::vector<int> slow;
    int minLen = 0, maxLen = 0;
    // By folded ASCII character: the lengths (bit min(length, 31)) of the hashed keywords
    // that begin, and those that end, with it.
    std::array<quint32, 128> firstLengths{};
    std::array<quint32, 128> lastLengths{};
    std::vector<RuleReach> reaches; // by keyword
};

// Current priority of a record for a start/stop list and base index.
int currentPriority(const FormatRecord& r, const TStartStopKeyList& list, int baseIndex);

// Keyword pass over paragraph `para` between offsets fromOff and toOff (a stretch that the
// caller has widened). `raw` and `upper` point at character 0 of the paragraph's text as
// it is to be matched (upper may be null when no entry needs it). With `foldAscii` and no
// upper copy, raw is the paragraph's own text and its upper-cased form that of ASCII
// letters only (smuAscii): words are compared folded as they are read, and the copy is
// made only for keywords searched one by one. Returns hits applied.
int applyKeywordRules(StyledDocument& doc, int para, qint32 fromOff, qint32 toOff,
                      qint32 stretchBegin, qint32 stretchEnd, const char16_t* raw,
                      const char16_t* upper, const TKeywordList& list, KeywordIndex& index,
                      const RuleSet& rules, const TStartStopKeyList* regions = nullptr,
                      int regionBase = 0, bool foldAscii = false);

bool findStartKeyIn(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                    TStartStopKeyList& list, const RuleSet& rules, int baseIndex);

// Searches the stop key of local entry k of the region open at `from`.
bool findStopKeyIn(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                   TStartStopKeyList& list, const RuleSet& rules, int baseIndex, int k);

inline qint16 regionId(int index) { return qint16(quint16(index) | 0x8000); }
inline bool isRegionId(qint16 id) { return id < 0; }
inline int regionIndex(qint16 id) { return int(quint16(id) & 0x7FFF); }

} // namespace kbl
