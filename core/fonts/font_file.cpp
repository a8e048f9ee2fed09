// SPDX-License-Identifier: MIT
#include "core/fonts/font_file.h"

#include "core/fonts/font_layout.h"

namespace m350 {

namespace {

// No cell side or glyph width beyond the maker's drawing surface is ever
// written; a file that claims one is not a font of ours, and reading it would
// only multiply work (rows of nothing for every glyph).
constexpr int kMaxSide = 2048;

int get16(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8);
}

std::uint32_t get32(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

// Reads one record at pos; false when the file ends first.
bool readGlyph(const std::string& b, std::size_t& pos, bool withWidth, int width, int height,
               FontFileGlyph& g) {
    if (withWidth) {
        if (pos + 2 > b.size()) return false;
        width = get16(b, pos);
        pos += 2;
        if (width > kMaxSide) return false;
    }
    g.width = width;
    g.height = height;
    const std::size_t n =
        static_cast<std::size_t>((width + 7) / 8) * static_cast<std::size_t>(height);
    if (pos + n > b.size()) return false;
    g.bitmap.assign(b.begin() + static_cast<std::ptrdiff_t>(pos),
                    b.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    return true;
}

int encodingOfLetter(char letter) {
    switch (letter) {
        case 'T':
            return 0;
        case 'G':
            return 1;
        case 'K':
            return 2;
        case 'J':
            return 3;
        default:
            return -1;
    }
}

}  // namespace

std::optional<FontFileContents> parseFontFile(const std::string& b, std::string* error) {
    auto fail = [error](const char* why) -> std::optional<FontFileContents> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (b.size() < 32 || b[0] != 'B') return fail("not a bitmap font (no header beginning with B)");
    FontFileContents f;
    f.variablePitch = b[1] == 1;
    f.doubleByte = b[2] == 1;
    f.hasIndex = b[3] == 1;
    f.italic = b[4] == 1;
    f.cellHeight = get16(b, 5);
    f.cellWidth = get16(b, 7);
    f.startCode = get16(b, 9);
    f.endCode = get16(b, 11);
    f.encodingLetter = b[13];
    f.charCount = get16(b, 15);
    f.italicWidth = get16(b, 17);
    if (f.cellHeight > kMaxSide || f.cellWidth > kMaxSide)
        return fail("the cell is larger than a font can be");
    if (f.hasIndex) {
        if (b.size() < 32 + static_cast<std::size_t>(f.charCount) * 6)
            return fail("the file ends inside its index");
        // Records of a font never share bytes, so together they fit the file;
        // an index that points many entries at one large record would
        // otherwise copy it again for each.
        std::size_t total = 0;
        f.glyphs.reserve(static_cast<std::size_t>(f.charCount));
        for (int i = 0; i < f.charCount; ++i) {
            const std::size_t e = 32 + static_cast<std::size_t>(i) * 6;
            FontFileGlyph g;
            g.doubleByte = f.doubleByte;
            const int b1 = static_cast<std::uint8_t>(b[e]),
                      b2 = static_cast<std::uint8_t>(b[e + 1]);
            g.code = f.doubleByte ? b1 * 256 + b2 : b1;
            std::size_t pos = get32(b, e + 2);
            if (!readGlyph(b, pos, f.variablePitch, f.cellWidth, f.cellHeight, g))
                return fail("a glyph record lies beyond the end of the file");
            total += g.bitmap.size() + (f.variablePitch ? 2 : 0);
            if (total > b.size()) return fail("the index points glyphs at the same bytes");
            f.glyphs.push_back(std::move(g));
        }
        return f;
    }
    std::size_t pos = 32;
    if (!f.doubleByte) {
        if (f.endCode >= f.startCode)
            f.glyphs.reserve(static_cast<std::size_t>(f.endCode - f.startCode + 1));
        for (int c = f.startCode; c <= f.endCode; ++c) {
            FontFileGlyph g;
            g.code = c;
            if (!readGlyph(b, pos, f.variablePitch, f.cellWidth, f.cellHeight, g))
                return fail("the file ends inside a glyph record");
            f.glyphs.push_back(std::move(g));
        }
        return f;
    }
    const int encoding = encodingOfLetter(f.encodingLetter);
    if (encoding < 0) return fail("a double-byte font without its encoding letter");
    const FontLayout layout = fullDoubleByteLayout(encoding);
    f.glyphs.reserve(layout.singleCodes.size() + layout.leads.size() * layout.trails.size());
    for (int c : layout.singleCodes) {
        FontFileGlyph g;
        g.code = c;
        if (!readGlyph(b, pos, false, f.cellWidth / 2, f.cellHeight, g))
            return fail("the file ends inside a glyph record");
        f.glyphs.push_back(std::move(g));
    }
    for (int lead : layout.leads)
        for (int trail : layout.trails) {
            FontFileGlyph g;
            g.code = lead * 256 + trail;
            g.doubleByte = true;
            if (!readGlyph(b, pos, false, f.cellWidth, f.cellHeight, g))
                return fail("the file ends inside a glyph record");
            f.glyphs.push_back(std::move(g));
        }
    return f;
}

int glyphsWithInkAtEdge(const FontFileContents& font) {
    int count = 0;
    for (const FontFileGlyph& g : font.glyphs) {
        if (g.width <= 0 || g.height <= 0) continue;
        bool edge = false;
        for (int y = 0; y < g.height && !edge; ++y) edge = g.ink(0, y) || g.ink(g.width - 1, y);
        for (int x = 0; x < g.width && !edge; ++x) edge = g.ink(x, 0) || g.ink(x, g.height - 1);
        count += edge;
    }
    return count;
}

}  // namespace m350
