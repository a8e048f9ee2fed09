// SPDX-License-Identifier: MIT
// Reading a bitmap font file back: the header, and every glyph with its code,
// size and bitmap, found through the index or by position. Used by the
// "Bitmap" preview and by m350ctl font show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace m350 {

struct FontFileGlyph {
    int code = 0;  // one byte, or lead * 256 + trail
    bool doubleByte = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bitmap;  // rows of (width + 7) / 8 bytes
    // Not in the file: set by whoever knows the glyph lost ink at the cell
    // edge when it was drawn (the font maker's report).
    bool clipped = false;
    bool ink(int x, int y) const {
        const std::size_t row = static_cast<std::size_t>((width + 7) / 8);
        return (bitmap[static_cast<std::size_t>(y) * row + static_cast<std::size_t>(x / 8)] >>
                (7 - x % 8)) &
               1;
    }
};

struct FontFileContents {
    bool variablePitch = false;
    bool doubleByte = false;
    bool hasIndex = false;
    bool italic = false;
    int cellHeight = 0;
    int cellWidth = 0;
    int startCode = 0;
    int endCode = 0;
    char encodingLetter = 0;
    int charCount = 0;
    int italicWidth = 0;
    std::vector<FontFileGlyph> glyphs;
};

// The largest font file read back: a full double-byte font of the largest
// cell stays well below it.
inline constexpr std::size_t kMaxFontFileBytes = 256u << 20;

// Glyphs with ink in the first or last column or row of their bitmap: the
// ones that may have been cut at the cell edge when the font was drawn (a
// glyph that fills its cell exactly is counted too). A reader of the file
// alone can tell no more.
int glyphsWithInkAtEdge(const FontFileContents& font);

// Parses the bytes of a font file; nothing with a reason in *error when they
// are not a complete font.
std::optional<FontFileContents> parseFontFile(const std::string& bytes, std::string* error);

}  // namespace m350
