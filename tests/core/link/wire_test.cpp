// SPDX-License-Identifier: MIT
// The link on the wire against the simulated printer: the transcript shows
// every connection and every byte the link sent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/files/raw_send.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "core/printer/status.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350;
using m350test::SimProcess;

namespace {

struct NetRig {
    SimProcess sim;
    PortSettings settings;
    LinkContext ctx;
    m350test::RecordingProgress progress;

    explicit NetRig(std::vector<std::string> args = {}, bool pty = false)
        : sim(std::move(args), pty) {
        settings.net = {"127.0.0.1", sim.tcpPort()};
        ctx.settings = &settings;
        ctx.progress = &progress;
        // A loaded machine still answers within this; the fault tests shorten it.
        ctx.timeouts.netReadMs = 2000;
        ctx.timeouts.comReadMs = 2000;
        ctx.timeouts.progressHideMs = 0;
    }
};

}  // namespace

TEST(Wire, FirstContactOpensTwoConnectionsAndSendsOnlyExitLineMode) {
    NetRig rig;
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpConnectionTest, kEthernet, m350::testConnection), kOk);
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpExitLineMode, kEthernet, m350::exitLineMode), kOk);
    ASSERT_TRUE(rig.sim.waitForClosed(2));
    auto t = rig.sim.transcript();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].rx, "");
    EXPECT_EQ(t[1].rx, std::string("\x1B\x5A\x0D\x0A", 4));
}

TEST(Wire, GetStatusBytesAndWordsFromTheSimulator) {
    NetRig rig({"--status-byte", "8", "--ext-status", "000000000c000000"});
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    StatusFlags flags{};
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpStatus, kEthernet,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kOk);
    EXPECT_EQ(statusTextKeyFor(flags), kKeyRibbonEncoderErr);
    ASSERT_TRUE(rig.sim.waitForClosed(1));
    EXPECT_EQ(rig.sim.transcript()[0].rx, "\x1B!?\x1B!S\r\n");
}

TEST(Wire, TcpWritesGoInChunksOf512WithTheirPercents) {
    NetRig rig;
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    std::string data(1000, 'd');
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpRawSend, kEthernet,
                                 [&](m350::Link& l) {
                                     return m350::sendRaw(l, std::string_view(data.data(), 1000));
                                 }),
              kOk);
    std::vector<std::string> want = {
        "open Communicating...", "pos 3", "pos 51", "pos 100", "pos 100", "pos 100", "close"};
    EXPECT_EQ(rig.progress.calls, want);
    ASSERT_TRUE(rig.sim.waitForClosed(1));
    EXPECT_EQ(rig.sim.transcript()[0].rx, data);
}

TEST(Wire, MisbehavingPrintersFailTheReadWithinItsLimit) {
    for (const char* fault : {"silent", "broken-frame", "drop", "garbage"}) {
        NetRig rig({"--fault", fault});
        rig.ctx.timeouts.netReadMs = 300;
        ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
        Connection c(rig.ctx, kEthernet);
        ASSERT_TRUE(c.open());
        std::string payload;
        EXPECT_EQ(c.report("DPI", payload), kReceiveError) << fault;
    }
    NetRig mute({"--fault", "silent:status"});
    mute.ctx.timeouts.netReadMs = 300;
    StatusFlags flags{};
    EXPECT_EQ(m350::runOperation(mute.ctx, kOpStatus, kEthernet,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kReceiveError);
}

TEST(Wire, ReportQueryAnsweredFromTheSimulatorState) {
    NetRig rig({"--set", "DPI=203"});
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    Connection c(rig.ctx, kEthernet);
    ASSERT_TRUE(c.open());
    ASSERT_EQ(c.announce(), kOk);
    std::string payload;
    ASSERT_EQ(c.report("DPI", payload), kOk);
    EXPECT_EQ(payload, "203");
    c.close();
    ASSERT_TRUE(rig.sim.waitForClosed(1));
    EXPECT_EQ(rig.sim.transcript()[0].rx,
              "\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT DPI\r\n");
}

TEST(Wire, SerialLinkOverTheSimulatorsPseudoTerminal) {
    NetRig rig({"--status-byte", "16"}, /*pty=*/true);
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    ASSERT_FALSE(rig.sim.ptyPath().empty());
    setenv("M350_COM5", rig.sim.ptyPath().c_str(), 1);
    rig.settings.serial.portName = "COM5";
    StatusFlags flags{};
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpStatus, kCom,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kOk);
    EXPECT_EQ(statusTextKeyFor(flags), kKeyPause);
    std::string data(130, 's');
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpRawSend, kCom,
                                 [&](m350::Link& l) {
                                     return m350::sendRaw(l, std::string_view(data.data(), 130));
                                 }),
              kOk);
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpExitLineMode, kCom, m350::exitLineMode), kOk);
    std::string all;
    for (int i = 0; i < 50 && all.find("\x1BZ\r\n") == std::string::npos; ++i) {
        all = rig.sim.allRx();
        usleep(20000);
    }
    EXPECT_EQ(all, std::string("\x1B!?\x1B!S\r\n") + data + "\x1BZ\r\n");
    unsetenv("M350_COM5");
}

// Printers that send bytes without ever completing a reply. Each query ends
// with "Data Receiving Error" within its bound, on the network and on the
// serial line alike, and the transcript shows the link sent nothing after it.
namespace {

struct StreamRig : NetRig {
    explicit StreamRig(std::vector<std::string> args, int iface)
        : NetRig(std::move(args), iface == kCom), iface(iface) {
        if (iface == kCom) {
            setenv("M350_COM6", sim.ptyPath().c_str(), 1);
            settings.serial.portName = "COM6";
        }
    }
    ~StreamRig() { unsetenv("M350_COM6"); }
    // Announces, then asks for DPI; the result and how long the question took.
    std::pair<int, std::chrono::milliseconds> askDpi() {
        Connection c(ctx, iface);
        if (!c.open()) return {kPortOpenError, {}};
        if (int r = c.announce(); r != kOk) return {r, {}};
        std::string payload;
        const auto start = std::chrono::steady_clock::now();
        const int r = c.report("DPI", payload);
        return {r, std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now() - start)};
    }
    int iface;
};

