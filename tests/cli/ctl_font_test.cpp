// SPDX-License-Identifier: MIT
// font make, show and download through the real binary: headless, the file
// read back by the font tests' own reader, the download on the wire.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "../fonts/bmf_reader.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

TEST(CtlFont, MakeEachEncodingAndReadItBack) {
    TempDir dir;
    writeFile(dir.file("table.txt"), "ABC\r\nDEF");
    writeFile(dir.file("big5.txt"), "\xA4\x40\xA4\x41\r\n\xA4\x42");
    struct Case {
        std::vector<std::string> args;
        int count, index, doubleByte;
        char letter;
    };
    const std::vector<Case> cases = {
        {{"--encode", "standard", "--pitch", "fixed", "--cell", "10x20"}, 96, 0, 0, 0},
        {{"--encode", "standard:65-70"}, 6, 1, 0, 0},
        {{"--encode", "table:" + dir.file("table.txt"), "--pitch", "fixed"}, 6, 1, 0, 0},
        {{"--encode", "asian-table:" + dir.file("big5.txt"), "--family", "Noto Sans CJK TC"},
         3,
         1,
         1,
         0},
        {{"--encode", "asian:K", "--cell", "8x8", "--family", "Noto Sans CJK KR"},
         96 + 94 * 95,
         0,
         1,
         'K'},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"font", "make", "--size", "10", "-o", dir.file("f.bmf")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (std::find(args.begin(), args.end(), "--family") == args.end())
            args.insert(args.end(), {"--family", "DejaVu Sans"});
        CtlRun run = runCtl(args);
        ASSERT_EQ(run.exitCode, 0) << c.args[1] << ": " << run.err;
        const bmftest::Font f = bmftest::read(readFile(dir.file("f.bmf")));
        ASSERT_TRUE(f.ok()) << c.args[1] << ": " << f.problem;
        EXPECT_EQ(f.count, c.count) << c.args[1];
        EXPECT_EQ(f.index, c.index) << c.args[1];
        EXPECT_EQ(f.doubleByte, c.doubleByte) << c.args[1];
        EXPECT_EQ(f.letter, c.letter) << c.args[1];
    }
}

