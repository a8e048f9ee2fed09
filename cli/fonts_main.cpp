// SPDX-License-Identifier: MIT
// m350ctl-fonts: m350ctl with the font maker, which needs QtGui. m350ctl runs
// it for font make (see font_make.h); it takes any m350ctl command line.
#include "cli/font_make.h"
#include "cli/invocation.h"

int main(int argc, char** argv) {
    m350::cli::fontMaker = &m350::cli::makeFontCommand;
    return m350::cli::runCommandLine(argc, argv);
}
