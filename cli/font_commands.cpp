// SPDX-License-Identifier: MIT
// font make | show | download: a bitmap font made from an installed font
// without a display, read back as text, or downloaded into a memory device.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/config_text.h"
#include "cli/error_json.h"
#include "cli/exit_codes.h"
#include "cli/font_make.h"
#include "cli/invocation.h"
#include "core/files/file_types.h"
#include "core/files/font_download.h"
#include "core/fonts/font_file.h"
#include "core/link/link_operations.h"

namespace m350::cli {

int (*fontMaker)(Session&, const FontMakeOptions&, const std::string&) = nullptr;

namespace {

const std::map<std::string, int> kFontDevices = {
    {"dram", m350::kDeviceDram}, {"flash", m350::kDeviceFlash}, {"card", m350::kDeviceCard}};

std::vector<std::string> glyphRows(const m350::FontFileGlyph& g) {
    std::vector<std::string> rows;
    for (int y = 0; y < g.height; ++y) {
        std::string row;
        for (int x = 0; x < g.width; ++x) row.push_back(g.ink(x, y) ? '#' : '.');
        rows.push_back(std::move(row));
    }
    return rows;
}

void printGlyph(Session& s, const m350::FontFileGlyph& g) {
    std::fprintf(s.out(), "glyph 0x%0*X width %d height %d\n", g.doubleByte ? 4 : 2, g.code,
                 g.width, g.height);
    for (const auto& row : glyphRows(g)) std::fprintf(s.out(), "%s\n", row.c_str());
}

nlohmann::ordered_json glyphJson(const m350::FontFileGlyph& g) {
    nlohmann::ordered_json j;
    j["code"] = g.code;
    j["width"] = g.width;
    j["height"] = g.height;
    j["rows"] = glyphRows(g);
    return j;
}

int fontShowCommand(Session& s, const std::string& path, const std::string& code, bool asJson) {
    std::string bytes, error;
    if (!readWholeFile(path, bytes, error, m350::kMaxFontFileBytes))
        return s.fail(kExitNoInput, error);
    std::optional<m350::FontFileContents> f = m350::parseFontFile(bytes, &error);
    if (!f) return s.fail(kExitDataError, path + ": " + error);
    long wanted = -1;
    if (!code.empty()) {
        char* end = nullptr;
        wanted = std::strtol(code.c_str(), &end, 0);
        if (!end || *end) return s.fail(kExitUsage, "--code wants a number (65, 0x41, 0xA4A1)");
        if (std::none_of(f->glyphs.begin(), f->glyphs.end(),
                         [wanted](const auto& g) { return g.code == wanted; }))
            return s.fail(kExitDataError, "no glyph for code " + code);
    }
    // A file tells which glyphs have ink at the edge of their cell, the
    // ones that may have been cut when the font was drawn.
    const int edge = m350::glyphsWithInkAtEdge(*f);
    if (asJson) {
        nlohmann::ordered_json j;
        j["pitch"] = f->variablePitch ? "variable" : "fixed";
        j["doubleByte"] = f->doubleByte;
        j["index"] = f->hasIndex;
        j["cellWidth"] = f->cellWidth;
        j["cellHeight"] = f->cellHeight;
        j["italicWidth"] = f->italicWidth;
        j["startCode"] = f->startCode;
        j["endCode"] = f->endCode;
        j["encoding"] = f->encodingLetter
                            ? nlohmann::ordered_json(std::string(1, f->encodingLetter))
                            : nlohmann::ordered_json(nullptr);
        j["characters"] = f->charCount;
        j["size"] = bytes.size();
        j["clipped"] = edge;
        j["glyphs"] = nlohmann::ordered_json::array();
        for (const auto& g : f->glyphs)
            if (wanted < 0 || g.code == wanted) j["glyphs"].push_back(glyphJson(g));
        printJson(s.out(), j);
        return kExitOk;
    }
    std::fprintf(s.out(),
                 "pitch %s\nbytes %s\nindex %s\ncell %d x %d\nitalic width %d\nrange %d-%d\n"
                 "encoding %c\ncharacters %d\nglyphs %zu\nsize %zu\n"
                 "clipped %d (ink at the cell edge)\n",
                 f->variablePitch ? "variable" : "fixed", f->doubleByte ? "double" : "single",
                 f->hasIndex ? "yes" : "no", f->cellWidth, f->cellHeight, f->italicWidth,
                 f->startCode, f->endCode, f->encodingLetter ? f->encodingLetter : '-',
                 f->charCount, f->glyphs.size(), bytes.size(), edge);
    for (const auto& g : f->glyphs)
        if (wanted < 0 || g.code == wanted) printGlyph(s, g);
    return kExitOk;
}

int fontDownloadCommand(Session& s, const Invocation& inv, const std::string& path,
                        const std::string& name, int device) {
    if (const auto problem = m350::checkPrinterFileName(name); problem != m350::NameProblem::kNone)
        return s.fail(kExitDataError, "--name \"" + name + "\": " + m350::nameRuleText(problem) +
                                          " Nothing was sent.");
    // A file that cannot be read is reported before the printer is asked
    // for anything.
    std::string probe, error;
    if (!readWholeFile(path, probe, error)) return s.fail(kExitNoInput, error);
    PasswordAnswer answer;
    if (int r = inv.passwordAnswer(s, answer); r != kExitOk) return r;
    if (int r = runPasswordGate(s, answer); r != kExitOk) return r;
    return s.run(ops::downloadFontFile(path, name, device));
}

// The program that draws fonts: in the build tree beside m350ctl, once
// installed in the package's folder of library programs.
std::string fontMakerPath() {
    const std::string installed = std::string("/../libexec/m350-utility/") + kFontMakerProgram;
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return kFontMakerProgram;
    std::string dir(self, static_cast<std::size_t>(n));
    dir.erase(dir.find_last_of('/'));
    const std::string beside = dir + "/" + kFontMakerProgram;
    return ::access(beside.c_str(), X_OK) == 0 ? beside : dir + installed;
}

// font make in m350ctl: the same command line, run in this process's place by
// the program that loads QtGui.
int runFontMaker(Session& s, const std::vector<std::string>& args) {
    const std::string path = fontMakerPath();
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(path.c_str(), argv.data());
    return s.fail(kExitUnavailable, "cannot run " + path + ": " + std::strerror(errno));
}

}  // namespace

void addFontCommands(CLI::App& app, Invocation& inv) {
    auto* font = app.add_subcommand("font", "bitmap fonts from installed fonts");
    font->require_subcommand(1);

    auto o = std::make_shared<FontMakeOptions>();
    auto asianTable = std::make_shared<std::string>();
    auto* make = font->add_subcommand("make", "draw an installed font into a bitmap font file");
    make->add_option("--family", o->family, "font family (fontconfig finds the nearest)")
        ->type_name("NAME")
        ->required();
    make->add_option("--size", o->size, "size in points")->required();
    make->add_flag("--bold", o->bold, "draw the bold face");
    make->add_flag("--italic", o->italic,
                   "draw the italic face (the italic width is 3/10 of the cell's unless "
                   "--italic-width gives it)");
    make->add_option("--encode", o->encode,
                     "the characters: standard[:START-END], asian:T|G|K|J, table:FILE or "
                     "asian-table:FILE")
        ->type_name("ENCODING")
        ->required();
    make->add_option("--asian-encoding", *asianTable,
                     "encoding of an asian-table font's codes: T, G, K or J (default: the "
                     "printer text encoding's, else T)")
        ->check(CLI::IsMember({"T", "G", "K", "J"}));
    make->add_option("--pitch", o->pitch, "fixed or variable (default: the page's default)")
        ->check(CLI::IsMember({"fixed", "variable"}));
    make->add_option("--cell", o->cell, "cell width and height in pixels (default: measured)")
        ->type_name("WxH");
    make->add_option("--italic-width", o->italicWidth, "italic width in pixels");
    make->add_option("--code-page", o->codePage,
                     "code page of single-byte codes (default: the printer text encoding's, "
                     "else CP1252)")
        ->type_name("NAME");
    make->add_option("-o,--output", o->output, "the font file to write")->required();
    make->add_flag("--fit", o->fit,
                   "draw a glyph that would be cut at the cell edge narrower, and widen an "
                   "italic font's cell by its italic width");
    make->add_flag("--json", o->json, "print what was made as JSON");
    make->callback([&inv, o, asianTable] {
        inv.json = inv.json || o->json;
        inv.action = [&inv, o, asianTable](Session& s) {
            return fontMaker ? fontMaker(s, *o, *asianTable) : runFontMaker(s, inv.arguments);
        };
    });

    auto showPath = std::make_shared<std::string>();
    auto showCode = std::make_shared<std::string>();
    auto* show = font->add_subcommand("show", "print a bitmap font file's header and glyphs");
    show->add_option("FILE", *showPath, "the font file")->required();
    show->add_option("--code", *showCode, "only the glyph of this code (65, 0x41, 0xA4A1)");
    auto showJson = std::make_shared<bool>(false);
    show->add_flag("--json", *showJson, "print the header, the clipped count and glyphs as JSON");
    show->callback([&inv, showPath, showCode, showJson] {
        inv.json = inv.json || *showJson;
        inv.action = [showPath, showCode, showJson](Session& s) {
            return fontShowCommand(s, *showPath, *showCode, *showJson);
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
            return fontDownloadCommand(s, inv, *dlPath, *dlName, kFontDevices.at(*dlDevice));
        };
    });
}

}  // namespace m350::cli
