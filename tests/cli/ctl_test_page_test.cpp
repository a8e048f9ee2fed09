// SPDX-License-Identifier: MIT
// m350ctl testpage through the real binary against the simulated printer at
// both resolutions: the configuration read, then the label byte for byte.
#include <gtest/gtest.h>

#include "ctl_test_support.h"

namespace m350test {
namespace {

const std::string kHead = "CLS\r\nDIRECTION 0,0\r\n";
const std::string kTail = "PRINT 1\r\n";

TEST(CtlTestPage, TheLabelFitsThePrintersPaperOrTheSizeGiven) {
    struct Case {
        const char* dpi;
        std::vector<std::string> args;
        std::string body;
    };
    const Case cases[] = {
        // The printer's own 4 x 3 inch paper.
        {"203",
         {},
         "BOX 16,16,796,593,4\r\nBARCODE  124,32,\"25\",76,1,90,2,4,\"1234567890\"\r\n"
         "TEXT  140,32,\"0\",0,42,42,\"TEST\"\r\n"},
        {"300",
         {},
         "BOX 24,24,1176,876,4\r\nBARCODE  183,47,\"25\",112,1,90,3,6,\"1234567890\"\r\n"
         "TEXT  206,47,\"0\",0,41,41,\"TEST\"\r\n"},
        {"203",
         {"--width", "50", "--height", "30", "--unit", "mm"},
         "BOX 16,16,384,224,4\r\nBARCODE  78,32,\"25\",30,1,90,2,4,\"1234\"\r\n"
         "TEXT  94,32,\"0\",0,13,13,\"TEST\"\r\n"},
        // Only the height given: the printer's width stays.
        {"203",
         {"--height", "1.2"},
         "BOX 16,16,796,227,4\r\nBARCODE  78,32,\"25\",30,1,90,2,4,\"1234\"\r\n"
         "TEXT  94,32,\"0\",0,13,13,\"TEST\"\r\n"},
        {"203",
         {"--width", "25", "--height", "12.5", "--unit", "MM"},
         "BOX 16,16,184,84,4\r\nBARCODE  60,32,\"25\",12,1,90,2,4,\"\"\r\n"},
        {"203", {"--width", "3.75", "--height", "75", "--unit", "mm"}, ""},
    };
    for (const auto& c : cases) {
        START_SIM(sim, "--dpi", c.dpi);
        std::vector<std::string> args = {"testpage"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        CtlRun run = runCtl(overNet(sim, args));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "");
        auto rx = received(sim, 2);
        ASSERT_EQ(rx.size(), 2u);
        EXPECT_EQ(rx[0].rfind("\r\nDIAGNOSTIC INTERFACE NET\r\nDIAGNOSTIC REPORT", 0), 0u);
        EXPECT_EQ(rx[1], kHead + c.body + kTail)
            << c.dpi << " " << ::testing::PrintToString(c.args);
    }
}

TEST(CtlTestPage, BadSizesAndAMissingPrinterSendNoLabel) {
    START_SIM(sim);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {{"testpage", "--width", "0"}, 64},     {{"testpage", "--height", "-3"}, 64},
        {{"testpage", "--width", "abc"}, 64},   {{"testpage", "--unit", "cm"}, 64},
        {{"testpage", "--width", "1e300"}, 65},  // outside what a label can be
    };
    for (const auto& c : cases) {
        CtlRun run = runCtl(overNet(sim, c.args));
        EXPECT_EQ(run.exitCode, c.exitCode) << ::testing::PrintToString(c.args) << run.err;
    }
    // Every refusal above comes before a label: at most the configuration read.
    sim.waitForQuiet();
    for (const auto& conn : sim.transcript()) EXPECT_EQ(conn.rx.find("CLS"), std::string::npos);

    // No printer: the read's result text and its code, nothing else tried.
    CtlRun run = runCtl({"--net", "127.0.0.1:1", "testpage"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("Port Open Error"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace m350test
