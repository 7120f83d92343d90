#include "catalogue/ProjectFilter.h"

#include "platform/Files.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace catalogue {

namespace {

// Results kept for erasing back to an earlier query, and the rows they may hold in all.
constexpr std::size_t MaxKeptResults = 16;
constexpr std::size_t MaxKeptRows = 4'000'000;

inline char16_t lowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
inline bool isAsciiLower(char16_t c) { return c >= u'a' && c <= u'z'; }
inline bool isAsciiUpper(char16_t c) { return c >= u'A' && c <= u'Z'; }

inline bool isWordChar(char16_t c)
{
    if (c < 0x80)
        return (c >= u'0' && c <= u'9') || isAsciiLower(c) || isAsciiUpper(c);
    if (QChar::isSurrogate(c))
        return true; // a letter outside the basic plane, or a byte of a name that is not UTF-8
    return QChar::isLetterOrNumber(c);
}

// A word starts after a character that is no letter or digit, and at a capital after a
// small letter ("Manager" in "ProjectManager").
inline bool startsWord(QStringView t, qsizetype p)
{
    if (p == 0)
        return true;
    const char16_t before = t[p - 1].unicode();
    return !isWordChar(before) || (isAsciiLower(before) && isAsciiUpper(t[p].unicode()));
}

inline bool endsWord(QStringView t, qsizetype end)
{
    if (end >= t.size())
        return true;
    const char16_t after = t[end].unicode();
    return !isWordChar(after) || (isAsciiLower(t[end - 1].unicode()) && isAsciiUpper(after));
}

inline bool isMark(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing: return true;
    default: return false;
    }
}

// Characters that folding leaves as they are, besides ASCII: the common CJK ideographs
// have no case, no accents and no compatibility form, so names in Chinese are not copied.
inline bool foldsToItself(char16_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
}

inline bool isEscapedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

// The code point at `i`, moving `i` onto its low surrogate when it has one.
char32_t codePointAt(QStringView text, qsizetype& i)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        ++i;
        return QChar::surrogateToUcs4(c, text[i].unicode());
    }
    return c;
}

// Appends the folded form of `c` (after decomposition), ASCII keeping its case.
void appendFolded(QString& out, char32_t c)
{
    if (isMark(c))
        return;
    if (c < 0x80) {
        out += QChar(char16_t(c));
        return;
    }
    const char32_t folded = QChar::toCaseFolded(c);
    if (QChar::requiresSurrogates(folded)) {
        out += QChar(QChar::highSurrogate(folded));
        out += QChar(QChar::lowSurrogate(folded));
    } else {
        out += QChar(char16_t(folded));
    }
}

bool needsFolding(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 0x80 && !foldsToItself(u);
    });
}

QString foldText(const QString& text)
{
    if (!needsFolding(text))
        return text; // shared, not copied
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return isEscapedByte(c.unicode()); })) {
        const QString shown = platform::displayName(text);
        // What the code page could not decode stays escaped; matched as it is.
        if (shown != text)
            return foldText(shown);
    }
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (qsizetype i = 0; i < decomposed.size(); ++i) {
        appendFolded(out, codePointAt(decomposed, i));
    }
    return out;
}

QString foldWord(QStringView word)
{
    QString folded = foldText(word.left(FilterQuery::MaxWordLength).toString());
    for (QChar& c : folded)
        c = QChar(lowerAscii(c.unicode()));
    return folded;
}

// Whether `small` is a subsequence of `large` (both folded words).
bool isSubsequence(QStringView small, QStringView large)
{
    qsizetype j = 0;
    for (qsizetype i = 0; i < large.size() && j < small.size(); ++i)
        if (large[i] == small[j])
            ++j;
    return j == small.size();
}

} // namespace

FilterQuery::FilterQuery(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && int(m_words.size()) < MaxWords) {
        while (i < text.size() && text[i].isSpace())
            ++i;
        const qsizetype start = i;
        while (i < text.size() && !text[i].isSpace())
            ++i;
        if (i > start) {
            QString word = foldWord(text.mid(start, i - start));
            if (!word.isEmpty())
                m_words.push_back(std::move(word));
        }
    }
}

bool FilterQuery::narrows(const FilterQuery& wider) const
{
    return std::all_of(wider.m_words.begin(), wider.m_words.end(), [this](const QString& w) {
        return std::any_of(m_words.begin(), m_words.end(), [&](const QString& mine) { return isSubsequence(w, mine); });
    });
}

QString foldForMatching(QStringView text) { return foldText(text.toString()); }

