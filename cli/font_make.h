// SPDX-License-Identifier: MIT
// font make draws with QtGui. m350ctl does not load Qt for its other commands
// (loading it would cost every status query more than the query itself), so
// the drawing lives in a second program, m350ctl-fonts: the same command line
// with this part linked in. m350ctl runs it in its own place for font make.
#pragma once

#include <optional>
#include <string>

#include "cli/session.h"

namespace m350::cli {

struct FontMakeOptions {
    std::string family;
    double size = 10;
    bool bold = false;
    bool italic = false;
    std::string encode = "standard";
    std::string pitch;
    std::string cell;
    std::optional<int> italicWidth;
    std::string codePage;  // empty: the printer text encoding's, else CP1252
    std::string output;
    // Fit glyphs that would be cut at the cell edge (m350::FontJob::fitGlyphs).
    bool fit = false;
    bool json = false;
};

// The name of the program that makes fonts.
inline constexpr const char* kFontMakerProgram = "m350ctl-fonts";

// Makes the font and prints what it made (font_make.cpp, only in m350ctl-fonts).
int makeFontCommand(Session& s, const FontMakeOptions& o, const std::string& asianTable);

// Set by m350ctl-fonts to makeFontCommand; null in m350ctl, which then runs
// m350ctl-fonts with its own arguments.
extern int (*fontMaker)(Session&, const FontMakeOptions&, const std::string&);

}  // namespace m350::cli
