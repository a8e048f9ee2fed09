// SPDX-License-Identifier: MIT
// Runs the m350ctl binary the way a script does and collects what it did.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/test_files.h"

namespace m350test {

struct CtlRun {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs m350ctl with args; input is its standard input (a file, so never a
// terminal); env adds NAME=VALUE entries to the environment.
CtlRun runCtl(const std::vector<std::string>& args, const std::string& input = {},
              const std::vector<std::pair<std::string, std::string>>& env = {});

// Runs m350ctl with standard input and standard error on a pseudo-terminal, as
// an operator at a terminal would; standard output goes to a file (out). For
// each prompt in order, once the terminal shows it, the matching answer is typed
// with a line end. err is everything the terminal showed.
CtlRun runCtlOnTerminal(const std::vector<std::string>& args,
                        const std::vector<std::pair<std::string, std::string>>& promptsAndAnswers);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& data);

}  // namespace m350test
