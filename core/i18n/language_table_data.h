// SPDX-License-Identifier: MIT
// The embedded table, generated from language_table.tsv at build time. Only
// LanguageTable.cpp reads it; everyone else goes through languageText.
#pragma once

#include <string_view>

namespace m350::i18n_data {

constexpr int kKeyCount = 264;
constexpr int kLanguageColumns = 14;

// UTF-8 texts by key, then language index; each one NUL-terminated as well.
extern const std::string_view kTexts[kKeyCount][kLanguageColumns];

}  // namespace m350::i18n_data
