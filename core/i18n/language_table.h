// SPDX-License-Identifier: MIT
// The interface texts: 264 keys in 14 languages, stored as UTF-8 and drawn
// from Unicode. Each language also keeps its font character set and the code
// page its texts must fit in, so the table stays true to the printer-side
// world where the same texts travel as single- and double-byte strings.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace m350 {

constexpr int kLanguageCount = 14;
constexpr int kTextKeyCount = 264;

// The language index is the item index of ComboBoxLanguage.
enum Language : int {
    kLangEnglish = 0,
    kLangTraditionalChinese = 1,
    kLangSimplifiedChinese = 2,
    kLangJapanese = 3,
    kLangSpanish = 4,
    kLangPortuguese = 5,
    kLangGerman = 6,
    kLangFrench = 7,
    kLangItalian = 8,
    kLangRussian = 9,
    kLangPolish = 10,
    kLangLithuanian = 11,
    kLangCzech = 12,
    kLangUkrainian = 13,
};

// Font character set of each language, in language order.
inline constexpr std::array<std::uint8_t, kLanguageCount> kLanguageCharsets = {
    0, 136, 134, 128, 0, 0, 0, 0, 0, 204, 238, 186, 238, 204};

// Text of a key in a language, UTF-8 and NUL-terminated (key 262 holds a
// CR LF). A key outside 0..263 gives the empty text; a language outside
// 0..13 falls back to English.
std::string_view languageText(int key, int language);

// The index itself when it is a language, otherwise 0 (English).
int validLanguage(int language);

// Font character set of a language (0 for an unknown index).
std::uint8_t languageCharset(int language);

// The code page a language's texts are written in, as an iconv name:
// CP1252, BIG5, GBK, CP932, CP1251, CP1250 or CP1257.
const char* languageCodePage(int language);

}  // namespace m350
