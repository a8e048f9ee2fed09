// SPDX-License-Identifier: MIT
// Reply framing and the read primitives, on byte vectors fed through a scripted
// port.
#include <gtest/gtest.h>

#include <chrono>

#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"

using namespace m350;
using m350test::ScriptedLink;

TEST(Framing, PayloadMayHoldBracesAndBars) {
    ScriptedLink link({"{5|A{B}C}"});
    std::string p;
    ASSERT_TRUE(link.conn().readFrame(p));
    EXPECT_EQ(p, "A{B}C");
}

TEST(Framing, EmptyFramesAndLeadIn) {
    ScriptedLink link({"\r\n> {|}junk{0|}{4|3.00}"});
    std::string p = "x";
    ASSERT_TRUE(link.conn().readFrame(p));
    EXPECT_EQ(p, "");
    ASSERT_TRUE(link.conn().readFrame(p));
    EXPECT_EQ(p, "");
    ASSERT_TRUE(link.conn().readFrame(p));
    EXPECT_EQ(p, "3.00");
}

TEST(Framing, LengthLimitsOfTheBuffer) {
    std::string fits = "{1022|" + std::string(1022, 'x') + "}";
    ScriptedLink ok({fits});
    std::string p;
    ASSERT_TRUE(ok.conn().readFrame(p, 1024));
    EXPECT_EQ(p.size(), 1022u);

    // 1023 fails without consuming the payload: the next frame read skips to
    // the next brace, which sits inside that payload here.
    ScriptedLink tooLong({"{1023|ab{1|z}" + std::string(1015, 'y') + "}"});
    EXPECT_FALSE(tooLong.conn().readFrame(p, 1024));
    ASSERT_TRUE(tooLong.conn().readFrame(p, 1024));
    EXPECT_EQ(p, "z");
}

TEST(Framing, MalformedFramesFail) {
    std::string p;
    EXPECT_FALSE(ScriptedLink({"{" + std::string(32, '0') + "|}"}).conn().readFrame(p));
    EXPECT_TRUE(ScriptedLink({"{" + std::string(31, '0') + "|}"}).conn().readFrame(p));
    EXPECT_FALSE(ScriptedLink({"{3x|abc}"}).conn().readFrame(p));
    EXPECT_FALSE(ScriptedLink({"{3|abcd"}).conn().readFrame(p));
    EXPECT_FALSE(ScriptedLink({"{99999999999|}"}).conn().readFrame(p, 1u << 30));
    // Silence after a partial payload: the refill gives nothing and the frame fails.
    EXPECT_FALSE(ScriptedLink({"{3|ab"}).conn().readFrame(p));
}

TEST(Framing, QueryFramesJoinsPayloadsWithCrLf) {
    ScriptedLink link({"{5|A.BAS}{5|B.PCX}{0|}"});
    std::string joined;
    ASSERT_EQ(link.conn().queryFrames("DIAGNOSTIC REPORT FILE\r\n", joined, 4096), kOk);
    EXPECT_EQ(joined, "A.BAS\r\nB.PCX\r\n");
    EXPECT_EQ(joined.size(), 14u);
    EXPECT_EQ(link.written(), "DIAGNOSTIC REPORT FILE\r\n");
}