TEST(CtlFont, ShowPrintsHeaderAndGlyphs) {
    TempDir dir;
    ASSERT_EQ(
        runCtl({"font", "make", "--family", "DejaVu Sans", "--size", "10", "--encode",
                "standard:65-66", "--pitch", "fixed", "--cell", "9x12", "-o", dir.file("f.bmf")})
            .exitCode,
        0);
    const bmftest::Font f = bmftest::read(readFile(dir.file("f.bmf")));
    ASSERT_TRUE(f.ok());
    CtlRun show = runCtl({"font", "show", dir.file("f.bmf"), "--code", "0x42"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    std::string want = "glyph 0x42 width 9 height 12\n";
    for (const auto& row : f.glyphs[1].rows) want += row + "\n";
    EXPECT_NE(show.out.find("cell 9 x 12\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find(want), std::string::npos) << show.out;
    EXPECT_EQ(show.out.find("glyph 0x41"), std::string::npos);
    EXPECT_EQ(runCtl({"font", "show", dir.file("none.bmf")}).exitCode, 66);
    writeFile(dir.file("bad.bmf"), "not a font");
    EXPECT_EQ(runCtl({"font", "show", dir.file("bad.bmf")}).exitCode, 65);
}

TEST(CtlFont, RefusedJobsFailWithoutAFile) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int exit;
    };
    const std::vector<Case> cases = {
        {{"--encode", "asian:G", "--pitch", "variable"}, 73},
        {{"--encode", "standard:200-100"}, 64},
        {{"--encode", "standard:0-256"}, 64},
        {{"--encode", "standard", "--cell", "3000x10"}, 64},
        {{"--encode", "standard", "--cell", "0x0"}, 64},
        {{"--encode", "table:" + dir.file("missing.txt")}, 64},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"font",   "make", "--family", "DejaVu Sans",
                                         "--size", "10",   "-o",       dir.file("x.bmf")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CtlRun run = runCtl(args);
        EXPECT_EQ(run.exitCode, c.exit) << c.args[1] << ": " << run.err;
        EXPECT_EQ(readFile(dir.file("x.bmf")), "") << c.args[1];
    }
    for (const char* size : {"0", "100000", "nan"})  // no font of no size
        EXPECT_EQ(runCtl({"font", "make", "--family", "DejaVu Sans", "--size", size, "--encode",
                          "standard", "-o", dir.file("x.bmf")})
                      .exitCode,
                  64)
            << size;
}

TEST(CtlFont, DownloadOnTheWire) {
    START_SIM(sim);
    TempDir dir;
    ASSERT_EQ(runCtl({"font", "make", "--family", "DejaVu Sans", "--size", "8", "--encode",
                      "standard", "-o", dir.file("f.bmf")})
                  .exitCode,
              0);
    const std::string font = readFile(dir.file("f.bmf"));
    CtlRun run = runCtl(overNet(
        sim, {"font", "download", dir.file("f.bmf"), "--name", "FONT001", "--device", "dram"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto rx = received(sim, 2);
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0], kGateQueries);
    EXPECT_EQ(rx[1], "DOWNLOAD \"FONT001\"," + std::to_string(font.size()) + "," + font);
    CtlRun longName = runCtl(
        overNet(sim, {"font", "download", dir.file("f.bmf"), "--name", std::string(31, 'N')}));
    EXPECT_EQ(longName.exitCode, 65);
    EXPECT_NE(longName.err.find("--name"), std::string::npos);
    EXPECT_NE(longName.err.find("at most 30 characters"), std::string::npos);
    CtlRun missing =
        runCtl(overNet(sim, {"font", "download", dir.file("none.bmf"), "--name", "F"}));
    EXPECT_EQ(missing.exitCode, 66);
    // Neither refusal reached the printer.
    EXPECT_TRUE(sim.waitForQuiet());
    EXPECT_EQ(sim.transcript().size(), 2u);
}

// font make names the glyphs cut at the cell edge and --fit draws them to
// fit; font show counts the glyphs with ink at a cell edge; --json carries
// both.
TEST(CtlFont, ClippedGlyphsAreCounted) {
    TempDir dir;
    const std::vector<std::string> italic = {
        "font",     "make",     "--family",        "DejaVu Serif", "--size",         "24",
        "--italic", "--encode", "standard:32-126", "-o",           dir.file("i.bmf")};
    struct Case {
        std::vector<std::string> more;
        bool cut;
    };
    for (const Case& c : {Case{{}, true}, Case{{"--fit"}, false}}) {
        std::vector<std::string> args = italic;
        args.insert(args.end(), c.more.begin(), c.more.end());
        CtlRun text = runCtl(args);
        ASSERT_EQ(text.exitCode, 0) << text.err;
        const auto at = text.out.find("clipped ");
        ASSERT_NE(at, std::string::npos) << text.out;
        const int count = std::atoi(text.out.c_str() + at + 8);
        EXPECT_EQ(count > 0, c.cut) << text.out;
        args.push_back("--json");
        CtlRun json = runCtl(args);
        ASSERT_EQ(json.exitCode, 0) << json.err;
        EXPECT_NE(json.out.find("\"clipped\": " + std::to_string(count)), std::string::npos)
            << json.out;
        CtlRun show = runCtl({"font", "show", dir.file("i.bmf"), "--json"});
        ASSERT_EQ(show.exitCode, 0) << show.err;
        EXPECT_NE(show.out.find("\"clipped\": "), std::string::npos) << show.out;
        // Every glyph cut has ink at the cell edge: show counts at least as many.
        const auto shown = show.out.find("\"clipped\": ");
        EXPECT_GE(std::atoi(show.out.c_str() + shown + 11), count) << show.out;
    }
}

}  // namespace
// Hostile paths for the font's own files: the output over a FIFO, a folder
// or /dev/null is refused with the reason and left as it was; a table or a
// font to show that is a FIFO or a device is refused at once, never read.
TEST(CtlFont, HostilePathsAreRefusedWithTheReason) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const std::vector<std::string> make = {"font", "make",    "--family", "DejaVu Sans", "--size",
                                           "10",   "--pitch", "fixed",    "--cell",      "8x8"};
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"--encode", "standard:65-66", "-o", dir.file("fifo")},
         73,
         "Make Font Error: cannot write"},
        {{"--encode", "standard:65-66", "-o", dir.path()}, 73, "it is a directory"},
        {{"--encode", "standard:65-66", "-o", "/dev/null"}, 73, "it is a device"},
        {{"--encode", "table:" + dir.file("fifo"), "-o", dir.file("t.bmf")}, 64, "it is a FIFO"},
        {{"--encode", "table:/dev/zero", "-o", dir.file("t.bmf")}, 64, "it is a device"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = make;
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CtlRun run = runCtl(args);
        EXPECT_EQ(run.exitCode, c.exit) << c.says << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("t.bmf")));
    for (const char* path : {"fifo", "/dev/zero"}) {
        const std::string p = path[0] == '/' ? path : dir.file(path);
        const CtlRun run = runCtl({"font", "show", p});
        EXPECT_EQ(run.exitCode, 66) << run.err;
        EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    }
}

}  // namespace m350test
