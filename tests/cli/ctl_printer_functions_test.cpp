// SPDX-License-Identifier: MIT
// dump, clock, sensor and emulation through the real binary against the
// simulated printer, checked on its transcript.
#include <gtest/gtest.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "ctl_test_support.h"
#include "support/diagnostic_wire.h"

namespace m350test {
namespace {

const std::string kRef = "SET SENSOR_REF MANUAL\r\n";
const std::string kManualEnd = "\x10\x4A\x4C";
const std::string kDumpForFetch = "DUMP_TEXT SAVE 1000,\"Dump.txt\",";
const std::string kFetch = "\r\nDIAGNOSTIC FILE \"Dump.txt\"\r\n\r\n";

TEST(CtlDump, EachFormSendsItsCommandAndNothingElse) {
    START_SIM(sim);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"dump", "print"}, "DUMP_TEXT PRINT,"},
        {{"dump", "save-card", "LOG1.TXT"}, "DUMP_TEXT SAVE 1000,E,\"LOG1.TXT\","},
    };
    for (const auto& [args, bytes] : cases) {
        CtlRun run = runCtl(overNet(sim, args));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "");
    }
    // Names the card command cannot carry go nowhere.
    for (const char* bad : {"A\"B", "", "THIRTEEN.CHAR", "A\nB"}) {
        CtlRun run = runCtl(overNet(sim, {"dump", "save-card", bad}));
        EXPECT_EQ(run.exitCode, 65) << bad;
    }
    auto rx = received(sim, cases.size());
    ASSERT_EQ(rx.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(rx[i], cases[i].second);
}

TEST(CtlDump, FetchSavesTheDumpWholeAndAnEmptyOneEmpty) {
    TempDir dir;
    struct Case {
        std::vector<std::string> sim;
        std::string content;
    };
    const Case cases[] = {
        {{"--dump-text", "^XA^FDfrom the host{|}^FS^XZ\r\n"}, "^XA^FDfrom the host{|}^FS^XZ\r\n"},
        {{}, ""},
    };
    for (const auto& c : cases) {
        SimProcess sim(c.sim);
        ASSERT_TRUE(sim.ok()) << sim.error();
        const std::string out = dir.file("dump.txt");
        writeFile(out, "an older, longer file");
        CtlRun run = runCtl(overNet(sim, {"dump", "fetch", "-o", out}));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readFile(out), c.content);
        EXPECT_EQ(received(sim, 2), (std::vector<std::string>{kDumpForFetch, kFetch}));
    }
}

TEST(CtlDump, FetchRetriedOnlyOnReceiveErrorsAndWriteFailuresNameTheFile) {
    TempDir dir;
    START_SIM(sim, "--fault", "drop:FILE");
    CtlRun run = runCtl(overNet(sim, {"dump", "fetch", "-o", dir.file("never.txt")}));
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err, "Data Receiving Error\n");
    EXPECT_EQ(received(sim, 4), (std::vector<std::string>{kDumpForFetch, kFetch, kFetch, kFetch}));
    EXPECT_EQ(readFile(dir.file("never.txt")), "");

    START_SIM(ok);
    const std::string path = dir.file("no/such/dir/dump.txt");
    CtlRun unwritable = runCtl(overNet(ok, {"dump", "fetch", "-o", path}));
    EXPECT_EQ(unwritable.exitCode, 73);
    EXPECT_NE(unwritable.err.find(path), std::string::npos) << unwritable.err;
    EXPECT_NE(unwritable.err.find("No such file or directory"), std::string::npos);
}

