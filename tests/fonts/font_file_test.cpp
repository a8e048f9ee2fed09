// SPDX-License-Identifier: MIT
// Bitmap font files as a reader sees them: made by makeFont with installed
// fonts, read back by the tests' own reader, compared with the same
// characters drawn independently with QPainter.
#include "core/fonts/font_file.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "bmf_reader.h"
#include "core/fonts/code_pages.h"
#include "core/fonts/encode_table.h"
#include "core/fonts/font_maker.h"
#include "support/scripted_port.h"

using namespace m350;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QFont dejaVu(int pixels, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

struct Rig {
    QTemporaryDir dir;
    m350test::RecordingProgress progress;
    LinkContext ctx;
    Rig() {
        ctx.progress = &progress;
        ctx.sleep = [](int) {};
    }
    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }
};

FontJob singleJob(const std::string& path, int pitch, int w, int h, QFont font = dejaVu(14)) {
    FontJob job;
    job.mode = kSingleByteFont;
    job.pitch = pitch;
    job.startCode = 32;
    job.endCode = 127;
    job.cellWidth = w;
    job.cellHeight = h;
    job.path = path;
    job.font = font;
    return job;
}

// The character drawn on its own: the cell's rows as '#' and '.', read pixel
// by pixel, placed as the font manager places it (centred in a fixed cell,
// at the left in a variable one, centred vertically when shorter).
std::vector<std::string> drawnAlone(const QString& ch, const QFont& font, bool variable, int cellW,
                                    int cellH, int* widthOut = nullptr) {
    QFont mono = font;
    mono.setStyleStrategy(QFont::NoAntialias);
    QFontMetrics m(mono);
    const int w = m.horizontalAdvance(ch), h = m.height();
    const int x0 = (!variable && w < cellW) ? (cellW - w) / 2 : 0;
    const int y0 = h < cellH ? (cellH - h) / 2 : 0;
    const int gw = variable ? w : cellW;
    if (widthOut) *widthOut = gw;
    QImage img(std::max(gw, 1), std::max(cellH, 1), QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(mono);
    p.setPen(Qt::black);
    p.drawText(x0, y0 + m.ascent(), ch);
    p.end();
    std::vector<std::string> rows;
    for (int y = 0; y < cellH; ++y) {
        std::string r;
        for (int x = 0; x < gw; ++x) r += (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

// A code of a code page as text, straight from iconv; empty when the code
// page has no character for it or it is a control character.
QString fromCodePage(const char* page, const std::string& code) {
    iconv_t cd = iconv_open("UTF-8", page);
    char out[16];
    char* in = const_cast<char*>(code.data());
    char* o = out;
    std::size_t inLeft = code.size(), outLeft = sizeof out;
    const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || inLeft) return {};
    QString s = QString::fromUtf8(out, static_cast<qsizetype>(sizeof out - outLeft));
    if (s.size() == 1 && s[0].category() == QChar::Other_Control) return {};
    return s;
}

}  // namespace

// The two layouts of a single-byte range font at 10 x 20.
TEST(FontFile, SingleByteRangeLayouts) {
    struct Case {
        int pitch;
        bool index;
        std::size_t firstRecord;
    };
    for (const Case c : {Case{kFixedPitch, false, 32}, Case{kVariablePitch, true, 608}}) {
        Rig rig;
        FontJob job = singleJob(rig.path("f.bmf"), c.pitch, 10, 20);
        ASSERT_TRUE(makeFont(job, rig.ctx));
        const std::string bytes = slurp(job.path);
        const bmftest::Font f = bmftest::read(bytes);
        ASSERT_TRUE(f.ok()) << f.problem;
        const std::vector<std::uint8_t> header = {'B', static_cast<std::uint8_t>(c.pitch),
                                                  0,   c.index,
                                                  0,   20,
                                                  0,   10,
                                                  0,   32,
                                                  0,   127,
                                                  0,   0,
                                                  0,   96,
                                                  0,   0,
                                                  0,   0,
                                                  0,   0,
                                                  0,   0,
                                                  0,   0,
                                                  0,   0,
                                                  0,   0,
                                                  0,   0};
        EXPECT_EQ(f.header, header);
        ASSERT_EQ(f.glyphs.size(), 96u);
        if (!c.index) {
            EXPECT_EQ(bytes.size(), 3872u);
            continue;
        }
        EXPECT_EQ(f.offsets[0], c.firstRecord);
        std::size_t expectEnd = 608;
        for (int i = 0; i < 96; ++i) {
            EXPECT_EQ(f.codes[static_cast<std::size_t>(i)], 32 + i);
            EXPECT_EQ(f.offsets[static_cast<std::size_t>(i)], expectEnd) << i;
            expectEnd += 2 + (static_cast<std::size_t>(f.glyphs[i].width) + 7) / 8 * 20;
        }
        EXPECT_EQ(bytes.size(), expectEnd);
    }
}

// Every glyph of fixed and variable fonts at several cells matches the
// character drawn alone, including 8- and 9-pixel rows and a narrow
// character centred in a wide cell.
TEST(FontFile, GlyphsMatchTheCharactersDrawnAlone) {
    struct Case {
        int pitch, w, h, pixels;
        bool bold;
    };
    for (const Case c :
         {Case{kFixedPitch, 8, 16, 12, false}, Case{kFixedPitch, 9, 16, 12, true},
          Case{kFixedPitch, 30, 24, 18, false}, Case{kVariablePitch, 10, 20, 14, false}}) {
        Rig rig;
        FontJob job = singleJob(rig.path("g.bmf"), c.pitch, c.w, c.h, dejaVu(c.pixels, c.bold));
        job.endCode = 255;
        ASSERT_TRUE(makeFont(job, rig.ctx));
        const bmftest::Font f = bmftest::read(slurp(job.path));
        ASSERT_TRUE(f.ok()) << f.problem;
        CodePage cp1252("CP1252");
        int inked = 0;
        for (std::size_t i = 0; i < f.glyphs.size(); ++i) {
            const int code = f.codes[i];
            const QString ch = cp1252.decode(std::string(1, static_cast<char>(code)));
            int width = c.w;
            std::vector<std::string> want;
            if (ch.isEmpty())
                want.assign(static_cast<std::size_t>(c.h),
                            std::string(static_cast<std::size_t>(c.w), '.'));
            else
                want = drawnAlone(ch, job.font, c.pitch == kVariablePitch, c.w, c.h, &width);
            ASSERT_EQ(f.glyphs[i].width, ch.isEmpty() ? c.w : width) << code;
            ASSERT_EQ(f.glyphs[i].rows, want) << "code " << code << " cell " << c.w;
            for (const auto& r : want) inked += r.find('#') != std::string::npos;
        }
        EXPECT_GT(inked, 100);
    }
}

TEST(FontFile, NarrowCharacterIsCentredRoundingLeft) {
    Rig rig;
    FontJob job = singleJob(rig.path("c.bmf"), kFixedPitch, 31, 20);
    job.startCode = job.endCode = '|';
    ASSERT_TRUE(makeFont(job, rig.ctx));
    const bmftest::Font f = bmftest::read(slurp(job.path));
    ASSERT_TRUE(f.ok()) << f.problem;
    const int w = QFontMetrics(monochromeFont(job.font)).horizontalAdvance(QStringLiteral("|"));
    int left = 99, right = -1;
    for (const auto& r : f.glyphs[0].rows) {
        if (auto a = r.find('#'); a != std::string::npos)
            left = std::min<int>(left, static_cast<int>(a));
        if (auto b = r.rfind('#'); b != std::string::npos)
            right = std::max<int>(right, static_cast<int>(b));
    }
    ASSERT_GE(right, 0);
    // The character's box starts at (31 - w) / 2; its ink lies inside the box.
    EXPECT_GE(left, (31 - w) / 2);
    EXPECT_LT(right, (31 - w) / 2 + w);
}

// Table fonts keep the table's order; control bytes are not characters.
TEST(FontFile, TableFonts) {
    struct Case {
        int mode;
        std::string table;
        std::vector<int> codes;
    };
    for (const Case& c : {Case{kSingleByteFont, "ABC\r\nDEF", {'A', 'B', 'C', 'D', 'E', 'F'}},
                          Case{kSingleByteFont, "a b\t", {'a', ' ', 'b'}},
                          Case{kDoubleByteFont, "\xA4\x40\xA4\x41\xA4", {0xA440, 0xA441}}}) {
        Rig rig;
        FontJob job = singleJob(rig.path("t.bmf"), kFixedPitch, 16, 16);
        job.mode = c.mode;
        job.byTable = true;
        job.table = *convertTable(c.table);
        job.tableCount = static_cast<std::uint32_t>(c.mode == kDoubleByteFont ? job.table.size() / 2
                                                                              : job.table.size());
        if (c.mode == kDoubleByteFont) job.font = QFont(QStringLiteral("Noto Sans CJK TC"));
        ASSERT_TRUE(makeFont(job, rig.ctx));
        const bmftest::Font f = bmftest::read(slurp(job.path));
        ASSERT_TRUE(f.ok()) << f.problem;
        EXPECT_EQ(f.index, 1);
        EXPECT_EQ(f.start, 0);
        EXPECT_EQ(f.end, 0);
        EXPECT_EQ(f.letter, 0);
        EXPECT_EQ(f.doubleByte, c.mode);
        EXPECT_EQ(f.codes, c.codes);
        EXPECT_EQ(f.offsets[0], 32u + 6 * c.codes.size());
    }
}

// The four whole encodings at a small cell: glyph count, letter and size.
TEST(FontFile, FullDoubleByteEncodings) {
    struct Case {
        int encoding;
        char letter;
        int singles, doubles;
    };
    const char* pages[] = {"BIG5", "GBK", "CP949", "CP932"};
    for (const Case c : {Case{kTraditionalChinese, 'T', 96, 94 * 157},
                         Case{kSimplifiedChinese, 'G', 96, 126 * 191},
                         Case{kKorean, 'K', 96, 94 * 95}, Case{kJapanese, 'J', 160, 60 * 189}}) {
        Rig rig;
        FontJob job = singleJob(rig.path("a.bmf"), kFixedPitch, 10, 6);
        job.mode = kDoubleByteFont;
        job.asianEncoding = c.encoding;
        job.font = QFont(QStringLiteral("Noto Sans CJK SC"));
        job.font.setPixelSize(5);
        ASSERT_TRUE(makeFont(job, rig.ctx));
        const std::string bytes = slurp(job.path);
        // Half width 5 and full width 10 pixels: one and two bytes per row.
        EXPECT_EQ(bytes.size(), 32u + static_cast<std::size_t>(c.singles) * 6 +
                                    static_cast<std::size_t>(c.doubles) * 12);
        const bmftest::Font f = bmftest::read(bytes);
        ASSERT_TRUE(f.ok()) << f.problem;
        EXPECT_EQ(f.letter, c.letter);
        EXPECT_EQ(f.count, c.singles + c.doubles);
        EXPECT_EQ(f.index, 0);
        // Glyphs found by position alone are the characters of their codes.
        int compared = 0, inked = 0;
        for (std::size_t i = 0; i < f.glyphs.size(); i += 97) {
            const int code = f.codes[i];
            std::string bytes;
            if (code > 255) bytes.push_back(static_cast<char>(code >> 8));
            bytes.push_back(static_cast<char>(code & 0xFF));
            const QString ch = fromCodePage(pages[c.encoding], bytes);
            if (ch.isEmpty() || (c.encoding == kTraditionalChinese && code >= 0xF9D6)) continue;
            const int cellW = code > 255 ? 10 : 5;
            EXPECT_EQ(f.glyphs[i].rows, drawnAlone(ch, job.font, false, cellW, 6))
                << c.letter << " code " << std::hex << code;
            ++compared;
            for (const auto& r : f.glyphs[i].rows) inked += r.find('#') != std::string::npos;
        }
        EXPECT_GT(compared, 50);
        EXPECT_GT(inked, compared);
        // The lead bytes move the bar: first 0, last 100.
        const auto& calls = rig.progress.calls;
        ASSERT_GE(calls.size(), 4u);
        EXPECT_EQ(calls.front(), "open Making font...");
        EXPECT_EQ(calls.back(), "close");
        EXPECT_NE(std::find(calls.begin(), calls.end(), "pos 100"), calls.end());
    }
}

TEST(FontFile, RefusedJobsLeaveNoFileAndKeepAnOldOne) {
    struct Case {
        const char* what;
        FontJob (*make)(const std::string&);
    };
    const Case cases[] = {
        {"reversed range",
         [](const std::string& p) {
             FontJob j = singleJob(p, kFixedPitch, 10, 20);
             j.startCode = 200;
             j.endCode = 100;
             return j;
         }},
        {"code above 255",
         [](const std::string& p) {
             FontJob j = singleJob(p, kFixedPitch, 10, 20);
             j.endCode = 256;
             return j;
         }},
        {"variable full double-byte",
         [](const std::string& p) {
             FontJob j = singleJob(p, kVariablePitch, 10, 20);
             j.mode = kDoubleByteFont;
             return j;
         }},
        {"cell wider than the surface",
         [](const std::string& p) { return singleJob(p, kFixedPitch, 2049, 8); }},
        {"glyph larger than its buffer",
         [](const std::string& p) { return singleJob(p, kFixedPitch, 2048, 257); }},
        {"unknown mode",
         [](const std::string& p) {
             FontJob j = singleJob(p, kFixedPitch, 10, 20);
             j.mode = 2;
             return j;
         }},
    };
    for (const Case& c : cases) {
        Rig rig;
        FontJob job = c.make(rig.path("x.bmf"));
        EXPECT_FALSE(makeFont(job, rig.ctx)) << c.what;
        EXPECT_FALSE(std::filesystem::exists(job.path)) << c.what;
        { std::ofstream(job.path) << "old"; }
        EXPECT_FALSE(makeFont(job, rig.ctx)) << c.what;
        EXPECT_EQ(slurp(job.path), "old") << c.what;
        // No temporary file is left beside it.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.dir.path().toStdString()),
                                std::filesystem::directory_iterator()),
                  1)
            << c.what;
    }
}

