// The link on the wire against the simulated printer: the transcript shows
// every connection and every byte the link sent.
#include <gtest/gtest.h>
#include <unistd.h>

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
