// SPDX-License-Identifier: MIT
// A reader of bitmap font files written for the tests from the file format
// alone, sharing nothing with the program's writer or reader: every glyph as
// rows of '#' (ink) and '.' so failures print what was drawn.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bmftest {

struct Glyph {
    int width = 0;
    std::vector<std::string> rows;
};

struct Font {
    std::vector<std::uint8_t> header;  // the 32 bytes as written
    int variable = 0, doubleByte = 0, index = 0, italicFlag = 0;
    int height = 0, width = 0, start = 0, end = 0, count = 0, italicWidth = 0;
    char letter = 0;
    std::vector<int> codes;              // file order
    std::vector<Glyph> glyphs;           // file order
    std::vector<std::uint32_t> offsets;  // from the index, when present
    std::string problem;                 // why reading stopped; empty when whole
    bool ok() const { return problem.empty(); }
};

inline unsigned u8(const std::string& b, std::size_t i) {
    return i < b.size() ? static_cast<unsigned char>(b[i]) : 0u;
}
inline int le16(const std::string& b, std::size_t i) {
    return static_cast<int>(u8(b, i) + 256u * u8(b, i + 1));
}

// Rows of a bitmap of w x h pixels starting at byte pos.
inline Glyph bitmapAt(const std::string& b, std::size_t pos, int w, int h, std::string& problem) {
    Glyph g;
    g.width = w;
    const std::size_t stride = (static_cast<std::size_t>(w) + 7) / 8;
    if (pos + stride * static_cast<std::size_t>(h) > b.size()) {
        problem = "glyph beyond end at " + std::to_string(pos);
        return g;
    }
    for (int y = 0; y < h; ++y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            unsigned byte =
                u8(b, pos + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) / 8);
            row += (byte & (0x80u >> (x % 8))) ? '#' : '.';
        }
        // Bits past the width must be 0.
        if (w % 8) {
            unsigned last = u8(b, pos + static_cast<std::size_t>(y) * stride + stride - 1);
            if (last & ((1u << (8 - w % 8)) - 1)) problem = "spare bits set";
        }
        g.rows.push_back(row);
    }
    return g;
}

// Codes of a full double-byte font by its letter, in file order.
inline std::vector<int> fullCodes(char letter) {
    std::vector<int> v;
    auto range = [&v](int a, int b, int lead) {
        for (int c = a; c <= b; ++c) v.push_back(lead * 256 + c);
    };
    auto leads = [&](int a, int b, auto trails) {
        for (int l = a; l <= b; ++l) trails(l);
    };
    switch (letter) {
        case 'T':
            range(0x20, 0x7F, 0);
            leads(0xA1, 0xFE, [&](int l) {
                range(0x40, 0x7E, l);
                range(0xA1, 0xFE, l);
            });
            break;
        case 'G':
            range(0x20, 0x7F, 0);
            leads(0x81, 0xFE, [&](int l) { range(0x40, 0xFE, l); });
            break;
        case 'K':
            range(0x20, 0x7F, 0);
            leads(0xA1, 0xFE, [&](int l) { range(0xA0, 0xFE, l); });
            break;
        case 'J':
            range(0x20, 0x7F, 0);
            range(0xA0, 0xDF, 0);
            leads(0x81, 0x9F, [&](int l) { range(0x40, 0xFC, l); });
            leads(0xE0, 0xFC, [&](int l) { range(0x40, 0xFC, l); });
            break;
    }
    return v;
}

inline Font read(const std::string& b) {
    Font f;
    if (b.size() < 32 || b[0] != 'B') {
        f.problem = "no header";
        return f;
    }
    f.header.assign(b.begin(), b.begin() + 32);
    f.variable = static_cast<int>(u8(b, 1));
    f.doubleByte = static_cast<int>(u8(b, 2));
    f.index = static_cast<int>(u8(b, 3));
    f.italicFlag = static_cast<int>(u8(b, 4));
    f.height = le16(b, 5);
    f.width = le16(b, 7);
    f.start = le16(b, 9);
    f.end = le16(b, 11);
    f.letter = static_cast<char>(u8(b, 13));
    f.count = le16(b, 15);
    f.italicWidth = le16(b, 17);
    if (f.index) {
        for (int i = 0; i < f.count && f.ok(); ++i) {
            const std::size_t e = 32 + 6 * static_cast<std::size_t>(i);
            const std::uint32_t off =
                u8(b, e + 2) | u8(b, e + 3) << 8 | u8(b, e + 4) << 16 | u8(b, e + 5) << 24;
            f.offsets.push_back(off);
            f.codes.push_back(f.doubleByte ? static_cast<int>(u8(b, e) * 256 + u8(b, e + 1))
                                           : static_cast<int>(u8(b, e)));
            int w = f.width;
            std::size_t at = off;
            if (f.variable) {
                w = le16(b, at);
                at += 2;
            }
            f.glyphs.push_back(bitmapAt(b, at, w, f.height, f.problem));
        }
        return f;
    }
    std::size_t at = 32;
    if (f.doubleByte) {
        for (int code : fullCodes(f.letter)) {
            f.codes.push_back(code);
            f.glyphs.push_back(
                bitmapAt(b, at, code < 256 ? f.width / 2 : f.width, f.height, f.problem));
            at +=
                ((code < 256 ? f.width / 2 : f.width) + 7) / 8 * static_cast<std::size_t>(f.height);
        }
    } else {
        for (int code = f.start; code <= f.end; ++code) {
            f.codes.push_back(code);
            f.glyphs.push_back(bitmapAt(b, at, f.width, f.height, f.problem));
            at += (static_cast<std::size_t>(f.width) + 7) / 8 * static_cast<std::size_t>(f.height);
        }
    }
    if (f.ok() && at != b.size()) f.problem = "trailing bytes after the last glyph";
    return f;
}

}  // namespace bmftest
