// SPDX-License-Identifier: MIT
// The operation entry: refusals, unknown numbers, progress wrapping, and the
// bytes of the one-shot operations, on a scripted port.
#include <gtest/gtest.h>

#include "core/config/config_read.h"
#include "core/files/raw_send.h"
#include "core/link/link_operations.h"
#include "core/printer/maintenance.h"
#include "core/printer/status.h"
#include "support/scripted_port.h"

using namespace m350;
using m350test::RecordingProgress;
using m350test::ScriptedPortState;

namespace {

struct Rig {
    std::shared_ptr<ScriptedPortState> state = std::make_shared<ScriptedPortState>();
    PortSettings settings;
    LinkContext ctx;
    RecordingProgress progress;
    std::vector<int> pauses;

    Rig() {
        ctx.settings = &settings;
        ctx.progress = &progress;
        ctx.sleep = [this](int ms) { pauses.push_back(ms); };
        auto s = state;
        ctx.makePort = [s](LinkContext&, int) {
            return std::make_unique<m350test::ScriptedPort>(s);
        };
    }
    std::string written() const {
        std::string all;
        for (const auto& c : state->chunks) all += c;
        return all;
    }
};

}  // namespace

TEST(LinkEntry, ReadsAreRefusedOnTheParallelPortWithoutOpening) {
    Rig rig;
    StatusFlags flags{};
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpStatus, kLpt,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kReceiveError);
    ConfigRecord record;
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpReadConfig, kLpt,
                                 [&](m350::Link& l) { return m350::readConfig(l, record); }),
              kReceiveError);
    // The number alone decides: the call is never made.
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpEmulationQuery, kLpt, m350::testConnection),
              kReceiveError);
    EXPECT_EQ(rig.state->opens, 0);
}

TEST(LinkEntry, UnknownNumbersTouchNothing) {
    Rig rig;
    for (std::uint32_t op : {27u, 34u, 0xFFFFFFFFu})
        EXPECT_EQ(m350::runOperation(rig.ctx, op, kCom, m350::testConnection), kUnknownError);
    EXPECT_EQ(m350::runOperation(rig.ctx, kOpStatus, kCom, nullptr), kUnknownError);
    EXPECT_EQ(rig.state->opens, 0);
    EXPECT_EQ(resultText(kUnknownError), "Unknow Error");
    EXPECT_EQ(resultText(kPortOpenError), "Port Open Error");
    EXPECT_EQ(resultText(kNotSupported), "Not Support");
    EXPECT_EQ(resultText(8), "");
}

TEST(LinkEntry, OneShotCommandsSendExactlyTheirBytesAndClose) {
    struct Case {
        std::uint32_t op;
        int (*call)(m350::Link&);
        std::string bytes;
    };
    const Case cases[] = {
        {kOpFactoryDefault, m350::factoryDefault, "INITIALPRINTER\r\n"},
        {kOpSelfTest, m350::printSelfTest, "SELFTEST\r\n"},
        {kOpReset, m350::resetPrinter, "\x1B!R"},
        {kOpIgnoreAuto, m350::ignoreAutoStart, "\x1B!C"},
        {kOpExitLineMode, m350::exitLineMode, std::string("\x1B\x5A\x0D\x0A", 4)},
    };
    for (const auto& c : cases) {
        for (int iface : {kCom, kLpt, kEthernet}) {
            Rig rig;
            EXPECT_EQ(m350::runOperation(rig.ctx, c.op, iface, c.call), kOk) << c.op;
            EXPECT_EQ(rig.written(), c.bytes) << c.op;
            EXPECT_EQ(rig.state->opens, 1);
            EXPECT_EQ(rig.state->closes, 1);
        }
    }
}

TEST(LinkEntry, EmulationSwitchSendsTwoBytesByFlag) {
    Rig off, on;
    std::int32_t zero = 0, one = 7;
    EXPECT_EQ(m350::runOperation(off.ctx, kOpEmulationSwitch, kCom,
                                 [&](m350::Link& l) { return m350::switchEmulation(l, zero); }),
              kOk);
    EXPECT_EQ(m350::runOperation(on.ctx, kOpEmulationSwitch, kCom,
                                 [&](m350::Link& l) { return m350::switchEmulation(l, one); }),
              kOk);
    EXPECT_EQ(off.written(), "\x1BZ");
    EXPECT_EQ(on.written(), "\x1BY");
}