TEST(FontFile, UnwritableFolderFailsWithoutAFile) {
    Rig rig;
    FontJob job = singleJob(rig.path("missing/f.bmf"), kFixedPitch, 10, 20);
    EXPECT_FALSE(makeFont(job, rig.ctx));
    EXPECT_FALSE(std::filesystem::exists(job.path));
}

// Code 0 is an empty text, 0 pixels wide in a variable-pitch font; a negative
// italic width is its low byte, then the value divided by 256.
TEST(FontFile, CodeZeroAndNegativeItalicWidths) {
    Rig rig;
    FontJob job = singleJob(rig.path("zero.bmf"), kVariablePitch, 10, 20);
    job.startCode = 0;
    job.endCode = 1;
    ASSERT_TRUE(makeFont(job, rig.ctx));
    const bmftest::Font f = bmftest::read(slurp(job.path));
    ASSERT_TRUE(f.ok()) << f.problem;
    ASSERT_EQ(f.glyphs.size(), 2u);
    EXPECT_EQ(f.glyphs[0].width, 0);

    struct Case {
        int italic;
        std::uint8_t low, high;
    };
    for (const Case c : {Case{-1, 0xFF, 0x00}, Case{-300, 0xD4, 0xFF}, Case{300, 0x2C, 0x01},
                         Case{-256, 0x00, 0xFF}}) {
        FontJob italic = singleJob(rig.path("i.bmf"), kFixedPitch, 10, 20);
        italic.italicWidth = c.italic;
        const auto h = buildFontHeader(italic);
        EXPECT_EQ(h[4], 1) << c.italic;
        EXPECT_EQ(h[17], c.low) << c.italic;
        EXPECT_EQ(h[18], c.high) << c.italic;
    }
}