TEST(Framing, ReadLineRules) {
    ScriptedLink link({"\r\nSERIAL-1\r\nrest"});
    std::string line = "x";
    ASSERT_TRUE(link.conn().readLine(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(link.conn().readLine(line));
    EXPECT_EQ(line, "SERIAL-1");
    // A failing read ends the line with what was read so far.
    ASSERT_TRUE(link.conn().readLine(line));
    EXPECT_EQ(line, "rest");
    ScriptedLink huge({std::string(1100, 'a')});
    EXPECT_FALSE(huge.conn().readLine(line));
}

TEST(Framing, QueryReportsSendAndReceiveFailures) {
    ScriptedLink silent({});
    std::string p;
    EXPECT_EQ(silent.conn().report("DPI", p), kReceiveError);
    EXPECT_EQ(silent.written(), "DIAGNOSTIC REPORT DPI\r\n");

    ScriptedLink refusing({"{1|x}"});
    refusing.port().failWrites = true;
    EXPECT_EQ(refusing.conn().report("DPI", p), kTransmitError);
}

// Every reply is bounded however the printer sends it: by the bytes that may
// come before the opening brace, and by the time from its request.
TEST(ReplyBounds, BytesBeforeTheOpeningBraceAreBounded) {
    struct Case {
        std::size_t leadIn;
        bool framed;
    };
    for (const Case& c : {Case{0, true}, Case{100, true}, Case{kMaxSkippedBytes, true},
                          Case{kMaxSkippedBytes + 1, false}, Case{4 * kMaxSkippedBytes, false}}) {
        ScriptedLink link({std::string(c.leadIn, 'x') + "{2|ok}"});
        std::string p;
        EXPECT_EQ(link.conn().readFrame(p), c.framed) << c.leadIn;
        if (c.framed) {
            EXPECT_EQ(p, "ok");
        } else {
            // Nothing past the bound is read: the stream is left where it stopped.
            EXPECT_LT(link.port().refillWaits.size(), c.leadIn / 4096 + 2) << c.leadIn;
        }
    }
    ScriptedLink query({std::string(kMaxSkippedBytes + 1, '\n') + "{3|203}"});
    std::string p;
    EXPECT_EQ(query.conn().report("DPI", p), kReceiveError);
}

TEST(ReplyBounds, ALineCannotSkipCarriageReturnsWithoutEnd) {
    ScriptedLink flood({std::string(kMaxSkippedBytes + 1, '\r') + "SERIAL\r\n"});
    std::string line;
    EXPECT_FALSE(flood.conn().readLine(line));
    ScriptedLink some({std::string(2000, '\r') + "SERIAL\r\n"});
    ASSERT_TRUE(some.conn().readLine(line));
    EXPECT_EQ(line, "SERIAL");
}

TEST(ReplyBounds, TheTimeToTheEndOfAReplyCountsFromItsStart) {
    // Every byte comes within the limit of one refill, but the reply as a
    // whole comes slower than its allowance of 20 ms a byte: it fails, and
    // within the limit plus that allowance.
    struct Case {
        const char* what;
        int delayMs;
        bool complete;
    };
    for (const Case& c : {Case{"quick bytes", 5, true}, Case{"trickled bytes", 60, false}}) {
        std::vector<std::string> bytes;
        for (char b : std::string("{8|12345678}")) bytes.emplace_back(1, b);
        ScriptedLink link(bytes);
        link.ctx().timeouts.comReadMs = 250;
        link.ctx().timeouts.replySlowMsPerByte = 20;
        link.port().refillDelayMs = c.delayMs;
        std::string p;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(link.conn().readFrame(p), c.complete) << c.what;
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::milliseconds(250 + 300)) << c.what;
        // Each refill may wait only what is left of the reply's time, and
        // never more than the limit of one refill.
        const auto& waits = link.port().refillWaits;
        ASSERT_GE(waits.size(), 2u) << c.what;
        EXPECT_LE(waits.front(), 250) << c.what;
        if (!c.complete) {
            EXPECT_LT(waits.back(), 250) << c.what;
        }
    }
}

TEST(ReplyBounds, LongFramesOnASlowLineGetTheirLineTime) {
    // A 1000-byte frame at 2400 baud takes more than four seconds on the
    // wire; the limit counts those bytes besides the printer's own delay.
    std::string payload(1000, 'p');
    std::vector<std::string> chunks = {"{1000|"};
    for (int i = 0; i < 10; ++i)
        chunks.push_back(payload.substr(static_cast<std::size_t>(i) * 100, 100));
    chunks.push_back("}");
    ScriptedLink link(chunks);
    link.ctx().settings->serial.baud = BaudRate::k2400;
    link.ctx().timeouts.comReadMs = 100;
    // Only the line's time: no allowance for the printer's own pace.
    link.ctx().timeouts.replySlowMsPerByte = 0;
    link.ctx().timeouts.replyBulkUsPerByte = 0;
    link.port().refillDelayMs = 30;  // 12 refills: 360 ms in all, beyond the bare limit
    std::string p;
    ASSERT_TRUE(link.conn().readFrame(p, 1024));
    EXPECT_EQ(p, payload);
}
