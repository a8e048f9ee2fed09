// SPDX-License-Identifier: MIT
#include "core/fonts/font_maker.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/files/local_file.h"

namespace m350 {

namespace {

constexpr QRgb kWhite = 0xFFFFFF;

// Up to eight pixels into one byte, the first in the top bit; any pixel but
// pure white is ink, the bits past n stay 0.
inline std::uint8_t packEight(const QRgb* p, int n) {
    unsigned byte = 0;
    for (int i = 0; i < n; ++i) byte |= unsigned((p[i] & kWhite) != kWhite) << (7 - i);
    return static_cast<std::uint8_t>(byte);
}

// The same for a whole byte, unrolled: this runs for every eight pixels.
// Whether a packed glyph has ink in its first or last column or row.
bool inkOnEdge(const std::uint8_t* bitmap, int w, int h) {
    if (w <= 0 || h <= 0) return false;
    const int row = (w + 7) / 8;
    const unsigned lastBit = 0x80u >> ((w - 1) % 8);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* r = bitmap + static_cast<std::ptrdiff_t>(y) * row;
        if ((r[0] & 0x80u) || (r[(w - 1) / 8] & lastBit)) return true;
    }
    for (int b = 0; b < row; ++b)
        if (bitmap[b] || bitmap[static_cast<std::ptrdiff_t>(h - 1) * row + b]) return true;
    return false;
}

inline std::uint8_t packEight(const QRgb* p) {
    auto ink = [p](int i) { return unsigned((p[i] & kWhite) != kWhite); };
    return static_cast<std::uint8_t>(ink(0) << 7 | ink(1) << 6 | ink(2) << 5 | ink(3) << 4 |
                                     ink(4) << 3 | ink(5) << 2 | ink(6) << 1 | ink(7));
}

// The low byte, then the value divided by 256 (rounded toward zero, as the
// printer reads it): -1 is FF 00, -300 is D4 FF.
void put16(std::uint8_t* p, int value) {
    p[0] = static_cast<std::uint8_t>(value & 0xFF);
    p[1] = static_cast<std::uint8_t>((value / 256) & 0xFF);
}

void put32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

// The output file with its placeholder index, gathered in memory and put in
// place whole (through a temporary name beside the target) when complete, so
// that a failed run never leaves a partial font behind and a link, device or
// FIFO at the path is treated as for every other saved file.
class FontFileWriter {
  public:
    FontFileWriter() : bitmap_(kGlyphBufferSize) {}
    void write(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
    }
    std::uint8_t* bitmap() { return bitmap_.data(); }
    void writeHeaderAndPlaceholder(const FontJob& job, bool index) {
        const auto header = buildFontHeader(job);
        write(header.data(), header.size());
        if (index) {
            index_.assign(static_cast<std::size_t>(job.charCount) * kIndexEntrySize, 0);
            write(index_.data(), index_.size());
        }
    }
    void setEntry(int i, int b1, int b2, std::uint32_t offset) {
        std::uint8_t* e = index_.data() + static_cast<std::size_t>(i) * kIndexEntrySize;
        e[0] = static_cast<std::uint8_t>(b1);
        e[1] = static_cast<std::uint8_t>(b2);
        put32(e + 2, offset);
    }
    // Writes the filled index over the placeholder and hands the file over.
    bool finish(std::vector<std::uint8_t>& file) {
        std::copy(index_.begin(), index_.end(), bytes_.begin() + kFontHeaderSize);
        file = std::move(bytes_);
        return true;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> bitmap_;
    std::vector<std::uint8_t> index_;
};

GlyphJob glyphJobFor(const FontJob& job, int cellWidth) {
    GlyphJob g;
    g.variablePitch = job.pitch == kVariablePitch;
    g.cellWidth = cellWidth;
    g.cellHeight = job.cellHeight;
    g.fit = job.fitGlyphs;
    if (job.fitGlyphs && g.variablePitch) g.extraWidth = std::max(0, job.italicWidth);
    return g;
}

// Renders one glyph and notes it when it lost ink at an edge of its cell.
int renderCounted(GlyphJob& g, FontSurface& surface, CodePage& codePage, std::uint8_t* bitmap,
                  FontJob& job) {
    const int n = renderGlyph(g, surface, codePage, bitmap);
    if (g.clipped) job.clippedCodes.push_back(g.text);
    return n;
}

std::string codeText(int b1, int b2 = -1) {
    std::string s(1, static_cast<char>(b1));
    if (b2 >= 0) s.push_back(static_cast<char>(b2));
    return s;
}

// Writes the records of a font with an index (table fonts and variable-pitch
// single-byte fonts): codes[i] holds one or two bytes.
bool buildIndexed(FontJob& job, const std::vector<std::string>& codes, CodePage& codePage,
                  int cellWidth, ProgressSink& progress, std::vector<std::uint8_t>& file) {
    FontFileWriter out;
    job.charCount = static_cast<int>(codes.size());
    out.writeHeaderAndPlaceholder(job, true);
    FontSurface surface(job.font);
    GlyphJob g = glyphJobFor(job, cellWidth);
    std::uint32_t offset =
        kFontHeaderSize + kIndexEntrySize * static_cast<std::uint32_t>(codes.size());
    const int count = static_cast<int>(codes.size());
    for (int i = 0; i < count; ++i) {
        const std::string& code = codes[static_cast<std::size_t>(i)];
        g.text = code;
        const int n = renderCounted(g, surface, codePage, out.bitmap(), job);
        const int b2 = code.size() > 1 ? static_cast<std::uint8_t>(code[1]) : 0;
        out.setEntry(i, static_cast<std::uint8_t>(code[0]), b2, offset);
        if (job.pitch == kVariablePitch) {
            std::uint8_t w[2];
            put16(w, g.glyphWidth);
            out.write(w, 2);
            offset += 2;
        }
        offset += static_cast<std::uint32_t>(n);
        out.write(out.bitmap(), static_cast<std::size_t>(n));
        progress.setPosition(i * 100 / count);
        progress.pump();
    }
    return out.finish(file);
}

bool putInPlace(FontJob& job, const std::vector<std::uint8_t>& file) {
    job.writeError.clear();
    return writeFileAtomically(job.path, file, &job.writeError);
}

}  // namespace

QFont monochromeFont(QFont font) {
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    return font;
}

QSize measureText(const QFont& font, const QString& text) {
    QFontMetrics m(monochromeFont(font));
    return {m.horizontalAdvance(text), m.height()};
}

FontSurface::FontSurface(const QFont& font) : font_(monochromeFont(font)), metrics_(font_) {}

FontSurface::~FontSurface() = default;

const QImage& FontSurface::draw(const QString& text, qreal x, int y, int w, int h, qreal sx) {
    if (image_.width() < w || image_.height() < h) {
        painter_.reset();
        image_ =
            QImage(std::max(w, image_.width()), std::max(h, image_.height()), QImage::Format_RGB32);
        image_.fill(Qt::white);
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, false);
        painter_->setFont(font_);
        painter_->setPen(Qt::black);
    }
    painter_->fillRect(0, 0, w, h, Qt::white);
    if (text.isEmpty()) return image_;
    if (sx == 1.0) {
        painter_->drawText(QPointF(x, y + metrics_.ascent()), text);
    } else {
        painter_->save();
        painter_->translate(x, 0);
        painter_->scale(sx, 1.0);
        painter_->drawText(QPointF(0, y + metrics_.ascent()), text);
        painter_->restore();
    }
    return image_;
}

