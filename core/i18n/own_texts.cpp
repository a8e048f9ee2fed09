// SPDX-License-Identifier: MIT
#include "core/i18n/own_texts.h"

#include <algorithm>

#include "core/i18n/language_table.h"
#include "core/i18n/own_texts_data.h"

namespace m350 {

static_assert(i18n_data::kOwnLanguageColumns == kLanguageCount);

std::string_view ownText(std::string_view english, int language) {
    const auto* begin = i18n_data::kOwnTexts;
    const auto* end = begin + i18n_data::kOwnTextCount;
    const auto* row = std::lower_bound(begin, end, english,
                                       [](const auto& r, std::string_view e) { return r[0] < e; });
    if (row == end || (*row)[0] != english) return english;
    return (*row)[validLanguage(language)];
}

int ownTextCount() {
    return i18n_data::kOwnTextCount;
}

}  // namespace m350
