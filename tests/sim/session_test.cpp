// SPDX-License-Identifier: MIT
// The simulator's request parser and answers, fed directly with byte strings.
#include "session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "commands.h"
#include "printer.h"
#include "sim/sent_bytes.h"

namespace m350::sim {
using m350test::sent;

namespace {

// Feeds the bytes one at a time, the worst split a connection can deliver.
std::string feedBytewise(Session& s, const std::string& bytes) {
    std::string out;
    for (char c : bytes) out += sent(s.feed(std::string_view(&c, 1)));
    return out;
}

TEST(SessionFraming, ReportQueriesAnswerFramedPayloads) {
    Printer p;
    p.set("SPEED", "3.00");
    std::vector<Fault> none;
    Session s(p, none);
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT SPEED\r\n")), "{4|3.00}");
    // Unknown keys get the empty frame; the announcement is answered with a frame.
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT NOSUCHKEY\r\n")), "{0|}");
    EXPECT_EQ(sent(s.feed("\r\nDIAGNOSTIC INTERFACE USB\r\n")), "{3|USB}");
    // Payloads may hold braces and bars; the length covers them.
    p.set("VERSION", "A{B}|C");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT VERSION\r\n")), "{6|A{B}|C}");
}

TEST(SessionFraming, RequestsSplitAnywhereGiveTheSameAnswers) {
    Printer p;
    p.set("DPI", "300");
    p.statusByte = 0x21;
    p.extStatus = {1, 2, 3, 4, 0x0C, 6, 7, 8};
    std::vector<Fault> none;
    Session s(p, none);
    std::string out = feedBytewise(s, "DIAGNOSTIC REPORT DPI\r\n\x1b!?\x1b!S\r\nOUT _SERIAL$\r\n");
    EXPECT_EQ(out,
              std::string("{3|300}\x21\x01\x02\x03\x04\x0c\x06\x07\x08") + p.serial() + "\r\n");
}

TEST(SessionFraming, FileListsEndWithTheEmptyFrame) {
    Printer p;
    p.storeFile('F', "A.BAS", 10, {});
    p.storeFile('F', "B.PCX", 20, {});
    std::vector<Fault> none;
    Session s(p, none);
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT FFILELIST\r\n")), "{5|A.BAS}{5|B.PCX}{0|}");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT DFILELIST\r\n")), "{0|}");
}

TEST(SessionEscapes, OneShotRequestsAreRecordedWithoutAnswer) {
    Printer p;
    std::vector<Fault> none;
    Session s(p, none);
    EXPECT_EQ(sent(s.feed("\x1b!R\x1b!C"
                          "INITIALPRINTER\r\nSELFTEST\r\n")),
              "");
    const auto& j = p.journal();
    ASSERT_GE(j.size(), 4u);
    EXPECT_EQ(j[0], "ESC !R");
    EXPECT_EQ(j[1], "ESC !C");
    EXPECT_EQ(j[2], "COMMAND INITIALPRINTER");
    EXPECT_EQ(j[3], "COMMAND SELFTEST");
}

TEST(SessionEscapes, EscZWithAndWithoutLineEnd) {
    Printer p;
    std::vector<Fault> none;
    Session s(p, none);
    // ESC Y / ESC Z alone switch the emulation.
    s.feed("\x1bY");
    EXPECT_EQ(p.emulation, "Y");
    s.feed("\x1bZ");
    EXPECT_EQ(p.emulation, "Z");
    // ESC Z CR LF (the exit-line-mode command, even split across chunks) is
    // the Z switch too; only the option puts the emulation back.
    for (const bool restores : {false, true}) {
        p.escZCrLfRestores = restores;
        s.feed("\x1bY");
        s.feed("\x1bZ");
        s.feed("\r");
        s.feed("\n");
        EXPECT_EQ(p.emulation, restores ? "Y" : "Z");
        EXPECT_EQ(p.journal().back(), restores ? "EXIT LINE MODE" : "ESC Z");
    }
    // A query right after ESC Z is still answered.
    p.set("DPI", "203");
    EXPECT_EQ(sent(s.feed("\x1bZ"
                          "DIAGNOSTIC REPORT DPI\r\n")),
              "{3|203}");
}

