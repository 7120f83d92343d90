#include "platform/FileNames.h"
#include "platform/Wildcard.h"

#include <gtest/gtest.h>

using platform::WildcardMask;

TEST(Wildcard, StarQuestionMarkAndCaseFollowWindowsRules)
{
    const WildcardMask dpr(u"*.dpr");
    EXPECT_TRUE(dpr.matches(QByteArrayView("Sorter.dpr")));
    EXPECT_TRUE(dpr.matches(QByteArrayView("X.DPR")));
    EXPECT_TRUE(dpr.matches(QByteArrayView(".dpr")));
    EXPECT_TRUE(dpr.matches(QByteArrayView("a.b.dpr")));
    EXPECT_FALSE(dpr.matches(QByteArrayView("a.dprx")));   // no short names to match through
    EXPECT_FALSE(dpr.matches(QByteArrayView("a.dp")));
    EXPECT_FALSE(dpr.matches(QByteArrayView("dpr")));

    const WildcardMask q(u"?b*c");
    EXPECT_TRUE(q.matches(QByteArrayView("abc")));
    EXPECT_TRUE(q.matches(QByteArrayView("aBxxC")));
    EXPECT_FALSE(q.matches(QByteArrayView("bc")));
    EXPECT_FALSE(q.matches(QByteArrayView("abcd")));
    // Backtracking over several stars.
    EXPECT_TRUE(WildcardMask(u"*a*a*b").matches(QByteArrayView("xaayaab")));
    EXPECT_FALSE(WildcardMask(u"*a*a*b").matches(QByteArrayView("xab")));
}

TEST(Wildcard, TrailingDotMeansNoDotAndDotStarTakesDotlessNames)
{
    const WildcardMask folders(u"*.");
    EXPECT_TRUE(folders.matches(QByteArrayView("Tools")));
    EXPECT_FALSE(folders.matches(QByteArrayView("v1.0")));
    EXPECT_FALSE(folders.matches(QByteArrayView(".git")));
    EXPECT_FALSE(folders.matches(QByteArrayView("end.")));

    const WildcardMask all(u"*.*");
    EXPECT_TRUE(all.matches(QByteArrayView("Makefile")));
    EXPECT_TRUE(all.matches(QByteArrayView("a.b")));
    EXPECT_TRUE(WildcardMask(u"read.*").matches(QByteArrayView("READ")));
    EXPECT_FALSE(WildcardMask(u"read.*").matches(QByteArrayView("README")));
}

TEST(Wildcard, NonAsciiNamesCompareWithoutCase)
{
    const WildcardMask mask(u"ÄB*.dpr");
    EXPECT_TRUE(mask.matches(QByteArrayView("\xC3\xA4" "bc.DPR"))); // "äbc.DPR" in UTF-8
    EXPECT_FALSE(mask.matches(QByteArrayView("abc.dpr")));
    // A name that is not UTF-8 still matches an ASCII mask on its ASCII part.
    EXPECT_TRUE(WildcardMask(u"*.dpr").matches(QByteArrayView("caf\xE9.dpr")));
    EXPECT_TRUE(WildcardMask(u"*").matches(QByteArrayView("\xFF\xFE")));
}

TEST(Wildcard, AQuestionMarkIsOneCharacterEvenBeyondTheBasicPlane)
{
    const QByteArray emojiName = "\xF0\x9F\x98\x80x.txt"; // U+1F600, two UTF-16 units
    EXPECT_TRUE(WildcardMask(u"?x.txt").matches(QByteArrayView(emojiName)));
    EXPECT_TRUE(WildcardMask(u"?x.txt").matches(QStringView(platform::fileNameFromBytes(emojiName))));
    EXPECT_FALSE(WildcardMask(u"??x.txt").matches(QByteArrayView(emojiName)));
    EXPECT_TRUE(WildcardMask(u"*\U0001F600*").matches(QByteArrayView(emojiName)));
    EXPECT_TRUE(WildcardMask(u"?").matches(QByteArrayView("\xF0\x90\x90\x80"))); // U+10400, folded to U+10428
    // An escaped byte of a name that is not UTF-8 is one character too.
    EXPECT_TRUE(WildcardMask(u"caf?.dpr").matches(QByteArrayView("caf\xE9.dpr")));
    EXPECT_FALSE(WildcardMask(u"caf??.dpr").matches(QByteArrayView("caf\xE9.dpr")));
}

TEST(FileNames, EveryByteSequenceRoundTrips)
{
    const QByteArray samples[] = {
        "plain", "sp ace 'q' \"dq\"", "\xC3\xA4\xE4\xB8\xAD", // UTF-8
        "caf\xE9", "\xFF\xFE\x80", "\xED\xA0\x80",              // not UTF-8 (the last a surrogate)
        "\xF0\x9F\x98\x80", "\xC0\xAF",                         // emoji; an overlong slash
    };
    for (const QByteArray& bytes : samples)
        EXPECT_EQ(platform::fileNameToBytes(platform::fileNameFromBytes(bytes)), bytes) << bytes.toHex().constData();
    EXPECT_EQ(platform::fileNameFromBytes("\xC3\xA4"), QString::fromUtf8("ä"));
    EXPECT_EQ(platform::fileNameFromBytes("a\xE9").size(), 2);
}

TEST(Wildcard, PlainSuffixMasksAgreeWithTheGeneralRule)
{
    const WildcardMask dpr(u"*.dpr");
    const WildcardMask scr(u"*.scr");
    for (const char* yes : {"a.dpr", "A.DPR", "x.dpR", ".dpr", "caf\xc3\xa9.dpr", "\xb4\xfa.dpr"})
        EXPECT_TRUE(dpr.matches(QByteArrayView(yes))) << yes;
    for (const char* no : {"dpr", "a.dprx", "a.dp", "", "a.d\xc3\xa9r"})
        EXPECT_FALSE(dpr.matches(QByteArrayView(no))) << no;
    // A character outside ASCII may fold to an ASCII one: LONG S is an "s".
    EXPECT_TRUE(scr.matches(QByteArrayView("a.\xc5\xbf" "cr")));
    EXPECT_EQ(scr.matches(QByteArrayView("a.\xc5\xbf" "cr")), scr.matches(QStringView(u"a.\u017Fcr")));
}
