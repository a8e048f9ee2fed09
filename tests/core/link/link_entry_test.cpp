// The operation entry: refusals, unknown numbers, progress wrapping, and the
// bytes of the one-shot operations, on a scripted port.
#include <gtest/gtest.h>

#include "core/link/link_operations.h"
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
        ctx.makePort = [s](LinkContext&, int) { return std::make_unique<m350test::ScriptedPort>(s); };
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
    EXPECT_EQ(runLinkOperation(rig.ctx, kOpStatus, kLpt, &flags, 0), kReceiveError);
    EXPECT_EQ(runLinkOperation(rig.ctx, kOpReadConfig, kLpt, nullptr, 0), kReceiveError);
    EXPECT_EQ(runLinkOperation(rig.ctx, kOpEmulationQuery, kLpt, nullptr, 0), kReceiveError);
    EXPECT_EQ(rig.state->opens, 0);
}

TEST(LinkEntry, UnknownNumbersTouchNothing) {
    Rig rig;
    EXPECT_EQ(runLinkOperation(rig.ctx, 27, kCom, nullptr, 0), kUnknownError);
    EXPECT_EQ(runLinkOperation(rig.ctx, 34, kCom, nullptr, 0), kUnknownError);
    EXPECT_EQ(runLinkOperation(rig.ctx, 0xFFFFFFFFu, kCom, nullptr, 0), kUnknownError);
    EXPECT_EQ(rig.state->opens, 0);
    EXPECT_EQ(resultText(kUnknownError), "Unknow Error");
    EXPECT_EQ(resultText(kPortOpenError), "Port Open Error");
    EXPECT_EQ(resultText(kNotSupported), "Not Support");
    EXPECT_EQ(resultText(7), "");
}

TEST(LinkEntry, OneShotCommandsSendExactlyTheirBytesAndClose) {
    struct Case {
        std::uint32_t op;
        std::string bytes;
    };
    const Case cases[] = {
        {kOpFactoryDefault, "INITIALPRINTER\r\n"},
        {kOpSelfTest, "SELFTEST\r\n"},
        {kOpReset, "\x1B!R"},
        {kOpIgnoreAuto, "\x1B!C"},
        {kOpExitLineMode, std::string("\x1B\x5A\x0D\x0A", 4)},
    };
    for (const auto& c : cases) {
        for (int iface : {kCom, kLpt, kEthernet}) {
            Rig rig;
            EXPECT_EQ(runLinkOperation(rig.ctx, c.op, iface, nullptr, 0), kOk) << c.op;
            EXPECT_EQ(rig.written(), c.bytes) << c.op;
            EXPECT_EQ(rig.state->opens, 1);
            EXPECT_EQ(rig.state->closes, 1);
        }
    }
}

TEST(LinkEntry, EmulationSwitchSendsTwoBytesByFlag) {
    Rig off, on;
    std::int32_t zero = 0, one = 7;
    EXPECT_EQ(runLinkOperation(off.ctx, kOpEmulationSwitch, kCom, &zero, 0), kOk);
    EXPECT_EQ(runLinkOperation(on.ctx, kOpEmulationSwitch, kCom, &one, 0), kOk);
    EXPECT_EQ(off.written(), "\x1BZ");
    EXPECT_EQ(on.written(), "\x1BY");
}

TEST(LinkEntry, OpenAndWriteFailuresGiveTheirCodesAndStillClose) {
    Rig closed;
    closed.state->failOpen = true;
    EXPECT_EQ(runLinkOperation(closed.ctx, kOpSelfTest, kCom, nullptr, 0), kPortOpenError);
    EXPECT_EQ(runLinkOperation(closed.ctx, kOpConnectionTest, kCom, nullptr, 0), kPortOpenError);

    Rig stalled;
    stalled.state->failWrites = true;
    EXPECT_EQ(runLinkOperation(stalled.ctx, kOpReset, kCom, nullptr, 0), kTransmitError);
    EXPECT_EQ(stalled.state->closes, 1);

    Rig fine;
    EXPECT_EQ(runLinkOperation(fine.ctx, kOpConnectionTest, kCom, nullptr, 0), kOk);
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
        ASSERT_EQ(runLinkOperation(rig.ctx, kOpStatus, kCom, &flags, 0), kOk);
        EXPECT_EQ(statusTextKeyFor(flags), c.key) << int(c.reply[0]);
        EXPECT_EQ(rig.written(), std::string("\x1B!?\x1B!S\r\n"));
    }
    Rig mute;
    StatusFlags flags{};
    EXPECT_EQ(runLinkOperation(mute.ctx, kOpStatus, kCom, &flags, 0), kReceiveError);
    EXPECT_EQ(mute.written(), "\x1B!?");
}

TEST(LinkProgress, ChunksAndPercentsOfAWrite) {
    Rig rig;
    std::string data(130, 'x');
    ASSERT_EQ(runLinkOperation(rig.ctx, kOpRawSend, kUsb, data.data(), 130), kOk);
    ASSERT_EQ(rig.state->chunks.size(), 3u);
    EXPECT_EQ(rig.state->chunks[2].size(), 2u);
    std::vector<std::string> want = {"open Communicating...", "pos 3", "pos 49", "pos 98",
                                     "pos 100", "pos 100", "close"};
    EXPECT_EQ(rig.progress.calls, want);
    EXPECT_EQ(rig.pauses, std::vector<int>{200});

    Rig net;
    net.state->chunkSize = 512;
    std::string big(1200, 'y');
    ASSERT_EQ(runLinkOperation(net.ctx, kOpRawSend, kEthernet, big.data(), 1200), kOk);
    ASSERT_EQ(net.state->chunks.size(), 3u);
    EXPECT_EQ(net.state->chunks[2].size(), 176u);

    Rig empty;
    ASSERT_EQ(runLinkOperation(empty.ctx, kOpRawSend, kCom, nullptr, 0), kOk);
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