TEST(SessionBinary, DownloadBytesAreNotTakenForCommands) {
    Printer p;
    p.set("DPI", "203");
    std::vector<Fault> none;
    Session s(p, none);
    // The file holds a line end, an escape and something that looks like a query.
    std::string file = "x\r\n\x1b!?DIAGNOSTIC REPORT DPI\r\n";
    std::string header = "DOWNLOAD F,\"LOGO.BMP\"," + std::to_string(file.size()) + ",";
    EXPECT_EQ(feedBytewise(s, header + file + "DIAGNOSTIC REPORT DPI\r\n"), "{3|203}");
    ASSERT_EQ(p.files('F').size(), 1u);
    EXPECT_EQ(p.files('F')[0].name, "LOGO.BMP");
    EXPECT_EQ(p.files('F')[0].size, file.size());
    EXPECT_EQ(p.files('F')[0].head, file);
    // DRAM has no device prefix; a zero-byte file is stored at once.
    s.feed("DOWNLOAD \"EMPTY.DAT\",0,");
    ASSERT_EQ(p.files('D').size(), 1u);
    EXPECT_EQ(p.files('D')[0].size, 0u);
    // Certificates name their file in the wireless settings.
    s.feed("DLCERT 2,\"client.pem\",3,abc");
    EXPECT_EQ(p.report("WIFICLTCERT"), "client.pem");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT DPI\r\n")), "{3|203}");
}

TEST(SessionBounds, OverlongLinesAreCutAndTheStreamRecovers) {
    Printer p;
    p.set("DPI", "203");
    std::vector<Fault> none;
    Session s(p, none);
    std::string junk(Session::kMaxLine + 100, 'A');
    EXPECT_EQ(sent(s.feed(junk)), "");
    EXPECT_EQ(sent(s.feed("\r\nDIAGNOSTIC REPORT DPI\r\n")), "{3|203}");
    EXPECT_EQ(p.journal().front(), "OVERLONG LINE");
    // Arbitrary binary noise never produces an answer of its own beyond status bytes.
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 37 + 11) & 0xff));
    s.feed(noise);
    EXPECT_EQ(sent(s.feed("\r\nDIAGNOSTIC REPORT DPI\r\n")), "{3|203}");
}

TEST(SessionFaults, ParseFaultOptions) {
    Fault f;
    ASSERT_TRUE(parseFault("silent", f));
    EXPECT_EQ(f.mode, FaultMode::Silent);
    EXPECT_EQ(f.target, "");
    ASSERT_TRUE(parseFault("drop:SPEED", f));
    EXPECT_EQ(f.mode, FaultMode::Drop);
    EXPECT_EQ(f.target, "SPEED");
    ASSERT_TRUE(parseFault("slow:250", f));
    EXPECT_EQ(f.delayMs, 250);
    EXPECT_EQ(f.target, "");
    ASSERT_TRUE(parseFault("slow:250:status", f));
    EXPECT_EQ(f.target, "status");
    EXPECT_FALSE(parseFault("slow", f));
    EXPECT_FALSE(parseFault("slow:abc", f));
    EXPECT_FALSE(parseFault("drop:", f));
    EXPECT_FALSE(parseFault("explode", f));

    struct Case {
        const char* text;
        FaultMode mode;
        int delayMs;
        const char* target;
    };
    const Case timed[] = {
        {"trickle:1000", FaultMode::Trickle, 1000, ""},
        {"trickle:5:DPI", FaultMode::Trickle, 5, "DPI"},
        {"steady:1000:SCANAP", FaultMode::Trickle, 1000, "SCANAP"},
        {"stream", FaultMode::Stream, 0, ""},
        {"stream:DPI", FaultMode::Stream, 0, "DPI"},
        {"stream:100", FaultMode::Stream, 100, ""},
        {"stream:100:INTERFACE", FaultMode::Stream, 100, "INTERFACE"},
    };
    for (const Case& c : timed) {
        Fault t;
        ASSERT_TRUE(parseFault(c.text, t)) << c.text;
        EXPECT_EQ(t.mode, c.mode) << c.text;
        EXPECT_EQ(t.delayMs, c.delayMs) << c.text;
        EXPECT_EQ(t.target, c.target) << c.text;
    }
    EXPECT_FALSE(parseFault("trickle", f));
    EXPECT_FALSE(parseFault("trickle:DPI", f));
    EXPECT_FALSE(parseFault("stream:12345678", f));
}