namespace {

// A query word with what matching it needs: its prefix table and its characters.
struct WordPlan {
    QString word;
    std::vector<int> prefix;
    quint64 characters = 0;
};

// One bit per ASCII letter and digit, the rest spread over the remaining bits: a row
// lacking a bit of a word cannot match it, not even as a subsequence.
inline quint64 characterBit(char16_t c)
{
    c = lowerAscii(c);
    if (c >= u'a' && c <= u'z')
        return quint64(1) << (c - u'a');
    if (c >= u'0' && c <= u'9')
        return quint64(1) << (26 + c - u'0');
    return quint64(1) << (36 + c % 28);
}

// The bits of the ASCII letters and digits; the others are shared and prove nothing.
constexpr quint64 AlphanumericBits = (quint64(1) << 36) - 1;

quint64 charactersOf(QStringView text)
{
    quint64 bits = 0;
    for (const QChar c : text)
        bits |= characterBit(c.unicode());
    return bits;
}

WordPlan planOf(const QString& word)
{
    WordPlan plan{word, std::vector<int>(size_t(word.size()), 0), charactersOf(word)};
    for (qsizetype i = 1, k = 0; i < word.size(); ++i) {
        while (k > 0 && word[i] != word[k])
            k = plan.prefix[size_t(k - 1)];
        if (word[i] == word[k])
            ++k;
        plan.prefix[size_t(i)] = int(k);
    }
    return plan;
}

// The first index from `from` on where `t` holds `w` (a folded query character), or `n`.
// A small ASCII letter also meets its capital, the one case the prepared texts keep.
// Eight characters at a time where the processor allows.
qsizetype findFolded(const char16_t* t, qsizetype from, qsizetype n, char16_t w)
{
    const char16_t caseBit = isAsciiLower(w) ? 0x20 : 0;
    qsizetype i = from;
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi16(short(w));
    const __m128i fold = _mm_set1_epi16(short(caseBit));
    for (; i + 8 <= n; i += 8) {
        const __m128i chars = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + i)), fold);
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi16(chars, needle));
        if (hits)
            return i + (__builtin_ctz(unsigned(hits)) >> 1);
    }
#endif
    for (; i < n; ++i)
        if (char16_t(t[i] | caseBit) == w)
            return i;
    return n;
}

MatchKind matchPlanned(QStringView text, const WordPlan& plan, std::vector<int>* positions)
{
    const qsizetype n = text.size();
    const qsizetype m = plan.word.size();
    if (m == 0 || m > n)
        return MatchKind::None;
    const char16_t* t = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* w = reinterpret_cast<const char16_t*>(plan.word.utf16());
    MatchKind best = MatchKind::None;
    qsizetype bestAt = -1;
    const auto consider = [&](qsizetype p) {
        MatchKind kind = MatchKind::Substring;
        if (startsWord(text, p))
            kind = endsWord(text, p + m) ? MatchKind::ExactWord : MatchKind::WordStart;
        if (kind > best) {
            best = kind;
            bestAt = p;
        }
        return best == MatchKind::ExactWord;
    };
    // Occurrences of the first character, each compared on; a text that makes this
    // costly (a long run of one letter) is searched again by the word's prefix table, so
    // no text costs more than a few times its length.
    qsizetype budget = 4 * n;
    bool linear = false;
    for (qsizetype i = findFolded(t, 0, n - m + 1, w[0]); i <= n - m; i = findFolded(t, i + 1, n - m + 1, w[0])) {
        qsizetype k = 1;
        while (k < m && lowerAscii(t[i + k]) == w[k])
            ++k;
        if (k == m && consider(i))
            break;
        if ((budget -= k) < 0) {
            linear = true;
            break;
        }
    }
    if (linear) {
        best = MatchKind::None;
        for (qsizetype i = 0, k = 0; i < n; ++i) {
            const char16_t c = lowerAscii(t[i]);
            while (k > 0 && c != w[k])
                k = plan.prefix[size_t(k - 1)];
            if (c == w[k])
                ++k;
            if (k < m)
                continue;
            k = plan.prefix[size_t(m - 1)];
            if (consider(i - m + 1))
                break;
        }
    }
    if (best != MatchKind::None) {
        if (positions)
            for (qsizetype k = 0; k < m; ++k)
                positions->push_back(int(bestAt + k));
        return best;
    }
    if (m == 1)
        return MatchKind::None; // a subsequence of one letter is a substring
    qsizetype i = 0;
    for (qsizetype k = 0; k < m; ++k, ++i) {
        i = findFolded(t, i, n, w[k]);
        if (i == n)
            return MatchKind::None;
        if (positions)
            positions->push_back(int(i));
    }
    return MatchKind::Subsequence;
}

} // namespace

