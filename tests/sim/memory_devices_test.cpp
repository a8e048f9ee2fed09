// SPDX-License-Identifier: MIT
// The simulator's memory devices: DOWNLOAD stores, lists and free space follow,
// KILL empties or deletes, DIAGNOSTIC FILE returns a stored file, firmware
// streams are recognised and counted. First the session on byte strings, then
// the process over raw TCP sockets.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "printer.h"
#include "session.h"
#include "sim/sent_bytes.h"
#include "sim_process.h"
#include "support/test_files.h"

namespace m350::sim {
using m350test::frame;
using m350test::randomBytes;
using m350test::sent;

namespace {

TEST(SimMemory, Crc32IsTheZipOneAndContinues) {
    EXPECT_EQ(crc32Update(0, "123456789"), 0xCBF43926u);
    EXPECT_EQ(crc32Update(crc32Update(0, "12345"), "6789"), 0xCBF43926u);
    EXPECT_EQ(crc32Update(0, ""), 0u);
}

TEST(SimMemory, DownloadStoresNameSizeChecksumAndOnlyTheFirstMegabyte) {
    Printer p;
    std::vector<Fault> none;
    std::vector<std::string> events;
    p.onEvent = [&](const std::string& e) { events.push_back(e); };
    Session s(p, none);
    const std::string body = randomBytes(3 * 1024 * 1024 + 5, 3);
    s.feed("DOWNLOAD E,\"BIG.DAT\"," + std::to_string(body.size()) + ",");
    // Any split of the stream gives the same file.
    for (std::size_t at = 0; at < body.size(); at += 4093)
        s.feed(std::string_view(body).substr(at, 4093));
    ASSERT_EQ(p.files('C').size(), 1u);
    const StoredFile& f = p.files('C')[0];
    EXPECT_EQ(f.name, "BIG.DAT");
    EXPECT_EQ(f.size, body.size());
    EXPECT_EQ(f.head, body.substr(0, Printer::kKeptFileBytes));
    EXPECT_EQ(f.crc32, crc32Update(0, body));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].rfind("stored C:BIG.DAT 3145733 bytes crc32 ", 0), 0u) << events[0];
    // Whatever follows the announced bytes is a command again.
    EXPECT_EQ(sent(s.feed("DIAGNOSTIC REPORT CFILELIST\r\n")), "{7|BIG.DAT}{0|}");
    EXPECT_EQ(p.report("CFREESPACE"), std::to_string(2097152 - 3073));
}

TEST(SimMemory, KillFormsAndSettableSpace) {
    Printer p;
    p.set("FFREESPACE", "100");  // the empty device offers 100 KB
    p.storeFile('F', "A.BAS", 10, {});
    p.storeFile('F', "B.PCX", 2048, {});
    p.storeFile('D', "C.DAT", 1, {});
    EXPECT_EQ(p.report("FFREESPACE"), "97");
    std::vector<Fault> none;
    Session s(p, none);
    struct Step {
        const char* line;
        std::size_t dram, flash;
    };
    const Step steps[] = {
        {"KILL F,\"A.BAS\"\r\n", 1, 1},  // one file
        {"KILL F,\"NONE.BAS\"\r\n", 1, 1},
        {"KILL \"*.*\"\r\n", 0, 1},  // DRAM only
        {"KILL F,\"*.*\"\r\n", 0, 0},
    };
    for (const auto& st : steps) {
        s.feed(st.line);
        EXPECT_EQ(p.files('D').size(), st.dram) << st.line;
        EXPECT_EQ(p.files('F').size(), st.flash) << st.line;
    }
    EXPECT_EQ(p.report("FFREESPACE"), "100");
}

TEST(SimMemory, FirmwareIsTellingFromTheFirstBytes) {
    struct Case {
        std::string stream;
        bool firmware;
    };
    const Case cases[] = {
        {randomBytes(5000, 1), true},
        {std::string("\x00\x01\x02", 3) + "SPEED 3\r\n", true},
        {"MODEL M350 IMAGE\x01\x02\x03", true},        // text first, then binary
        {"SPEED 3\r\n" + randomBytes(100, 2), false},  // a command came first
        {"\x10SD07\x1eXA\x1eJUS\x1eXZ\r\n", false},    // the Z emulation's wrapping
        {"\x02KZH12\r\r\n", false},                    // the D emulation's
        {"\x1b!?", false},
        {std::string(5000, 'x') + "\x01", false},  // too late to be firmware
    };
    for (const auto& c : cases) {
        Printer p;
        std::vector<Fault> none;
        Session s(p, none);
        for (std::size_t at = 0; at < c.stream.size(); at += 100)
            s.feed(std::string_view(c.stream).substr(at, 100));
        s.end();
        ASSERT_EQ(p.firmware().size(), c.firmware ? 1u : 0u) << c.stream.substr(0, 20);
        if (c.firmware) {
            EXPECT_EQ(p.firmware()[0].size, c.stream.size());
            EXPECT_EQ(p.firmware()[0].crc32, crc32Update(0, c.stream));
            EXPECT_EQ(p.firmware()[0].head, c.stream);
        }
    }
}

