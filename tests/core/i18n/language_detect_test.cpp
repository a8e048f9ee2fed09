// SPDX-License-Identifier: MIT
#include "core/i18n/language_detect.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/i18n/language_table.h"

namespace {

using m350::langIdFromLocale;
using m350::languageFromId;

TEST(LanguageFromId, ChineseByTerritory) {
    EXPECT_EQ(languageFromId(0x0404), m350::kLangTraditionalChinese);  // Taiwan
    EXPECT_EQ(languageFromId(0x0804), m350::kLangSimplifiedChinese);   // China
    EXPECT_EQ(languageFromId(0x0C04), m350::kLangEnglish);             // Hong Kong
    EXPECT_EQ(languageFromId(0x1004), m350::kLangEnglish);             // Singapore
    EXPECT_EQ(languageFromId(0x1404), m350::kLangEnglish);             // Macao
    EXPECT_EQ(languageFromId(0x0004), m350::kLangEnglish);
}

TEST(LanguageFromId, PrimaryLanguagesWhateverTheSublanguage) {
    const std::map<std::uint16_t, int> expected = {
        {0x0411, m350::kLangJapanese},   {0x040A, m350::kLangSpanish},
        {0x080A, m350::kLangSpanish},    {0x0416, m350::kLangPortuguese},
        {0x0816, m350::kLangPortuguese}, {0x0407, m350::kLangGerman},
        {0x0807, m350::kLangGerman},     {0x040C, m350::kLangFrench},
        {0x0410, m350::kLangItalian},    {0x0419, m350::kLangRussian},
        {0x0415, m350::kLangPolish},     {0x0427, m350::kLangLithuanian},
        {0x0405, m350::kLangCzech},      {0x0422, m350::kLangUkrainian},
        {0x0409, m350::kLangEnglish},    {0x0809, m350::kLangEnglish},
        {0x041B, m350::kLangEnglish},    {0x0412, m350::kLangEnglish},
        {0x0000, m350::kLangEnglish}};
    for (auto [id, language] : expected) EXPECT_EQ(languageFromId(id), language) << std::hex << id;
}

TEST(LangIdFromLocale, LocaleNames) {
    EXPECT_EQ(langIdFromLocale("zh_TW.UTF-8"), 0x0404);
    EXPECT_EQ(langIdFromLocale("zh_CN.GB18030"), 0x0804);
    EXPECT_EQ(langIdFromLocale("zh_HK"), 0x0C04);
    EXPECT_EQ(langIdFromLocale("zh_SG.UTF-8"), 0x1004);
    EXPECT_EQ(langIdFromLocale("zh") & 0x3FF, 0x04);
    EXPECT_EQ(langIdFromLocale("ja_JP.eucJP") & 0x3FF, 0x11);
    EXPECT_EQ(langIdFromLocale("ru_RU.UTF-8"), 0x0419);
    EXPECT_EQ(langIdFromLocale("uk_UA.UTF-8"), 0x0422);
    EXPECT_EQ(langIdFromLocale("lt_LT.UTF-8"), 0x0427);
    EXPECT_EQ(langIdFromLocale("de_DE@euro"), 0x0407);
    EXPECT_EQ(langIdFromLocale("pt-BR") & 0x3FF, 0x16);
    EXPECT_EQ(langIdFromLocale("zh-tw"), 0x0404);
    EXPECT_EQ(langIdFromLocale("C"), m350::kLangIdEnglishUs);
    EXPECT_EQ(langIdFromLocale("POSIX"), m350::kLangIdEnglishUs);
    EXPECT_EQ(langIdFromLocale("C.UTF-8"), m350::kLangIdEnglishUs);
    EXPECT_EQ(langIdFromLocale(""), m350::kLangIdEnglishUs);
    EXPECT_EQ(langIdFromLocale("xx_YY"), m350::kLangIdEnglishUs);
}

// The environment as a test gives it.
m350::EnvReader env(std::map<std::string, std::string> vars) {
    return [vars = std::move(vars)](const char* name) -> const char* {
        auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    };
}

TEST(DetectLanguage, LocaleVariablesInPrecedence) {
    EXPECT_EQ(m350::messagesLocale(
                  env({{"LC_ALL", "de_DE"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "it_IT"}})),
              "de_DE");
    EXPECT_EQ(
        m350::messagesLocale(env({{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "it_IT"}})),
        "fr_FR");
    EXPECT_EQ(m350::messagesLocale(env({{"LANG", "it_IT"}})), "it_IT");
    EXPECT_EQ(m350::messagesLocale(env({})), "");

    EXPECT_EQ(m350::detectLanguage(env({{"LANG", "zh_CN.UTF-8"}})), m350::kLangSimplifiedChinese);
    EXPECT_EQ(m350::detectLanguage(env({{"LANG", "zh_TW.UTF-8"}})), m350::kLangTraditionalChinese);
    EXPECT_EQ(m350::detectLanguage(env({{"LANG", "zh_HK.UTF-8"}})), m350::kLangEnglish);
    EXPECT_EQ(m350::detectLanguage(env({{"LC_MESSAGES", "pl_PL.UTF-8"}, {"LANG", "ja_JP"}})),
              m350::kLangPolish);
    EXPECT_EQ(m350::detectLanguage(env({{"LC_ALL", "cs_CZ.UTF-8"}})), m350::kLangCzech);
    EXPECT_EQ(m350::detectLanguage(env({})), m350::kLangEnglish);
}

}  // namespace