const char* nameOf(int iface) {
    return iface == kCom ? "COM" : "ETHERNET";
}

}  // namespace

TEST(WireReplyBounds, AnEndlessStreamEndsAtTheByteBound) {
    for (int iface : {kEthernet, kCom}) {
        StreamRig rig({"--fault", "stream:DPI"}, iface);
        ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
        // The real limits: time does not end it, the bytes skipped do.
        rig.ctx.timeouts.netReadMs = 30000;
        rig.ctx.timeouts.comReadMs = 3000;
        auto [result, took] = rig.askDpi();
        EXPECT_EQ(result, kReceiveError) << nameOf(iface);
        EXPECT_LT(took.count(), 2500) << nameOf(iface);
        ASSERT_TRUE(rig.sim.waitForClosed(1)) << nameOf(iface);
        const std::string announce = announcementText(iface);
        EXPECT_EQ(rig.sim.transcript()[0].rx, announce + "DIAGNOSTIC REPORT DPI\r\n")
            << nameOf(iface);
    }
}

// Each refill waits the read limit; the whole reply gets the limit plus its
// bytes' allowance. A valid reply that comes slowly but steadily (every byte
// well within one refill's limit, the whole far beyond it) gets through; one
// slower than the allowance, or bytes that never make a frame, end.
TEST(WireReplyBounds, SteadySlowRepliesArriveAndEndlessOnesEnd) {
    struct Case {
        const char* fault;
        int iface;
        int result;
        int atLeastMs, belowMs;
    };
    constexpr int kLimitMs = 300;
    const Case cases[] = {
        // "{3|203}" at 120 ms a byte: 840 ms, nearly three limits.
        {"trickle:120:DPI", kEthernet, kOk, 700, 2000},
        {"trickle:120:DPI", kCom, kOk, 700, 2000},
        // Slower than the 100 ms a byte allowed: ends at its second or third byte.
        {"trickle:250:DPI", kEthernet, kReceiveError, 450, 1200},
        {"trickle:250:DPI", kCom, kReceiveError, 450, 1200},
        // No brace ever: the 64 bytes of lead-in that earn time, then the end.
        {"stream:20:DPI", kEthernet, kReceiveError, kLimitMs + 6400 - 100, kLimitMs + 8000},
    };
    for (const Case& c : cases) {
        StreamRig rig({"--fault", c.fault}, c.iface);
        ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
        rig.ctx.timeouts.netReadMs = kLimitMs;
        rig.ctx.timeouts.comReadMs = kLimitMs;
        rig.ctx.timeouts.replySlowMsPerByte = 100;
        auto [result, took] = rig.askDpi();
        EXPECT_EQ(result, c.result) << c.fault << " " << nameOf(c.iface);
        EXPECT_GE(took.count(), c.atLeastMs) << c.fault << " " << nameOf(c.iface);
        EXPECT_LT(took.count(), c.belowMs) << c.fault << " " << nameOf(c.iface);
    }
}

// The allowance of a reply: one second a byte for the first KiB, a
// millisecond a byte after it, and 12 bit times a byte on a serial line.
TEST(WireReplyBounds, AllowancePerByteAndLineTime) {
    struct Case {
        int iface;
        BaudRate baud;
        std::size_t bytes;
        long long us;
    } cases[] = {
        {kEthernet, BaudRate::k2400, 40, 40'000'000},
        {kUsb, BaudRate::k2400, 1024 + 1000, 1024'000'000 + 1'000'000},
        {kCom, BaudRate::k2400, 10, 10'000'000 + 10 * 5'000},  // 5 ms a byte
        {kCom, BaudRate::k9600, 10, 10'000'000 + 10 * 1'250},
        {kCom, BaudRate::k115200, 10, 10'000'000 + 10 * 105},  // rounded up
        {kCom, BaudRate::kUnset, 1, 1'000'000 + 1'250},        // 9600
        {kCom, BaudRate::k2400, 1u << 20,
         1024'000'000 + (1048576 - 1024) * 1'000LL + 1048576 * 5'000LL},
    };
    for (const Case& c : cases) {
        PortSettings settings;
        settings.serial.baud = c.baud;
        LinkContext ctx;
        ctx.settings = &settings;
        EXPECT_EQ(replyAllowance(ctx, c.iface, c.bytes).count(), c.us)
            << c.iface << " " << static_cast<int>(c.baud) << " " << c.bytes;
    }
}

TEST(WireReplyBounds, AConfigurationReadStopsAtTheFirstEndlessReply) {
    NetRig rig({"--fault", "stream:VERSION"});
    ASSERT_TRUE(rig.sim.ok()) << rig.sim.error();
    rig.ctx.timeouts.netReadMs = 30000;
    ConfigRecord record;
    EXPECT_EQ(m350::runOperation(
                  rig.ctx, kOpReadConfig, kEthernet,
                  [&](m350::Link& l) { return m350::readConfig(l, record); }, true),
              kReceiveError);
    ASSERT_TRUE(rig.sim.waitForClosed(1));
    EXPECT_EQ(rig.sim.transcript()[0].rx,
              "\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT DPI\r\n"
              "DIAGNOSTIC REPORT VERSION\r\n");
}
