// Which translation a language setting and the user's locale call for.
#include "app/Language.h"

#include <gtest/gtest.h>

namespace {

TEST(Language, TheLocaleChoosesUnlessTheSettingDoes)
{
    using language::chosen;
    // The program's own texts: Traditional Chinese locales, C, POSIX, no language at all.
    for (const QStringList& locale : {QStringList{"zh-TW", "zh-Hant-TW"}, QStringList{"zh-HK", "zh-Hant-HK"},
                                      QStringList{"zh-Hant"}, QStringList{"zh-MO"}, QStringList{"C"},
                                      QStringList{"POSIX"}, QStringList{}})
        EXPECT_EQ(chosen(QString(), locale), "") << locale.join(',').toStdString();
    for (const QStringList& locale : {QStringList{"zh-CN", "zh-Hans-CN", "zh"}, QStringList{"zh-SG"},
                                      QStringList{"zh"}, QStringList{"zh-Hans"}})
        EXPECT_EQ(chosen(QString(), locale), "zh_CN") << locale.join(',').toStdString();
    // English, and every other language: English reads better to them than Chinese.
    for (const QStringList& locale : {QStringList{"en-US", "en"}, QStringList{"de-DE"}, QStringList{"ja-JP"}})
        EXPECT_EQ(chosen(QString(), locale), "en") << locale.join(',').toStdString();
    // The first language counts.
    EXPECT_EQ(chosen(QString(), {"zh-TW", "en-US"}), "");
    EXPECT_EQ(chosen(QString(), {"en-GB", "zh-TW"}), "en");

    // The options dialog's choice wins; an unknown value follows the locale.
    EXPECT_EQ(chosen("en", {"zh-TW"}), "en");
    EXPECT_EQ(chosen("zh_CN", {"C"}), "zh_CN");
    EXPECT_EQ(chosen("zh_TW", {"en-US"}), "");
    EXPECT_EQ(chosen("klingon", {"en-US"}), "en");
}

} // namespace
