#include "highlight/ExtRuleLists.h"
#include "highlight/HighlightInfo.h"
#include "textview/RuleLists.h"

#include <QBuffer>
#include <QDataStream>

#include <gtest/gtest.h>

using namespace kbl;

namespace {

template <typename List>
QByteArray written(const List& list)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    ValueWriter w(out);
    list.writeProperties(w);
    return bytes;
}

template <typename List>
void readBack(List& list, const QByteArray& bytes)
{
    QDataStream in(bytes);
    ValueReader r(in);
    const bool keywords = std::is_base_of_v<TKeywordList, List>;
    ASSERT_EQ(r.readString().toStdString(), keywords ? "Strings" : "Keys");
    list.readData(r);
}

} // namespace

TEST(HighlightInfo, ChangeHandlerOnlyForRealChangesAndOnceForCopyFrom)
{
    THighlightInfo info;
    int calls = 0;
    info.setChangeHandler([&](THighlightInfo& x) { EXPECT_EQ(&x, &info); ++calls; });
    info.setBackground(-1);
    info.setStyle(0);
    info.setAltFont(false);
    EXPECT_EQ(calls, 0);
    info.setForeground(0xFF);
    info.setStyle(fsBold | fsItalic);
    EXPECT_EQ(calls, 2);
    THighlightInfo other(true, fsUnderline, 1, 2);
    info.CopyFrom(other);
    EXPECT_EQ(calls, 3);
    info.CopyFrom(other); // unchanged values: still one call
    EXPECT_EQ(calls, 4);
    EXPECT_TRUE(info.AltFont());
    EXPECT_EQ(info.styleByte(), fsUnderline | styleAltFont);
}

TEST(KeywordList, DerivedDataFollowsEveryChange)
{
    TKeywordList list;
    EXPECT_EQ(list.MaxLen(), 0);
    EXPECT_TRUE(written(list).isEmpty());
    list.AddKeyword("begin", WholeWord, fsBold, 1, 0, -1, -1);
    list.AddKeyword("Exact", MatchCase, 0, 1, 0, -1, -1);
    EXPECT_EQ(list.MaxLen(), 5);
    EXPECT_TRUE(list.NeedsUpperCopy());
    EXPECT_EQ(list.comparisonKey(0), u"BEGIN");
    EXPECT_EQ(list.comparisonKey(1), u"Exact");
    EXPECT_EQ(list.entry(0).KeyLength, 5);
    list.Delete(0);
    EXPECT_FALSE(list.NeedsUpperCopy());
    list.AddKeyword("implementation", 0, 0, 1, 0, -1, -1);
    EXPECT_EQ(list.MaxLen(), 14);
    list.Clear();
    EXPECT_EQ(list.MaxLen(), 0);
    EXPECT_THROW(list.entry(0), std::out_of_range);
}

TEST(KeywordList, CopyIntoTheExtendedListZeroesScopeAndPriority)
{
    TExtKeywordList ext;
    ext.AddKeyword("mov", WholeWord, fsBold, 7, 3, 0xFF, 0xFF00, 6, 9);
    EXPECT_EQ(ext.entry(0).Scope, 6);
    TKeywordList plain;
    plain.AddKeyword("x", 0, fsBold, 2, 1, 3, 4);
    TExtKeywordList copy;
    copy.CopyFrom(plain);
    ASSERT_EQ(copy.count(), 1);
    EXPECT_EQ(copy.entry(0).Scope, 0);
    EXPECT_EQ(copy.entry(0).Priority, 0);
    EXPECT_EQ(copy.entry(0).Foreground, 4);
    copy.CopyFrom(ext);
    EXPECT_EQ(copy.entry(0).Scope, 6);
    EXPECT_EQ(copy.entry(0).Priority, 9);
    plain.CopyFrom(ext); // the plain list has no scope: it does not carry one on
    EXPECT_EQ(plain.entry(0).ContextNum, 7);
    copy.CopyFrom(plain);
    EXPECT_EQ(copy.entry(0).Scope, 0);
    EXPECT_EQ(copy.entry(0).Priority, 0);
}