QRect FontSurface::inkBox(const QString& text) const {
    return text.size() == 1 ? metrics_.boundingRect(text[0]) : metrics_.boundingRect(text);
}

bool FontSurface::inkOutside(const QString& text, qreal x, int y, int w, int h, qreal sx) const {
    // The text drawn alone on a white image that holds the cell and all of
    // the ink around it (with room for hinting to move an edge a pixel or
    // two), then every ink pixel outside the cell counted.
    const QRect ink = inkBox(text);
    constexpr int kSlack = 3;
    const int base = y + metrics_.ascent();
    const int left = std::min(0, static_cast<int>(std::floor(x + ink.left() * sx)) - kSlack);
    const int right = std::max(w, static_cast<int>(std::ceil(x + (ink.right() + 1) * sx)) + kSlack);
    const int top = std::min(0, base + ink.top() - kSlack);
    const int bottom = std::max(h, base + ink.bottom() + 1 + kSlack);
    QImage scratch(right - left, bottom - top, QImage::Format_RGB32);
    scratch.fill(Qt::white);
    {
        QPainter p(&scratch);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(font_);
        p.setPen(Qt::black);
        p.translate(x - left, 0);
        p.scale(sx, 1.0);
        p.drawText(QPointF(0, base - top), text);
    }
    for (int py = 0; py < scratch.height(); ++py) {
        const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(py));
        const int cy = py + top;
        for (int px = 0; px < scratch.width(); ++px) {
            if ((line[px] & kWhite) == kWhite) continue;
            const int cx = px + left;
            if (cx < 0 || cx >= w || cy < 0 || cy >= h) return true;
        }
    }
    return false;
}

