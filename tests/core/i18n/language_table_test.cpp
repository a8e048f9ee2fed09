// SPDX-License-Identifier: MIT
#include "core/i18n/language_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/i18n/own_texts.h"

namespace {

using m350::languageText;

// The code points of a UTF-8 text.
std::vector<char32_t> codePoints(std::string_view s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

TEST(LanguageTable, EveryCellIsAnNulTerminatedText) {
    for (int key = 0; key < m350::kTextKeyCount; ++key) {
        for (int lang = 0; lang < m350::kLanguageCount; ++lang) {
            const auto text = languageText(key, lang);
            ASSERT_FALSE(text.empty()) << "key " << key << " language " << lang;
            EXPECT_EQ(text.data()[text.size()], '\0');
            EXPECT_EQ(text.find('\0'), std::string_view::npos);
        }
    }
}

TEST(LanguageTable, ExampleRowsAndLineBreaks) {
    const std::vector<std::string_view> ok = {"OK", "確定", "确定", "決定", "OK",    "OK", "OK",
                                              "OK", "OK",   "ОК",   "OK.",  "Gerai", "OK", "Добре"};
    const std::vector<std::string_view> files = {
        "File Manager",       "檔案管理",           "档案管理",        "ファイル管理",
        "Manejo de Archivos", "Gestão de Arquivos", "Datei Manager",   "Gestionnaire de fichier",
        "Gestore Archivi",    "Управление файлом",  "Menedżer Plików", "Failų tvarkytuvė",
        "Spravce souboru",    "Менеджер файлів"};
    for (int lang = 0; lang < m350::kLanguageCount; ++lang) {
        EXPECT_EQ(languageText(0, lang), ok[lang]) << lang;
        EXPECT_EQ(languageText(31, lang), files[lang]) << lang;
        // The escapes of the file became a real CR LF, once, in every language.
        const auto text = languageText(262, lang);
        EXPECT_NE(text.find("\r\n"), std::string_view::npos) << lang;
        EXPECT_EQ(text.find('\\'), std::string_view::npos) << lang;
    }
    EXPECT_EQ(languageText(262, 0),
              "The COM port will be set to 115200,N,8,1 and\r\nenter the external module "
              "setting mode.");
    EXPECT_EQ(languageText(53, 0), "Ribbon Encoder Err.");
    EXPECT_EQ(languageText(263, 0), "Do you want to setup the module?");
}

TEST(LanguageTable, OutOfRangeArguments) {
    EXPECT_TRUE(languageText(-1, 0).empty());
    EXPECT_TRUE(languageText(264, 0).empty());
    EXPECT_EQ(languageText(9, -1), "Language");
    EXPECT_EQ(languageText(9, 14), "Language");
    EXPECT_EQ(languageText(9, 6), "Sprache");
}

// Keys that repeat an English text on another control say the same thing in
// every language, so a window never shows two words for one thing.
TEST(LanguageTable, RepeatedTextsShareTheirTranslation) {
    const std::vector<std::pair<int, int>> same = {
        {75, 97},   {53, 87},   {11, 190},  {12, 191},  {13, 193}, {102, 121}, {156, 161},
        {156, 165}, {168, 185}, {169, 189}, {170, 194}, {67, 226}, {72, 227},  {69, 238},
        {70, 239},  {71, 240},  {228, 236}, {38, 208},  {45, 258}, {210, 221}, {29, 148}};
    for (auto [a, b] : same) {
        for (int lang = 0; lang < m350::kLanguageCount; ++lang)
            EXPECT_EQ(languageText(a, lang), languageText(b, lang))
                << "keys " << a << " and " << b << ", language " << lang;
    }
}

// Chinese, Japanese and Cyrillic columns are written in their scripts; only
// names such as "RS-232", "MAC", "DHCP" and "IP" stay as they are.
TEST(LanguageTable, ColumnsAreInTheirScripts) {
    auto isHan = [](char32_t c) { return c >= 0x4E00 && c <= 0x9FFF; };
    auto isKana = [](char32_t c) { return c >= 0x3040 && c <= 0x30FF; };
    auto isCyrillic = [](char32_t c) { return c >= 0x0400 && c <= 0x04FF; };
    struct Column {
        int language;
        std::function<bool(char32_t)> script;
    };
    const std::vector<Column> columns = {
        {m350::kLangTraditionalChinese, isHan},
        {m350::kLangSimplifiedChinese, isHan},
        {m350::kLangJapanese, [&](char32_t c) { return isHan(c) || isKana(c); }},
        {m350::kLangRussian, isCyrillic},
        {m350::kLangUkrainian, isCyrillic},
    };
    const std::set<std::string_view> names = {"RS-232",    "MAC",      "DHCP",      "IP",
                                              "mm",        "OK",       "SSID WLAN", "DHCP WLAN",
                                              "WLAN SSID", "WLAN DHCP"};
    for (const auto& column : columns) {
        int kept = 0;
        for (int key = 0; key < m350::kTextKeyCount; ++key) {
            const auto text = languageText(key, column.language);
            const auto cps = codePoints(text);
            const bool inScript = std::any_of(cps.begin(), cps.end(), column.script);
            if (inScript) continue;
            ++kept;
            EXPECT_TRUE(names.count(text))
                << "key " << key << " language " << column.language << ": \"" << text << "\"";
        }
        EXPECT_LE(kept, 8) << column.language;
    }
}

TEST(LanguageTable, CharsetsAndValidLanguage) {
    const std::vector<int> charsets = {0, 136, 134, 128, 0, 0, 0, 0, 0, 204, 238, 186, 238, 204};
    for (int lang = 0; lang < m350::kLanguageCount; ++lang)
        EXPECT_EQ(m350::languageCharset(lang), charsets[lang]);
    EXPECT_EQ(m350::languageCharset(14), 0);

    EXPECT_EQ(m350::validLanguage(m350::kLangPolish), m350::kLangPolish);
    EXPECT_EQ(m350::validLanguage(14), m350::kLangEnglish);
    EXPECT_EQ(m350::validLanguage(-1), m350::kLangEnglish);
}

}  // namespace

TEST(OwnTexts, FoundByEnglishInEveryLanguage) {
    EXPECT_GT(m350::ownTextCount(), 0);
    EXPECT_EQ(m350::ownText("Cancelled", m350::kLangRussian), "Отменено");
    EXPECT_EQ(m350::ownText("Cancelled", m350::kLangEnglish), "Cancelled");
    EXPECT_EQ(m350::ownText("Cancelled", 99), "Cancelled");
    EXPECT_EQ(m350::ownText("No such text", m350::kLangGerman), "No such text");
}
