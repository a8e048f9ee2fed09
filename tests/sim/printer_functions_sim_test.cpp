// SPDX-License-Identifier: MIT
// Dump text, the clock, the media sensor and the emulation switch of the
// simulated printer, driven over raw TCP sockets.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "sim_client.h"
#include "sim_process.h"
#include "support/test_files.h"

using m350test::frame;

namespace {

using m350test::SimProcess;

using Client = m350test::SimClient;

// A whole connection: send, then close, and wait until the simulator saw it.
void session(SimProcess& sim, const std::string& bytes, std::size_t closedSoFar) {
    {
        Client c(sim.tcpPort());
        ASSERT_TRUE(c.ok());
        ASSERT_TRUE(c.send(bytes));
    }
    ASSERT_TRUE(sim.waitForClosed(closedSoFar));
}

std::string fetch(SimProcess& sim, const std::string& name) {
    Client c(sim.tcpPort());
    c.send("\r\nDIAGNOSTIC FILE \"" + name + "\"\r\n\r\n");
    return c.readUntil("}");
}

#define START(sim, ...)                                    \
    SimProcess sim(std::vector<std::string>{__VA_ARGS__}); \
    ASSERT_TRUE(sim.ok()) << sim.error()

TEST(SimDumpText, ThreeFormsAndTheFetchedFile) {
    START(sim);
    // Save for fetching: what follows the command, up to its size, is the file.
    session(sim, "DUMP_TEXT SAVE 1000,\"Dump.txt\",^XA{1|x}^XZ\r\n", 1);
    EXPECT_EQ(fetch(sim, "Dump.txt"), frame("^XA{1|x}^XZ\r\n"));
    // A new dump starts the file afresh; with nothing sent it is empty.
    session(sim, "DUMP_TEXT SAVE 1000,\"Dump.txt\",", 3);
    EXPECT_EQ(fetch(sim, "Dump.txt"), "{0|}");
    // The size bounds the capture; the rest is read as commands again.
    session(sim, "DUMP_TEXT SAVE 4,\"Dump.txt\",abcdSPEED 2.0\r\n", 5);
    EXPECT_EQ(fetch(sim, "Dump.txt"), frame("abcd"));
    // Onto the card: listed there under its name.
    session(sim, "DUMP_TEXT SAVE 1000,E,\"LOG1.TXT\",line\r\n", 7);
    {
        Client c(sim.tcpPort());
        c.send("DIAGNOSTIC REPORT CFILELIST\r\nDIAGNOSTIC REPORT SPEED\r\n");
        EXPECT_EQ(c.readUntil("{3|2.0}"), "{8|LOG1.TXT}{0|}{3|2.0}");
    }
    EXPECT_EQ(fetch(sim, "LOG1.TXT"), frame("line\r\n"));
    // Printing: nothing of the rest of the connection is taken as a request.
    session(sim, "DUMP_TEXT PRINT,DIAGNOSTIC REPORT SPEED\r\n\x1b!?", 10);
    const auto t = sim.transcript();
    ASSERT_EQ(t.size(), 10u);
    EXPECT_EQ(t[9].tx, "");
    EXPECT_EQ(fetch(sim, "Dump.txt"), frame("abcd"));
}

TEST(SimDumpText, TextFromTheCommandLineIsWhatADumpTakesIn) {
    START(sim, "--dump-text", "^XA^FDfrom the host^FS^XZ\r\n");
    session(sim, "DUMP_TEXT SAVE 1000,\"Dump.txt\",", 1);
    EXPECT_EQ(fetch(sim, "Dump.txt"), frame("^XA^FDfrom the host^FS^XZ\r\n"));
    // Within the dump's size, and followed by what its own connection sends.
    session(sim, "DUMP_TEXT SAVE 6,\"Dump.txt\",xyz", 3);
    EXPECT_EQ(fetch(sim, "Dump.txt"), frame("^XA^FD"));
    session(sim, "DUMP_TEXT SAVE 1000,E,\"A.TXT\",+", 5);
    EXPECT_EQ(fetch(sim, "A.TXT"), frame("^XA^FDfrom the host^FS^XZ\r\n+"));
}

TEST(SimClock, AssignmentsAreWhatLaterReadsReturn) {
    START(sim);
    // Never set: the machine's time, the year in two digits.
    {
        Client c(sim.tcpPort());
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        EXPECT_EQ(c.report("YEAR"), frame(std::to_string(tm.tm_year % 100)));
        EXPECT_EQ(c.report("MONTH"), frame(std::to_string(tm.tm_mon + 1)));
    }
    session(sim,
            "@YEAR = \"24\"\r\n@MONTH = \"13\"\r\n@DATE = \"29\"\r\n@HOUR = \"7\"\r\n"
            "@MINUTE = \"5\"\r\n@SECOND = \"-1\"\r\n",
            2);
    Client c(sim.tcpPort());
    const std::pair<const char*, const char*> expected[] = {
        {"YEAR", "24"}, {"MONTH", "13"}, {"DATE", "29"},
        {"HOUR", "7"},  {"MINUTE", "5"}, {"SECOND", "-1"},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(c.report(key), frame(value)) << key;
}

TEST(SimSensor, SettingsAndWhatTheCommandsChange) {
    START(sim);
    struct Step {
        std::string command;
        std::vector<std::pair<const char*, const char*>> reports;
    };
    const Step steps[] = {
        {"",
         {{"SENSORMODE", "0"},
          {"GAPINTEN", "4"},
          {"BLINEINTEN", "5"},
          {"CONINTEN", "6"},
          {"THRESHOLD", "30"}}},
        // By hand on black-mark media: the mark form selects the sensor, SET GAP
        // sets its intensity and the threshold.
        {"SET SENSOR_REF MANUAL\r\nBLINE 0.08,0\r\nSET GAP 2,600\r\n\x10JL",
         {{"SENSORMODE", "1"}, {"BLINEINTEN", "2"}, {"THRESHOLD", "600"}, {"GAPINTEN", "4"}}},
        {"SET SENSOR_REF MANUAL\r\nGAP 0,0\r\nSET GAP 9\r\n\x10JL",
         {{"SENSORMODE", "2"}, {"CONINTEN", "9"}, {"THRESHOLD", "600"}}},
        {"GAP 0.12,0\r\nGAP 0,0\r\n", {{"SENSORMODE", "2"}}},
        {"SET SENSOR_REF MANUAL\r\nGAPDETECT 304,24\r\n",
         {{"SENSORMODE", "0"}, {"PAPERHEIGHT", "304"}, {"GAPSIZE", "24"}}},
        {"BLINEDETECT\r\n", {{"SENSORMODE", "1"}, {"PAPERHEIGHT", "304"}}},
    };
    std::size_t closed = 0;
    for (const auto& step : steps) {
        if (!step.command.empty()) session(sim, step.command, ++closed);
        Client c(sim.tcpPort());
        for (const auto& [key, value] : step.reports)
            EXPECT_EQ(c.report(key), frame(value)) << step.command << " / " << key;
        ++closed;
    }
}

TEST(SimSensor, OneFramePerLevelForWhateverLiesUnderTheSensor) {
    char path[] = "/tmp/m350-sim-media-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    std::remove(path);  // absent at first: the --media choice holds
    START(sim, "--gapsensor", "100,500,900/120,600,300", "--blinesensor", "10,20/300,400",
          "--media", "label", "--media-file", path);
    auto readings = [&](const char* key) {
        Client c(sim.tcpPort());
        c.send(std::string("DIAGNOSTIC REPORT ") + key + "\r\n");
        return c.readUntil("{0|}");
    };
    struct Case {
        const char* media;  // written to the file; null: leave it
        const char* key;
        std::string frames;
    };
    const Case cases[] = {
        {nullptr, "GAPSENSOR", "{3|120}{3|600}{3|300}{0|}"},
        {"liner", "GAPSENSOR", "{3|100}{3|500}{3|900}{0|}"},
        {"liner", "BLINESENSOR", "{2|10}{2|20}{0|}"},
        {"label", "BLINESENSOR", "{3|300}{3|400}{0|}"},
        {"LABEL\n", "GAPSENSOR", "{3|120}{3|600}{3|300}{0|}"},
        {"mark", "BLINESENSOR", "{2|10}{2|20}{0|}"},
    };
    for (const auto& c : cases) {
        if (c.media) std::ofstream(path) << c.media;
        EXPECT_EQ(readings(c.key), c.frames) << (c.media ? c.media : "-") << " " << c.key;
    }
    std::remove(path);

    // The default curves: sixteen levels each, liner and label far apart.
    START(plain);
    Client c(plain.tcpPort());
    c.send("DIAGNOSTIC REPORT GAPSENSOR\r\n");
    const std::string frames = c.readUntil("{0|}");
    std::size_t count = 0;
    for (std::size_t at = frames.find('{'); at != std::string::npos; at = frames.find('{', at + 1))
        ++count;
    EXPECT_EQ(count, 17u);  // sixteen readings and the empty frame
}

TEST(SimSensor, BadCurvesAreRefused) {
    for (const char* bad : {"1,2,3", "1,,2/3", "a/1", "/", "1/"}) {
        SimProcess sim({"--gapsensor", bad});
        EXPECT_FALSE(sim.ok()) << bad;
    }
}

TEST(SimEmulation, EscYAndEscZSwitchWhatTheQueryReports) {
    START(sim, "--set", "ACT_EMULATION=0");
    struct Step {
        std::string bytes;
        const char* active;
    };
    const Step steps[] = {
        {"", "0"},
        {"\x1BY", "1"},
        {"\x1BZ", "0"},
        {"\x1BY", "1"},
        // ESC Z CR LF (exit line mode) is the Z switch all the same.
        {"\x1BZ\r\n", "0"},
    };
    std::size_t closed = 0;
    for (const auto& step : steps) {
        if (!step.bytes.empty()) session(sim, step.bytes, ++closed);
        Client c(sim.tcpPort());
        c.send("\r\nDIAGNOSTIC INTERFACE NET\r\n");
        EXPECT_EQ(c.readUntil("}"), "{3|NET}");
        EXPECT_EQ(c.report("ACT_EMULATION"), frame(step.active)) << closed;
        ++closed;
    }
}

}  // namespace
