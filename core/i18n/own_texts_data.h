// SPDX-License-Identifier: MIT
// The program's own texts, generated from own_texts.tsv at build time and
// sorted by their English. Only own_texts.cpp reads it.
#pragma once

#include <string_view>

namespace m350::i18n_data {

constexpr int kOwnLanguageColumns = 14;

extern const int kOwnTextCount;
// UTF-8 texts by row, then language index (English first); each one
// NUL-terminated as well.
extern const std::string_view kOwnTexts[][kOwnLanguageColumns];

}  // namespace m350::i18n_data
