// Finding rows by typed letters: which rows match, in which order, which characters are
// drawn bold, and how little a growing query looks at.
#include "catalogue/ProjectFilter.h"

#include <QStringList>

#include <gtest/gtest.h>

using catalogue::FilterQuery;
using catalogue::MatchKind;
using catalogue::ProjectFilter;

namespace {

struct Row {
    QString name, exe, path;
};

ProjectFilter filterOf(const std::vector<Row>& rows)
{
    std::vector<ProjectFilter::Candidate> candidates;
    for (const Row& row : rows)
        candidates.push_back(ProjectFilter::prepare({row.name, row.exe, row.path}, int(row.path.size())));
    ProjectFilter filter;
    filter.setCandidates(std::move(candidates));
    return filter;
}

// The names of the rows `query` leaves, best first.
QStringList ranked(const std::vector<Row>& rows, const QString& query)
{
    ProjectFilter filter = filterOf(rows);
    QStringList names;
    for (const int index : filter.rank(FilterQuery(query)))
        names << rows[size_t(index)].name;
    return names;
}

MatchKind kindOf(const QString& text, const QString& word)
{
    const FilterQuery query(word);
    return catalogue::matchWord(catalogue::foldForMatching(text), query.words().at(0));
}

std::vector<int> bold(const QString& shown, const QString& query)
{
    return catalogue::matchedCharacters(shown, FilterQuery(query));
}

} // namespace

