// SPDX-License-Identifier: MIT
// config diff and config write --verify against the simulator: the settings
// that differ, in the unit chosen, and a printer that does not take one.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "core/config/config_file.h"
#include "ctl_test_support.h"

namespace m350test {
namespace {

using F = m350::Field;

// Reads the simulator's configuration into a .dcf file.
std::string readInto(const SimProcess& sim, const TempDir& dir, const std::string& name,
                     const std::string& unit = "inch") {
    const std::string path = dir.file(name);
    CtlRun run = runCtl(overNet(sim, {"config", "read", "--unit", unit, "-o", path}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return path;
}

// A copy of a .dcf file with a change made to its record.
std::string changedCopy(const std::string& from, const std::string& to,
                        const std::function<void(m350::ConfigRecord&)>& change) {
    m350::ConfigFileContents contents;
    EXPECT_EQ(m350::loadConfigFile(from, contents), m350::ConfigFileResult::kOk);
    change(contents.record);
    EXPECT_EQ(m350::saveConfigFile(to, contents), m350::ConfigFileResult::kOk);
    return to;
}

TEST(CtlConfigDiff, FilesDifferFieldByFieldInTheUnitChosen) {
    START_SIM(sim);
    TempDir dir;
    const std::string a = readInto(sim, dir, "a.dcf");
    struct Case {
        const char* what;
        std::function<void(m350::ConfigRecord&)> change;
        std::vector<std::string> extra;
        int exitCode;
        std::string output;  // exactly, "" for none
    };
    const Case cases[] = {
        {"the same file", [](m350::ConfigRecord&) {}, {}, 0, ""},
        {"speed and density",
         [](m350::ConfigRecord& r) {
             r.setReal(F::speed, 4.0f);
             r.setInteger(F::density, 11);
         },
         {},
         10,
         "speed                   2.5 in/s  4.0 in/s\n"
         "density                 8         11\n"},
        // One dot more is the same width in inches (the write would send the
        // same line) but not in millimetres.
        {"a dot in inches",
         [](m350::ConfigRecord& r) { r.setReal(F::paperWidth, 813.0f); },
         {},
         0,
         ""},
        {"a dot in mm",
         [](m350::ConfigRecord& r) { r.setReal(F::paperWidth, 813.0f); },
         {"--unit", "mm"},
         10,
         "paperWidth              101.50 mm  101.63 mm\n"},
        {"an unknown setting",
         [](m350::ConfigRecord& r) { r.setPresent(F::density, false); },
         {},
         10,
         "density                 8  -\n"},
        // Texts in the printer text encoding (CP1252 for English).
        {"a text",
         [](m350::ConfigRecord& r) { r.setText(F::btName, "Caf\xe9\\"); },
         {},
         10,
         "btName                  \"M350-BT\"  \"Caf\xc3\xa9\\x5c\"\n"},
        {"a keyword", [](m350::ConfigRecord& r) { r.setInteger(F::codePage, 0); }, {}, 10, ""},
        {"outside the page asked for",
         [](m350::ConfigRecord& r) { r.setReal(F::speed, 4.0f); },
         {"--page", "z"},
         0,
         ""},
    };
    for (const auto& c : cases) {
        const std::string b = changedCopy(a, dir.file("b.dcf"), c.change);
        std::vector<std::string> args = {"config", "diff", a, b};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        CtlRun run = runCtl(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what << ": " << run.err;
        if (c.exitCode == 0 || !c.output.empty()) {
            EXPECT_EQ(run.out, c.output) << c.what;
        } else {
            EXPECT_EQ(run.out.rfind("codePage ", 0), 0u) << c.what << ": " << run.out;
        }
    }
}

TEST(CtlConfigDiff, JsonAndThePrinterItself) {
    START_SIM(sim);
    TempDir dir;
    const std::string a = readInto(sim, dir, "a.dcf", "mm");
    const std::string b = changedCopy(a, dir.file("b.dcf"), [](m350::ConfigRecord& r) {
        r.setInteger(F::density, 11);
        r.setReal(F::paperHeight, 700.0f);
        r.setPresent(F::wifiSsid, false);
    });

    CtlRun json = runCtl({"config", "diff", a, b, "--json"});
    EXPECT_EQ(json.exitCode, 10) << json.err;
    const auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["unit"], "mm");  // the first file's unit
    ASSERT_EQ(j["differences"].size(), 3u) << json.out;
    EXPECT_EQ(j["differences"][0],
              nlohmann::json::parse(R"({"field":"density","left":8,"right":11,"unit":""})"));
    EXPECT_EQ(j["differences"][1]["field"], "paperHeight");
    EXPECT_EQ(j["differences"][1]["right"], 87.5);
    EXPECT_EQ(j["differences"][1]["unit"], "mm");
    EXPECT_EQ(j["differences"][2]["field"], "wifiSsid");
    EXPECT_TRUE(j["differences"][2]["right"].is_null());

    // The file read from the printer is the printer; the changed one is not.
    CtlRun same = runCtl(overNet(sim, {"config", "diff", a, "--printer"}));
    EXPECT_EQ(same.exitCode, 0) << same.err << same.out;
    EXPECT_EQ(same.out, "");
    CtlRun differs = runCtl(overNet(sim, {"config", "diff", b, "--printer", "--page", "common"}));
    EXPECT_EQ(differs.exitCode, 10) << differs.err;
    EXPECT_EQ(differs.out,
              "density                 11        8\n"
              "paperHeight             87.50 mm  76.13 mm\n");

    // Two files and --printer, or neither, is a usage error.
    EXPECT_EQ(runCtl(overNet(sim, {"config", "diff", a, b, "--printer"})).exitCode, 64);
    EXPECT_EQ(runCtl({"config", "diff", a}).exitCode, 64);
}

// What the simulator reports, written back page by page, reads back the
// same: a verify of an unchanged file never fails on its own rounding.
TEST(CtlConfigVerify, EveryPageOfAReadFileVerifies) {
    START_SIM(sim);
    TempDir dir;
    for (const std::string unit : {"inch", "mm"}) {
        const std::string a = readInto(sim, dir, "a-" + unit + ".dcf", unit);
        for (const char* page : {"common", "z", "d", "rs232", "wireless", "bluetooth", "ftp"}) {
            CtlRun run = runCtl(overNet(sim, {"config", "write", a, "--page", page, "--verify"}));
            EXPECT_EQ(run.exitCode, 0) << unit << " " << page << ": " << run.err << run.out;
            EXPECT_EQ(run.out, "") << page;
        }
    }
}

TEST(CtlConfigVerify, ASettingThePrinterDidNotTakeFailsTheWrite) {
    struct Case {
        const char* what;
        std::vector<std::string> readOnly;
        const char* page;
        std::function<void(m350::ConfigRecord&)> change;
        int exitCode;
        std::string out;
    };
    const Case cases[] = {
        {"speed refused",
         {"SPEED"},
         "common",
         [](m350::ConfigRecord& r) { r.setReal(F::speed, 4.0f); },
         10,
         "speed                   4.0 in/s  2.5 in/s\n"},
        {"two refused",
         {"SPEED", "DENSITY"},
         "common",
         [](m350::ConfigRecord& r) {
             r.setReal(F::speed, 4.0f);
             r.setInteger(F::density, 3);
         },
         10,
         "speed                   4.0 in/s  2.5 in/s\n"
         "density                 3         8\n"},
        {"taken", {}, "common", [](m350::ConfigRecord& r) { r.setReal(F::speed, 4.0f); }, 0, ""},
        // Only what the page carried is compared.
        {"refused on another page",
         {"ZDARKNESS"},
         "common",
         [](m350::ConfigRecord& r) { r.setInteger(F::zDarkness, 20); },
         0,
         ""},
        {"a Bluetooth name refused",
         {"BTNAME"},
         "bluetooth",
         [](m350::ConfigRecord& r) { r.setText(F::btName, "Shelf-3"); },
         10,
         "btName                  \"Shelf-3\"  \"M350-BT\"\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> simArgs;
        for (const auto& key : c.readOnly) simArgs.insert(simArgs.end(), {"--read-only", key});
        SimProcess sim(simArgs);
        ASSERT_TRUE(sim.ok()) << sim.error();
        TempDir dir;
        const std::string a = readInto(sim, dir, "a.dcf");
        const std::string b = changedCopy(a, dir.file("b.dcf"), c.change);
        CtlRun run = runCtl(overNet(sim, {"config", "write", b, "--page", c.page, "--verify"}));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.what;
        if (c.exitCode == 10) {
            EXPECT_NE(run.err.find("the printer did not take"), std::string::npos) << run.err;
        }

        CtlRun json =
            runCtl(overNet(sim, {"config", "write", b, "--page", c.page, "--verify", "--json"}));
        EXPECT_EQ(json.exitCode, c.exitCode) << c.what;
        const auto j = nlohmann::json::parse(json.out);
        EXPECT_EQ(j["verified"], c.exitCode == 0) << c.what;
        EXPECT_EQ(j["differences"].size(),
                  c.readOnly.empty() || c.exitCode == 0 ? 0u : c.readOnly.size())
            << c.what;
    }
}

}  // namespace
}  // namespace m350test
