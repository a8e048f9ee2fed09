// SPDX-License-Identifier: MIT
// The test page: its command text for the worked label sizes and the edges
// of the formulas, byte for byte, and the one write that carries it.
#include "core/printer/test_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/link/link_operations.h"
#include "support/scripted_port.h"

using namespace m350;

namespace {

const std::string kHead = "CLS\r\nDIRECTION 0,0\r\n";
const std::string kTail = "PRINT 1\r\n";

}  // namespace

TEST(TestPageText, WorkedSizesAndTheEdgesOfTheFormulas) {
    struct Case {
        const char* what;
        float k, w, h;
        std::string body;  // between DIRECTION and PRINT
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"203 dpi, 4 x 3 in", 8.0f, 812, 609,
         "BOX 16,16,796,593,4\r\n"
         "BARCODE  124,32,\"25\",76,1,90,2,4,\"1234567890\"\r\n"
         "TEXT  140,32,\"0\",0,42,42,\"TEST\"\r\n"},
        {"300 dpi, 4 x 3 in", 11.8f, 1200, 900,
         "BOX 24,24,1176,876,4\r\n"
         "BARCODE  183,47,\"25\",112,1,90,3,6,\"1234567890\"\r\n"
         "TEXT  206,47,\"0\",0,41,41,\"TEST\"\r\n"},
        {"four digits", 8.0f, 400, 240,
         "BOX 16,16,384,224,4\r\n"
         "BARCODE  78,32,\"25\",30,1,90,2,4,\"1234\"\r\n"
         "TEXT  94,32,\"0\",0,13,13,\"TEST\"\r\n"},
        {"no digits, no TEXT: 100 is not more than 32 + 160", 8.0f, 200, 100,
         "BOX 16,16,184,84,4\r\n"
         "BARCODE  60,32,\"25\",12,1,90,2,4,\"\"\r\n"},
        {"frame does not fit across: 2m = 32 is not less than 30", 8.0f, 30, 600, ""},
        {"frame does not fit down", 8.0f, 600, 32, ""},
        {"nine digits", 8.0f, 360, 500,
         "BOX 16,16,344,484,4\r\n"
         "BARCODE  93,32,\"25\",45,1,90,2,4,\"123456789\"\r\n"
         "TEXT  109,32,\"0\",0,22,22,\"TEST\"\r\n"},
        {"a negative digit count sends empty data", 8.0f, 40, 40,
         "BOX 16,16,24,24,4\r\n"
         "BARCODE  53,32,\"25\",5,1,90,2,4,\"\"\r\n"},
        {"magnification 88 is sent as 80", 8.0f, 1200, 1200,
         "BOX 16,16,1184,1184,4\r\n"
         "BARCODE  198,32,\"25\",150,1,90,2,4,\"1234567890\"\r\n"
         "TEXT  214,32,\"0\",0,80,80,\"TEST\"\r\n"},
        {"just above 8 dots per mm: bars 3 and 6", 8.01f, 812, 609,
         "BOX 16,16,796,593,4\r\n"
         "BARCODE  124,32,\"25\",76,1,90,3,6,\"1234567890\"\r\n"
         "TEXT  140,32,\"0\",0,28,28,\"TEST\"\r\n"},
        {"fractions of a dot are dropped", 8.0f, 812.9f, 609.99f,
         "BOX 16,16,796,593,4\r\n"
         "BARCODE  124,32,\"25\",76,1,90,2,4,\"1234567890\"\r\n"
         "TEXT  140,32,\"0\",0,42,42,\"TEST\"\r\n"},
        {"a width that is not a number is no label", 8.0f, nan, 609, ""},
        {"no resolution: no margin", 0.0f, 80, 80,
         "BOX 0,0,80,80,4\r\n"
         "BARCODE  10,0,\"25\",10,1,90,2,4,\"1\"\r\n"
         "TEXT  10,0,\"0\",0,6,6,\"TEST\"\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(testPageText({c.k, c.w, c.h}), kHead + c.body + kTail) << c.what;
    }
}

TEST(TestPageText, SizesFarBeyondAnyLabelStayDefined) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float w : {inf, 1e30f, -1e30f, 3e9f}) {
        const std::string text = testPageText({8.0f, w, 609});
        EXPECT_EQ(text.substr(0, kHead.size()), kHead);
        EXPECT_EQ(text.substr(text.size() - kTail.size()), kTail);
        EXPECT_LT(text.size(), 2048u) << w;
    }
}

TEST(TestPage, OneWriteOnEveryInterfaceAndTheResultCodes) {
    struct Case {
        int iface;
        bool failOpen, failWrites;
        int result;
    };
    const Case cases[] = {
        {kUsb, false, false, kOk},           {kCom, false, false, kOk},
        {kLpt, false, false, kOk},  // nothing is read, so the parallel port prints it
        {kEthernet, false, false, kOk},      {kCom, true, false, kPortOpenError},
        {kCom, false, true, kTransmitError},
    };
    const TestPageRequest request{8.0f, 812, 609};
    for (const auto& c : cases) {
        auto state = std::make_shared<m350test::ScriptedPortState>();
        state->failOpen = c.failOpen;
        state->failWrites = c.failWrites;
        state->chunkSize = 4096;
        PortSettings settings;
        LinkContext ctx;
        m350test::RecordingProgress progress;
        ctx.settings = &settings;
        ctx.progress = &progress;
        ctx.makePort = [state](LinkContext&, int) {
            return std::make_unique<m350test::ScriptedPort>(state);
        };
        EXPECT_EQ(runOperation(ctx, kOpTestPage, c.iface,
                               [&](Link& l) { return printTestPage(l, request); }),
                  c.result)
            << c.iface;
        EXPECT_EQ(state->opens, 1);
        EXPECT_EQ(state->closes, c.failOpen ? 0 : 1);
        if (c.result == kOk) {
            ASSERT_EQ(state->chunks.size(), 1u);
            EXPECT_EQ(state->chunks[0], testPageText(request));
        }
        // No progress window around it.
        EXPECT_TRUE(progress.calls.empty()) << c.iface;
    }
}
