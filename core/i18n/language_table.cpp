// SPDX-License-Identifier: MIT
#include "core/i18n/language_table.h"

#include "core/i18n/language_table_data.h"

namespace m350 {

static_assert(i18n_data::kKeyCount == kTextKeyCount);
static_assert(i18n_data::kLanguageColumns == kLanguageCount);

namespace {

// Big5 rather than CP950: every text of the table lies in the common part of
// the two, and the stricter one keeps the table free of the vendor extras.
constexpr std::array<const char*, kLanguageCount> kLanguageCodePages = {
    "CP1252", "BIG5",   "GBK",    "CP932",  "CP1252", "CP1252", "CP1252",
    "CP1252", "CP1252", "CP1251", "CP1250", "CP1257", "CP1250", "CP1251"};

}  // namespace

int validLanguage(int language) {
    return language >= 0 && language < kLanguageCount ? language : kLangEnglish;
}

std::string_view languageText(int key, int language) {
    if (key < 0 || key >= kTextKeyCount) return {};
    return i18n_data::kTexts[key][validLanguage(language)];
}

std::uint8_t languageCharset(int language) {
    return language >= 0 && language < kLanguageCount ? kLanguageCharsets[language] : 0;
}

const char* languageCodePage(int language) {
    return kLanguageCodePages[validLanguage(language)];
}

}  // namespace m350
