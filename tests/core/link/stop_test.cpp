// SPDX-License-Identifier: MIT
// The stop token: a stopped operation ends at its next chunk, wait slice or
// pause, closes its connection and reports kCancelled; one that must not be
// cut runs to its end. The limits stay long, so an operation that ignored
// the stop would end with a time-out result instead.
#include <gtest/gtest.h>

#include <string>

#include "core/i18n/own_texts.h"
#include "core/net/udp_exchange.h"
#include "core/ops/operations.h"
#include "support/hostile_peer.h"
#include "support/scripted_port.h"

using namespace m350;

namespace {

// Asks the operation to stop at its n-th pump (after a chunk, between wait slices).
class StopAtPump final : public ProgressSink {
  public:
    StopAtPump(StopToken& token, int at) : token_(token), at_(at) {}
    void open(const std::string&) override {}
    void setPosition(int) override {}
    void close() override {}
    void pump() override {
        if (++pumps == at_) token_.request();
    }
    int pumps = 0;

  private:
    StopToken& token_;
    int at_;
};

}  // namespace

TEST(Stop, TextsOfTheResult) {
    EXPECT_EQ(resultText(kCancelled), "Cancelled");
    EXPECT_EQ(resultText(kCancelled + 1), "");
    EXPECT_EQ(ownText("Cancelled", 6), "Abgebrochen");
}

TEST(Stop, ATransferEndsAfterTheChunkThatWasGoingOut) {
    m350test::ScriptedLink link({});
    StopToken stop;
    // Pumped once as the window opens, then after each 64-byte chunk: the
    // stop comes after the second chunk.
    StopAtPump sink(stop, 3);
    link.ctx().stop = &stop;
    link.ctx().progress = &sink;
    const std::string data(64 * 10, 'x');
    EXPECT_EQ(run(link.ctx(), kCom, ops::sendRaw(data)), kCancelled);
    // The ScriptedLink's own connection is one open; the send's is closed again.
    EXPECT_EQ(link.port().chunks.size(), 2u);
    EXPECT_EQ(link.port().opens - link.port().closes, 1);
}

TEST(Stop, ARequestBeforeTheStartOpensNothingUnlessTheExchangeMustNotBeCut) {
    m350test::ScriptedLink link({});
    StopToken stop;
    stop.request();
    link.ctx().stop = &stop;
    const int opens = link.port().opens;
    StatusFlags flags{};
    EXPECT_EQ(run(link.ctx(), kCom, ops::readStatus(flags)), kCancelled);
    EXPECT_EQ(link.port().opens, opens);
    // A command that changes the printer runs whatever the token says, and
    // the token is still there for the next operation.
    EXPECT_EQ(run(link.ctx(), kCom, ops::resetPrinter()), kOk);
    EXPECT_EQ(link.written(), "\x1B!R");
    EXPECT_TRUE(link.ctx().stopping());
}

TEST(Stop, AScanEndsAtThePauseItWasStoppedIn) {
    m350test::ScriptedLink link({"{3|USB}", "{4|1\rA,1,x\r}"}, kUsb);
    StopToken stop;
    int pauses = 0;
    link.ctx().stop = &stop;
    link.ctx().sleep = [&](int) {
        if (++pauses == 3) stop.request();
    };
    AccessPointScan scan;
    EXPECT_EQ(run(link.ctx(), kUsb, ops::scanAccessPoints(scan, kAccessPointScanWait)), kCancelled);
    EXPECT_EQ(pauses, 3);
    EXPECT_FALSE(scan.moduleFound);
}

// A printer on loopback that takes the connection and never answers nor
// reads: the read waits for a reply, the large send for room to write.
TEST(Stop, WaitsOnASilentPrinterEndAtTheNextSlice) {
    m350test::HostilePeer peer;
    ASSERT_TRUE(peer.ok());
    peer.setMode(m350test::PeerMode::kStall);
    PortSettings settings;
    settings.net = {"127.0.0.1", peer.port()};
    const std::string big(8 << 20, 'x');
    struct Case {
        const char* what;
        BoundOperation op;
    };
    StatusFlags flags{};
    ConfigRecord record;
    const Case cases[] = {
        {"status read", ops::readStatus(flags)},
        {"configuration read", ops::readConfig(record)},
        {"raw send", ops::sendRaw(std::string_view(big))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StopToken stop;
        StopAtPump sink(stop, 3);
        LinkContext ctx;
        ctx.settings = &settings;
        ctx.progress = &sink;
        ctx.stop = &stop;
        ctx.timeouts.netReadMs = ctx.timeouts.netWriteMs = 20000;
        ctx.timeouts.progressHideMs = 0;
        EXPECT_EQ(run(ctx, kEthernet, c.op), kCancelled);
        EXPECT_GE(sink.pumps, 3);
    }
}

TEST(Stop, DiscoveryStopsCollectingAndSaysSo) {
    StopToken stop;
    UdpTargets t;
    // Nothing listens there: without the stop each pass would wait its limit.
    t.broadcast = t.multicast = "127.0.0.1";
    t.port = 9;
    t.idleMs = t.passLimitMs = 20000;
    int pumps = 0;
    t.pump = [&] {
        if (++pumps == 2) stop.request();
    };
    t.stop = &stop;
    const DiscoveryResult r = discoverDevices(t, 1);
    EXPECT_TRUE(r.socketOpened);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(pumps, 2);
}
