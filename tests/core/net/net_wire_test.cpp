// SPDX-License-Identifier: MIT
// The network utilities on the wire against the simulated printer: the link
// operations 18, 19 and 20 over TCP, and the UDP protocol on loopback (the
// discovery targets aimed at the simulator's own port).
#include <gtest/gtest.h>

#include <chrono>

#include "core/link/link_operations.h"
#include "core/net/net_settings.h"
#include "core/net/udp_exchange.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"
#include "udp_datagrams.h"

using namespace m350;
using m350test::SimProcess;

namespace {

struct LinkRig {
    SimProcess sim;
    PortSettings settings;
    LinkContext ctx;
    m350test::RecordingProgress progress;

    explicit LinkRig(std::vector<std::string> args = {}) : sim(std::move(args)) {
        settings.net = {"127.0.0.1", sim.tcpPort()};
        ctx.settings = &settings;
        ctx.progress = &progress;
        ctx.timeouts.netReadMs = 2000;
        ctx.timeouts.progressHideMs = 0;
    }
    int run(std::uint32_t op, const OperationCall& call) {
        return runOperation(ctx, op, kEthernet, call);
    }
};

const std::string kAnnounce = "\r\nDIAGNOSTIC INTERFACE NET\r\n";

std::string reports(std::initializer_list<const char*> keys) {
    std::string s = kAnnounce;
    for (const char* k : keys) s += std::string("DIAGNOSTIC REPORT ") + k + "\r\n";
    return s;
}

UdpTargets loopback(const SimProcess& sim) {
    UdpTargets t;
    t.broadcast = t.multicast = "127.0.0.1";
    t.port = static_cast<std::uint16_t>(sim.udpPort());
    t.idleMs = 300;
    t.replyWaitMs = 1500;
    return t;
}

}  // namespace

TEST(NetLink, ReportReadsEveryKeyInOrder) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string sent;
        NetSettings want;
    } cases[] = {
        {"DHCP printer (CONFIGIP 0.0.0.0)",
         {"--set", "CONFIGIP=0.0.0.0", "--set", "LASTUSEDIP=127.0.0.9"},
         reports({"CONFIGIP", "GATEWAY", "IPMASK", "LASTUSEDIP", "NETNAME", "MACADDR"}),
         {true, "0.0.0.0", "255.0.0.0", "127.0.0.1", "127.0.0.9", "M350-SIM", "02:00:00:35:00:01"}},
        {"static printer",
         {"--set", "CONFIGIP=10.0.0.5", "--set", "NETNAME=Dock"},
         reports({"CONFIGIP", "GATEWAY", "IPMASK", "LASTUSEDIP", "NETNAME", "MACADDR"}),
         {false, "10.0.0.5", "255.0.0.0", "127.0.0.1", "127.0.0.1", "Dock", "02:00:00:35:00:01"}},
        {"no NETNAME: empty name and MAC, MACADDR never asked",
         {"--fault", "silent:NETNAME"},
         reports({"CONFIGIP", "GATEWAY", "IPMASK", "LASTUSEDIP", "NETNAME"}),
         {true, "0.0.0.0", "255.0.0.0", "127.0.0.1", "127.0.0.1", "", ""}},
        {"no MACADDR: empty MAC",
         {"--fault", "silent:MACADDR"},
         reports({"CONFIGIP", "GATEWAY", "IPMASK", "LASTUSEDIP", "NETNAME", "MACADDR"}),
         {true, "0.0.0.0", "255.0.0.0", "127.0.0.1", "127.0.0.1", "M350-SIM", ""}},
    };
    for (auto& c : cases) {
        LinkRig rig(c.args);
        ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
        NetSettings got;
        got.name = "stale";
        got.mac = "stale";
        EXPECT_EQ(rig.run(kOpNetReport, [&](Link& l) { return readNetSettings(l, got); }), kOk)
            << c.what;
        ASSERT_TRUE(rig.sim.waitForQuiet());
        EXPECT_EQ(rig.sim.allRx(), c.sent) << c.what;
        EXPECT_EQ(got.dhcp, c.want.dhcp) << c.what;
        EXPECT_EQ(got.ip, c.want.ip) << c.what;
        EXPECT_EQ(got.mask, c.want.mask) << c.what;
        EXPECT_EQ(got.gateway, c.want.gateway) << c.what;
        EXPECT_EQ(got.currentIp, c.want.currentIp) << c.what;
        EXPECT_EQ(got.name, c.want.name) << c.what;
        EXPECT_EQ(got.mac, c.want.mac) << c.what;
    }
}

TEST(NetLink, AFailedAddressQueryFailsAndLeavesTheRecord) {
    LinkRig rig({"--fault", "silent:IPMASK"});
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    rig.ctx.timeouts.netReadMs = 300;
    NetSettings got;
    got.ip = "kept";
    EXPECT_EQ(rig.run(kOpNetReport, [&](Link& l) { return readNetSettings(l, got); }),
              kReceiveError);
    EXPECT_EQ(got.ip, "kept");
    ASSERT_TRUE(rig.sim.waitForQuiet());
    EXPECT_EQ(rig.sim.allRx(), reports({"CONFIGIP", "GATEWAY", "IPMASK"}));
}