TEST(CtlClock, GetPrintsTheClockAndSetSendsWhatWasTyped) {
    START_SIM(sim, "--set", "YEAR=24", "--set", "MONTH=2", "--set", "DATE=29", "--set", "HOUR=7",
              "--set", "MINUTE=5", "--set", "SECOND=0");
    CtlRun text = runCtl(overNet(sim, {"clock", "get"}));
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, "2024-02-29 07:05:00\n");
    CtlRun json = runCtl(overNet(sim, {"clock", "get", "--json"}));
    ASSERT_EQ(json.exitCode, 0);
    auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j["year"], 2024);
    EXPECT_EQ(j["second"], 0);
    EXPECT_EQ(j["text"], "2024-02-29 07:05:00");

    // Sent as typed: the year modulo 100. A month 13 is refused first.
    CtlRun month13 = runCtl(overNet(sim, {"clock", "set", "2024-13-05 07:08:09"}));
    EXPECT_EQ(month13.exitCode, 65) << month13.err;
    CtlRun set = runCtl(overNet(sim, {"clock", "set", "2024-12-05 07:08:09"}));
    EXPECT_EQ(set.exitCode, 0) << set.err;
    CtlRun again = runCtl(overNet(sim, {"clock", "get"}));
    EXPECT_EQ(again.out, "2024-12-05 07:08:09\n");
    // Not a time, or both ways at once: nothing sent.
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"clock", "set"},
                                               {"clock", "set", "2024-01-01"},
                                               {"clock", "set", "yesterday"},
                                               {"clock", "set", "--now", "2024-01-01 00:00:00"}}) {
        CtlRun run = runCtl(overNet(sim, bad));
        EXPECT_EQ(run.exitCode, 64) << bad.back();
    }
    const std::string read = kAnnounce +
                             "DIAGNOSTIC REPORT YEAR\r\nDIAGNOSTIC REPORT MONTH\r\n"
                             "DIAGNOSTIC REPORT DATE\r\nDIAGNOSTIC REPORT HOUR\r\n"
                             "DIAGNOSTIC REPORT MINUTE\r\nDIAGNOSTIC REPORT SECOND\r\n";
    EXPECT_EQ(received(sim, 5),
              (std::vector<std::string>{read, read, kGateQueries,
                                        "@YEAR = \"24\"\r\n@MONTH = \"12\"\r\n@DATE = \"5\"\r\n"
                                        "@HOUR = \"7\"\r\n@MINUTE = \"8\"\r\n@SECOND = \"9\"\r\n",
                                        read}));
}

