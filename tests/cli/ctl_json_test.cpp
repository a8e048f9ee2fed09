// SPDX-License-Identifier: MIT
// m350ctl as scripts read it: every --json output goes through a JSON parser
// and holds the keys docs/m350ctl.md promises under "schema"; every failure,
// usage errors included, is the one error object; and the command line's
// errors and help read as the manual says.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/invocation.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

using Json = nlohmann::ordered_json;

struct JsonCase {
    std::vector<std::string> args;
    std::vector<std::string> keys;  // besides "schema"
};

// The parsed document, after checking it is one object starting with "schema".
Json document(const CtlRun& run, const std::string& what) {
    EXPECT_EQ(run.exitCode, 0) << what << ": " << run.err;
    Json j = Json::parse(run.out, nullptr, false);
    EXPECT_TRUE(j.is_object()) << what << ": " << run.out;
    if (!j.is_object()) return Json::object();
    EXPECT_EQ(j.begin().key(), "schema") << what;
    EXPECT_EQ(j["schema"], 1) << what;
    return j;
}

void expectKeys(const Json& j, const std::vector<std::string>& keys, const std::string& what) {
    for (const auto& k : keys) EXPECT_TRUE(j.contains(k)) << what << " lacks \"" << k << "\"";
}

std::string joined(const std::vector<std::string>& args) {
    std::string out;
    for (const auto& a : args) out += a + " ";
    return out;
}

TEST(CtlJson, EveryDataCommandPrintsADocumentWithItsKeys) {
    START_SIM(sim, "--scan-delay", "50", "--ap", "Home,1", "--bt", "Pad,02:00:00:00:00:07",
              "--ext-module", "PRN01");
    TempDir dir;
    const std::string dcf = dir.file("a.dcf");
    ASSERT_EQ(runCtl(overNet(sim, {"config", "read", "-o", dcf})).exitCode, 0);
    const std::vector<JsonCase> printer = {
        {{"status", "--json"}, {"status", "statusKey", "flags", "flagsByName"}},
        {{"config", "read", "--json"},
         {"unit", "edition", "dpi", "speed", "paperWidth", "codePage", "mileage"}},
        {{"config", "diff", dcf, "--printer", "--json"}, {"unit", "left", "right", "differences"}},
        {{"clock", "get", "--json"}, {"year", "month", "date", "hour", "minute", "second", "text"}},
        {{"sensor", "show", "--json"}, {"media", "intensity", "threshold"}},
        {{"sensor", "readings", "--media", "gap", "--json"}, {"readings"}},
        {{"emulation", "get", "--json"}, {"emulation", "code"}},
        {{"memory", "--json"}, {"devices"}},
        {{"net", "show", "--json"}, {"dhcp", "ip", "mask", "gateway", "currentIp", "name", "mac"}},
        {{"wifi", "scan", "--wait", "0", "--json"}, {"accessPoints"}},
        {{"bt", "scan", "--wait", "0", "--json"}, {"devices"}},
        {{"module", "--byte-wait", "300", "show", "--json"}, {"name"}},
    };
    for (const auto& c : printer) {
        const Json j = document(runCtl(overNet(sim, c.args)), joined(c.args));
        expectKeys(j, c.keys, joined(c.args));
    }
    const Json config = document(runCtl(overNet(sim, {"config", "read", "--json"})), "config");
    EXPECT_TRUE(config["mileage"].is_number()) << config["mileage"];
    EXPECT_EQ(document(runCtl(overNet(sim, {"emulation", "get", "--json"})), "emulation")["code"]
                  .is_number(),
              true);

    const std::vector<JsonCase> local = {
        {{"config", "show", dcf, "--json"}, {"unit", "statusFlags", "dpi", "mileage"}},
        {{"config", "diff", dcf, dcf, "--json"}, {"unit", "left", "right", "differences"}},
        {{"--net", "127.0.0.1:9", "doctor", "--json"}, {"interface", "blocked", "checks"}},
        {{"serial", "list", "--json"}, {"ports"}},
        {{"usb", "list", "--json"}, {"named", "devices"}},
    };
    for (const auto& c : local) {
        const Json j =
            document(runCtl(c.args, {}, {{"M350_DOCTOR_ROOT", dir.path()}}), joined(c.args));
        expectKeys(j, c.keys, joined(c.args));
    }

    const std::string font = dir.file("f.bmf");
    ASSERT_EQ(runCtl({"font", "make", "--family", "Sans", "--size", "10", "--encode",
                      "standard:65-66", "--pitch", "fixed", "--cell", "9x12", "-o", font})
                  .exitCode,
              0);
    const Json made =
        document(runCtl({"font", "make", "--family", "Sans", "--size", "10", "--encode",
                         "standard:65-66", "-o", dir.file("g.bmf"), "--json"}),
                 "font make");
    expectKeys(made, {"file", "glyphs", "cellWidth", "cellHeight", "fit", "clipped"}, "font make");
    EXPECT_EQ(made["glyphs"], 2) << made;
    const Json f = document(runCtl({"font", "show", font, "--code", "0x42", "--json"}), "font");
    expectKeys(f, {"pitch", "cellWidth", "cellHeight", "startCode", "endCode", "clipped", "glyphs"},
               "font");
    ASSERT_EQ(f["glyphs"].size(), 1u);
    EXPECT_EQ(f["glyphs"][0]["code"], 0x42);
    EXPECT_EQ(f["glyphs"][0]["rows"].size(), 12u);
}