TEST(FontFile, CellLimits) {
    struct Case {
        int w, h;
        bool fits;
    };
    for (const Case c :
         {Case{2048, 256, true}, Case{2048, 257, false}, Case{2049, 1, false}, Case{8, 2048, true},
          Case{8, 2049, false}, Case{0, 0, true}, Case{-1, 8, false}}) {
        FontJob job;
        job.cellWidth = c.w;
        job.cellHeight = c.h;
        EXPECT_EQ(cellFits(job), c.fits) << c.w << " x " << c.h;
    }
}

TEST(FontFile, TableConversion) {
    EXPECT_EQ(convertTable("ABC\r\nDEF"), "ABCDEF");
    EXPECT_EQ(convertTable(std::string("AB\0CD", 5)), "AB");
    EXPECT_EQ(convertTable("\x01\x1F \x80\xFF"), " \x80\xFF");
    EXPECT_EQ(convertTable(std::string(65535, 'a'))->size(), 65535u);
    EXPECT_FALSE(convertTable(std::string(65536, 'a')));
}

// A font is saved like every other file: through a link to its target, never
// over a FIFO, device or folder, with the reason, and no temporary file left.
TEST(FontFile, SavedLikeEveryOtherFile) {
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        std::function<void(const std::string& dir, const std::string& path)> prepare;
        bool made;
        const char* reason;  // part of job.writeError when not made
        std::function<void(const std::string& dir, const std::string& path)> after;
    };
    const Case cases[] = {
        {"a link is followed, the link stays",
         [](const std::string& d, const std::string& p) {
             { std::ofstream(d + "/real.bmf") << "old"; }
             fs::create_symlink(d + "/real.bmf", p);
         },
         true, "",
         [](const std::string& d, const std::string& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_TRUE(bmftest::read(slurp(d + "/real.bmf")).ok());
         }},
        {"a FIFO is refused and stays",
         [](const std::string&, const std::string& p) { ::mkfifo(p.c_str(), 0600); }, false, "FIFO",
         [](const std::string&, const std::string& p) { EXPECT_TRUE(fs::is_fifo(p)); }},
        {"a link to /dev/null is refused",
         [](const std::string&, const std::string& p) { fs::create_symlink("/dev/null", p); },
         false, "device",
         [](const std::string&, const std::string&) {
             EXPECT_TRUE(fs::is_character_file("/dev/null"));
         }},
        {"a folder is refused",
         [](const std::string&, const std::string& p) { fs::create_directory(p); }, false,
         "directory",
         [](const std::string&, const std::string& p) { EXPECT_TRUE(fs::is_directory(p)); }},
        {"a name with a space and a newline", [](const std::string&, const std::string&) {}, true,
         "",
         [](const std::string&, const std::string& p) {
             EXPECT_TRUE(bmftest::read(slurp(p)).ok());
         }},
    };
    for (const Case& c : cases) {
        Rig rig;
        const std::string dir = rig.dir.path().toStdString();
        const std::string path = dir + (c.made ? "/my \nfont.bmf" : "/f.bmf");
        c.prepare(dir, path);
        const auto before = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
        FontJob job = singleJob(path, kFixedPitch, 10, 20);
        EXPECT_EQ(makeFont(job, rig.ctx), c.made) << c.what;
        if (c.made) {
            EXPECT_EQ(job.writeError, "") << c.what;
        } else {
            EXPECT_NE(job.writeError.find(path), std::string::npos) << c.what << job.writeError;
            EXPECT_NE(job.writeError.find(c.reason), std::string::npos) << c.what << job.writeError;
        }
        c.after(dir, path);
        const auto entries = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
        EXPECT_EQ(entries, before + (c.made && before == 0 ? 1 : 0)) << c.what;
    }
}