TEST(SessionFaults, TrickleAndStreamShapeTheAnswerOverTime) {
    Printer p;
    std::vector<Fault> faults(1);
    ASSERT_TRUE(parseFault("trickle:40:DPI", faults[0]));
    Session trickle(p, faults);
    auto out = trickle.feed("DIAGNOSTIC REPORT DPI\r\n");
    ASSERT_EQ(out.size(), 7u);  // {3|203}, a byte each
    std::string joined;
    for (const auto& a : out) {
        EXPECT_EQ(a.delayMs, 40);
        EXPECT_EQ(a.bytes.size(), 1u);
        EXPECT_FALSE(a.repeat);
        joined += a.bytes;
    }
    EXPECT_EQ(joined, "{3|203}");

    ASSERT_TRUE(parseFault("stream", faults[0]));
    Session stream(p, faults);
    out = stream.feed("DIAGNOSTIC REPORT DPI\r\n");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(out[0].repeat);
    EXPECT_EQ(out[0].bytes.find('{'), std::string::npos);
    EXPECT_EQ(out[0].bytes.size(), 512u);
}

TEST(SessionFaults, EachModeShapesTheAnswer) {
    Printer p;
    p.set("SPEED", "3.0");
    p.set("DPI", "203");
    p.statusByte = 7;
    auto answerWith = [&](const char* fault, const std::string& request) {
        std::vector<Fault> faults(1);
        EXPECT_TRUE(parseFault(fault, faults[0]));
        Session s(p, faults);
        return s.feed(request);
    };
    const std::string q = "DIAGNOSTIC REPORT SPEED\r\n";
    EXPECT_TRUE(answerWith("silent", q).empty());
    EXPECT_EQ(sent(answerWith("broken-frame", q)), "{5|ab");
    EXPECT_EQ(sent(answerWith("empty", q)), "{0|}");
    EXPECT_EQ(sent(answerWith("garbage", q)), "{x|}");
    auto dropped = answerWith("drop", q + "DIAGNOSTIC REPORT DPI\r\n");
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_TRUE(dropped[0].close);
    auto slow = answerWith("slow:120", q);
    ASSERT_EQ(slow.size(), 1u);
    EXPECT_EQ(slow[0].delayMs, 120);
    EXPECT_EQ(slow[0].bytes, "{3|3.0}");
    // A keyed fault touches only its key.
    EXPECT_EQ(sent(answerWith("silent:DPI", q + "DIAGNOSTIC REPORT DPI\r\n")), "{3|3.0}");
    EXPECT_EQ(sent(answerWith("silent:status", "\x1b!?" + q)), "{3|3.0}");
    EXPECT_EQ(sent(answerWith("empty:ext-status", std::string("\x1b!S\r\n\x1b!?"))), "\x07");
}

TEST(SessionFaults, KeyedFaultWinsOverGeneralOne) {
    Printer p;
    p.set("SPEED", "3.0");
    std::vector<Fault> faults(2);
    ASSERT_TRUE(parseFault("silent", faults[0]));
    ASSERT_TRUE(parseFault("garbage:SPEED", faults[1]));
    Session s(p, faults);
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT SPEED\r\nDIAGNOSTIC REPORT DPI\r\n")), "{x|}");
}

TEST(SessionState, PasswordIsSetAndReported) {
    Printer p;
    std::vector<Fault> none;
    Session s(p, none);
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT PASSWORD\r\n")), "{0|}");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC PASSWORD \"Secr3t\"\r\n")), "{0|}");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT PASSWORD\r\n")), "{6|Secr3t}");
    s.feed("DIAGNOSTIC PASSWORD \"\"\r\n");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT PASSWORD\r\n")), "{0|}");
}