// Whatever failed, a script finds {"schema": 1, "error": {"exitCode": N,
// "message": ...}} on standard output.
TEST(CtlJson, EveryFailureIsTheOneErrorObject) {
    START_SIM(sim);
    TempDir dir;
    const int closedPort = sim.tcpPort();
    sim.stop();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"status", "--jsn", "--json"}, 64, "unknown option '--jsn'; did you mean '--json'?"},
        {{"--json", "--hosts", dir.file("none"), "stauts"},
         64,
         "unknown command 'stauts'; did you mean 'status'?"},
        {{"config", "show", dir.file("none.dcf"), "--json"}, 66, ""},
        {{"--net", "127.0.0.1:" + std::to_string(closedPort), "status", "--json"},
         1,
         "Port Open Error"},
    };
    for (const auto& c : cases) {
        const CtlRun run = runCtl(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << joined(c.args) << run.err;
        const Json j = Json::parse(run.out, nullptr, false);
        ASSERT_TRUE(j.is_object()) << joined(c.args) << ": " << run.out;
        EXPECT_EQ(j["schema"], 1);
        const Json& e = j["error"];
        EXPECT_EQ(e["exitCode"], c.exitCode) << run.out;
        ASSERT_TRUE(e["message"].is_string()) << run.out;
        if (!c.message.empty()) {
            EXPECT_EQ(e["message"], c.message);
        }
        EXPECT_EQ(run.err.rfind("m350ctl: ", 0) == 0 || c.exitCode < 64, true) << run.err;
    }
}

TEST(CtlUsage, TyposAreNamedWithTheNearestWord) {
    const struct {
        std::vector<std::string> args;
        std::string firstLine;
    } cases[] = {
        {{"stauts"}, "m350ctl: unknown command 'stauts'; did you mean 'status'?"},
        {{"config", "reed"}, "m350ctl: unknown command 'config reed'; did you mean 'config read'?"},
        {{"status", "--jsn"}, "m350ctl: unknown option '--jsn'; did you mean '--json'?"},
        {{"--nte", "h", "status"}, "m350ctl: unknown option '--nte'; did you mean '--net'?"},
        {{"frobnicate"}, "m350ctl: unknown command 'frobnicate'"},
        {{"stauts", "--net", "config"},
         "m350ctl: unknown command 'stauts'; did you mean 'status'?"},
        {{"format", "floppy"},
         "m350ctl: format: DEVICE: 'floppy' is not one of card, dram or flash"},
        {{"--com", "COM1", "--parity", "evn", "status"},
         "m350ctl: --parity: 'evn' is not one of even, none or odd; did you mean 'even'?"},
        {{"--baud", "7", "--com", "COM1", "status"},
         "m350ctl: --baud: '7' is not one of 2400, 4800, 9600, 19200, 38400, 57600 or 115200"},
        {{"--language", "20", "status"}, "m350ctl: --language: 20 is out of range (0 to 13)"},
        {{"password"}, "m350ctl: 'password' needs a command: set"},
        {{"--usb", "--com", "COM1", "status"}, "m350ctl: --usb and --com cannot be given together"},
        {{"config", "write", "a.dcf"}, "m350ctl: config write: --page is required"},
    };
    for (const auto& c : cases) {
        const CtlRun run = runCtl(c.args);
        EXPECT_EQ(run.exitCode, 64) << joined(c.args);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.firstLine) << joined(c.args);
    }
    const CtlRun bare = runCtl({});
    EXPECT_EQ(bare.exitCode, 64);
    EXPECT_EQ(bare.err.rfind("Usage: m350ctl ", 0), 0u) << bare.err;
}

// Every help page within 80 columns, every option described, no parser type
// tags, and the exit statuses only on the top-level page.
TEST(CtlUsage, HelpPagesFitAndDescribeEveryOption) {
    CLI::App app;
    m350::cli::Invocation inv;
    m350::cli::buildCommandLine(app, inv);
    std::vector<const CLI::App*> pages = {&app};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const CLI::App* page = pages[i];
        for (const CLI::App* sub : page->get_subcommands({})) pages.push_back(sub);
        const std::string help = page->help();
        const std::string name = page->get_name();
        std::istringstream lines(help);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), 80u) << name << ": " << line;
            for (const char* tag : {" TEXT", " INT", " FLOAT", "REQUIRED", "Excludes:", "Needs:"})
                EXPECT_EQ(line.find(tag), std::string::npos) << name << ": " << line;
        }
        EXPECT_EQ(help.find("Exit status:") != std::string::npos, page == &app) << name;
        for (const CLI::Option* opt : page->get_options())
            EXPECT_FALSE(opt->get_description().empty()) << name << " " << opt->get_name();
        if (page != &app) {
            EXPECT_FALSE(page->get_description().empty()) << name;
        }
    }
    EXPECT_GT(pages.size(), 50u);
}

}  // namespace
}  // namespace m350test