// A font file read back whose index points many entries at one record would
// copy it for each; such a file is refused, a file whose records are its own
// is read.
TEST(FontFile, ReadBackRefusesRecordsSharedThroughTheIndex) {
    auto font = [](int entries, bool shared) {
        std::string b(32, '\0');
        b[0] = 'B';
        b[3] = 1;   // index
        b[5] = 16;  // cell height
        b[7] = 16;  // cell width
        b[15] = static_cast<char>(entries);
        const std::size_t first = 32 + static_cast<std::size_t>(entries) * 6;
        for (int i = 0; i < entries; ++i) {
            const std::size_t at = shared ? first : first + static_cast<std::size_t>(i) * 32;
            b += static_cast<char>('A' + i);
            b += '\0';
            for (int k = 0; k < 4; ++k) b += static_cast<char>((at >> (8 * k)) & 0xFF);
        }
        b += std::string(shared ? 32 : 32 * static_cast<std::size_t>(entries), '\x55');
        return b;
    };
    std::string error;
    const auto own = parseFontFile(font(3, false), &error);
    ASSERT_TRUE(own) << error;
    ASSERT_EQ(own->glyphs.size(), 3u);
    EXPECT_EQ(own->glyphs[2].code, 'C');
    EXPECT_TRUE(own->glyphs[2].ink(1, 15));
    EXPECT_FALSE(parseFontFile(font(1, true), &error) == std::nullopt) << "one entry is its own";
    EXPECT_FALSE(parseFontFile(font(40, true), &error));
    EXPECT_EQ(error, "the index points glyphs at the same bytes");

    // A cell beyond what the maker can draw would only give rows of nothing
    // for every code: refused, at the header.
    for (const int side : {5, 7}) {
        std::string tall = font(3, false);
        tall[side + 1] = 0x08;  // 2048 + the low byte
        EXPECT_FALSE(parseFontFile(tall, &error)) << side;
        EXPECT_EQ(error, "the cell is larger than a font can be") << side;
    }
}

