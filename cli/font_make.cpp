// SPDX-License-Identifier: MIT
// font make: a bitmap font drawn from an installed font without a display.
// Linked only into m350ctl-fonts (see font_make.h).
#include "cli/font_make.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "cli/error_json.h"
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
// A double-byte table's characters of one byte go to singles: they are no
// code of the font and are left out, so the codes after them keep their pairs.
bool parseEncode(const std::string& text, m350::FontJob& job, std::string& why,
                 std::vector<std::string>& singles) {
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
        if (job.mode == m350::kDoubleByteFont) {
            job.table = m350::doubleByteTableCodes(job.table, job.asianEncoding, &singles);
        }
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
    if (!asianTable.empty())
        job.asianEncoding = kAsian.at(asianTable);
    else if (const int asian = m350::asianEncodingOf(s.encoding); asian >= 0)
        job.asianEncoding = asian;
    std::vector<std::string> singles;
    if (!parseEncode(o.encode, job, why, singles)) return s.fail(kExitUsage, why);
    if (!singles.empty()) {
        std::string list;
        for (const std::string& c : singles) list += (list.empty() ? "\"" : ", \"") + c + "\"";
        std::fprintf(s.err(), "font: left out, one byte in a double-byte table: %s\n",
                     list.c_str());
    }
    // Without --code-page the codes are in the printer text encoding, as in
    // the font manager (CP1252 when that is no single-byte code page).
    const std::string codePage =
        o.codePage.empty() ? m350::defaultSingleByteCodePage(s.encoding) : o.codePage;
    job.singleByteCodePage = codePage;
    if (!m350::CodePage(codePage).valid())
        return s.fail(kExitUsage, "unknown code page " + codePage);
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
    job.fitGlyphs = o.fit;
    if (!m350::makeFont(job, s.context()))
        return s.fail(kExitCantCreate, job.writeError.empty()
                                           ? std::string("Make Font Error")
                                           : "Make Font Error: " + job.writeError);
    // The glyphs cut at the cell edge, as the characters they are.
    const std::string glyphCodePage = job.mode == m350::kDoubleByteFont
                                          ? std::string(m350::asianCodePage(job.asianEncoding))
                                          : job.singleByteCodePage;
    m350::CodePage cp(glyphCodePage);
    std::vector<std::string> cut;
    for (const std::string& code : job.clippedCodes) {
        const QString ch = cp.decode(code);
        char hex[8];
        std::snprintf(hex, sizeof hex, code.size() > 1 ? "0x%02X%02X" : "0x%02X",
                      static_cast<unsigned char>(code[0]),
                      code.size() > 1 ? static_cast<unsigned char>(code[1]) : 0u);
        cut.push_back(ch.isEmpty() ? std::string(hex) : ch.toStdString());
    }
    if (o.json) {
        nlohmann::ordered_json j;
        j["file"] = o.output;
        j["glyphs"] = job.charCount;
        j["cellWidth"] = job.cellWidth;
        j["cellHeight"] = job.cellHeight;
        j["fit"] = o.fit;
        j["clipped"] = cut.size();
        j["clippedGlyphs"] = cut;
        printJson(s.out(), j);
        return kExitOk;
    }
    std::fprintf(s.out(), "%s: %d glyphs\n", o.output.c_str(), job.charCount);
    std::string list;
    for (const std::string& c : cut) list += " " + c;
    std::fprintf(s.out(), "clipped %zu%s%s\n", cut.size(), cut.empty() ? "" : ":", list.c_str());
    if (!cut.empty() && !o.fit)
        std::fprintf(s.err(),
                     "font: %zu glyphs are cut at the cell edge (--fit draws them to fit)\n",
                     cut.size());
    return kExitOk;
}

}  // namespace m350::cli