TEST(LinkEntry, OpenAndWriteFailuresGiveTheirCodesAndStillClose) {
    Rig closed;
    closed.state->failOpen = true;
    EXPECT_EQ(m350::runOperation(closed.ctx, kOpSelfTest, kCom, m350::printSelfTest),
              kPortOpenError);
    EXPECT_EQ(m350::runOperation(closed.ctx, kOpConnectionTest, kCom, m350::testConnection),
              kPortOpenError);

    Rig stalled;
    stalled.state->failWrites = true;
    EXPECT_EQ(m350::runOperation(stalled.ctx, kOpReset, kCom, m350::resetPrinter), kTransmitError);
    EXPECT_EQ(stalled.state->closes, 1);

    Rig fine;
    EXPECT_EQ(m350::runOperation(fine.ctx, kOpConnectionTest, kCom, m350::testConnection), kOk);
    EXPECT_EQ(fine.written(), "");
    EXPECT_EQ(fine.state->closes, 1);
}

TEST(LinkEntry, StatusFlagsAndTheirWord) {
    struct Case {
        std::string reply;
        int key;
    };
    const Case cases[] = {
        {std::string("\x00", 1) + std::string(8, '\0'), kKeyReady},
        {"\x21" + std::string(8, '\0'), kKeyCoverOpen},
        {std::string("\x08\0\0\0\0\x0C\0\0\0", 9), kKeyRibbonEncoderErr},
        {std::string("\x08\0\0\0\0\x04\0\0\0", 9), kKeyOutOfRibbon},
        {"\x08", kKeyReady},  // no extended reply: still a success, no ribbon word
        {"\x40" + std::string(8, '\0'), kKeyReady},
        {"\x84" + std::string(8, '\0'), kKeyOtherError},
        {"\x36" + std::string(8, '\0'), kKeyOutOfPaper},
        {"\x32" + std::string(8, '\0'), kKeyPaperJam},
        {"\x30" + std::string(8, '\0'), kKeyPause},
        {"\x20" + std::string(8, '\0'), kKeyPrinting},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.state->replies = {c.reply};
        StatusFlags flags{};
        ASSERT_EQ(m350::runOperation(rig.ctx, kOpStatus, kCom,
                                     [&](m350::Link& l) { return m350::readStatus(l, flags); }),
                  kOk);
        EXPECT_EQ(statusTextKeyFor(flags), c.key) << int(c.reply[0]);
        EXPECT_EQ(rig.written(), std::string("\x1B!?\x1B!S\r\n"));
    }
    Rig mute;
    StatusFlags flags{};
    EXPECT_EQ(m350::runOperation(mute.ctx, kOpStatus, kCom,
                                 [&](m350::Link& l) { return m350::readStatus(l, flags); }),
              kReceiveError);
    EXPECT_EQ(mute.written(), "\x1B!?");
}

TEST(LinkProgress, ChunksAndPercentsOfAWrite) {
    Rig rig;
    std::string data(130, 'x');
    ASSERT_EQ(m350::runOperation(rig.ctx, kOpRawSend, kUsb,
                                 [&](m350::Link& l) {
                                     return m350::sendRaw(l, std::string_view(data.data(), 130));
                                 }),
              kOk);
    ASSERT_EQ(rig.state->chunks.size(), 3u);
    EXPECT_EQ(rig.state->chunks[2].size(), 2u);
    std::vector<std::string> want = {
        "open Communicating...", "pos 3", "pos 49", "pos 98", "pos 100", "pos 100", "close"};
    EXPECT_EQ(rig.progress.calls, want);
    EXPECT_EQ(rig.pauses, std::vector<int>{200});

    Rig net;
    net.state->chunkSize = 512;
    std::string big(1200, 'y');
    ASSERT_EQ(m350::runOperation(net.ctx, kOpRawSend, kEthernet,
                                 [&](m350::Link& l) {
                                     return m350::sendRaw(l, std::string_view(big.data(), 1200));
                                 }),
              kOk);
    ASSERT_EQ(net.state->chunks.size(), 3u);
    EXPECT_EQ(net.state->chunks[2].size(), 176u);

    Rig empty;
    ASSERT_EQ(
        m350::runOperation(empty.ctx, kOpRawSend, kCom,
                           [&](m350::Link& l) { return m350::sendRaw(l, std::string_view()); }),
        kOk);
    EXPECT_TRUE(empty.state->chunks.empty());
}

TEST(LinkProgress, StepModeAdvancesOncePerWriteAndWraps) {
    LinkContext ctx;
    RecordingProgress rec;
    ctx.progress = &rec;
    ctx.sleep = [](int) {};
    showProgress(ctx, kStepMode, 3, 3);
    for (int i = 0; i < 32; ++i) reportProgress(ctx, kStepMode, 0);
    reportProgress(ctx, kPercentMode, 50);  // ignored in step mode
    EXPECT_EQ(ctx.progressState.position, 99);
    reportProgress(ctx, kStepMode, 0);
    EXPECT_EQ(ctx.progressState.position, 2);
    hideProgress(ctx);
    EXPECT_FALSE(ctx.progressState.active);
    reportProgress(ctx, kStepMode, 0);  // inactive: nothing drawn
    EXPECT_EQ(rec.calls.back(), "close");
}