bool cellFits(const FontJob& job) {
    if (job.cellWidth < 0 || job.cellHeight < 0) return false;
    if (job.cellWidth > kSurfaceSize || job.cellHeight > kSurfaceSize) return false;
    return static_cast<long>((job.cellWidth + 7) / 8) * job.cellHeight <= kGlyphBufferSize;
}

int renderGlyph(GlyphJob& job, FontSurface& surface, CodePage& codePage, std::uint8_t* bitmap) {
    // Code 0 is an empty text: nothing is drawn, and a variable-pitch record
    // is 0 pixels wide.
    const bool codeZero = job.text.empty() || job.text[0] == '\0';
    const QString ch = codeZero ? QString() : codePage.decode(job.text);
    job.clipped = false;
    const int gh = std::max(0, job.cellHeight);
    const int cellWidth = std::max(0, job.cellWidth);
    const QFontMetrics& m = surface.metrics();
    // The character is drawn once, margin pixels right of the image's left
    // edge, before it is measured: drawing caches the glyph, so the advance
    // comes from the cache instead of a second load of the outline. Centring
    // then moves the cell, not the character: the cell starts x0 pixels left
    // of the margin (x0 never exceeds half the cell width).
    const int margin = cellWidth / 2 + 1;
    int w = codeZero ? 0 : cellWidth, x0 = 0, y0 = 0;
    const QImage* image = nullptr;
    if (!ch.isEmpty()) {
        const int h = m.height();
        if (h < gh) y0 = (gh - h) / 2;
        image = &surface.draw(ch, margin, y0, margin + cellWidth, gh);
        // Letters of the Asian scripts (ideographs, kana, hangul) are shaped
        // alone as they are: their advance is the glyph's own, with no text
        // to lay out. Everything else is measured as a text (a soft hyphen,
        // for one, has no width there).
        w = (ch.size() == 1 && ch[0].category() == QChar::Letter_Other) ? m.horizontalAdvance(ch[0])
                                                                        : m.horizontalAdvance(ch);
        if (!job.variablePitch && w < cellWidth) x0 = (cellWidth - w) / 2;
        // A variable-pitch glyph widened by fit has the extra width shared
        // out on both sides of the character.
        if (job.variablePitch) x0 = std::min(std::max(0, job.extraWidth) / 2, margin);
    }
    int gw = job.variablePitch ? w + 2 * x0 : cellWidth;
    // A variable-pitch glyph wider than the surface or than the buffer holds
    // is cut at the edge rather than read from outside.
    gw = std::clamp(gw, 0, kSurfaceSize);
    if (gh > 0) gw = std::min(gw, kGlyphBufferSize / gh * 8);
    job.glyphWidth = gw;
    job.glyphHeight = gh;
    const int rowBytes = (gw + 7) / 8;
    const int bytes = rowBytes * gh;
    if (bytes == 0) return 0;
    if (!image) {
        std::fill(bitmap, bitmap + bytes, 0);
        return bytes;
    }
    const int left = margin - x0;
    const int whole = gw / 8, rest = gw % 8;
    auto sample = [&] {
        std::uint8_t* out = bitmap;
        for (int y = 0; y < gh; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image->constScanLine(y)) + left;
            for (int b = 0; b < whole; ++b, line += 8) *out++ = packEight(line);
            if (rest) *out++ = packEight(line, rest);
        }
    };
    // A variable-pitch glyph wider than the cell needs more of the line.
    if (gw > cellWidth) image = &surface.draw(ch, margin, y0, left + gw, gh);
    sample();
    // Ink cut by an edge of the cell leaves ink on that edge: only such a
    // glyph is looked at again (fitted, and drawn alone to see whether it
    // lost any), so the others cost nothing more.
    if (!inkOnEdge(bitmap, gw, gh)) return bytes;
    qreal textX = x0, sx = 1.0;
    const QRect ink = surface.inkBox(ch);
    if (job.fit && gw > 2 && !ink.isEmpty() && (x0 + ink.left() < 0 || x0 + ink.right() + 1 > gw)) {
        // Narrower, centred on its ink, a pixel clear of each edge.
        const int room = gw > 4 ? gw - 2 : gw;
        sx = ink.width() > room ? qreal(room) / ink.width() : 1.0;
        textX = (gw - ink.width() * sx) / 2 - ink.left() * sx;
        image = &surface.draw(ch, left + textX, y0, left + gw, gh, sx);
        sample();
    }
    job.clipped = surface.inkOutside(ch, textX, y0, gw, gh, sx);
    return bytes;
}

