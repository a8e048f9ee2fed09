// SPDX-License-Identifier: MIT
// m350ctl: the printer operations of the configuration utility from the command line.
#include "cli/invocation.h"

int main(int argc, char** argv) {
    return m350::cli::runCommandLine(argc, argv);
}