TEST(SessionState, ParallelSessionsApplyButNeverAnswer) {
    Printer p;
    std::vector<Fault> none;
    Session s(p, none, /*writable=*/false);
    EXPECT_TRUE(s.feed("SPEED 6.0\r\nDIAGNOSTIC REPORT SPEED\r\n\x1b!?").empty());
    EXPECT_EQ(p.report("SPEED"), "6.0");
}

}  // namespace
}  // namespace m350::sim

namespace m350::sim {
namespace {

TEST(SessionMaintenance, DumpTextSaveCapturesAndFileFetchReturnsIt) {
    Printer p;
    std::vector<Fault> none;
    {
        Session s(p, none);
        // No line end after the command; what follows is captured, up to the size.
        s.feed("DUMP_TEXT SAVE 5,\"Dump.txt\",");
        s.feed("ab\r\ncdefgh");
    }
    Session s(p, none);
    EXPECT_EQ(sent(s.feed("\r\nDIAGNOSTIC FILE \"Dump.txt\"\r\n\r\n")), "{5|ab\r\nc}");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC FILE \"NONE.TXT\"\r\n\r\n")), "{0|}");
    // Onto the card with the E, prefix; the file appears in the card's list.
    Session s2(p, none);
    s2.feed("DUMP_TEXT SAVE 1000,E,\"LOG1.TXT\",");
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT CFILELIST\r\n")), "{8|LOG1.TXT}{0|}");
}

TEST(SessionMaintenance, DumpTextPrintSwallowsTheRestOfTheConnection) {
    Printer p;
    p.set("DPI", "203");
    std::vector<Fault> none;
    Session s(p, none);
    EXPECT_EQ(sent(s.feed("DUMP_TEXT PRINT,DIAGNOSTIC REPORT DPI\r\n\x1b!?")), "");
    Session next(p, none);
    EXPECT_EQ(sent(next.feed("DIAGNOSTIC REPORT DPI\r\n")), "{3|203}");
}

TEST(SessionMaintenance, SensorReadingsAndCalibration) {
    Printer p;
    std::vector<Fault> none;
    Session s(p, none);
    std::string out = sent(s.feed("DIAGNOSTIC REPORT GAPSENSOR\r\n"));
    // Many non-empty frames, then the empty one.
    ASSERT_GE(out.size(), 4u);
    EXPECT_EQ(out.substr(out.size() - 4), "{0|}");
    EXPECT_EQ(out.rfind("{0|}"), out.size() - 4);
    s.feed("SET SENSOR_REF MANUAL\r\nGAP 0.08,0\r\nSET GAP 5,17\r\n\x10JL");
    EXPECT_EQ(p.report("GAPINTEN"), "5");
    EXPECT_EQ(p.report("THRESHOLD"), "17");
    EXPECT_EQ(p.report("AUTOTHRESHOLD"), "0");
    s.feed("\r\nBLINEDETECT 304,24\r\n");
    EXPECT_EQ(p.report("SENSORMODE"), "1");
    EXPECT_EQ(p.report("PAPERHEIGHT"), "304");
    EXPECT_EQ(p.report("GAPSIZE"), "24");
}

TEST(SessionModules, ScansAnswerLateAndFollowTheModules) {
    Profile noModules;
    noModules.bluetooth = false;
    noModules.wifi = "off";
    Printer bare(noModules);
    Printer full;
    std::vector<Fault> none;
    Session a(bare, none), b(full, none);
    EXPECT_EQ(sent(a.feed("DIAGNOSTIC REPORT SCANAP\r\n")), "{3|-1\r}");
    EXPECT_EQ(sent(a.feed("DIAGNOSTIC REPORT SCANBT\r\n")), "{3|-1\r}");
    auto ap = b.feed("DIAGNOSTIC REPORT SCANAP\r\n");
    ASSERT_EQ(ap.size(), 1u);
    EXPECT_EQ(ap[0].delayMs, full.scanDelayMs);
    const std::string aps = accessPointScan(full);
    EXPECT_EQ(ap[0].bytes, "{" + std::to_string(aps.size()) + "|" + aps + "}");
    EXPECT_EQ(aps.substr(0, 2), "3\r");
    EXPECT_EQ(std::count(aps.begin(), aps.end(), '\r'), 4);
    const std::string bts = bluetoothScan(full);
    EXPECT_EQ(bts.substr(0, 2), "2\r");
    EXPECT_EQ(std::count(bts.begin(), bts.end(), ','), 2);
}

