// SPDX-License-Identifier: MIT
// The program's own interface texts beyond the language table: messages,
// captions and results this program adds. They live in own_texts.tsv, one
// row a text, its English first and then the other 13 languages in language
// order, and are compiled in the same way as the language table.
#pragma once

#include <string_view>

namespace m350 {

// The text in a language, found by its English. An English text that has no
// row comes back as it is (the test own_texts_complete keeps every text the
// code asks for in the table); a language outside 0..13 gives English.
std::string_view ownText(std::string_view english, int language);

// How many rows the table holds.
int ownTextCount();

}  // namespace m350
