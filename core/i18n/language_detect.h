// SPDX-License-Identifier: MIT
// Choosing the interface language from the system. The desktop's locale is
// first turned into the 16-bit language identifier the rules are written for
// (primary language in the low 10 bits, sublanguage in the high 6), so the
// rules stay the same whatever the platform reports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace m350 {

// Identifier of "English (United States)", used when the locale says nothing.
constexpr std::uint16_t kLangIdEnglishUs = 0x0409;

// The language index the identifier selects: 0x0404 is Traditional Chinese,
// Chinese with sublanguage 2 (China) Simplified Chinese, any other Chinese
// English; then Japanese, Spanish, Portuguese, German, French, Italian,
// Russian, Polish, Lithuanian, Czech and Ukrainian by primary language.
// Everything else is English.
int languageFromId(std::uint16_t id);

// "zh_TW.UTF-8" -> 0x0404, "zh_CN" -> 0x0804, "zh_HK" -> 0x0C04, "ja_JP" ->
// 0x0411, "de" -> 0x0407 ... Codeset and modifier are ignored. "C", "POSIX",
// an empty name and an unknown language give 0x0409.
std::uint16_t langIdFromLocale(std::string_view locale);

// The locale that names the messages' language: the first non-empty one of
// LC_ALL, LC_MESSAGES and LANG, read through getEnv (the environment when
// null); empty when none is set.
using EnvReader = std::function<const char*(const char*)>;
std::string messagesLocale(const EnvReader& getEnv = nullptr);

// The system's language identifier, from messagesLocale.
std::uint16_t systemLangId(const EnvReader& getEnv = nullptr);

// The language index for the running system.
int detectLanguage(const EnvReader& getEnv = nullptr);

}  // namespace m350