MatchKind matchWord(QStringView text, QStringView word, std::vector<int>* positions)
{
    return matchPlanned(text, planOf(word.toString()), positions);
}

std::vector<int> matchedCharacters(QStringView shown, const FilterQuery& query)
{
    if (query.isEmpty() || shown.isEmpty())
        return {};
    // Folded one character at a time, noting where each folded unit came from.
    QString folded;
    std::vector<int> origin;
    folded.reserve(shown.size());
    origin.reserve(size_t(shown.size()));
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const qsizetype from = i;
        const char32_t c = codePointAt(shown, i);
        const qsizetype before = folded.size();
        if (c < 0x80 || foldsToItself(char16_t(c))) {
            folded += QChar(char16_t(c));
        } else {
            const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
            for (qsizetype k = 0; k < decomposed.size(); ++k)
                appendFolded(folded, codePointAt(decomposed, k));
        }
        for (qsizetype k = before; k < folded.size(); ++k)
            origin.push_back(int(from));
    }
    std::vector<int> positions;
    for (const QString& word : query.words())
        matchWord(folded, word, &positions);
    std::vector<int> marked;
    marked.reserve(positions.size());
    for (const int p : positions) {
        const int at = origin[size_t(p)];
        marked.push_back(at);
        // A marked character takes its low surrogate and its accents with it, so a bold run
        // never splits what is drawn as one character.
        qsizetype next = at + 1;
        if (next < shown.size() && shown[at].isHighSurrogate())
            marked.push_back(int(next++));
        while (next < shown.size() && isMark(shown[next].unicode()))
            marked.push_back(int(next++));
    }
    std::sort(marked.begin(), marked.end());
    marked.erase(std::unique(marked.begin(), marked.end()), marked.end());
    return marked;
}

ProjectFilter::Candidate ProjectFilter::prepare(const QStringList& texts, int tie)
{
    Candidate candidate;
    candidate.tie = tie;
    candidate.fieldCount = int(std::min<qsizetype>(texts.size(), MaxFields));
    // One pass over each text: its characters, and which letters start a word or are one.
    enum Class : quint8 { Other, Lower, Upper, Digit, Letter };
    QString folded[MaxFields];
    qsizetype length = 0;
    for (int i = 0; i < candidate.fieldCount; ++i) {
        folded[i] = foldText(texts[i]);
        length += folded[i].size();
    }
    candidate.texts.reserve(length);
    for (int i = 0; i < candidate.fieldCount; ++i) {
        candidate.texts += folded[i];
        candidate.ends[i] = candidate.texts.size();
    }
    for (int i = 0; i < candidate.fieldCount; ++i) {
        const QStringView field = candidate.field(i);
        quint8 before = Other;
        quint64 startBit = 0; // the bit of a one-character word that may end here
        for (const QChar qc : field) {
            const char16_t c = qc.unicode();
            quint8 cls;
            quint64 bit;
            if (c < 0x80) {
                cls = isAsciiLower(c) ? Lower : isAsciiUpper(c) ? Upper : (c >= u'0' && c <= u'9') ? Digit : Other;
                bit = characterBit(c);
            } else {
                cls = isWordChar(c) ? Letter : Other;
                bit = characterBit(c);
            }
            candidate.characters |= bit;
            const bool hump = before == Lower && cls == Upper;
            if (startBit && (cls == Other || hump))
                candidate.singleLetterWords |= startBit;
            startBit = 0;
            if ((before == Other || hump) && cls != Other && cls != Letter) {
                candidate.wordStarts |= bit;
                startBit = bit;
            }
            before = cls;
        }
        candidate.singleLetterWords |= startBit;
    }
    return candidate;
}

void ProjectFilter::setCandidates(std::vector<Candidate> candidates)
{
    m_candidates = std::move(candidates);
    qsizetype length = 0;
    for (const Candidate& candidate : m_candidates)
        length += candidate.texts.size();
    m_texts.clear();
    m_texts.reserve(length);
    for (Candidate& candidate : m_candidates) {
        candidate.start = m_texts.size();
        m_texts += candidate.texts;
        candidate.texts = QString();
    }
    // The scratch of a keystroke that keeps every row, made afresh now: the allocator then
    // tidies the thousands of small strings just freed here, not during the first letter.
    m_keys = {};
    m_sorted = {};
    m_among = {};
    m_keys.reserve(m_candidates.size());
    m_sorted.reserve(m_candidates.size());
    m_among.reserve(m_candidates.size());
    m_results.clear();
    m_all.clear();
}

