// SPDX-License-Identifier: MIT
// What m350ctl says about a command line it cannot run: an unknown command or
// option with the nearest known one ("unknown command 'stauts'; did you mean
// 'status'?"), or the parser's complaint in plain words with the values the
// option takes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace m350::cli {

struct UsageError {
    std::string message;  // without the "m350ctl: " in front
    std::string command;  // the command whose help to point at: "m350ctl config write"
};

// args: the command line without the program name.
UsageError describeParseError(const CLI::App& root, const std::vector<std::string>& args,
                              const CLI::ParseError& error);

// The known words nearest to word (a letter left out, added, changed or two
// swapped; or word the start of a longer one), or none when none is near.
std::vector<std::string> nearestWords(std::string_view word, const std::vector<std::string>& known);

// "did you mean 'a'?" or "did you mean 'a' or 'b'?"; empty for no words.
std::string didYouMean(const std::vector<std::string>& words);

// Whether the command line asks for JSON (--json before any "--"), so that a
// usage error is reported as JSON too.
bool wantsJson(const std::vector<std::string>& args);

// The short usage printed when m350ctl is run without arguments.
std::string shortUsage();

}  // namespace m350::cli
