// SPDX-License-Identifier: MIT
// The simulator as a process: real TCP connections, a real pseudo-terminal and a
// real FIFO, driven with plain sockets and file descriptors.
#include "sim_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace {

using m350test::SimProcess;

// A file descriptor that closes itself.
struct Fd {
    int fd = -1;
    explicit Fd(int f = -1) : fd(f) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void reset() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

int connectTcp(int port) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

bool sendAll(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until `count` bytes arrived, the peer closed, or 5 s passed.
std::string readBytes(int fd, std::size_t count, bool* closed = nullptr) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (got.size() < count) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        char buf[1024];
        ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0) {
            if (closed) *closed = true;
            break;
        }
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

std::string query(const std::string& key) {
    return "DIAGNOSTIC REPORT " + key + "\r\n";
}

TEST(SimOverTcp, AnswersSetKeysStatusAndRecordsTheTranscript) {
    SimProcess sim({"--set", "SPEED=3.00", "--status-byte", "0x21", "--ext-status",
                    "0102030405060708", "--edition", "105"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const std::string request = "\r\nDIAGNOSTIC INTERFACE NET\r\n" + query("SPEED") +
                                query("EDITION") + query("NOSUCHKEY") + "\x1b!?" + "\x1b!S\r\n";
    const std::string expected =
        std::string("{3|NET}{4|3.00}{3|105}{0|}\x21") + "\x01\x02\x03\x04\x05\x06\x07\x08";
    {
        Fd s(connectTcp(sim.tcpPort()));
        ASSERT_GE(s.fd, 0);
        ASSERT_TRUE(sendAll(s.fd, request));
        EXPECT_EQ(readBytes(s.fd, expected.size()), expected);
    }
    // A second connection gets its own entry; the state persists across them.
    {
        Fd s(connectTcp(sim.tcpPort()));
        ASSERT_TRUE(sendAll(s.fd, "SPEED 5.0\r\n" + query("SPEED")));
        EXPECT_EQ(readBytes(s.fd, 7), "{3|5.0}");
    }
    ASSERT_TRUE(sim.waitForClosed(2));
    auto t = sim.transcript();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].kind, "tcp");
    EXPECT_EQ(t[0].rx, request);
    EXPECT_EQ(t[0].tx, expected);
    EXPECT_TRUE(t[0].closed);
    EXPECT_NE(t[0].id, t[1].id);
    EXPECT_EQ(t[1].rx, "SPEED 5.0\r\n" + query("SPEED"));
}

TEST(SimOverTcp, TranscriptLinesAreLowercaseHex) {
    SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    {
        Fd s(connectTcp(sim.tcpPort()));
        ASSERT_TRUE(sendAll(s.fd, std::string("\x1b!?", 3)));
        EXPECT_EQ(readBytes(s.fd, 1), std::string(1, '\0'));
    }
    ASSERT_TRUE(sim.waitForClosed(1));
    std::FILE* f = std::fopen(sim.transcriptPath().c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buf[4096] = {};
    std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(buf, n), "1 OPEN tcp\n1 RX 1b213f\n1 TX 00\n1 CLOSE\n");
}

TEST(SimFaults, SilentBrokenEmptyGarbageAndSlowOverTcp) {
    SimProcess sim({"--set", "SPEED=3.0", "--set", "DPI=203", "--fault", "silent:SPEED", "--fault",
                    "broken-frame:DENSITY", "--fault", "empty:DPI", "--fault", "garbage:EDITION",
                    "--fault", "slow:200:VERSION"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Fd s(connectTcp(sim.tcpPort()));
    // Each faulty answer is followed by a good one, so nothing waits for silence.
    ASSERT_TRUE(sendAll(s.fd, query("SPEED") + query("DENSITY") + query("DPI") + query("EDITION") +
                                  query("VERSION") + query("SHIFT")));
    const std::string expected = "{5|ab{0|}{x|}{18|M350-203 V2.07 SIM}{1|0}";
    EXPECT_EQ(readBytes(s.fd, expected.size()), expected);
}

TEST(SimFaults, AStreamNeverEndsAndATrickleTakesItsTime) {
    SimProcess sim({"--set", "DPI=203", "--fault", "stream:EDITION", "--fault", "trickle:60:DPI"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Fd s(connectTcp(sim.tcpPort()));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(sendAll(s.fd, query("DPI")));
    EXPECT_EQ(readBytes(s.fd, 7), "{3|203}");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(7 * 60 - 20));

    ASSERT_TRUE(sendAll(s.fd, query("EDITION")));
    // Far more than any answer, and still coming; no frame ever starts.
    const std::string streamed = readBytes(s.fd, 256 * 1024);
    EXPECT_EQ(streamed.size(), 256u * 1024);
    EXPECT_EQ(streamed.find('{'), std::string::npos);
    s.reset();
    ASSERT_TRUE(sim.waitForClosed(1));
    // The transcript keeps the stream's first bytes only.
    auto t = sim.transcript();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].tx.size(), 7u + 512u);
}

TEST(SimFaults, DropClosesTheConnectionInsteadOfAnswering) {
    SimProcess sim({"--fault", "drop:EDITION"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Fd s(connectTcp(sim.tcpPort()));
    ASSERT_TRUE(sendAll(s.fd, query("DPI") + query("EDITION") + query("DPI")));
    bool closed = false;
    EXPECT_EQ(readBytes(s.fd, 100, &closed), "{3|203}");
    EXPECT_TRUE(closed);
    ASSERT_TRUE(sim.waitForClosed(1));
    // The next connection is served again.
    Fd s2(connectTcp(sim.tcpPort()));
    ASSERT_TRUE(sendAll(s2.fd, query("DPI")));
    EXPECT_EQ(readBytes(s2.fd, 7), "{3|203}");
}

TEST(SimFaults, GeneralFaultAppliesToStatusBytesToo) {
    SimProcess sim({"--fault", "silent", "--fault", "slow:50:status", "--status-byte", "8"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    Fd s(connectTcp(sim.tcpPort()));
    ASSERT_TRUE(sendAll(s.fd, query("DPI") + "\x1b!S\r\n" + "\x1b!?"));
    EXPECT_EQ(readBytes(s.fd, 1), "\x08");
}

TEST(SimOverPty, SurvivesTheDeviceBeingClosedAndReopened) {
    SimProcess sim({"--set", "SPEED=4.0"}, /*pty=*/true);
    ASSERT_TRUE(sim.ok()) << sim.error();
    ASSERT_FALSE(sim.ptyPath().empty());
    // The stable link points at the device.
    std::string dir = sim.transcriptPath().substr(0, sim.transcriptPath().rfind('/'));
    char target[256] = {};
    ASSERT_GT(::readlink((dir + "/tty").c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), sim.ptyPath());
    for (int round = 0; round < 3; ++round) {
        Fd tty(::open(sim.ptyPath().c_str(), O_RDWR | O_NOCTTY));
        ASSERT_GE(tty.fd, 0);
        termios t{};
        ASSERT_EQ(::tcgetattr(tty.fd, &t), 0);
        ::cfmakeraw(&t);
        ::tcsetattr(tty.fd, TCSANOW, &t);
        // Raw mode both ways: CR LF and binary bytes pass untouched.
        ASSERT_TRUE(sendAll(tty.fd, query("SPEED") + "\x1b!?"));
        EXPECT_EQ(readBytes(tty.fd, 8), std::string("{3|4.0}") + '\0') << "round " << round;
        tty.reset();
        ASSERT_TRUE(sim.waitForClosed(static_cast<std::size_t>(round) + 1)) << "round " << round;
    }
    auto t = sim.transcript();
    ASSERT_EQ(t.size(), 3u);
    for (const auto& c : t) {
        EXPECT_EQ(c.kind, "pty");
        EXPECT_EQ(c.rx, query("SPEED") + "\x1b!?");
        EXPECT_TRUE(c.closed);
    }
}

TEST(SimOverParallel, EachWriterIsOneConnectionAndChangesTheState) {
    SimProcess::Options o;
    o.parallel = true;
    SimProcess sim(o);
    ASSERT_TRUE(sim.ok()) << sim.error();
    ASSERT_FALSE(sim.parallelPath().empty());
    std::size_t sessions = 0;
    for (const char* line : {"SELFTEST\r\n", "SPEED 2.0\r\n"}) {
        {
            Fd w(::open(sim.parallelPath().c_str(), O_WRONLY));
            ASSERT_GE(w.fd, 0);
            ASSERT_TRUE(sendAll(w.fd, line));
        }
        // A writer that opens before the simulator saw the last one close would
        // continue that session; a printer port is not opened that fast.
        ASSERT_TRUE(sim.waitForClosed(++sessions));
    }
    auto t = sim.transcript();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].kind, "parallel");
    EXPECT_EQ(t[0].rx, "SELFTEST\r\n");
    EXPECT_EQ(t[1].rx, "SPEED 2.0\r\n");
    EXPECT_TRUE(t[1].tx.empty());
    Fd s(connectTcp(sim.tcpPort()));
    ASSERT_TRUE(sendAll(s.fd, query("SPEED")));
    EXPECT_EQ(readBytes(s.fd, 7), "{3|2.0}");
}

TEST(SimProcessLifecycle, BadOptionsAreReportedAndStopIsIdempotent) {
    SimProcess bad({"--tcp", "10.1.2.3:0"});
    EXPECT_FALSE(bad.ok());
    EXPECT_NE(bad.error().find("loopback"), std::string::npos) << bad.error();

    SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    EXPECT_TRUE(sim.running());
    sim.stop();
    EXPECT_FALSE(sim.running());
    sim.stop();
    EXPECT_LT(connectTcp(sim.tcpPort()), 0);
}

TEST(SimProcessLifecycle, HelpNamesEveryOption) {
    std::FILE* f = ::popen(M350_SIM_PATH " --help", "r");
    ASSERT_NE(f, nullptr);
    std::string text;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) text.append(buf, n);
    EXPECT_EQ(::pclose(f), 0);
    for (const char* opt :
         {"--tcp",        "--pty",         "--pty-link", "--parallel",   "--ready-file",
          "--transcript", "--edition",     "--dpi",      "--bluetooth",  "--wifi",
          "--profile",    "--password",    "--serial",   "--set",        "--status-byte",
          "--ext-status", "--fault",       "--file",     "--ext-module", "--scan-delay",
          "--gapsensor",  "--blinesensor", "--media",    "--media-file", "--dump-text",
          "silent",       "broken-frame",  "drop",       "slow:MS",      "empty",
          "garbage"})
        EXPECT_NE(text.find(opt), std::string::npos) << opt;
}

}  // namespace
