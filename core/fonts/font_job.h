// SPDX-License-Identifier: MIT
// What a bitmap font is made from: the font job (which characters, the cell,
// the pitch, the file to write) and the glyph job handed to renderGlyph for
// one character. Codes are bytes of a code page; the characters drawn are
// their Unicode equivalents (see code_pages.h).
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace m350 {

enum FontMode : int { kSingleByteFont = 0, kDoubleByteFont = 1 };
enum FontPitch : int { kFixedPitch = 0, kVariablePitch = 1 };
enum AsianEncoding : int {
    kTraditionalChinese = 0,
    kSimplifiedChinese = 1,
    kKorean = 2,
    kJapanese = 3,
};

// The drawing surface is 2048 x 2048 pixels and a glyph's bitmap buffer holds
// 65536 bytes: a cell beyond either cannot be drawn and is refused.
constexpr int kSurfaceSize = 2048;
constexpr int kGlyphBufferSize = 65536;
constexpr int kFontHeaderSize = 32;
constexpr int kIndexEntrySize = 6;

struct FontJob {
    int mode = kSingleByteFont;
    int pitch = kFixedPitch;
    int asianEncoding = kTraditionalChinese;
    int startCode = 32;
    int endCode = 127;
    int cellWidth = 0;
    int cellHeight = 0;
    int italicWidth = 0;
    int charCount = 0;  // filled in by the writers
    bool byTable = false;
    std::string table;  // one byte per character, or two for double-byte fonts
    std::uint32_t tableCount = 0;
    std::string path;
    QFont font;
    // Code page of single-byte codes (iconv name). Double-byte fonts use the
    // code page of their Asian encoding.
    std::string singleByteCodePage = "CP1252";
    // Header byte 13: the encoding letter, written for full double-byte fonts.
    bool writeEncodingLetter = false;
    // Set by the writers when the file could not be put in place: a sentence
    // naming the file and the reason.
    std::string writeError;

    // A glyph is drawn in its cell and cut at the cell's edges. With fit, an
    // italic font's cell (or a variable-pitch glyph) is widened by the italic
    // width, and a glyph whose ink still reaches past the left or right edge
    // is drawn narrower to fit (the Latin half of a double-byte font, whose
    // cell is half the width of an ideograph, mostly). Off by default.
    bool fitGlyphs = false;
    // Filled by the writers: the codes (one or two bytes, file order) of the
    // glyphs that lost ink at a cell edge.
    std::vector<std::string> clippedCodes;
    // makeFont asks this, when set, once the font is drawn and before its
    // file is put in place; false leaves no file and sets stopped.
    std::function<bool(const FontJob&)> approve;
    bool stopped = false;
};

// One character to draw. text is its one- or two-byte code.
struct GlyphJob {
    bool variablePitch = false;
    int cellWidth = 0;
    int cellHeight = 0;
    int glyphWidth = 0;   // out
    int glyphHeight = 0;  // out
    std::string text;
    // Fit: a glyph whose ink would reach past the left or right edge of its
    // cell is drawn narrower; a variable-pitch glyph is extraWidth wider.
    bool fit = false;
    int extraWidth = 0;
    bool clipped = false;  // out: ink was lost at an edge of the cell
};

}  // namespace m350
