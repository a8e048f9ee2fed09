// SPDX-License-Identifier: MIT
// wifi scan, bt scan, bt master and the module commands through the real
// binary against the simulated printer, checked on its transcript. Every wait
// is shortened on the command line (--wait 0, --byte-wait).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ctl_test_support.h"
#include "support/diagnostic_wire.h"

namespace m350test {
namespace {

struct ScanCase {
    const char* what;
    std::vector<std::string> sim;
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;
};

TEST(CtlScans, ListsExitCodesAndBytes) {
    const ScanCase cases[] = {
        {"access points, the duplicate rule",
         {"--ap", "Office,2", "--ap", "Office,2", "--ap", "Office,1", "--ap", "Cafe,3"},
         {"wifi", "scan", "--wait", "0"},
         0,
         "Office\tWPA\nOffice\tWEP\nCafe\tNONE\n",
         ""},
        {"no wireless module",
         {"--wifi", "off"},
         {"wifi", "scan", "--wait", "0"},
         69,
         "",
         "m350ctl: Can't find external module!\n"},
        {"devices in order, an empty name",
         {"--bt", "Z,02:00:00:00:00:02", "--bt", ",02:00:00:00:00:01"},
         {"bt", "scan", "--wait", "0"},
         0,
         "Z\t02:00:00:00:00:02\n\t02:00:00:00:00:01\n",
         ""},
        {"no Bluetooth module",
         {"--bluetooth", "no"},
         {"bt", "scan", "--wait", "0"},
         69,
         "",
         "m350ctl: Can't find Bluetooth module!\n"},
        {"nothing found", {"--bt", "none"}, {"bt", "scan", "--wait", "0"}, 0, "", ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> simArgs = c.sim;
        simArgs.insert(simArgs.end(), {"--scan-delay", "50"});
        SimProcess sim(simArgs);
        ASSERT_TRUE(sim.ok()) << sim.error();
        CtlRun run = runCtl(overNet(sim, c.args));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.what << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.what;
        EXPECT_EQ(run.err, c.err) << c.what;
        const std::string key = c.args[0] == "wifi" ? "SCANAP" : "SCANBT";
        EXPECT_EQ(received(sim, 1),
                  (std::vector<std::string>{kAnnounce + "DIAGNOSTIC REPORT " + key + "\r\n"}))
            << c.what;
    }
}

TEST(CtlScans, JsonLists) {
    START_SIM(sim, "--scan-delay", "50", "--ap", "Home,1", "--bt", "Pad,02:00:00:00:00:07");
    CtlRun wifi = runCtl(overNet(sim, {"wifi", "scan", "--wait", "0", "--json"}));
    ASSERT_EQ(wifi.exitCode, 0) << wifi.err;
    const auto aps = nlohmann::json::parse(wifi.out);
    ASSERT_EQ(aps["accessPoints"].size(), 1u);
    EXPECT_EQ(aps["accessPoints"][0]["ssid"], "Home");
    EXPECT_EQ(aps["accessPoints"][0]["encryption"], "WEP");
    CtlRun bt = runCtl(overNet(sim, {"bt", "scan", "--wait", "0", "--json"}));
    ASSERT_EQ(bt.exitCode, 0) << bt.err;
    const auto devices = nlohmann::json::parse(bt.out);
    ASSERT_EQ(devices["devices"].size(), 1u);
    EXPECT_EQ(devices["devices"][0]["name"], "Pad");
    EXPECT_EQ(devices["devices"][0]["address"], "02:00:00:00:00:07");
}

// Over a serial line whose far end takes what was written a little later (a
// virtual serial port), the scan request must not be purged with the replies
// that came before it; a scan reply that never comes is a receiving error.
TEST(CtlScans, OverAPseudoTerminalThatTakesItsTime) {
    struct Case {
        std::vector<std::string> args, sim;
        int exit;
        const char* found;
    } cases[] = {
        {{"wifi", "scan", "--wait", "0", "--json"}, {}, 0, "\"Home\""},
        {{"bt", "scan", "--wait", "0", "--json"}, {}, 0, "\"Pad\""},
        {{"bt", "scan", "--wait", "0"}, {"--fault", "drop:SCANBT"}, 3, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> simArgs = {
            "--scan-delay", "50",     "--pty-latency", "50",
            "--ap",         "Home,1", "--bt",          "Pad,02:00:00:00:00:07"};
        simArgs.insert(simArgs.end(), c.sim.begin(), c.sim.end());
        SimProcess sim(simArgs, /*pty=*/true);
        ASSERT_TRUE(sim.ok()) << sim.error();
        std::vector<std::string> args = {"--com", "COM3", "--baud", "115200"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CtlRun run = runCtl(args, {}, {{"M350_COM3", sim.ptyPath()}});
        EXPECT_EQ(run.exitCode, c.exit) << c.args[0] << ": " << run.err;
        EXPECT_NE(run.out.find(c.found), std::string::npos) << run.out;
    }
}

TEST(CtlScans, ProgressBarOnATerminalOnly) {
    START_SIM(sim, "--scan-delay", "50", "--ap", "Home,1");
    CtlRun terminal = runCtlOnTerminal(overNet(sim, {"wifi", "scan", "--wait", "0"}), {});
    EXPECT_EQ(terminal.exitCode, 0) << terminal.err;
    EXPECT_NE(terminal.err.find("Communicating... ["), std::string::npos) << terminal.err;
    EXPECT_NE(terminal.err.find("100%"), std::string::npos) << terminal.err;
    CtlRun piped = runCtl(overNet(sim, {"wifi", "scan", "--wait", "0"}));
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(piped.out, "Home\tWEP\n");
}

TEST(CtlBluetooth, MasterSendsTheLineAndNothingElse) {
    START_SIM(sim);
    for (const char* mac : {"02:00:00:00:00:0A", ""}) {
        CtlRun run = runCtl(overNet(sim, {"bt", "master", mac}));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(received(sim, 2),
              (std::vector<std::string>{"BT DMAC \"02:00:00:00:00:0A\"\r\n", "BT DMAC \"\"\r\n"}));
}

const std::vector<std::string> kModuleEntry = {"SET COM1 115,N,8,1\r\n", "DEBUG 4193,7,2\r\n",
                                               "\r\rAT+STA\r", "\r\r\r", "AT+GLN\r"};

TEST(CtlModule, ShowReadsTheNameAndResets) {
    START_SIM(sim, "--ext-module", "PRN01");
    CtlRun run = runCtl(overNet(sim, {"module", "--byte-wait", "300", "show"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "name: PRN01\n");
    std::vector<std::string> want = kModuleEntry;
    want.push_back("\x1b!R");
    EXPECT_TRUE(sim.waitForQuiet());
    EXPECT_EQ(received(sim, want.size()), want);
}

TEST(CtlModule, ShowWithoutAModule) {
    START_SIM(sim);
    CtlRun run = runCtl(overNet(sim, {"module", "--byte-wait", "200", "show"}));
    EXPECT_EQ(run.exitCode, 69);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "m350ctl: no external module answered\n");
    // No name read-back without a module; the reset still goes out.
    EXPECT_TRUE(sim.waitForQuiet());
    const auto rx = received(sim, 4);
    ASSERT_EQ(rx.size(), 4u);
    EXPECT_EQ(rx[2], "\r\rAT+STA\r");
    EXPECT_EQ(rx[3], "\x1b!R");
}

TEST(CtlModule, SetWritesModuleThenWirelessPageThenResets) {
    START_SIM(sim, "--ext-module", "OLD");
    CtlRun run = runCtl(
        overNet(sim, {"module", "--byte-wait", "300", "set", "--name", "NEW01", "--pin", "2468"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(sim.waitForQuiet());
    const auto rx = received(sim, 1);
    // Gate, configuration read, the switch and detection, the two module
    // lines, the wireless page's lines, the reset.
    ASSERT_GE(rx.size(), 11u);
    EXPECT_EQ(rx[0], kGateQueries);
    std::size_t at = 2;
    for (const auto& line : kModuleEntry) EXPECT_EQ(rx[at++], line);
    EXPECT_EQ(rx[at++], "at+sln=NEW01\r");
    EXPECT_EQ(rx[at++], "at+pin=2468\r");
    EXPECT_NE(rx[at].find("WLAN"), std::string::npos) << rx[at];
    EXPECT_EQ(rx.back(), "\x1b!R");
    // The module took the name.
    CtlRun show = runCtl(overNet(sim, {"module", "--byte-wait", "300", "show"}));
    EXPECT_EQ(show.out, "name: NEW01\n");
}

TEST(CtlModule, SetRefusesNamesTheModuleCannotTake) {
    for (const char* name : {"two words", "0123456789012345678901234567890123"}) {
        CtlRun run =
            runCtl({"--net", "127.0.0.1:1", "module", "set", "--name", name, "--pin", "1"});
        EXPECT_EQ(run.exitCode, 65) << name;
    }
}

// Printer and radio names carrying a title change, a screen clear and other
// control bytes reach the terminal escaped as text, and as JSON escapes in JSON.
TEST(CtlPrinterTexts, ControlBytesNeverReachTheTerminalRaw) {
    const std::string evil =
        "A\x1b]0;owned\x07\x1b[2J\x7f\x01"
        "B";
    START_SIM(sim, "--scan-delay", "50", "--ap", evil + ",2", "--bt", evil + ",02:00:00:00:00:07",
              "--file", "F:" + evil + "=data", "--set", "NETNAME=" + evil);
    for (int i = 0; i < 8; ++i) {
        std::vector<std::vector<std::string>> commands = {{"wifi", "scan", "--wait", "0"},
                                                          {"bt", "scan", "--wait", "0"},
                                                          {"memory"},
                                                          {"net", "show"}};
        std::vector<std::string> args = commands[i % 4];
        const bool json = i >= 4;
        if (json) args.push_back("--json");
        const CtlRun run = runCtl(overNet(sim, args));
        ASSERT_EQ(run.exitCode, 0) << args[0] << run.err;
        EXPECT_EQ(run.out.find_first_of("\x1b\x07\x7f\x01"), std::string::npos) << run.out;
        EXPECT_NE(json ? nlohmann::json::parse(run.out).dump().find("A\\u001b]0;owned\\u0007")
                       : run.out.find("A\\x1b]0;owned\\x07\\x1b[2J\\x7f\\x01B"),
                  std::string::npos)
            << run.out;
    }
}

}  // namespace
}  // namespace m350test