TEST(NetLink, WritesSendTheirCommandLinesExactly) {
    NetSettings dhcp;
    dhcp.dhcp = true;
    dhcp.ip = "1.2.3.4";  // ignored with DHCP on
    NetSettings fixed;
    fixed.ip = "192.168.5.20";
    fixed.mask = "255.255.255.0";
    fixed.gateway = "192.168.5.1";
    NetSettings named;
    named.name = "Front desk";
    struct Case {
        const char* what;
        std::uint32_t op;
        OperationCall call;
        std::string sent;
        std::vector<std::pair<const char*, const char*>> after;  // report key, value
    } cases[] = {
        {"DHCP",
         kOpNetAddress,
         [&](Link& l) { return writeNetAddress(l, dhcp); },
         "NET DHCP\r\n",
         {{"CONFIGIP", "0.0.0.0"}}},
        {"static",
         kOpNetAddress,
         [&](Link& l) { return writeNetAddress(l, fixed); },
         "NET IP \"192.168.5.20\",\"255.255.255.0\",\"192.168.5.1\"\r\n",
         {{"CONFIGIP", "192.168.5.20"}, {"IPMASK", "255.255.255.0"}, {"GATEWAY", "192.168.5.1"}}},
        {"name",
         kOpNetName,
         [&](Link& l) { return writeNetName(l, named); },
         "NET NAME \"Front desk\"\r\n",
         {{"NETNAME", "Front desk"}}},
    };
    for (auto& c : cases) {
        LinkRig rig;
        ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
        EXPECT_EQ(rig.run(c.op, c.call), kOk) << c.what;
        ASSERT_TRUE(rig.sim.waitForQuiet());
        EXPECT_EQ(rig.sim.allRx(), c.sent) << c.what;
        NetSettings back;
        ASSERT_EQ(rig.run(kOpNetReport, [&](Link& l) { return readNetSettings(l, back); }), kOk);
        for (auto& [key, value] : c.after) {
            const std::string got = std::string(key) == "CONFIGIP"  ? back.ip
                                    : std::string(key) == "IPMASK"  ? back.mask
                                    : std::string(key) == "GATEWAY" ? back.gateway
                                                                    : back.name;
            EXPECT_EQ(got, value) << c.what << " " << key;
        }
    }
}

TEST(NetLink, TextsThatWouldBreakTheCommandAreRefusedBeforeTheLinkOpens) {
    LinkRig rig;
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    NetSettings quote;
    quote.name = "a\"b";
    NetSettings line;
    line.ip = "1.2.3.4\r\nINITIALPRINTER";
    line.mask = line.gateway = "0.0.0.0";
    Link l{rig.ctx, kEthernet};
    EXPECT_EQ(writeNetName(l, quote), kTransmitError);
    EXPECT_EQ(writeNetAddress(l, line), kTransmitError);
    EXPECT_TRUE(rig.sim.waitForQuiet());
    EXPECT_TRUE(rig.sim.transcript().empty());
}