TEST(SessionModules, PassThroughToTheExternalModule) {
    Printer p;
    std::vector<Fault> none;
    {
        // Without a module the printer never confirms the mode.
        Session s(p, none);
        EXPECT_EQ(sent(s.feed("SET COM1 115,N,8,1\r\nDEBUG 4193,7,2\r\n")), "");
        EXPECT_FALSE(p.moduleMode);
    }
    p.moduleName = "PRN01";
    {
        Session s(p, none);
        EXPECT_EQ(sent(s.feed("DEBUG 4193,7,2\r\n")), "U");
        EXPECT_TRUE(p.moduleMode);
    }
    // Every exchange opens its own connection; the mode outlives them.
    Session s(p, none);
    EXPECT_EQ(sent(s.feed("\r\rAT+STA\r")), "\r\n+STA:1\r\n");
    EXPECT_EQ(sent(s.feed("\r\r\r")), "");
    EXPECT_EQ(sent(s.feed("AT+GLN\r")), "\r\n+LN:PRN01\r\n");
    EXPECT_EQ(sent(s.feed("at+sln=Shelf\r")), "\r\n1\r\n");
    EXPECT_EQ(sent(s.feed("at+pin=1234\r")), "\r\n1\r\n");
    EXPECT_EQ(p.moduleName, "Shelf");
    EXPECT_EQ(p.modulePin, "1234");
    // Printer command lines still reach the printer; a reset leaves the mode.
    s.feed("BT NAME \"X\"\r\n\x1b!R");
    EXPECT_EQ(p.report("BTNAME"), "X");
    EXPECT_FALSE(p.moduleMode);
    EXPECT_EQ(sent(s.feed("AT+GLN\r\n")), "");
}

}  // namespace
}  // namespace m350::sim

namespace m350::sim {
namespace {

TEST(SessionBounds, RandomInputNeverBreaksTheParser) {
    // Pieces of real requests mixed with noise, cut into random chunks.
    const std::vector<std::string> pieces = {"DIAGNOSTIC REPORT ",
                                             "DPI",
                                             "\r\n",
                                             "\x1b",
                                             "!",
                                             "?",
                                             "S",
                                             "Z",
                                             "DOWNLOAD F,\"A\",",
                                             "12",
                                             ",",
                                             "DLCERT 1,\"c\",",
                                             "DUMP_TEXT SAVE 3,\"D\",",
                                             "DEBUG 4193,7,2\r\n",
                                             "\r",
                                             "AT+GLN",
                                             "SET COM1 96,N,8,1",
                                             "WLAN EAP 1,2,\"",
                                             "\x10",
                                             "\x1eXA\x1e",
                                             "SIZE 1,",
                                             "DIAGNOSTIC PASSWORD \"",
                                             "DIAGNOSTIC FILE \"",
                                             "\x02KZH",
                                             "~Kc",
                                             "LW99999999;"};
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    Printer p;
    p.moduleName = "M";
    p.set("DPI", "203");
    std::vector<Fault> none;
    for (int round = 0; round < 20; ++round) {
        Session s(p, none);
        std::string input;
        for (int i = 0; i < 2000; ++i) {
            if (next() % 3 == 0)
                input.push_back(static_cast<char>(next() & 0xff));
            else
                input += pieces[next() % pieces.size()];
        }
        std::size_t pos = 0;
        while (pos < input.size()) {
            std::size_t n = 1 + next() % 300;
            for (const auto& a : s.feed(std::string_view(input).substr(pos, n)))
                EXPECT_LE(a.bytes.size(), 70000u);
            pos += n;
        }
        // Whatever state the noise left, a fresh connection is answered normally.
        p.moduleMode = false;
        Session fresh(p, none);
        p.set("DPI", "203");
        EXPECT_EQ(sent(fresh.feed("DIAGNOSTIC REPORT DPI\r\n")), "{3|203}") << "round " << round;
    }
}

}  // namespace
}  // namespace m350::sim
