// What a bitmap font is made from: the font job (which characters, the cell,
// the pitch, the file to write) and the glyph job handed to renderGlyph for
// one character. Codes are bytes of a code page; the characters drawn are
// their Unicode equivalents (see code_pages.h).
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
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
};

// One character to draw. text is its one- or two-byte code.
struct GlyphJob {
    bool variablePitch = false;
    int cellWidth = 0;
    int cellHeight = 0;
    int glyphWidth = 0;   // out
    int glyphHeight = 0;  // out
    std::string text;
};

}  // namespace m350
