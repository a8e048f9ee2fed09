// font make: a bitmap font drawn from an installed font without a display.
// Linked only into m350ctl-fonts (see font_make.h).
#include "cli/font_make.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "cli/exit_codes.h"
#include "core/fonts/code_pages.h"
#include "core/fonts/encode_table.h"
#include "core/fonts/font_maker.h"

namespace m350::cli {

namespace {

const std::map<std::string, int> kAsian = {{"T", m350::kTraditionalChinese},
                                           {"G", m350::kSimplifiedChinese},
                                           {"K", m350::kKorean},
                                           {"J", m350::kJapanese}};
// Point sizes a font is made in: from the smallest that draws a pixel to
// the largest whose cell fits the 2048-pixel surface.
constexpr double kMinPointSize = 1;
constexpr double kMaxPointSize = 1000;

// Text drawing needs a QGuiApplication; the offscreen platform needs no
// display.
std::unique_ptr<QGuiApplication> startGui() {
    if (QGuiApplication::instance()) return nullptr;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "m350ctl";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Fills the job's encoding fields from --encode; false with *why set.
bool parseEncode(const std::string& text, m350::FontJob& job, std::string& why) {
    const auto colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::string arg = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    if (kind == "standard") {
        job.mode = m350::kSingleByteFont;
        if (!arg.empty()) {
            int a = -1, b = -1;
            char dash = 0;
            if (std::sscanf(arg.c_str(), "%d%c%d", &a, &dash, &b) != 3 || dash != '-') {
                why = "--encode standard:START-END wants two numbers";
                return false;
            }
            if (a < 0 || b > 255 || a > b) {
                why = "--encode standard:START-END wants 0 <= START <= END <= 255";
                return false;
            }
            job.startCode = a;
            job.endCode = b;
        }
        return true;
    }
    if (kind == "asian") {
        auto it = kAsian.find(arg);
        if (it == kAsian.end()) {
            why = "--encode asian: wants T, G, K or J";
            return false;
        }
        job.mode = m350::kDoubleByteFont;
        job.asianEncoding = it->second;
        return true;
    }
    if (kind == "table" || kind == "asian-table") {
        std::string reason;
        std::optional<std::string> raw = m350::readTableFile(arg, &reason);
        if (!raw) {
            why = "the table: " + reason;
            return false;
        }
        job.byTable = true;
        job.table = *m350::convertTable(*raw);
        job.mode = kind == "table" ? m350::kSingleByteFont : m350::kDoubleByteFont;
        job.tableCount = static_cast<std::uint32_t>(
            job.mode == m350::kDoubleByteFont ? job.table.size() / 2 : job.table.size());
        if (job.tableCount == 0) {
            why = "the table " + arg + " has no characters";
            return false;
        }
        return true;
    }
    why = "--encode wants standard[:START-END], asian:T|G|K|J, table:FILE or asian-table:FILE";
    return false;
}

}  // namespace

int makeFontCommand(Session& s, const FontMakeOptions& o, const std::string& asianTable) {
    // A font of no size, or one no cell can hold, is no font.
    if (!(o.size >= kMinPointSize && o.size <= kMaxPointSize))
        return s.fail(kExitUsage, "--size wants " + std::to_string(int(kMinPointSize)) + " to " +
                                      std::to_string(int(kMaxPointSize)) + " points");
    auto gui = startGui();
    m350::FontJob job;
    job.startCode = 32;
    job.endCode = 127;
    std::string why;
    if (!asianTable.empty()) job.asianEncoding = kAsian.at(asianTable);
    if (!parseEncode(o.encode, job, why)) return s.fail(kExitUsage, why);
    job.singleByteCodePage = o.codePage;
    if (!m350::CodePage(o.codePage).valid())
        return s.fail(kExitUsage, "unknown code page " + o.codePage);
    const bool doubleByte = job.mode == m350::kDoubleByteFont;
    job.pitch = o.pitch.empty()
                    ? (doubleByte ? m350::kFixedPitch : m350::kVariablePitch)
                    : (o.pitch == "variable" ? m350::kVariablePitch : m350::kFixedPitch);
    QFont font(QString::fromStdString(o.family));
    font.setPointSizeF(o.size);
    font.setBold(o.bold);
    font.setItalic(o.italic);
    job.font = font;
    // The cell as the font manager measures it: on "W", or on the character
    // 0xE0 0xA2 of the encoding for double-byte fonts.
    QString measured = QStringLiteral("W");
    if (doubleByte)
        measured =
            m350::CodePage(std::string(m350::asianCodePage(job.asianEncoding))).decode("\xE0\xA2");
    const QSize cell = m350::measureText(font, measured);
    job.cellWidth = cell.width();
    job.cellHeight = cell.height();
    if (!o.cell.empty()) {
        int w = -1, h = -1;
        char x = 0;
        if (std::sscanf(o.cell.c_str(), "%d%c%d", &w, &x, &h) != 3 || (x != 'x' && x != 'X') ||
            w < 1 || h < 1)
            return s.fail(kExitUsage, "--cell wants WIDTHxHEIGHT, each at least 1");
        job.cellWidth = w;
        job.cellHeight = h;
    }
    if (job.cellWidth < 1 || job.cellHeight < 1)
        return s.fail(kExitUsage, "Font Parameter Error: the font draws nothing at this size");
    job.italicWidth = o.italicWidth.value_or(o.italic ? job.cellWidth * 3 / 10 : 0);
    if (!m350::cellFits(job))
        return s.fail(kExitUsage,
                      "Font Parameter Error: the cell is larger than the surface "
                      "(2048 x 2048) or a glyph than its buffer (65536 bytes)");
    job.path = o.output;
    std::fprintf(s.err(), "font: %s %g pt, cell %d x %d\n",
                 QFontInfo(font).family().toUtf8().constData(), o.size, job.cellWidth,
                 job.cellHeight);
    if (!m350::makeFont(job, s.context()))
        return s.fail(kExitCantCreate, job.writeError.empty()
                                           ? std::string("Make Font Error")
                                           : "Make Font Error: " + job.writeError);
    std::fprintf(s.out(), "%s: %d glyphs\n", o.output.c_str(), job.charCount);
    return kExitOk;
}

}  // namespace m350::cli
