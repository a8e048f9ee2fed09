// SPDX-License-Identifier: MIT
// Discovery and the settings exchange on a real network: run by
// tests/net/printer_netns.sh inside a network namespace of the test's own, with
// simulated printers answering the real broadcast and multicast addresses.
// Outside that script these tests skip.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "core/net/udp_exchange.h"
#include "udp_datagrams.h"

using namespace m350;

namespace {

std::string netnsDir() {
    const char* dir = std::getenv("M350_NETNS_DIR");
    return dir ? dir : "";
}

#define NEED_NETNS()                                                                    \
    if (netnsDir().empty())                                                             \
    GTEST_SKIP() << "runs only inside tests/net/printer_netns.sh (a network namespace " \
                    "of the test's own)"

std::vector<std::string> names(const std::vector<DeviceReply>& replies) {
    std::vector<std::string> n;
    for (const auto& r : replies) n.push_back(r.name);
    return n;
}

}  // namespace

TEST(UdpNamespace, ThreePrintersTwoPassesEveryAnswerARow) {
    NEED_NETNS();
    const DiscoveryResult r = discoverDevices(UdpTargets{}, 1);
    ASSERT_TRUE(r.socketOpened);
    auto n = names(r.replies);
    ASSERT_EQ(n.size(), 3u) << ::testing::PrintToString(n);
    // The multicast pass comes last, and only alpha answers it.
    EXPECT_EQ(n.back(), "Alpha");
    std::sort(n.begin(), n.end());
    EXPECT_EQ(n, (std::vector<std::string>{"Alpha", "Alpha", "Beta"}));
    for (const auto& d : r.replies) {
        if (d.name == "Beta") {
            EXPECT_EQ(macToText(d.mac), "02:00:00:35:00:0B");
            EXPECT_EQ(ipv4ToText(d.ip), "10.203.0.11");
            EXPECT_EQ(deviceStatusText(d.state, d.flags), "Paper Jam");
        } else {
            EXPECT_EQ(ipv4ToText(d.ip), "10.203.0.10");
            EXPECT_EQ(d.model, "M350-203");
            EXPECT_EQ(deviceStatusText(d.state, d.flags), "Ready");
        }
    }
    EXPECT_EQ(mergeByMac(r.replies).size(), 2u);
    // Every printer saw both requests, byte for byte; the silent one sent nothing.
    const std::string request = m350test::bytesOf(discoveryRequest(1));
    for (const char* p : {"alpha", "beta", "gamma"}) {
        const auto d = m350test::udpDatagramsAtLeast(netnsDir() + "/" + p + ".txt", 2);
        ASSERT_EQ(d.rx.size(), 2u) << p;
        EXPECT_EQ(d.rx[0], request) << p;
        EXPECT_EQ(d.rx[1], request) << p;
        EXPECT_EQ(d.tx.size(), std::string(p) == "alpha"  ? 2u
                               : std::string(p) == "beta" ? 1u
                                                          : 0u)
            << p;
    }
}

TEST(UdpNamespace, ThreePrintersSettingsExchangeAndFactoryDefaultReachOnlyTheirDevice) {
    NEED_NETNS();
    UdpTargets t;
    const MacAddress beta = *parseMac("02:00:00:35:00:0B");
    // What the printers heard before this test (the topology serves several).
    const std::string betaPath = netnsDir() + "/beta.txt";
    const std::size_t before = m350test::udpDatagrams(betaPath).rx.size();
    const std::size_t alphaSent = m350test::udpDatagrams(netnsDir() + "/alpha.txt").tx.size();
    {
        UdpSettingsExchange x(t, 2, beta);
        ASSERT_TRUE(x.open());
        NetSettings s;
        x.readSettings(s);
        EXPECT_TRUE(s.dhcp);  // the simulator's CONFIGIP is 0.0.0.0
        EXPECT_EQ(s.ip, "10.203.0.11");
        s.dhcp = false;
        s.ip = "10.203.0.99";
        s.mask = "255.255.255.0";
        s.gateway = "10.203.0.1";
        s.name = "Beta2";
        x.writeSettings(s);
    }
    auto b = m350test::udpDatagramsAtLeast(betaPath, before + 6);
    ASSERT_EQ(b.rx.size(), before + 6);
    b.rx.erase(b.rx.begin(), b.rx.begin() + static_cast<long>(before));
    SettingsRequests want(2, beta);
    EXPECT_EQ(b.rx[0], m350test::bytesOf(want.readIp()));
    EXPECT_EQ(b.rx[1], m350test::bytesOf(want.readMode()));
    EXPECT_EQ(b.rx[2], m350test::bytesOf(want.writeName("Beta2")));
    EXPECT_EQ(b.rx[3], m350test::bytesOf(
                           want.writeIp({10, 203, 0, 99}, {255, 255, 255, 0}, {10, 203, 0, 1})));
    EXPECT_EQ(b.rx[4], m350test::bytesOf(want.writeMode(false)));
    EXPECT_EQ(b.rx[5], m350test::bytesOf(want.apply()));
    // The others heard the broadcasts and kept quiet.
    EXPECT_EQ(m350test::udpDatagrams(netnsDir() + "/alpha.txt").tx.size(), alphaSent);

    EXPECT_TRUE(sendUdpFactoryDefault(t, 3, beta));
    m350test::udpDatagramsAtLeast(betaPath, before + 7);
    const DiscoveryResult r = discoverDevices(t, 4);
    std::vector<std::string> n = names(r.replies);
    std::sort(n.begin(), n.end());
    // The factory default gave beta its name back.
    EXPECT_EQ(n, (std::vector<std::string>{"Alpha", "Alpha", "M350-SIM"}));
    // Beta answered: one discovery before, two reads, four acknowledgements,
    // the discovery just now; nothing to the factory default.
    EXPECT_EQ(m350test::udpDatagrams(betaPath).tx.size(), before / 2 + 6 + 1);
}

TEST(UdpNamespace, FloodNeitherHoldsTheWindowNorOverfillsTheList) {
    NEED_NETNS();
    UdpTargets t;
    t.passLimitMs = 800;  // the 5 s bound, shortened
    const auto t0 = std::chrono::steady_clock::now();
    const DiscoveryResult r = discoverDevices(t, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(4000));
    EXPECT_GT(r.replies.size(), 20u);
    EXPECT_LE(r.replies.size(), t.maxRows);
    const auto n = names(r.replies);
    EXPECT_NE(std::find(n.begin(), n.end(), "Alpha"), n.end());

    t.passLimitMs = 5000;
    t.maxRows = 100;
    const DiscoveryResult full = discoverDevices(t, 2);
    EXPECT_EQ(full.replies.size(), 100u);
    EXPECT_TRUE(full.listFull);
}