const std::vector<int>& ProjectFilter::rank(const FilterQuery& query)
{
    m_lastExamined = 0;
    if (query.isEmpty()) {
        if (m_all.size() != m_candidates.size()) {
            m_all.resize(m_candidates.size());
            for (size_t i = 0; i < m_all.size(); ++i)
                m_all[i] = int(i);
        }
        return m_all;
    }
    for (auto it = m_results.begin(); it != m_results.end(); ++it) {
        if (it->query == query) {
            if (it != m_results.begin()) {
                Result kept = std::move(*it);
                m_results.erase(it);
                m_results.push_front(std::move(kept));
            }
            return m_results.front().ranked;
        }
    }
    // Rows that fail a wider query fail this one too: only the fewest survivors are looked at.
    const Result* base = nullptr;
    for (const Result& kept : m_results)
        if (query.narrows(kept.query) && (!base || kept.ranked.size() < base->ranked.size()))
            base = &kept;
    Result fresh{query, {}};
    rankInto(query, base ? &base->ranked : nullptr, fresh.ranked);
    m_results.push_front(std::move(fresh));
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_results.size(); ++i) {
        kept += m_results[i].ranked.size();
        if (i > 0 && (i >= MaxKeptResults || kept > MaxKeptRows)) {
            m_results.resize(i);
            break;
        }
    }
    return m_results.front().ranked;
}

void ProjectFilter::rankInto(const FilterQuery& query, const std::vector<int>* among, std::vector<int>& out)
{
    std::vector<WordPlan> plans;
    quint64 needed = 0;
    for (const QString& word : query.words()) {
        plans.push_back(planOf(word));
        needed |= plans.back().characters;
    }
    const int maxScore = 3 * int(plans.size());
    // Sort keys: missing score and tie length above, row index below; smaller is better.
    m_keys.clear();
    const auto examine = [&](int index) {
        const Candidate& candidate = m_candidates[size_t(index)];
        if ((candidate.characters & needed) != needed)
            return;
        int score = 0;
        for (const WordPlan& plan : plans) {
            if (plan.word.size() == 1 && (plan.characters & AlphanumericBits)) {
                // One letter or digit: the row's bits say how it matches.
                score += (candidate.singleLetterWords & plan.characters) ? int(MatchKind::ExactWord)
                         : (candidate.wordStarts & plan.characters)      ? int(MatchKind::WordStart)
                                                                         : int(MatchKind::Substring);
                continue;
            }
            MatchKind best = MatchKind::None;
            for (int f = 0; f < candidate.fieldCount && best != MatchKind::ExactWord; ++f)
                best = std::max(best, matchPlanned(fieldOf(candidate, f), plan, nullptr));
            if (best == MatchKind::None)
                return;
            score += int(best);
        }
        const quint64 tie = quint64(std::clamp(candidate.tie, 0, 0xFFFF));
        m_keys.push_back((quint64(maxScore - score) << 48) | (tie << 32) | quint32(index));
    };
    const int count = int(m_candidates.size());
    if (among) {
        // In row order, so the rows are read as they lie in memory and the keys come sorted
        // by index.
        m_among.assign(size_t(count), 0);
        for (const int index : *among)
            m_among[size_t(index)] = 1;
        for (int index = 0; index < count; ++index)
            if (m_among[size_t(index)])
                examine(index);
        m_lastExamined = qsizetype(among->size());
    } else {
        for (int index = 0; index < count; ++index)
            examine(index);
        m_lastExamined = count;
    }
    // The keys arrive in index order, so a stable sort of their upper 24 bits (three
    // passes of eight) orders them whole.
    m_sorted.resize(m_keys.size());
    for (int shift = 32; shift < 56; shift += 8) {
        size_t counts[257] = {};
        for (const quint64 key : m_keys)
            ++counts[((key >> shift) & 0xFF) + 1];
        for (int b = 0; b < 256; ++b)
            counts[b + 1] += counts[b];
        for (const quint64 key : m_keys)
            m_sorted[counts[(key >> shift) & 0xFF]++] = key;
        m_keys.swap(m_sorted);
    }
    out.resize(m_keys.size());
    for (size_t i = 0; i < m_keys.size(); ++i)
        out[i] = int(quint32(m_keys[i]));
}

} // namespace catalogue
