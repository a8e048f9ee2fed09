// The interface texts: 264 keys in 14 languages, UTF-8.
#pragma once

#include <string_view>

namespace m350 {

constexpr int kLanguageCount = 14;
constexpr int kTextKeyCount = 264;

// Text of a key in a language (0 English ... 13 Ukrainian). Out-of-range
// arguments give the empty text; an unknown language falls back to English.
std::string_view LanguageText(int key, int language);

}  // namespace m350