TEST(CtlClock, NowSendsTheLocalTimeBehindThePasswordGate) {
    START_SIM(sim, "--password", "Secret");
    CtlRun refused = runCtl(overNet(sim, {"clock", "set", "--now"}));
    EXPECT_EQ(refused.exitCode, 77);
    CtlRun run = runCtl(overNet(sim, {"--password", "Secret", "clock", "set", "--now"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto rx = received(sim, 3);
    ASSERT_EQ(rx.size(), 3u);
    EXPECT_EQ(rx[0], kGateQueries);
    EXPECT_EQ(rx[1], kGateQueries);
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    EXPECT_EQ(rx[2].substr(0, 14), "@YEAR = \"" + std::to_string(tm.tm_year % 100) + "\"\r\n")
        << rx[2];
}

TEST(CtlSensor, ShowAndTheWholeCurve) {
    START_SIM(sim, "--gapsensor", "100,500,900,1000/1,2,3,4", "--set", "SENSORMODE=1", "--set",
              "BLINEINTEN=9");
    CtlRun show = runCtl(overNet(sim, {"sensor", "show", "--json"}));
    ASSERT_EQ(show.exitCode, 0) << show.err;
    auto j = nlohmann::json::parse(show.out);
    EXPECT_EQ(j["media"], "bline");
    EXPECT_EQ(j["intensity"], 9);
    EXPECT_EQ(j["threshold"], 30);
    CtlRun curve = runCtl(overNet(sim, {"sensor", "readings", "--media", "gap"}));
    EXPECT_EQ(curve.exitCode, 0) << curve.err;
    EXPECT_EQ(curve.out, "0 100\n1 500\n2 900\n3 1000\n");
    CtlRun bline = runCtl(overNet(sim, {"sensor", "readings", "--media", "bline", "--json"}));
    EXPECT_EQ(nlohmann::json::parse(bline.out)["readings"].size(), 16u);
    auto rx = received(sim, 3);
    EXPECT_EQ(rx[1], "DIAGNOSTIC REPORT GAPSENSOR\r\n");
    EXPECT_EQ(rx[2], "DIAGNOSTIC REPORT BLINESENSOR\r\n");
}

TEST(CtlSensor, CalibrateAndSetSendTheCommandTable) {
    struct Case {
        std::vector<std::string> sim;
        std::vector<std::string> args;
        std::string bytes;
        bool readsConfig;  // the resolution comes from the printer first
        bool readsSensor;  // the media comes from the printer first
    };
    const Case cases[] = {
        {{},
         {"calibrate", "--media", "gap", "--height", "1.5", "--gap", "0.12"},
         kRef + "GAPDETECT 304,24\r\n",
         true,
         false},
        {{"--dpi", "300"},
         {"calibrate", "--media", "bline", "--height", "40", "--gap", "3", "--unit", "mm"},
         kRef + "BLINEDETECT 472,35\r\n",
         true,
         false},
        {{}, {"calibrate", "--media", "gap"}, "GAPDETECT\r\n", false, false},
        {{}, {"calibrate", "--media", "auto"}, "AUTODETECT\r\n", false, false},
        {{},
         {"calibrate", "--media", "continuous", "--height", "1", "--gap", "1"},
         "GAP 0.12,0\r\nGAP 0,0\r\n",
         true,
         false},
        {{},
         {"set", "--intensity", "5"},
         kRef + "GAP 0.08,0\r\nSET GAP 5\r\n" + kManualEnd,
         false,
         true},
        {{},
         {"set", "--intensity", "5", "--threshold", "0", "--media", "bline"},
         kRef + "BLINE 0.08,0\r\nSET GAP 5\r\n" + kManualEnd,
         false,
         false},
        {{},
         {"set", "--intensity", "2", "--threshold", "600", "--media", "continuous"},
         kRef + "GAP 0,0\r\nSET GAP 2,600\r\n" + kManualEnd,
         false,
         false},
    };
    for (const auto& c : cases) {
        SimProcess sim(c.sim);
        ASSERT_TRUE(sim.ok()) << sim.error();
        std::vector<std::string> args = {"sensor"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CtlRun run = runCtl(overNet(sim, args));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const std::size_t count = 2 + (c.readsConfig ? 1 : 0) + (c.readsSensor ? 1 : 0);
        auto rx = received(sim, count);
        ASSERT_EQ(rx.size(), count) << c.bytes;
        if (c.readsConfig) {
            EXPECT_NE(rx[0].find("DIAGNOSTIC REPORT DPI\r\n"), std::string::npos);
        }
        if (c.readsSensor) {
            EXPECT_EQ(rx[0].substr(0, kAnnounce.size() + 30),
                      kAnnounce + "DIAGNOSTIC REPORT SENSORMODE\r\n");
        }
        EXPECT_EQ(rx[count - 2], kGateQueries);
        EXPECT_EQ(rx[count - 1], c.bytes);
    }
}

TEST(CtlSensor, UsageErrorsSendNothing) {
    START_SIM(sim);
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"sensor", "calibrate"},
             {"sensor", "calibrate", "--media", "paper"},
             {"sensor", "calibrate", "--media", "gap", "--height", "1"},
             {"sensor", "set"},
             {"sensor", "readings", "--media", "continuous"}}) {
        CtlRun run = runCtl(overNet(sim, bad));
        EXPECT_EQ(run.exitCode, 64) << bad.back();
    }
    EXPECT_TRUE(sim.transcript().empty());
}

TEST(CtlEmulation, GetAndSet) {
    START_SIM(sim, "--set", "ACT_EMULATION=0");
    const std::vector<std::pair<std::vector<std::string>, std::string>> steps = {
        {{"emulation", "get"}, "ZPL2\n"}, {{"emulation", "set", "cpcl"}, ""},
        {{"emulation", "get"}, "CPCL\n"}, {{"emulation", "set", "ZPL2"}, ""},
        {{"emulation", "get"}, "ZPL2\n"},
    };
    for (const auto& [args, out] : steps) {
        CtlRun run = runCtl(overNet(sim, args));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, out);
    }
    auto rx = received(sim, steps.size());
    EXPECT_EQ(rx[0], kAnnounce + "DIAGNOSTIC REPORT ACT_EMULATION\r\n");
    EXPECT_EQ(rx[1], "\x1B\x59");
    EXPECT_EQ(rx[3], "\x1B\x5A");

    // The parallel port cannot read it back.
    CtlRun lpt =
        runCtl({"--lpt", "LPT1", "emulation", "get"}, {}, {{"M350_LPT1", "/nonexistent/lp"}});
    EXPECT_EQ(lpt.exitCode, 3);
    EXPECT_EQ(lpt.err, "Data Receiving Error\n");
}

}  // namespace
}  // namespace m350test