TEST(ProjectFilter, MatchKindsFromExactWordDownToSubsequence)
{
    EXPECT_EQ(kindOf("Clock", "clock"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("/Toys/Clock.dpr", "clock"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("AlarmClock", "clock"), MatchKind::ExactWord); // a whole hump
    EXPECT_EQ(kindOf("Clockwork", "clock"), MatchKind::WordStart);
    EXPECT_EQ(kindOf("my_clockwork", "clock"), MatchKind::WordStart);
    EXPECT_EQ(kindOf("Alarmclock", "clock"), MatchKind::Substring);
    EXPECT_EQ(kindOf("Cal Lock Keeper", "clock"), MatchKind::Subsequence);
    EXPECT_EQ(kindOf("Clok", "clock"), MatchKind::None);
    EXPECT_EQ(kindOf("ProjectManager", "pm"), MatchKind::Subsequence);
    // A later, better occurrence wins over the first one.
    EXPECT_EQ(kindOf("Alarmclock Clock", "clock"), MatchKind::ExactWord);
    // One letter: no subsequence beyond the substring.
    EXPECT_EQ(kindOf("A.exe", "a"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("Banana", "a"), MatchKind::Substring);
    EXPECT_EQ(kindOf("Banana", "z"), MatchKind::None);
}

TEST(ProjectFilter, CaseAndAccentsAreIgnoredOnBothSides)
{
    EXPECT_EQ(kindOf("Café Manager", "cafe"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("cafe", "CAFÉ"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("Ærø Ölçer", "olcer"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("ΣΟΦΙΑ", "σοφια"), MatchKind::ExactWord);
    // Compatibility forms: a ligature, full-width letters, half-width katakana.
    EXPECT_EQ(kindOf("ﬁle", "file"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("ＡＢＣ", "abc"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("ｶﾀｶﾅ", "カタカナ"), MatchKind::ExactWord);
    // A decomposed accent typed by the user matches a precomposed one and back.
    EXPECT_EQ(kindOf(QString::fromUtf8("Re\u0301sume\u0301"), "résumé"), MatchKind::ExactWord);
}

TEST(ProjectFilter, ChineseJapaneseAndKoreanNamesMatchBySubstring)
{
    EXPECT_EQ(kindOf("專案管理", "管理"), MatchKind::Substring);
    EXPECT_EQ(kindOf("專案管理", "專案管理"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("專案管理", "專理"), MatchKind::Subsequence);
    EXPECT_EQ(kindOf("/工具/計算機.dpr", "計算機"), MatchKind::ExactWord);
    EXPECT_EQ(kindOf("プロジェクト", "ジェ"), MatchKind::Substring);
    EXPECT_EQ(kindOf("한국어", "한국"), MatchKind::WordStart);
    EXPECT_EQ(ranked({{"計算機", "", "/a/calc.dpr"}, {"時鐘", "", "/b/clock.dpr"}}, "時"), QStringList{"時鐘"});
}

TEST(ProjectFilter, RanksBestMatchFirstThenShorterPathsThenTheListOrder)
{
    const std::vector<Row> rows = {
        {"Cal Lock Keeper", "", "/k/Keeper.dpr"}, // subsequence
        {"Alarmclock", "", "/a/Alarm.dpr"},       // substring
        {"Clockwork", "", "/w/Work.dpr"},         // word start
        {"Timer", "", "/t/Timer.dpr"},            // no match
        {"Clock", "", "/long/path/Clock.dpr"},    // exact word, longer path
        {"Clock", "", "/c/Clock.dpr"},            // exact word
        {"Clock", "", "/d/Clock.dpr"},            // exact word, same length: list order
    };
    ProjectFilter filter = filterOf(rows);
    EXPECT_EQ(filter.rank(FilterQuery(u"clock")), (std::vector<int>{5, 6, 4, 2, 1, 0}));
    // The executable and the path count as much as the name.
    EXPECT_EQ(ranked({{"Tool", "Tool.exe", "/games/Tool.dpr"}, {"Game", "", "/x/Game.dpr"}}, "games"),
              QStringList{"Tool"});
}

TEST(ProjectFilter, EveryWordMustMatchSomewhereInAnyOrder)
{
    const std::vector<Row> rows = {
        {"Invoice", "Invoice.exe", "/acme/billing/Invoice.dpr"},
        {"Invoice", "Invoice.exe", "/zenith/Invoice.dpr"},
        {"Acme Mailer", "", "/acme/mail/Mailer.dpr"},
    };
    EXPECT_EQ(ranked(rows, "invoice acme"), QStringList{"Invoice"});
    EXPECT_EQ(ranked(rows, "acme invoice"), QStringList{"Invoice"});
    EXPECT_EQ(ranked(rows, "acme"), (QStringList{"Acme Mailer", "Invoice"}));
    EXPECT_EQ(ranked(rows, "acme zenith"), QStringList{});
    // Blanks of any kind separate words; the ideographic one too.
    EXPECT_EQ(ranked(rows, "  zenith\tinvoice "), QStringList{"Invoice"});
    EXPECT_EQ(ranked(rows, QString::fromUtf8("zenith\u3000inv")), QStringList{"Invoice"});
}

TEST(ProjectFilter, AOneLetterQueryRanksLikeALongerOne)
{
    // One letter or digit is ranked from what the row's texts hold, without reading them
    // again: the order must be the one matching each text gives.
    const std::vector<Row> rows = {
        {"Arc", "", "/p/Arc.dpr"},          // substring
        {"Cx", "", "/p/Cx.dpr"},            // word start
        {"x c", "", "/p/xc.dpr"},           // a word alone
        {"axCy", "", "/p/a.dpr"},           // word start at a hump
        {"xaC", "", "/p/xaC.dpr"},          // a hump of one letter: a word alone
        {"Tool", "", "/p/Tool.dpr"},        // no c anywhere
        {"Disc", "Ds.exe", "/q/Disc.dpr"},  // substring
        {"x7y", "", "/p/x7y.dpr"},
        {"v7", "", "/p/v 7.dpr"},           // digit alone in the path
    };
    EXPECT_EQ(ranked(rows, "c"), (QStringList{"x c", "xaC", "axCy", "Cx", "Arc", "Disc"}));
    EXPECT_EQ(ranked(rows, "C"), ranked(rows, "c"));
    EXPECT_EQ(ranked(rows, "7"), (QStringList{"v7", "x7y"}));
    // The same kinds as matching the texts one by one.
    for (const Row& row : rows) {
        MatchKind best = MatchKind::None;
        for (const QString& text : {row.name, row.exe, row.path})
            best = std::max(best, kindOf(text, "c"));
        EXPECT_EQ(best != MatchKind::None, ranked({row}, "c").size() == 1) << row.name.toStdString();
    }
}

TEST(ProjectFilter, EmptyAndBlankQueriesKeepEveryRowInItsOrder)
{
    const std::vector<Row> rows = {{"b", "", "/b.dpr"}, {"a", "", "/a.dpr"}, {"c", "", "/c.dpr"}};
    EXPECT_TRUE(FilterQuery(u"").isEmpty());
    EXPECT_TRUE(FilterQuery(u"   \t ").isEmpty());
    EXPECT_TRUE(FilterQuery(QString::fromUtf8("\u0301")).isEmpty()); // a lone accent folds to nothing
    EXPECT_EQ(ranked(rows, ""), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(ranked(rows, "   "), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(ranked(rows, "a"), QStringList{"a"});
}

TEST(ProjectFilter, BoldCharactersAreThoseOfTheBestMatchInTheShownText)
{
    EXPECT_EQ(bold("ProjectManager", "man"), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(bold("ProjectManager", "pm"), (std::vector<int>{0, 7}));
    EXPECT_EQ(bold("Alarmclock Clock", "clock"), (std::vector<int>{11, 12, 13, 14, 15}));
    EXPECT_EQ(bold("Ärger.exe", "arg"), (std::vector<int>{0, 1, 2}));
    // The decomposed form keeps its accent inside the match.
    EXPECT_EQ(bold(QString::fromUtf8("Re\u0301s"), "res"), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(bold("專案管理", "管理"), (std::vector<int>{2, 3}));
    // Two words: both marked; a word that does not occur here marks nothing.
    EXPECT_EQ(bold("/acme/Invoice.dpr", "inv acme xyz"), (std::vector<int>{1, 2, 3, 4, 6, 7, 8}));
    // A character outside the basic plane is marked whole.
    EXPECT_EQ(bold(QString::fromUtf8("a\U0001F600b"), "ab"), (std::vector<int>{0, 3}));
    EXPECT_TRUE(bold("Clock", "").empty());
}

TEST(ProjectFilter, AGrowingQueryLooksOnlyAtThePreviousSurvivors)
{
    std::vector<Row> rows;
    for (int i = 0; i < 1000; ++i)
        rows.push_back({QStringLiteral("Item%1").arg(i), QString(), QStringLiteral("/p%1/x.dpr").arg(i)});
    rows.push_back({"Clock", "", "/c/Clock.dpr"});
    rows.push_back({"Calendar", "", "/c/Calendar.dpr"});
    ProjectFilter filter = filterOf(rows);

    EXPECT_EQ(filter.rank(FilterQuery(u"c")).size(), 2u);
    EXPECT_EQ(filter.lastExamined(), 1002);
    EXPECT_EQ(filter.rank(FilterQuery(u"cl")).size(), 2u); // Calendar as a subsequence
    EXPECT_EQ(filter.lastExamined(), 2); // the survivors of "c"
    EXPECT_EQ(filter.rank(FilterQuery(u"clo")).size(), 1u);
    EXPECT_EQ(filter.lastExamined(), 2);
    EXPECT_EQ(filter.rank(FilterQuery(u"clo ck")).size(), 1u);
    EXPECT_EQ(filter.lastExamined(), 1);
    // Erasing back to an earlier query takes its kept result.
    EXPECT_EQ(filter.rank(FilterQuery(u"c")).size(), 2u);
    EXPECT_EQ(filter.lastExamined(), 0);
    // A query that does not extend a kept one looks at every row.
    EXPECT_EQ(filter.rank(FilterQuery(u"p9")).size(), 271u); // the paths with a 9

    EXPECT_EQ(filter.lastExamined(), 1002);

    // Narrowing gives what a fresh filter gives.
    ProjectFilter fresh = filterOf(rows);
    for (const char16_t* q : {u"p9", u"p99", u"p99 x", u"p999"})
        EXPECT_EQ(filter.rank(FilterQuery(q)), fresh.rank(FilterQuery(q))) << QString::fromUtf16(q).toStdString();

    // New rows drop what was kept.
    filter.setCandidates({ProjectFilter::prepare({"Clock", "", "/c.dpr"}, 6)});
    EXPECT_EQ(filter.rank(FilterQuery(u"c")).size(), 1u);
    EXPECT_EQ(filter.lastExamined(), 1);
}

TEST(ProjectFilter, NarrowingNeedsEveryWiderWordInsideANewWord)
{
    EXPECT_TRUE(FilterQuery(u"ab").narrows(FilterQuery(u"a")));
    EXPECT_TRUE(FilterQuery(u"axb").narrows(FilterQuery(u"ab")));
    EXPECT_TRUE(FilterQuery(u"a b").narrows(FilterQuery(u"a")));
    EXPECT_TRUE(FilterQuery(u"b a").narrows(FilterQuery(u"a b")));
    EXPECT_FALSE(FilterQuery(u"b").narrows(FilterQuery(u"a")));
    EXPECT_FALSE(FilterQuery(u"a").narrows(FilterQuery(u"a b")));
    EXPECT_TRUE(FilterQuery(u"a").narrows(FilterQuery(u"")));
}

TEST(ProjectFilter, HostileTextsAndQueriesStayBounded)
{
    // A megabyte-long name, a query of a hundred words, a word longer than any name.
    const QString huge(1 << 20, u'a');
    ProjectFilter filter = filterOf({{huge, "", "/x.dpr"}, {"b", "", "/b.dpr"}});
    EXPECT_EQ(filter.rank(FilterQuery(u"aaab")).size(), 0u);
    EXPECT_EQ(filter.rank(FilterQuery(QString(300, u'a'))).size(), 1u);
    QString many;
    for (int i = 0; i < 100; ++i)
        many += QStringLiteral("a ");
    EXPECT_EQ(int(FilterQuery(many).words().size()), FilterQuery::MaxWords);
    // Bytes of a name that is not UTF-8 do not break the folding.
    const QString escaped = QStringLiteral("x") + QChar(0xDCA4) + QChar(0xDCA4) + QStringLiteral("y");
    EXPECT_NE(kindOf(escaped, "x"), MatchKind::None);
}