// A table file is read like every other input file: regular and at most
// 65535 bytes, with the reason otherwise; a FIFO never blocks.
TEST(FontFile, TableFileIsBoundedAndRegular) {
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    { std::ofstream(d + "/ok.txt") << "ABC\r\n"; }
    { std::ofstream(d + "/long.txt") << std::string(65536, 'a'); }
    ::mkfifo((d + "/fifo").c_str(), 0600);
    struct Case {
        std::string path;
        bool read;
        const char* reason;
    };
    for (const Case& c :
         {Case{d + "/ok.txt", true, ""}, Case{d + "/long.txt", false, "longer than"},
          Case{d + "/fifo", false, "FIFO"}, Case{"/dev/zero", false, "device"},
          Case{d, false, "directory"}, Case{d + "/none", false, "No such file"}}) {
        std::string why;
        const auto table = readTableFile(c.path, &why);
        EXPECT_EQ(table.has_value(), c.read) << c.path;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.path << ": " << why;
    }
    EXPECT_EQ(readTableFile(d + "/ok.txt"), "ABC\r\n");
}

// Glyphs that lose ink at the cell edge are counted, exactly those whose
// character drawn alone (with room all round, placed as the font manager
// places it) has ink outside the cell: an italic font's overhang, the Latin
// half of a double-byte font. With fit none is cut and the cell is widened
// by the italic width.
TEST(FontFile, GlyphsCutAtTheCellEdgeAreCounted) {
    QFont italic(QStringLiteral("DejaVu Serif")), korean(QStringLiteral("Noto Sans CJK KR"));
    italic.setPointSize(24);
    italic.setItalic(true);
    korean.setPointSize(16);
    for (auto [font, mode, pitch, measured, atLeast] :
         {std::tuple{italic, kSingleByteFont, kVariablePitch, QString("W"), 10},
          std::tuple{italic, kSingleByteFont, kFixedPitch, QString("W"), 1},
          std::tuple{korean, kDoubleByteFont, kFixedPitch, CodePage("CP949").decode("\xE0\xA2"),
                     20}}) {
        const QSize cell = measureText(font, measured);
        const int italicWidth = font.italic() ? cell.width() * 3 / 10 : 0;
        const int cellW = mode == kDoubleByteFont ? cell.width() / 2 : cell.width();
        std::vector<std::string> want;
        for (int code = 33; code <= 126; ++code) {
            QFont mono = font;
            mono.setStyleStrategy(QFont::NoAntialias);
            QFontMetrics m(mono);
            const QString ch(QChar(static_cast<char16_t>(code)));
            const int w = m.horizontalAdvance(ch), h = m.height(), pad = 64;
            const int gw = pitch == kVariablePitch ? w : cellW;
            QImage img(gw + 2 * pad, cell.height() + 2 * pad, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            p.setFont(mono);
            p.drawText(pad + (gw > w ? (gw - w) / 2 : 0),
                       pad + (h < cell.height() ? (cell.height() - h) / 2 : 0) + m.ascent(), ch);
            p.end();
            bool outside = false;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    outside = outside || (img.pixel(x, y) != 0xFFFFFFFF &&
                                          !QRect(pad, pad, gw, cell.height()).contains(x, y));
            if (outside) want.push_back(std::string(1, static_cast<char>(code)));
        }
        for (bool fit : {false, true}) {
            Rig rig;
            FontJob job = singleJob(rig.path("cut.bmf"), pitch, cell.width(), cell.height(), font);
            job.mode = mode;
            job.asianEncoding = kKorean;
            job.endCode = 126;
            job.italicWidth = italicWidth;
            job.fitGlyphs = fit;
            ASSERT_TRUE(makeFont(job, rig.ctx));
            std::vector<std::string> got;
            for (const std::string& code : job.clippedCodes)
                if (code.size() == 1) got.push_back(code);
            EXPECT_EQ(got, fit ? std::vector<std::string>{} : want) << measured.toStdString();
            EXPECT_GE(int(want.size()), atLeast);
            EXPECT_EQ(bmftest::read(slurp(job.path)).width, cell.width() + (fit ? italicWidth : 0));
        }
    }
}
