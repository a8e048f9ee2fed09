// SPDX-License-Identifier: MIT
// Raw sends drawn from a file instead of a buffer in memory: the input is
// opened with the same refusals as a whole read, standard input is taken from
// a file or a pipe, and what goes out (chunks, percentages) is what the same
// bytes sent from a buffer give. A TCP printer that goes away during a long
// send still fails it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "core/files/file_download.h"
#include "core/files/file_source.h"
#include "core/files/local_file.h"
#include "core/files/raw_send.h"
#include "core/link/connection.h"
#include "core/link/link_operations.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

using namespace m350;

using m350test::randomBytes;
using m350test::TempDir;

namespace {

std::string readAll(int fd) {
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    return out;
}

// A pipe already holding bytes and closed at its writing end.
int pipeHolding(const std::string& bytes) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    // Larger than a pipe's buffer: a writer thread keeps it flowing.
    std::thread([fd = fds[1], bytes] {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (w <= 0) break;
            done += static_cast<std::size_t>(w);
        }
        ::close(fd);
    }).detach();
    return fds[0];
}

}  // namespace

TEST(LocalFileOpen, RefusesWhatAWholeReadRefusesWithTheSameWords) {
    TempDir dir;
    const std::string small = dir.write("small", "PRINT 1\r\n");
    const std::string large = dir.write("large", std::string(2000, 'x'));
    ::mkfifo((dir.path() + "/fifo").c_str(), 0600);
    for (const std::string& path : {small, large, dir.path() + "/fifo", std::string("/dev/zero"),
                                    dir.path(), dir.path() + "/no"}) {
        SCOPED_TRACE(path);
        std::string data, readWhy, openWhy;
        const bool read = readLocalFile(path, 1024, data, readWhy);
        const int fd = openLocalFile(path, 1024, openWhy);
        EXPECT_EQ(fd >= 0, read);
        EXPECT_EQ(openWhy, readWhy);
        if (fd >= 0) {
            EXPECT_EQ(readAll(fd), data);
            ::close(fd);
        }
    }
}

