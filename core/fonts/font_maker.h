// SPDX-License-Identifier: MIT
// The rasteriser: draws every character of a font job with the chosen system
// font, one bit per pixel, and writes the bitmap font file (32-byte header,
// optional index of codes and offsets, glyph records; numbers little-endian).
#pragma once

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdint>
#include <memory>

#include "core/fonts/code_pages.h"
#include "core/fonts/font_job.h"
#include "core/fonts/font_layout.h"
#include "core/link/link_context.h"

namespace m350 {

// The off-screen surface glyphs are drawn on: the font without anti-aliasing
// (ink is the font's own one-bit rendering) and a white image as large as the
// largest glyph drawn so far; glyphs are read from at most 2048 x 2048 of it.
class FontSurface {
  public:
    explicit FontSurface(const QFont& font);
    ~FontSurface();
    const QFont& font() const { return font_; }
    const QFontMetrics& metrics() const { return metrics_; }
    // Draws text at (x, y) (top-left of the line), sx times its width, after
    // filling the w x h corner white, and returns the image to read back
    // from. The image grows to w x h when smaller.
    const QImage& draw(const QString& text, qreal x, int y, int w, int h, qreal sx = 1.0);
    // The pixels the text's ink covers, from the origin on its baseline.
    QRect inkBox(const QString& text) const;
    // Whether text drawn alone as draw() draws it would put ink outside a
    // cell of w x h pixels at (0, 0).
    bool inkOutside(const QString& text, qreal x, int y, int w, int h, qreal sx) const;

  private:
    QFont font_;
    QFontMetrics metrics_;
    QImage image_;
    std::unique_ptr<QPainter> painter_;
};

// Font with anti-aliasing turned off, as the surface draws it.
QFont monochromeFont(QFont font);

// Width and height of a text as the page measures a cell.
QSize measureText(const QFont& font, const QString& text);

// True when the job's cell lies inside the drawing surface and one glyph of
// the cell fits the glyph buffer.
bool cellFits(const FontJob& job);

// Draws one character (job.text, decoded with codePage) and packs it into
// bitmap (kGlyphBufferSize bytes): rows top first, leftmost pixel in the top
// bit, unused low bits 0. A code without a character gives a blank glyph of
// the cell's size. Ink outside the cell is cut and job.clipped set. Returns
// ((glyph width + 7) / 8) x glyph height.
int renderGlyph(GlyphJob& job, FontSurface& surface, CodePage& codePage, std::uint8_t* bitmap);

// The 32 header bytes for a job (charCount as set by the writer).
std::array<std::uint8_t, kFontHeaderSize> buildFontHeader(const FontJob& job);

// The writers. Each gathers the file and puts it at job.path with
// writeFileAtomically when complete; false leaves no new file behind, with
// the reason in job.writeError when the file could not be written. progress
// receives positions 0..100 and is pumped after each glyph (after each lead
// byte for the full double-byte font). job.clippedCodes lists the glyphs
// that lost ink at a cell edge.
bool writeSingleByteFont(FontJob& job, ProgressSink& progress);
bool writeDoubleByteFont(FontJob& job, ProgressSink& progress);
bool writeDoubleByteTableFont(FontJob& job, ProgressSink& progress);

// Shows the "Making font..." window on ctx's progress sink, draws the font
// the job asks for and hides the window; then asks job.approve, when set,
// and puts the file in place. With job.fitGlyphs an italic width widens the
// cell (job.cellWidth) first. False when the job is refused (bad range,
// variable-pitch full double-byte font, cell too large, unknown mode), the
// approval was refused (job.stopped) or the file could not be written.
bool makeFont(FontJob& job, LinkContext& ctx);

}  // namespace m350
