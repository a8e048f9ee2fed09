#include "core/fonts/font_maker.h"

#include <algorithm>
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
    explicit FontFileWriter(const std::string& path, std::string& why)
        : path_(path), why_(why), bitmap_(kGlyphBufferSize) {}
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
    // Writes the filled index over the placeholder and puts the file in place.
    bool finish() {
        std::copy(index_.begin(), index_.end(), bytes_.begin() + kFontHeaderSize);
        return writeFileAtomically(path_, bytes_, &why_);
    }

  private:
    std::string path_;
    std::string& why_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> bitmap_;
    std::vector<std::uint8_t> index_;
};

GlyphJob glyphJobFor(const FontJob& job, int cellWidth) {
    GlyphJob g;
    g.variablePitch = job.pitch == kVariablePitch;
    g.cellWidth = cellWidth;
    g.cellHeight = job.cellHeight;
    return g;
}

std::string codeText(int b1, int b2 = -1) {
    std::string s(1, static_cast<char>(b1));
    if (b2 >= 0) s.push_back(static_cast<char>(b2));
    return s;
}

// Writes the records of a font with an index (table fonts and variable-pitch
// single-byte fonts): codes[i] holds one or two bytes.
bool writeIndexed(FontJob& job, const std::vector<std::string>& codes, CodePage& codePage,
                  int cellWidth, ProgressSink& progress) {
    job.writeError.clear();
    FontFileWriter out(job.path, job.writeError);
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
        const int n = renderGlyph(g, surface, codePage, out.bitmap());
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
    return out.finish();
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

const QImage& FontSurface::draw(const QString& text, int x, int y, int w, int h) {
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
    if (!text.isEmpty()) painter_->drawText(x, y + metrics_.ascent(), text);
    return image_;
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
    // A variable-pitch glyph wider than the cell needs more of the line.
    if (gw > cellWidth) image = &surface.draw(ch, margin, y0, margin + gw, gh);
    const int left = margin - x0;
    const int whole = gw / 8, rest = gw % 8;
    std::uint8_t* out = bitmap;
    for (int y = 0; y < gh; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image->constScanLine(y)) + left;
        for (int b = 0; b < whole; ++b, line += 8) *out++ = packEight(line);
        if (rest) *out++ = packEight(line, rest);
    }
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

bool writeSingleByteFont(FontJob& job, ProgressSink& progress) {
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
        return writeIndexed(job, list, codePage, job.cellWidth, progress);

    // Fixed pitch from a range: records one after another, no index.
    job.writeError.clear();
    FontFileWriter out(job.path, job.writeError);
    job.charCount = static_cast<int>(list.size());
    out.writeHeaderAndPlaceholder(job, false);
    FontSurface surface(job.font);
    GlyphJob g = glyphJobFor(job, job.cellWidth);
    const int count = job.charCount;
    for (int i = 0; i < count; ++i) {
        g.text = list[static_cast<std::size_t>(i)];
        const int n = renderGlyph(g, surface, codePage, out.bitmap());
        out.write(out.bitmap(), static_cast<std::size_t>(n));
        progress.setPosition(i * 100 / count);
        progress.pump();
    }
    return out.finish();
}

bool writeDoubleByteFont(FontJob& job, ProgressSink& progress) {
    if (job.pitch == kVariablePitch) return false;
    if (!cellFits(job)) return false;
    const FontLayout layout = fullDoubleByteLayout(job.asianEncoding);
    if (layout.leads.empty()) return false;
    CodePage codePage(std::string(asianCodePage(job.asianEncoding)));
    if (!codePage.valid()) return false;
    job.writeError.clear();
    FontFileWriter out(job.path, job.writeError);
    job.charCount =
        static_cast<int>(layout.singleCodes.size() + layout.leads.size() * layout.trails.size());
    out.writeHeaderAndPlaceholder(job, false);
    FontSurface surface(job.font);
    GlyphJob half = glyphJobFor(job, job.cellWidth / 2);
    for (int c : layout.singleCodes) {
        half.text = codeText(c);
        const int n = renderGlyph(half, surface, codePage, out.bitmap());
        out.write(out.bitmap(), static_cast<std::size_t>(n));
    }
    GlyphJob full = glyphJobFor(job, job.cellWidth);
    for (int lead : layout.leads) {
        for (int trail : layout.trails) {
            full.text = codeText(lead, trail);
            const int n = renderGlyph(full, surface, codePage, out.bitmap());
            out.write(out.bitmap(), static_cast<std::size_t>(n));
        }
        progress.setPosition((lead - layout.progressBase) * 100 / layout.progressDivisor);
        progress.pump();
    }
    return out.finish();
}

bool writeDoubleByteTableFont(FontJob& job, ProgressSink& progress) {
    if (!cellFits(job)) return false;
    CodePage codePage(std::string(asianCodePage(job.asianEncoding)));
    if (!codePage.valid()) return false;
    std::vector<std::string> list;
    const std::size_t pairs = std::min<std::size_t>(job.tableCount, job.table.size() / 2);
    for (std::size_t i = 0; i < pairs; ++i) list.push_back(job.table.substr(2 * i, 2));
    return writeIndexed(job, list, codePage, job.cellWidth, progress);
}

bool makeFont(FontJob& job, LinkContext& ctx) {
    showProgress(ctx, kPercentMode, 0, 0, "Making font...");
    bool ok = false;
    if (job.mode == kSingleByteFont)
        ok = writeSingleByteFont(job, ctx.sink());
    else if (job.mode == kDoubleByteFont && !job.byTable)
        ok = writeDoubleByteFont(job, ctx.sink());
    else if (job.mode == kDoubleByteFont)
        ok = writeDoubleByteTableFont(job, ctx.sink());
    hideProgress(ctx);
    return ok;
}

}  // namespace m350
