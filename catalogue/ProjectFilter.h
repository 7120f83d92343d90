#pragma once
// Finding rows by a few typed letters: every blank-separated word of a query must match
// one of a row's texts, without regard to case or accents, as a substring or as a fuzzy
// subsequence. Rows are ranked best first: a word matching a whole word of a text beats
// one matching at a word start, which beats a substring, which beats a subsequence; ties
// go to the shorter tie length (a project's path), then to the rows' own order.
//
// Used by the main list, the hotlist and the method jumper; no widgets. A query that
// extends the previous one (each word typed further, words added) is ranked over the
// previous survivors only, and the last few results are kept, so typing and erasing on
// 100,000 rows stays within a frame.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <deque>
#include <vector>

namespace catalogue {

// A query's words, folded for matching.
class FilterQuery {
public:
    FilterQuery() = default;
    explicit FilterQuery(QStringView text);

    bool isEmpty() const { return m_words.empty(); }
    const std::vector<QString>& words() const { return m_words; }

    // True when every row matching this query also matches `wider`: each word of `wider`
    // is a subsequence of one of this query's words.
    bool narrows(const FilterQuery& wider) const;

    friend bool operator==(const FilterQuery&, const FilterQuery&) = default;

    // Longer queries are cut: their words beyond these counts are not looked at.
    static constexpr int MaxWords = 32;
    static constexpr int MaxWordLength = 256;

private:
    std::vector<QString> m_words;
};

// How well one query word meets a text; the order is the ranking's.
enum class MatchKind { None = -1, Subsequence = 0, Substring = 1, WordStart = 2, ExactWord = 3 };

// Text prepared for matching: compatibility forms decomposed, accents and other combining
// marks dropped, non-ASCII letters case folded; ASCII letters keep their case, which tells
// the word starts inside "ProjectManager". Bytes of a name that is not UTF-8 are matched
// as the user sees them (decoded in the ANSI code page).
QString foldForMatching(QStringView text);

// The best match of `word` (a word of a FilterQuery) in `text` (as foldForMatching gives
// it); with `positions`, the indexes in `text` of the matched characters.
MatchKind matchWord(QStringView text, QStringView word, std::vector<int>* positions = nullptr);

// The characters of `shown` (a cell's text as the user reads it) that the query's words
// match, as ascending indexes into `shown`, for drawing them bold.
std::vector<int> matchedCharacters(QStringView shown, const FilterQuery& query);

class ProjectFilter {
public:
    static constexpr int MaxFields = 3;
    // A row as the filter keeps it: its texts folded once, one after the other, and which
    // characters occur in them, so most rows are turned down without a look at their
    // texts. The filter moves every row's texts into one string of its own, in row order:
    // a keystroke reads tens of thousands of them, and strings spread over the heap by
    // whatever was allocated between them cost it twice the time in cache misses.
    struct Candidate {
        QString texts; // until the filter takes the row
        qsizetype start = 0; // where the texts begin in the filter's string
        qsizetype ends[MaxFields] = {};
        int fieldCount = 0;
        QStringView field(int f) const
        {
            const qsizetype from = f == 0 ? 0 : ends[f - 1];
            return QStringView(texts).mid(from, ends[f] - from);
        }
        int tie = 0;
        quint64 characters = 0;
        // Of the ASCII letters and digits: those that start a word, and those that are a
        // word alone, which rank a one-letter query without reading the texts.
        quint64 wordStarts = 0;
        quint64 singleLetterWords = 0;
    };
    // A row's texts (up to MaxFields are looked at) and its tie length.
    static Candidate prepare(const QStringList& texts, int tie);

    // Replaces the rows; the kept results go with them.
    void setCandidates(std::vector<Candidate> candidates);
    int candidateCount() const { return int(m_candidates.size()); }

    // The indexes of the rows that match `query`, best first. An empty query gives every
    // row in its own order.
    const std::vector<int>& rank(const FilterQuery& query);

    // Rows looked at by the last rank(): the whole set, the previous survivors, or none
    // when the result was kept.
    qsizetype lastExamined() const { return m_lastExamined; }

private:
    struct Result {
        FilterQuery query;
        std::vector<int> ranked;
    };
    void rankInto(const FilterQuery& query, const std::vector<int>* among, std::vector<int>& out);

    // The texts of the row, in the filter's string.
    QStringView fieldOf(const Candidate& candidate, int f) const
    {
        const qsizetype from = f == 0 ? 0 : candidate.ends[f - 1];
        return QStringView(m_texts).mid(candidate.start + from, candidate.ends[f] - from);
    }

    std::vector<Candidate> m_candidates;
    QString m_texts; // every row's texts, one row after the other
    std::vector<quint8> m_among; // scratch: the survivors to look at, by row index
    std::vector<quint64> m_keys, m_sorted; // scratch: the sort keys
    std::deque<Result> m_results; // most recent first
    std::vector<int> m_all;
    qsizetype m_lastExamined = 0;
};

} // namespace catalogue
