// SPDX-License-Identifier: MIT
// m350ctl's help pages: at most 80 columns, each option's value named by what
// it is (FILE, N, NAME) rather than by its C++ type, and the exit statuses
// only on the top-level page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace m350::cli {

inline constexpr std::size_t kHelpWidth = 80;

// Sets the help formatter on app; subcommands added afterwards inherit it.
void useHelpFormatter(CLI::App& app);

// text broken into lines of at most width columns (a longer word stands
// alone); the first line starts at column `first`, the others are indented by
// `indent` spaces. Line breaks in text are kept.
std::string wrapText(std::string_view text, std::size_t width, std::size_t indent,
                     std::size_t first = 0);

}  // namespace m350::cli
