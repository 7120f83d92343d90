#include "catalogue/ProjectFilter.h"

#include "platform/Files.h"

#include <algorithm>
#include <cstdint>

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
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return isEscapedByte(c.unicode()); })) {
        const QString shown = platform::displayName(text);
        // What the code page could not decode stays escaped; matched as it is.
        if (shown != text)
            return foldText(shown);
    }
    if (!needsFolding(text))
        return text; // shared, not copied
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

MatchKind matchWord(QStringView text, QStringView word, std::vector<int>* positions)
{
    const qsizetype n = text.size();
    const qsizetype m = word.size();
    if (m == 0 || m > n)
        return MatchKind::None;
    // Every occurrence is looked at once, by the prefix table of the word, so a long run of
    // one letter costs its length, not its length times the word's.
    std::vector<int> prefix(size_t(m), 0);
    for (qsizetype i = 1, k = 0; i < m; ++i) {
        while (k > 0 && word[i] != word[k])
            k = prefix[size_t(k - 1)];
        if (word[i] == word[k])
            ++k;
        prefix[size_t(i)] = int(k);
    }
    MatchKind best = MatchKind::None;
    qsizetype bestAt = -1;
    for (qsizetype i = 0, k = 0; i < n; ++i) {
        const char16_t c = lowerAscii(text[i].unicode());
        while (k > 0 && c != word[k].unicode())
            k = prefix[size_t(k - 1)];
        if (c == word[k].unicode())
            ++k;
        if (k < m)
            continue;
        const qsizetype p = i - m + 1;
        k = prefix[size_t(m - 1)];
        MatchKind kind = MatchKind::Substring;
        if (startsWord(text, p))
            kind = endsWord(text, p + m) ? MatchKind::ExactWord : MatchKind::WordStart;
        if (kind > best) {
            best = kind;
            bestAt = p;
            if (kind == MatchKind::ExactWord)
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
    std::vector<int> found;
    qsizetype j = 0;
    for (qsizetype i = 0; i < n && j < m; ++i) {
        if (lowerAscii(text[i].unicode()) == word[j].unicode()) {
            ++j;
            if (positions)
                found.push_back(int(i));
        }
    }
    if (j < m)
        return MatchKind::None;
    if (positions)
        positions->insert(positions->end(), found.begin(), found.end());
    return MatchKind::Subsequence;
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
    const qsizetype count = std::min<qsizetype>(texts.size(), MaxFields);
    candidate.fields.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        candidate.fields.append(foldText(texts[i]));
    return candidate;
}

void ProjectFilter::setCandidates(std::vector<Candidate> candidates)
{
    m_candidates = std::move(candidates);
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
    const std::vector<QString>& words = query.words();
    const int maxScore = 3 * int(words.size());
    // Sort keys: missing score, tie length, row index; smaller is better.
    std::vector<std::uint64_t> keys;
    const auto examine = [&](int index) {
        const Candidate& candidate = m_candidates[size_t(index)];
        int score = 0;
        for (const QString& word : words) {
            MatchKind best = MatchKind::None;
            for (const QString& field : candidate.fields) {
                best = std::max(best, matchWord(field, word));
                if (best == MatchKind::ExactWord)
                    break;
            }
            if (best == MatchKind::None)
                return;
            score += int(best);
        }
        const std::uint64_t tie = std::uint64_t(std::clamp(candidate.tie, 0, 0xFFFF));
        keys.push_back((std::uint64_t(maxScore - score) << 48) | (tie << 32) | std::uint32_t(index));
    };
    if (among) {
        keys.reserve(among->size());
        for (const int index : *among)
            examine(index);
        m_lastExamined = qsizetype(among->size());
    } else {
        for (int index = 0; index < int(m_candidates.size()); ++index)
            examine(index);
        m_lastExamined = qsizetype(m_candidates.size());
    }
    std::sort(keys.begin(), keys.end());
    out.resize(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        out[i] = int(std::uint32_t(keys[i]));
}

} // namespace catalogue
