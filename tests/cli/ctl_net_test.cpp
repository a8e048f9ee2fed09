// SPDX-License-Identifier: MIT
// discover and net ...: the real binary against the simulator, over the link
// (TCP) and over UDP on loopback, checked on the simulator's transcript.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "ctl_test_support.h"

namespace m350test {
namespace {

std::vector<std::string> udpTo(const SimProcess& sim, std::vector<std::string> args) {
    args.insert(args.end(), {"--broadcast", "127.0.0.1", "--multicast", "127.0.0.1", "--udp-port",
                             std::to_string(sim.udpPort()), "--timeout", "0.3"});
    return args;
}

// The datagrams the simulator received, in order.
std::vector<std::string> datagrams(const SimProcess& sim) {
    std::vector<std::string> rx;
    std::ifstream in(sim.transcriptPath());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream w(line);
        std::string id, what, hex;
        w >> id >> what >> hex;
        if (what == "RX") rx.push_back(decodeHex(hex));
    }
    return rx;
}

std::string hexOf(const std::string& bytes, std::size_t from, std::size_t n) {
    static const char d[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = from; i < from + n && i < bytes.size(); ++i) {
        s += d[static_cast<unsigned char>(bytes[i]) >> 4];
        s += d[bytes[i] & 15];
    }
    return s;
}

TEST(CtlDiscover, ListsEachPrinterOnceAsJsonAndText) {
    START_SIM(sim, "--udp", "127.0.0.1:0", "--set", "NETNAME=Dock", "--set", "LASTUSEDIP=127.0.0.8",
              "--udp-state", "3");
    CtlRun json = runCtl(udpTo(sim, {"discover", "--json"}));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    auto j = nlohmann::json::parse(json.out)["printers"];
    ASSERT_EQ(j.size(), 1u);  // both passes answered, merged by MAC
    EXPECT_EQ(j[0]["name"], "Dock");
    EXPECT_EQ(j[0]["mac"], "02:00:00:35:00:01");
    EXPECT_EQ(j[0]["ip"], "127.0.0.8");
    EXPECT_EQ(j[0]["model"], "M350");
    EXPECT_EQ(j[0]["status"], "Error");
    EXPECT_EQ(datagrams(sim).size(), 2u);

    CtlRun text = runCtl(udpTo(sim, {"discover"}));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("02:00:00:35:00:01  127.0.0.8"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Dock"), std::string::npos);
}

TEST(CtlDiscover, NobodyAnsweringIsAnEmptyList) {
    START_SIM(sim, "--udp", "127.0.0.1:0", "--udp-answer", "none");
    CtlRun json = runCtl(udpTo(sim, {"discover", "--json"}));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(nlohmann::json::parse(json.out)["printers"], nlohmann::json::array());
    CtlRun bad = runCtl(udpTo(sim, {"discover", "--timeout", "9"}));
    EXPECT_EQ(bad.exitCode, 64);
}

TEST(CtlNet, ShowSetAndNameOverTheLink) {
    START_SIM(sim, "--set", "CONFIGIP=127.0.0.5", "--set", "NETNAME=Dock");
    CtlRun show = runCtl(overNet(sim, {"net", "show", "--json"}));
    ASSERT_EQ(show.exitCode, 0) << show.err;
    auto j = nlohmann::json::parse(show.out);
    EXPECT_EQ(j["dhcp"], false);
    EXPECT_EQ(j["ip"], "127.0.0.5");
    EXPECT_EQ(j["name"], "Dock");
    EXPECT_EQ(j["mac"], "02:00:00:35:00:01");

    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string sent;  // after the password gate's queries
    } cases[] = {
        {{"net", "set", "--dhcp"}, 0, "NET DHCP\r\n"},
        {{"net", "set", "--ip", "127.0.0.9", "--mask", "255.0.0.0", "--gateway", "127.0.0.1"},
         0,
         "NET IP \"127.0.0.9\",\"255.0.0.0\",\"127.0.0.1\"\r\n"},
        {{"net", "name", "Front"}, 0, "NET NAME \"Front\"\r\n"},
        {{"net", "set", "--ip", "127.0.0.9"}, 64, ""},
        {{"net", "set", "--dhcp", "--ip", "1.2.3.4"}, 64, ""},
        {{"net", "name", "a-name-of-sixteen"}, 65, ""},
        {{"net", "name", "quo\"te"}, 65, ""},
    };
    for (auto& c : cases) {
        START_SIM(s);
        CtlRun run = runCtl(overNet(s, c.args));
        EXPECT_EQ(run.exitCode, c.exit) << c.args[1] << " " << run.err;
        if (c.exit != 0) {
            EXPECT_TRUE(s.waitForQuiet());
            EXPECT_EQ(s.allRx(), "") << c.args[1];
            continue;
        }
        auto rx = received(s, 2);
        ASSERT_EQ(rx.size(), 2u);
        EXPECT_EQ(rx[0],
                  "\r\nDIAGNOSTIC INTERFACE NET\r\n"
                  "DIAGNOSTIC REPORT EDITION\r\nDIAGNOSTIC REPORT PASSWORD\r\n");
        EXPECT_EQ(rx[1], c.sent);
    }
}

TEST(CtlNet, UdpSetChangesWhatTheLinkReports) {
    START_SIM(sim, "--udp", "127.0.0.1:0", "--set", "NETNAME=Dock", "--set", "CONFIGIP=10.0.0.4",
              "--set", "IPMASK=255.0.0.0", "--set", "GATEWAY=10.0.0.1");
    CtlRun run = runCtl(udpTo(sim, {"net", "udp-set", "02:00:00:35:00:01", "--ip", "10.0.0.50",
                                    "--mask", "255.255.0.0", "--gateway", "10.0.0.254"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rx = datagrams(sim);
    // Discovery (two passes), two reads, four writes.
    ASSERT_EQ(rx.size(), 8u);
    EXPECT_EQ(rx[2].size(), 34u);
    EXPECT_EQ(hexOf(rx[6], 69, 12), "0a000032ffff00000a0000fe");
    EXPECT_EQ(std::string(rx[6].c_str() + 176), "Dock");  // the name kept
    EXPECT_EQ(hexOf(rx[7], 32, 4), "00000700");
    CtlRun show = runCtl(overNet(sim, {"net", "show", "--json"}));
    auto j = nlohmann::json::parse(show.out);
    EXPECT_EQ(j["ip"], "10.0.0.50");
    EXPECT_EQ(j["mask"], "255.255.0.0");
    EXPECT_EQ(j["gateway"], "10.0.0.254");
    EXPECT_EQ(j["name"], "Dock");

    CtlRun named = runCtl(udpTo(sim, {"net", "udp-set", "02:00:00:35:00:01", "--name", "Yard"}));
    ASSERT_EQ(named.exitCode, 0) << named.err;
    EXPECT_EQ(nlohmann::json::parse(runCtl(overNet(sim, {"net", "show", "--json"})).out)["name"],
              "Yard");

    CtlRun missing = runCtl(udpTo(sim, {"net", "udp-set", "02:00:00:00:00:99", "--dhcp"}));
    EXPECT_EQ(missing.exitCode, 69);
    EXPECT_EQ(runCtl(udpTo(sim, {"net", "udp-set", "bad-mac", "--dhcp"})).exitCode, 64);
}

// A settings read left unanswered, or an address that is not one, writes
// nothing: the printer is never sent FF FF FF FF or a half-read record.
TEST(CtlNet, UdpSetWritesNothingWithoutBothReadsOrWithABadAddress) {
    const std::vector<std::string> ipArgs = {"--ip",      "10.0.0.50", "--mask",
                                             "255.0.0.0", "--gateway", "10.0.0.1"};
    struct Case {
        std::vector<std::string> sim, ctl;
        int exit;
        const char* cause;
    } cases[] = {
        {{"--udp-drop", "read-ip"}, {"--name", "Yard"}, 69, "IP settings"},
        {{"--udp-drop", "read-mode"}, {"--dhcp"}, 69, "address mode"},
        {{"--udp-drop", "reads"}, ipArgs, 69, "IP settings"},
        {{}, {"--ip", "010.1.1.1x", "--mask", "255.0.0.0", "--gateway", "10.0.0.1"}, 65, "--ip"},
        {{}, {"--ip", "10.1.1.1", "--mask", "1..2.3", "--gateway", "10.0.0.1"}, 65, "--mask"},
        {{}, {"--ip", "10.1.1.1", "--mask", "255.0.0.0", "--gateway", ""}, 65, "--gateway"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> simArgs = {"--udp", "127.0.0.1:0", "--set", "CONFIGIP=10.0.0.4"};
        simArgs.insert(simArgs.end(), c.sim.begin(), c.sim.end());
        SimProcess sim(simArgs);
        ASSERT_TRUE(sim.ok()) << sim.error();
        std::vector<std::string> args = {"net", "udp-set", "02:00:00:35:00:01", "--reply-timeout",
                                         "0.3"};
        args.insert(args.end(), c.ctl.begin(), c.ctl.end());
        CtlRun run = runCtl(udpTo(sim, args));
        EXPECT_EQ(run.exitCode, c.exit) << c.cause << run.err;
        EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
        const auto rx = datagrams(sim);
        for (const auto& d : rx) EXPECT_NE(hexOf(d, 8, 2), "0004") << c.cause;
        if (c.exit == 64) {
            EXPECT_TRUE(rx.empty()) << c.cause;
        }
    }
}

// Another device, an earlier exchange or a discovery reply that arrives before
// the printer's own answer is not taken for it.
TEST(CtlNet, UdpSetTakesOnlyItsPrintersReplies) {
    for (const char* impostor : {"mac", "sequence", "command"}) {
        START_SIM(sim, "--udp", "127.0.0.1:0", "--set", "CONFIGIP=10.0.0.4", "--set",
                  "IPMASK=255.0.0.0", "--set", "GATEWAY=10.0.0.1", "--udp-impostor", impostor);
        CtlRun run = runCtl(udpTo(sim, {"net", "udp-set", "02:00:00:35:00:01", "--name", "Yard",
                                        "--reply-timeout", "0.5"}));
        ASSERT_EQ(run.exitCode, 0) << impostor << run.err;
        const auto rx = datagrams(sim);
        ASSERT_EQ(rx.size(), 8u) << impostor;
        EXPECT_EQ(hexOf(rx[5], 69, 12), "0a000004ff0000000a000001") << impostor;
        EXPECT_EQ(hexOf(rx[6], 942, 1), "01") << impostor;  // static, as read
        auto j = nlohmann::json::parse(runCtl(overNet(sim, {"net", "show", "--json"})).out);
        EXPECT_EQ(j["ip"], "10.0.0.4") << impostor;
        EXPECT_EQ(j["name"], "Yard") << impostor;
    }
}

// A name with a byte above ASCII, a backslash and an escape is written back
// as the printer's own bytes, and shown in the printer text encoding with the
// controls escaped.
TEST(CtlNet, UdpSetKeepsThePrintersNameByteForByte) {
    const std::string name = "Caf\xe9\\x41\x1b]0;";
    START_SIM(sim, "--udp", "127.0.0.1:0", "--set", "NETNAME=" + name);
    CtlRun run = runCtl(udpTo(sim, {"net", "udp-set", "02:00:00:35:00:01", "--ip", "10.0.0.50",
                                    "--mask", "255.0.0.0", "--gateway", "10.0.0.1"}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rx = datagrams(sim);
    ASSERT_EQ(rx.size(), 8u);
    EXPECT_EQ(std::string(rx[4].c_str() + 176), name);
    CtlRun text = runCtl(udpTo(sim, {"--encoding", "CP1252", "discover"}));
    EXPECT_NE(text.out.find("Caf\xc3\xa9\\x5cx41\\x1b]0;"), std::string::npos) << text.out;
    CtlRun json = runCtl(udpTo(sim, {"--encoding", "CP1252", "discover", "--json"}));
    EXPECT_EQ(nlohmann::json::parse(json.out)["printers"][0]["name"], "Caf\xc3\xa9\\x41\x1b]0;");
}

TEST(CtlNet, UdpFactoryDefaultNeedsConfirmation) {
    START_SIM(sim, "--udp", "127.0.0.1:0", "--set", "NETNAME=Renamed");
    CtlRun refused = runCtl(udpTo(sim, {"net", "udp-factory-default", "02:00:00:35:00:01"}));
    EXPECT_EQ(refused.exitCode, 11);
    EXPECT_TRUE(datagrams(sim).empty());
    CtlRun yes = runCtl(udpTo(sim, {"net", "udp-factory-default", "02:00:00:35:00:01", "--yes"}));
    ASSERT_EQ(yes.exitCode, 0) << yes.err;
    for (int i = 0; i < 200 && datagrams(sim).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto rx = datagrams(sim);
    ASSERT_EQ(rx.size(), 1u);
    EXPECT_EQ(hexOf(rx[0], 0, 32),
              "002000010001080200010000000100000100000000000200003500010000"
              "0000");
    CtlRun after = runCtl(udpTo(sim, {"discover", "--json"}));
    EXPECT_EQ(nlohmann::json::parse(after.out)["printers"][0]["name"], "M350-SIM");
}

TEST(CtlNamespace, ThreePrintersDiscoverListsEachOnce) {
    if (!std::getenv("M350_NETNS_DIR"))
        GTEST_SKIP() << "runs only inside tests/net/printer_netns.sh (a network namespace of "
                        "the test's own)";
    CtlRun run = runCtl({"discover", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto j = nlohmann::json::parse(run.out)["printers"];
    ASSERT_EQ(j.size(), 2u) << run.out;
    std::vector<std::string> names = {j[0]["name"], j[1]["name"]};
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta"}));
}

}  // namespace
}  // namespace m350test
