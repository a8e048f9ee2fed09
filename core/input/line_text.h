// SPDX-License-Identifier: MIT
// Lines of the list files the operator writes (hosts files, the USB printer
// list): blanks, tabs and a carriage return left by a DOS editor around a
// line do not count.
#pragma once

#include <string_view>

namespace m350 {

// The line without the blanks, tabs and carriage returns at either end.
inline std::string_view trimBlanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace m350