TEST(LocalFileOpen, StandardInputFromAFileOrAPipeUpToItsBound) {
    // The writer of a refused pipe finds it closed.
    ::signal(SIGPIPE, SIG_IGN);
    TempDir dir;
    const std::string bytes = randomBytes(200000, 7);
    struct Case {
        const char* name;
        std::function<int()> input;  // the descriptor standing for standard input
        std::size_t bound;
        const char* expect;  // the bytes' tail to come back, or nullptr when refused
    };
    const std::string file = dir.write("input", bytes);
    const std::vector<Case> cases = {
        {"a file read from its start", [&] { return ::open(file.c_str(), O_RDONLY); }, 1u << 20,
         ""},
        {"a file already partly read gives its rest",
         [&] {
             const int fd = ::open(file.c_str(), O_RDONLY);
             ::lseek(fd, 1000, SEEK_SET);
             return fd;
         },
         1u << 20, "rest"},
        {"a file longer than the bound", [&] { return ::open(file.c_str(), O_RDONLY); }, 1024,
         nullptr},
        {"a pipe beyond a pipe's buffer", [&] { return pipeHolding(bytes); }, 1u << 20, ""},
        {"a pipe longer than the bound", [&] { return pipeHolding(bytes); }, 100000, nullptr},
        {"an empty pipe", [&] { return pipeHolding(""); }, 1024, "empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int in = c.input();
        ASSERT_GE(in, 0);
        std::string why;
        const int fd = openLocalDescriptor(in, "standard input", c.bound, why);
        ::close(in);
        if (!c.expect) {
            EXPECT_LT(fd, 0);
            EXPECT_NE(why.find("standard input: longer than " + std::to_string(c.bound)),
                      std::string::npos)
                << why;
            continue;
        }
        ASSERT_GE(fd, 0) << why;
        FileSource source;
        ASSERT_TRUE(source.adopt(fd));
        const std::string want = std::string(c.expect) == "rest"    ? bytes.substr(1000)
                                 : std::string(c.expect) == "empty" ? std::string()
                                                                    : bytes;
        EXPECT_EQ(source.size(), want.size());
        std::string got(want.size() + 10, '\0');
        got.resize(source.read(reinterpret_cast<std::uint8_t*>(got.data()), got.size()));
        EXPECT_EQ(got, want);
    }
}

TEST(RawSendStream, AFileGoesOutInTheChunksAndPercentsOfTheSameBuffer) {
    TempDir dir;
    struct Case {
        int iface;
        std::size_t chunk;  // the port's chunk size
        std::size_t size;
    };
    // Sizes around the 64 KiB blocks a file is drawn in.
    const std::vector<Case> cases = {
        {kUsb, 64, 130},           {kCom, 64, 65536 + 700}, {kEthernet, 512, 1000},
        {kEthernet, 512, 0},       {kEthernet, 512, 65536}, {kEthernet, 512, 3 * 65536 + 1},
        {kUsb, 64, 2 * 65536 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("interface " + std::to_string(c.iface) + ", " + std::to_string(c.size) +
                     " bytes");
        const std::string bytes = randomBytes(c.size, static_cast<unsigned>(c.size));
        const std::string path = dir.write("job.bin", bytes);
        struct Sent {
            std::vector<std::string> chunks;
            std::vector<std::string> progress;
        };
        auto run = [&](bool fromFile) {
            m350test::ScriptedLink link({}, c.iface);
            link.port().chunkSize = c.chunk;
            m350test::RecordingProgress progress;
            link.ctx().progress = &progress;
            link.ctx().timeouts.progressHideMs = 0;
            FileSource file;
            EXPECT_TRUE(file.adopt(::open(path.c_str(), O_RDONLY | O_CLOEXEC)));
            const int r = runOperation(link.ctx(), kOpRawSend, c.iface, [&](Link& l) {
                return fromFile ? sendFileRaw(l, file) : sendRaw(l, bytes);
            });
            EXPECT_EQ(r, kOk);
            // More than one chunk is one bulk write, ended when the send ends:
            // a TCP port holds such chunks back to fill its packets.
            const bool bulk = c.size > c.chunk;
            EXPECT_EQ(link.port().bulkBegins, bulk ? 1 : 0);
            EXPECT_EQ(link.port().bulkEnds, link.port().bulkBegins);
            EXPECT_EQ(link.port().chunkInBulk, std::vector<bool>(link.port().chunks.size(), bulk));
            return Sent{link.port().chunks, progress.calls};
        };
        const Sent buffer = run(false);
        const Sent file = run(true);
        EXPECT_EQ(file.chunks, buffer.chunks);
        EXPECT_EQ(file.progress, buffer.progress);
        std::string all;
        for (const auto& chunk : file.chunks) {
            EXPECT_LE(chunk.size(), c.chunk);
            all += chunk;
        }
        EXPECT_EQ(all, bytes);
    }
}

TEST(RawSendStream, APrinterThatGoesAwayFailsTheSendWithoutAHang) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    PortSettings settings;
    settings.net = {"127.0.0.1", ntohs(a.sin_port)};
    LinkContext ctx;
    ctx.settings = &settings;
    ctx.timeouts.netWriteMs = 5000;
    struct Case {
        const char* name;
        std::size_t readFirst;  // what the printer takes before it closes
        std::size_t size;       // what we send
    };
    const std::vector<Case> cases = {
        {"closed before anything was written", 0, 1000},
        {"closed after 10 KiB of 16 MiB", 10 * 1024, 16u << 20},
        {"closed after 1 MiB of 16 MiB", 1u << 20, 16u << 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Connection conn(ctx, kEthernet);
        ASSERT_TRUE(conn.open());
        const int peer = ::accept(listener, nullptr, nullptr);
        ASSERT_GE(peer, 0);
        std::thread printer([&] {
            std::vector<char> buf(4096);
            std::size_t got = 0;
            while (got < c.readFirst) {
                const ssize_t n = ::read(peer, buf.data(), std::min(buf.size(), c.readFirst - got));
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
            ::close(peer);
        });
        if (c.readFirst == 0) {
            printer.join();
            // Let the close reach our side before the write starts.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const std::string bytes(c.size, 'q');
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(conn.write(bytes));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4))
            << "the failure comes from the printer's reset, not from the write limit";
        if (printer.joinable()) printer.join();
    }
    ::close(listener);
}

// A printer that prints while it takes data reads a block now and then: the
// write limit counts from the last byte it took, so it gets the whole job.
// Limit and pace are shortened alike: 64 KiB every 25 ms against 250 ms.
TEST(RawSendStream, ASlowPrinterGetsTheWholeJob) {
    ::signal(SIGPIPE, SIG_IGN);
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int rcvbuf = 16 * 1024;  // a printer's small buffer, inherited on accept
    ::setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    PortSettings settings;
    settings.net = {"127.0.0.1", ntohs(a.sin_port)};
    LinkContext ctx;
    ctx.settings = &settings;
    ctx.timeouts.netWriteMs = 250;
    const std::string bytes = randomBytes(16u << 20, 36);
    std::string got;
    std::thread printer([&] {
        const int peer = ::accept(listener, nullptr, nullptr);
        std::vector<char> buf(64 * 1024);
        for (ssize_t n = 1; n > 0; std::this_thread::sleep_for(std::chrono::milliseconds(25)))
            for (std::size_t block = 0;
                 block < buf.size() && (n = ::read(peer, buf.data(), buf.size() - block)) > 0;
                 block += static_cast<std::size_t>(n))
                got.append(buf.data(), static_cast<std::size_t>(n));
        ::close(peer);
    });
    EXPECT_EQ(runOperation(ctx, kOpRawSend, kEthernet, [&](Link& l) { return sendRaw(l, bytes); }),
              kOk);
    printer.join();
    EXPECT_TRUE(got == bytes) << got.size() << " of " << bytes.size() << " bytes arrived";
    ::close(listener);
}