std::array<std::uint8_t, kFontHeaderSize> buildFontHeader(const FontJob& job) {
    std::array<std::uint8_t, kFontHeaderSize> h{};
    const bool doubleByte = job.mode == kDoubleByteFont;
    const bool fullDouble = doubleByte && !job.byTable;
    const bool index = doubleByte ? job.byTable : (job.pitch == kVariablePitch || job.byTable);
    h[0] = 'B';
    h[1] = job.pitch == kVariablePitch ? 1 : 0;
    h[2] = doubleByte ? 1 : 0;
    h[3] = index ? 1 : 0;
    h[4] = job.italicWidth != 0 ? 1 : 0;
    put16(&h[5], job.cellHeight);
    put16(&h[7], job.cellWidth);
    if (!doubleByte && !job.byTable) {
        put16(&h[9], job.startCode);
        put16(&h[11], job.endCode);
    }
    if (fullDouble) h[13] = static_cast<std::uint8_t>(asianEncodingLetter(job.asianEncoding));
    put16(&h[15], job.charCount);
    put16(&h[17], job.italicWidth);
    return h;
}

namespace {

// The three layouts, gathered in memory; the public writers and makeFont put
// the file in place.
bool buildSingleByteFont(FontJob& job, ProgressSink& progress, std::vector<std::uint8_t>& file) {
    job.clippedCodes.clear();
    if (!job.byTable && (job.startCode < 0 || job.endCode > 255)) return false;
    if (job.endCode < job.startCode) return false;
    if (!cellFits(job)) return false;
    CodePage codePage(job.singleByteCodePage);
    if (!codePage.valid()) return false;
    std::vector<std::string> list;
    if (job.byTable) {
        const std::size_t n = std::min<std::size_t>(job.tableCount, job.table.size());
        for (std::size_t i = 0; i < n; ++i) list.push_back(std::string(1, job.table[i]));
    } else {
        for (int c = job.startCode; c <= job.endCode; ++c) list.push_back(codeText(c));
    }
    if (job.pitch == kVariablePitch || job.byTable)
        return buildIndexed(job, list, codePage, job.cellWidth, progress, file);

    // Fixed pitch from a range: records one after another, no index.
    FontFileWriter out;
    job.charCount = static_cast<int>(list.size());
    out.writeHeaderAndPlaceholder(job, false);
    FontSurface surface(job.font);
    GlyphJob g = glyphJobFor(job, job.cellWidth);
    const int count = job.charCount;
    for (int i = 0; i < count; ++i) {
        g.text = list[static_cast<std::size_t>(i)];
        const int n = renderCounted(g, surface, codePage, out.bitmap(), job);
        out.write(out.bitmap(), static_cast<std::size_t>(n));
        progress.setPosition(i * 100 / count);
        progress.pump();
    }
    return out.finish(file);
}

bool buildDoubleByteFont(FontJob& job, ProgressSink& progress, std::vector<std::uint8_t>& file) {
    job.clippedCodes.clear();
    if (job.pitch == kVariablePitch) return false;
    if (!cellFits(job)) return false;
    const FontLayout layout = fullDoubleByteLayout(job.asianEncoding);
    if (layout.leads.empty()) return false;
    CodePage codePage(std::string(asianCodePage(job.asianEncoding)));
    if (!codePage.valid()) return false;
    FontFileWriter out;
    job.charCount =
        static_cast<int>(layout.singleCodes.size() + layout.leads.size() * layout.trails.size());
    out.writeHeaderAndPlaceholder(job, false);
    FontSurface surface(job.font);
    GlyphJob half = glyphJobFor(job, job.cellWidth / 2);
    for (int c : layout.singleCodes) {
        half.text = codeText(c);
        const int n = renderCounted(half, surface, codePage, out.bitmap(), job);
        out.write(out.bitmap(), static_cast<std::size_t>(n));
    }
    GlyphJob full = glyphJobFor(job, job.cellWidth);
    for (int lead : layout.leads) {
        for (int trail : layout.trails) {
            full.text = codeText(lead, trail);
            const int n = renderCounted(full, surface, codePage, out.bitmap(), job);
            out.write(out.bitmap(), static_cast<std::size_t>(n));
        }
        progress.setPosition((lead - layout.progressBase) * 100 / layout.progressDivisor);
        progress.pump();
    }
    return out.finish(file);
}

bool buildDoubleByteTableFont(FontJob& job, ProgressSink& progress,
                              std::vector<std::uint8_t>& file) {
    job.clippedCodes.clear();
    if (!cellFits(job)) return false;
    CodePage codePage(std::string(asianCodePage(job.asianEncoding)));
    if (!codePage.valid()) return false;
    std::vector<std::string> list;
    const std::size_t pairs = std::min<std::size_t>(job.tableCount, job.table.size() / 2);
    for (std::size_t i = 0; i < pairs; ++i) list.push_back(job.table.substr(2 * i, 2));
    return buildIndexed(job, list, codePage, job.cellWidth, progress, file);
}

}  // namespace