TEST(UdpLoopback, DiscoveryListsTheSimulatorOncePerPassFromItsState) {
    SimProcess sim({"--udp", "127.0.0.1:0", "--udp-state", "3", "--udp-flags", "0x41",
                    "--udp-model", "M350-203", "--set", "NETNAME=Dock", "--set",
                    "LASTUSEDIP=127.0.0.42"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    ASSERT_GT(sim.udpPort(), 0);
    const DiscoveryResult r = discoverDevices(loopback(sim), 5);
    ASSERT_TRUE(r.socketOpened);
    ASSERT_EQ(r.replies.size(), 2u);  // both passes reach it: listed twice
    for (const auto& d : r.replies) {
        EXPECT_EQ(macToText(d.mac), "02:00:00:35:00:01");
        EXPECT_EQ(ipv4ToText(d.ip), "127.0.0.42");
        EXPECT_EQ(d.name, "Dock");
        EXPECT_EQ(d.model, "M350-203");
        EXPECT_EQ(deviceStatusText(d.state, d.flags), "Carriage Open");
    }
    EXPECT_EQ(mergeByMac(r.replies).size(), 1u);
    const auto seen = m350test::udpDatagramsAtLeast(sim.transcriptPath(), 2);
    ASSERT_EQ(seen.rx.size(), 2u);
    // The same request twice, unchanged, with this sequence number.
    EXPECT_EQ(seen.rx[0], m350test::bytesOf(discoveryRequest(5)));
    EXPECT_EQ(seen.rx[1], seen.rx[0]);
}

TEST(UdpLoopback, SilencePassesAfterTheIdleWaitAndAFloodIsCut) {
    {
        SimProcess sim({"--udp", "127.0.0.1:0", "--udp-answer", "none"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        const auto t0 = std::chrono::steady_clock::now();
        const DiscoveryResult r = discoverDevices(loopback(sim), 1);
        const auto took = std::chrono::steady_clock::now() - t0;
        EXPECT_TRUE(r.replies.empty());
        EXPECT_GE(took, std::chrono::milliseconds(600));  // two idle waits of 300 ms
    }
    {
        // A reply every 5 ms for 10 s: the pass limit ends each pass.
        SimProcess sim({"--udp", "127.0.0.1:0", "--udp-flood", "2000:5"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        UdpTargets t = loopback(sim);
        t.passLimitMs = 400;
        const auto t0 = std::chrono::steady_clock::now();
        const DiscoveryResult r = discoverDevices(t, 1);
        const auto took = std::chrono::steady_clock::now() - t0;
        EXPECT_LT(took, std::chrono::milliseconds(3000));
        EXPECT_GT(r.replies.size(), 10u);
        EXPECT_FALSE(r.listFull);
    }
    {
        // As fast as it can: the list stops at its bound.
        SimProcess sim({"--udp", "127.0.0.1:0", "--udp-flood", "400:0"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        UdpTargets t = loopback(sim);
        t.maxRows = 50;
        const DiscoveryResult r = discoverDevices(t, 1);
        EXPECT_EQ(r.replies.size(), 50u);
        EXPECT_TRUE(r.listFull);
        // The list was full after the first pass: no second request.
        EXPECT_EQ(m350test::udpDatagrams(sim.transcriptPath()).rx.size(), 1u);
    }
}

TEST(UdpLoopback, SettingsExchangeReadsWritesAndTheSimulatorKeepsIt) {
    SimProcess sim({"--udp", "127.0.0.1:0", "--set", "CONFIGIP=10.1.2.3", "--set",
                    "IPMASK=255.255.0.0", "--set", "GATEWAY=10.1.0.1"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const MacAddress mac = *parseMac("02:00:00:35:00:01");
    UdpSettingsExchange x(loopback(sim), 3, mac);
    ASSERT_TRUE(x.open());
    NetSettings s;
    EXPECT_EQ(x.readSettings(s), UdpSettingsExchange::ReadResult::kOk);
    EXPECT_FALSE(s.dhcp);
    EXPECT_EQ(s.ip, "10.1.2.3");
    EXPECT_EQ(s.currentIp, "10.1.2.3");
    EXPECT_EQ(s.mask, "255.255.0.0");
    EXPECT_EQ(s.gateway, "10.1.0.1");
    s.name = "Dock";
    s.ip = "10.9.8.7";
    s.mask = "1..2.3";  // not an address: nothing at all is written
    EXPECT_FALSE(x.writeSettings(s));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(m350test::udpDatagrams(sim.transcriptPath()).rx.size(), 2u);
    s.mask = "255.255.255.255";
    EXPECT_TRUE(x.writeSettings(s));

    const auto seen = m350test::udpDatagramsAtLeast(sim.transcriptPath(), 6);
    ASSERT_EQ(seen.rx.size(), 6u);
    SettingsRequests want(3, mac);
    EXPECT_EQ(seen.rx[0], m350test::bytesOf(want.readIp()));
    EXPECT_EQ(seen.rx[1], m350test::bytesOf(want.readMode()));
    EXPECT_EQ(seen.rx[2], m350test::bytesOf(want.writeName("Dock")));
    EXPECT_EQ(seen.rx[3],
              m350test::bytesOf(want.writeIp({10, 9, 8, 7}, {255, 255, 255, 255}, {10, 1, 0, 1})));
    EXPECT_EQ(seen.rx[4], m350test::bytesOf(want.writeMode(false)));
    EXPECT_EQ(seen.rx[5], m350test::bytesOf(want.apply()));

    // The printer took it: a discovery shows the new name, a read the new address.
    const DiscoveryResult r = discoverDevices(loopback(sim), 4);
    ASSERT_FALSE(r.replies.empty());
    EXPECT_EQ(r.replies[0].name, "Dock");
    EXPECT_EQ(ipv4ToText(r.replies[0].ip), "10.9.8.7");
    UdpSettingsExchange again(loopback(sim), 5, mac);
    ASSERT_TRUE(again.open());
    NetSettings back;
    again.readSettings(back);
    EXPECT_EQ(back.ip, "10.9.8.7");
    EXPECT_EQ(back.mask, "255.255.255.255");
}

TEST(UdpLoopback, ASilentDeviceLeavesFieldsEmptyAndAnotherMacIsIgnored) {
    SimProcess sim({"--udp", "127.0.0.1:0"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    UdpTargets t = loopback(sim);
    t.replyWaitMs = 200;
    UdpSettingsExchange x(t, 1, *parseMac("02:00:00:00:00:99"));
    ASSERT_TRUE(x.open());
    NetSettings s;
    EXPECT_EQ(x.readSettings(s), UdpSettingsExchange::ReadResult::kNoIpSettings);
    EXPECT_EQ(s.ip, "");
    EXPECT_EQ(s.mask, "");
    EXPECT_FALSE(s.dhcp);
    EXPECT_TRUE(sendUdpFactoryDefault(t, 2, *parseMac("02:00:00:00:00:99")));
    const auto seen = m350test::udpDatagramsAtLeast(sim.transcriptPath(), 3);
    EXPECT_EQ(seen.rx.size(), 3u);
    EXPECT_TRUE(seen.tx.empty());
}
