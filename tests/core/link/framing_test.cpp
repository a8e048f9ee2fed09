// Reply framing and the read primitives, on byte vectors fed through a scripted
// port.
#include <gtest/gtest.h>

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