bool writeSingleByteFont(FontJob& job, ProgressSink& progress) {
    std::vector<std::uint8_t> file;
    return buildSingleByteFont(job, progress, file) && putInPlace(job, file);
}

bool writeDoubleByteFont(FontJob& job, ProgressSink& progress) {
    std::vector<std::uint8_t> file;
    return buildDoubleByteFont(job, progress, file) && putInPlace(job, file);
}

bool writeDoubleByteTableFont(FontJob& job, ProgressSink& progress) {
    std::vector<std::uint8_t> file;
    return buildDoubleByteTableFont(job, progress, file) && putInPlace(job, file);
}

bool makeFont(FontJob& job, LinkContext& ctx) {
    job.writeError.clear();
    job.stopped = false;
    // Fit widens an italic font's cell by its italic width, the header's
    // cell width with it.
    if (job.fitGlyphs && job.italicWidth > 0) job.cellWidth += job.italicWidth;
    showProgress(ctx, kPercentMode, 0, 0, "Making font...");
    bool ok = false;
    std::vector<std::uint8_t> file;
    if (job.mode == kSingleByteFont)
        ok = buildSingleByteFont(job, ctx.sink(), file);
    else if (job.mode == kDoubleByteFont && !job.byTable)
        ok = buildDoubleByteFont(job, ctx.sink(), file);
    else if (job.mode == kDoubleByteFont)
        ok = buildDoubleByteTableFont(job, ctx.sink(), file);
    hideProgress(ctx);
    if (!ok) return false;
    // The font is drawn: the caller may look at it (glyphs cut at the cell
    // edge) before the file is written.
    if (job.approve && !job.approve(job)) {
        job.stopped = true;
        return false;
    }
    return putInPlace(job, file);
}

}  // namespace m350
