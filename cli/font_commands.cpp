// font make | show | download: a bitmap font made from an installed font
// without a display, read back as text, or downloaded into a memory device.
#include <CLI/CLI.hpp>
#include <QFontInfo>
#include <QGuiApplication>
#include <cstdlib>
#include <map>
#include <memory>

#include "cli/exit_codes.h"
#include "cli/invocation.h"
#include "core/files/font_download.h"
#include "core/fonts/code_pages.h"
#include "core/fonts/encode_table.h"
#include "core/fonts/font_file.h"
#include "core/fonts/font_maker.h"
#include "core/link/link_operations.h"

namespace m350::cli {

namespace {

struct FontMakeOptions {
    std::string family;
    double size = 10;
    bool bold = false;
    bool italic = false;
    std::string encode = "standard";
    std::string pitch;
    std::string cell;
    std::optional<int> italicWidth;
    std::string codePage = "CP1252";
    std::string output;
};

const std::map<std::string, int> kAsian = {{"T", m350::kTraditionalChinese},
                                           {"G", m350::kSimplifiedChinese},
                                           {"K", m350::kKorean},
                                           {"J", m350::kJapanese}};
const std::map<std::string, int> kDevices = {
    {"dram", m350::kDeviceDram}, {"flash", m350::kDeviceFlash}, {"card", m350::kDeviceCard}};

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

int makeCommand(Session& s, FontMakeOptions o, const std::string& asianTable) {
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
            w < 0 || h < 0)
            return s.fail(kExitUsage, "--cell wants WIDTHxHEIGHT");
        job.cellWidth = w;
        job.cellHeight = h;
    }
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

void printGlyph(Session& s, const m350::FontFileGlyph& g) {
    std::fprintf(s.out(), "glyph 0x%0*X width %d height %d\n", g.doubleByte ? 4 : 2, g.code,
                 g.width, g.height);
    std::string row;
    for (int y = 0; y < g.height; ++y) {
        row.clear();
        for (int x = 0; x < g.width; ++x) row.push_back(g.ink(x, y) ? '#' : '.');
        std::fprintf(s.out(), "%s\n", row.c_str());
    }
}

int showCommand(Session& s, const std::string& path, const std::string& code) {
    std::string bytes, error;
    if (!readWholeFile(path, bytes, error, m350::kMaxFontFileBytes))
        return s.fail(kExitNoInput, error);
    std::optional<m350::FontFileContents> f = m350::parseFontFile(bytes, &error);
    if (!f) return s.fail(kExitDataError, path + ": " + error);
    std::fprintf(s.out(),
                 "pitch %s\nbytes %s\nindex %s\ncell %d x %d\nitalic width %d\nrange %d-%d\n"
                 "encoding %c\ncharacters %d\nglyphs %zu\nsize %zu\n",
                 f->variablePitch ? "variable" : "fixed", f->doubleByte ? "double" : "single",
                 f->hasIndex ? "yes" : "no", f->cellWidth, f->cellHeight, f->italicWidth,
                 f->startCode, f->endCode, f->encodingLetter ? f->encodingLetter : '-',
                 f->charCount, f->glyphs.size(), bytes.size());
    if (code.empty()) {
        for (const auto& g : f->glyphs) printGlyph(s, g);
        return kExitOk;
    }
    char* end = nullptr;
    const long wanted = std::strtol(code.c_str(), &end, 0);
    if (!end || *end) return s.fail(kExitUsage, "--code wants a number (65, 0x41, 0xA4A1)");
    for (const auto& g : f->glyphs)
        if (g.code == wanted) {
            printGlyph(s, g);
            return kExitOk;
        }
    return s.fail(kExitDataError, "no glyph for code " + code);
}

int downloadCommand(Session& s, const Invocation& inv, const std::string& path,
                    const std::string& name, int device) {
    if (name.size() > 30) return s.fail(kExitUsage, "File name too long");
    // A file that cannot be read is reported before the printer is asked
    // for anything.
    std::string probe, error;
    if (!readWholeFile(path, probe, error)) return s.fail(kExitNoInput, error);
    PasswordAnswer answer;
    if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(m350::kOpDownload,
                 [&](m350::Link& l) { return m350::downloadFontFile(l, path, name, device); });
}

}  // namespace

void addFontCommands(CLI::App& app, Invocation& inv) {
    auto* font = app.add_subcommand("font", "bitmap fonts from installed fonts");
    font->require_subcommand(1);

    auto o = std::make_shared<FontMakeOptions>();
    auto asianTable = std::make_shared<std::string>();
    auto* make = font->add_subcommand("make", "draw an installed font into a bitmap font file");
    make->add_option("--family", o->family, "font family (fontconfig finds the nearest)")
        ->required();
    make->add_option("--size", o->size, "size in points")->required();
    make->add_flag("--bold", o->bold);
    make->add_flag("--italic", o->italic);
    make->add_option("--encode", o->encode,
                     "standard[:START-END] | asian:T|G|K|J | table:FILE | asian-table:FILE")
        ->required();
    make->add_option("--asian-encoding", *asianTable,
                     "encoding of an asian-table font's codes: T, G, K or J (default T)")
        ->check(CLI::IsMember({"T", "G", "K", "J"}));
    make->add_option("--pitch", o->pitch, "fixed or variable (default: the page's default)")
        ->check(CLI::IsMember({"fixed", "variable"}));
    make->add_option("--cell", o->cell, "cell WIDTHxHEIGHT in pixels (default: measured)");
    make->add_option("--italic-width", o->italicWidth, "italic width in pixels");
    make->add_option("--code-page", o->codePage, "code page of single-byte codes (CP1252)");
    make->add_option("-o,--output", o->output, "the font file to write")->required();
    make->callback([&inv, o, asianTable] {
        inv.action = [o, asianTable](Session& s) { return makeCommand(s, *o, *asianTable); };
    });

    auto showPath = std::make_shared<std::string>();
    auto showCode = std::make_shared<std::string>();
    auto* show = font->add_subcommand("show", "print a bitmap font file's header and glyphs");
    show->add_option("FILE", *showPath, "the font file")->required();
    show->add_option("--code", *showCode, "only the glyph of this code (65, 0x41, 0xA4A1)");
    show->callback([&inv, showPath, showCode] {
        inv.action = [showPath, showCode](Session& s) {
            return showCommand(s, *showPath, *showCode);
        };
    });

    auto dlPath = std::make_shared<std::string>();
    auto dlName = std::make_shared<std::string>();
    auto dlDevice = std::make_shared<std::string>("flash");
    auto* download =
        font->add_subcommand("download", "download a bitmap font file (asks for the password)");
    download->add_option("FILE", *dlPath, "the font file")->required();
    download->add_option("--name", *dlName, "printer font name")->required();
    download->add_option("--device", *dlDevice, "dram, flash (default) or card")
        ->check(CLI::IsMember({"dram", "flash", "card"}));
    download->callback([&inv, dlPath, dlName, dlDevice] {
        inv.progress = true;
        inv.action = [&inv, dlPath, dlName, dlDevice](Session& s) {
            return downloadCommand(s, inv, *dlPath, *dlName, kDevices.at(*dlDevice));
        };
    });
}

}  // namespace m350::cli