TEST(SimMemory, FirmwareBytesAreNeverTakenForCommands) {
    Printer p;
    p.set("SPEED", "3.0");
    std::vector<Fault> none;
    Session s(p, none);
    // A status request and a setting hidden in the image get no answer and change nothing.
    const std::string image = std::string("\x00\x7f", 2) + "\r\nSPEED 9\r\n\x1b!?\x1bY";
    EXPECT_EQ(sent(s.feed(image)), "");
    s.end();
    EXPECT_EQ(p.get("SPEED"), "3.0");
    EXPECT_EQ(p.emulation, "");
}

TEST(SimMemory, ADownloadCutShortIsNotStored) {
    Printer p;
    std::vector<std::string> events;
    p.onEvent = [&](const std::string& e) { events.push_back(e); };
    std::vector<Fault> none;
    Session s(p, none);
    s.feed("DOWNLOAD F,\"HALF.DAT\",10,abcd");
    s.end();
    EXPECT_TRUE(p.files('F').empty());
    EXPECT_EQ(events, std::vector<std::string>{"download cut short F:HALF.DAT 4 of 10 bytes"});
}

// ---- the process over TCP -----------------------------------------------------

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

// Sends bytes on a new connection, reads until want bytes came back (or 5 s),
// and closes.
std::string exchange(int port, const std::string& bytes, std::size_t want = 0) {
    int fd = connectTcp(port);
    if (fd < 0) return "<no connection>";
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buf[4096];
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return got;
}

TEST(SimMemoryOverTcp, DownloadListFetchFormatAndTheLog) {
    m350test::SimProcess sim({"--set", "FPHYSPACE=8192", "--set", "DFREESPACE=500"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const std::string logo = randomBytes(1234, 9);
    exchange(sim.tcpPort(), "DOWNLOAD F,\"LOGO.BMP\",1234," + logo);
    exchange(sim.tcpPort(), "DOWNLOAD \"EMPTY.DAT\",0,");
    ASSERT_TRUE(sim.waitForLog("stored F:LOGO.BMP 1234 bytes crc32 ")) << sim.log();
    ASSERT_TRUE(sim.waitForLog("stored D:EMPTY.DAT 0 bytes crc32 00000000")) << sim.log();

    const std::string lists =
        "DIAGNOSTIC REPORT FFILELIST\r\nDIAGNOSTIC REPORT FFREESPACE\r\n"
        "DIAGNOSTIC REPORT DFILELIST\r\nDIAGNOSTIC REPORT DFREESPACE\r\n";
    const std::string expected = frame("LOGO.BMP") + frame("") + frame("8190") +
                                 frame("EMPTY.DAT") + frame("") + frame("500");
    EXPECT_EQ(exchange(sim.tcpPort(), lists, expected.size()), expected);

    const std::string fetched = frame(logo);
    EXPECT_EQ(exchange(sim.tcpPort(), "\r\nDIAGNOSTIC FILE \"LOGO.BMP\"\r\n\r\n", fetched.size()),
              fetched);

    exchange(sim.tcpPort(), "KILL F,\"*.*\"\r\n");
    ASSERT_TRUE(sim.waitForLog("formatted F"));
    const std::string after = frame("") + frame("8192");
    EXPECT_EQ(
        exchange(sim.tcpPort(), "DIAGNOSTIC REPORT FFILELIST\r\nDIAGNOSTIC REPORT FFREESPACE\r\n",
                 after.size()),
        after);
}

TEST(SimMemoryOverTcp, AFirmwareStreamIsCountedAndChecked) {
    m350test::SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.error();
    const std::string image = randomBytes(2 * 1024 * 1024, 11);
    exchange(sim.tcpPort(), image);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", crc32Update(0, image));
    EXPECT_TRUE(sim.waitForLog("firmware 2097152 bytes crc32 " + std::string(crc))) << sim.log();
    // Nothing in it was answered.
    ASSERT_TRUE(sim.waitForClosed(1));
    EXPECT_EQ(sim.transcript()[0].tx, "");
}

}  // namespace
}  // namespace m350::sim
