// SPDX-License-Identifier: MIT
// A bitmap font file read back (the "Bitmap" preview and m350ctl font show):
// arbitrary bytes either give a reason or glyphs whose bitmaps hold every
// pixel the preview draws, and never more glyph bytes than the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/fonts/font_file.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto font = m350::parseFontFile(bytes, &error);
    if (!font) {
        check(!error.empty());
        return 0;
    }
    std::size_t total = 0;
    for (const m350::FontFileGlyph& g : font->glyphs) {
        check(g.width >= 0 && g.height >= 0);
        const std::size_t row = static_cast<std::size_t>((g.width + 7) / 8);
        check(g.bitmap.size() == row * static_cast<std::size_t>(g.height));
        total += g.bitmap.size();
        check(g.width <= 2048 && g.height <= 2048);
        // The bitmap is exactly its rows, so the far corner in bounds means
        // every pixel the preview draws is (drawing each one made the run
        // crawl).
        if (g.width > 0 && g.height > 0) {
            const int corners = g.ink(0, 0) + g.ink(g.width - 1, 0) + g.ink(0, g.height - 1) +
                                g.ink(g.width - 1, g.height - 1);
            check(corners <= 4);
        }
    }
    check(total <= size);
    return 0;
}
