#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

TEST(TextCodec, LocaleNamesGiveTheirAnsiCodePage)
{
    EXPECT_EQ(ansiCodePageForLocale(u"zh_TW.UTF-8"), 950);
    EXPECT_EQ(ansiCodePageForLocale(u"zh_HK"), 950);
    EXPECT_EQ(ansiCodePageForLocale(u"zh_CN.GB2312"), 936);
    EXPECT_EQ(ansiCodePageForLocale(u"zh_SG"), 936);
    EXPECT_EQ(ansiCodePageForLocale(u"ja_JP.eucJP"), 932);
    EXPECT_EQ(ansiCodePageForLocale(u"pl_PL"), 1250);
    EXPECT_EQ(ansiCodePageForLocale(u"ru_RU.KOI8-R"), 1251);
    EXPECT_EQ(ansiCodePageForLocale(u"sr_RS@latin"), 1251);
    EXPECT_EQ(ansiCodePageForLocale(u"vi_VN"), 1258);
    EXPECT_EQ(ansiCodePageForLocale(u"de_DE.UTF-8"), 1252);
    EXPECT_EQ(ansiCodePageForLocale(u"C"), 1252);
    EXPECT_EQ(ansiCodePageForLocale(u""), 1252);
}

TEST(TextCodec, ValidUtf8IsReadAsUtf8WithoutItsBom)
{
    EXPECT_EQ(decodeText("\xEF\xBB\xBFpr\xC3\xBC" "f"), QString::fromUtf8("prüf"));
    EXPECT_EQ(decodeText(""), QString());
}

TEST(TextCodec, OtherBytesAreReadInTheCodePage)
{
    // 0xE9 alone is not UTF-8; in 1252 it is e-acute.
    EXPECT_EQ(decodeCodePage("caf\xE9", 1252), QString::fromUtf8("café"));
    // Big5 for the two characters of "中文".
    EXPECT_EQ(decodeCodePage("\xA4\xA4\xA4\xE5", 950), QString::fromUtf8("中文"));
    // 0x81 is undefined in 1252, and a lone lead byte ends a Big5 text: both replaced.
    EXPECT_EQ(decodeCodePage("a\x81" "b", 1252), QString::fromUtf8("a\uFFFDb"));
    EXPECT_EQ(decodeCodePage("a\xA4", 950), QString::fromUtf8("a\uFFFD"));
}

TEST(TextCodec, LinesEndAtCrLfCrOrLf)
{
    std::vector<QByteArray> lines;
    forEachLine("a\r\nb\rc\nd\n\re", [&](QByteArrayView l) { lines.emplace_back(l.toByteArray()); });
    EXPECT_EQ(lines, (std::vector<QByteArray>{"a", "b", "c", "d", "", "e"}));

    lines.clear();
    forEachLine("x\r\n", [&](QByteArrayView l) { lines.emplace_back(l.toByteArray()); });
    EXPECT_EQ(lines, (std::vector<QByteArray>{"x"}));

    lines.clear();
    forEachLine("", [&](QByteArrayView l) { lines.emplace_back(l.toByteArray()); });
    EXPECT_TRUE(lines.empty());
}