TEST(KeywordList, StreamRoundTrip)
{
    TExtKeywordList list;
    list.AddKeyword("asm", WholeWord, fsBold, 7, -3, 0x00FFFF, -1, 6, 0x7FFF);
    list.AddKeyword(QString(300, u'x'), MatchCase, 0, 100000, 0, 0x123456, 0, -2, 0);
    TExtKeywordList back;
    readBack(back, written(list));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.string(0), "asm");
    EXPECT_EQ(back.entry(0).Cursor, -3);
    EXPECT_EQ(back.entry(0).Priority, 0x7FFF);
    EXPECT_EQ(back.entry(1).ContextNum, 100000);
    EXPECT_EQ(back.entry(1).Scope, -2);
    EXPECT_EQ(back.string(1).size(), 300);
    EXPECT_EQ(back.MaxLen(), 300);

    // A plain list does not carry scope and priority.
    TKeywordList plain;
    plain.AddKeyword("a", 0, 1, 2, 3, 4, 5);
    TKeywordList plainBack;
    readBack(plainBack, written(plain));
    EXPECT_EQ(plainBack.entry(0).Foreground, 5);

    QByteArray cut = written(list);
    cut.chop(3);
    TExtKeywordList broken;
    EXPECT_THROW(readBack(broken, cut), StreamError);
}

TEST(StartStopList, AddDerivesLengthsAndSameStartLinks)
{
    TStartStopKeyList list;
    EXPECT_TRUE(written(list).isEmpty());
    EXPECT_EQ(list.capacity(), 2);
    EXPECT_EQ(list.Add("{", "}", 0, 0, 3, 0, -1, -1, false), 0);
    EXPECT_EQ(list.Add("{", "]", 0, 0, 3, 0, -1, -1, false), 1);
    EXPECT_EQ(list.Add("{", "}", MatchCase, 0, 3, 0, -1, -1, false), 2);
    EXPECT_EQ(list.item(1).FirstSameStart, 0);
    EXPECT_EQ(list.item(2).FirstSameStart, -1);
    EXPECT_EQ(list.item(0).FirstSameStart, -1);
    EXPECT_EQ(list.MaxStopLen(), 1);
    list.Add("//", "", 0, 0, 3, 0, -1, -1, true);
    EXPECT_EQ(list.MaxStopLen(), 2); // the paragraph end counts as a two-character stop
    EXPECT_EQ(list.MaxStartLen(), 2);
    EXPECT_EQ(list.capacity(), 4);
    EXPECT_THROW(list.item(4), std::out_of_range);
    try {
        list.item(-1);
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds");
    }
    list.Clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), 2);
}

TEST(StartStopList, CaseInsensitiveKeysAreComparedAndStoredUpperCased)
{
    TExtStartStopList list;
    list.Add("asm", "end", WholeWord, fsUnderline, 6, 0, -1, 0x800080, false, 0, 0);
    list.Add("Ab", "cD", MatchCase, 0, 1, 0, -1, -1, true, 6, 3);
    EXPECT_EQ(list.item(0).StartKey, u"ASM");
    EXPECT_EQ(list.item(0).StartKeyAsAdded, "asm");
    EXPECT_EQ(list.item(1).StartKey, u"Ab");

    TExtStartStopList back;
    readBack(back, written(list));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.item(0).StartKeyAsAdded, "ASM");
    EXPECT_EQ(back.item(0).StopKey, u"END");
    EXPECT_EQ(back.item(0).Foreground, 0x800080);
    EXPECT_EQ(back.item(1).StopKey, u"cD");
    EXPECT_EQ(back.item(1).Scope, 6);
    EXPECT_EQ(back.item(1).Priority, 3);
    EXPECT_TRUE(back.item(1).StopAtParEnd);
    EXPECT_FALSE(back.BoundaryFlagsValid());
}

TEST(StartStopList, BoundaryFlagsFollowTheSeparators)
{
    TStartStopKeyList list;
    list.Add("asm", "end;", WholeWord, 0, 6, 0, -1, -1, false);
    list.Add("(*", "*)", 0, 0, 3, 0, -1, -1, false);
    list.Add(".x", "", WholeWord, 0, 3, 0, -1, -1, true);
    list.deriveBoundaryFlags(CharSet(QStringView(u" ;.")));
    EXPECT_TRUE(list.BoundaryFlagsValid());
    const auto& a = list.item(0);
    EXPECT_TRUE(a.StartNeedsSepBefore && a.StartNeedsSepAfter && a.StopNeedsSepBefore);
    EXPECT_FALSE(a.StopNeedsSepAfter); // ends in a separator
    EXPECT_FALSE(list.item(1).StartNeedsSepBefore); // not whole-word
    EXPECT_FALSE(list.item(2).StartNeedsSepBefore);
    EXPECT_TRUE(list.item(2).StartNeedsSepAfter);
    EXPECT_FALSE(list.item(2).StopNeedsSepBefore); // no stop key
    list.Add("b", "c", 0, 0, 0, 0, -1, -1, false);
    EXPECT_FALSE(list.BoundaryFlagsValid());
}
