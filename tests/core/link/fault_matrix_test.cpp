// SPDX-License-Identifier: MIT
// Every operation that reads, against every way the simulated printer can
// misbehave, on the network and on a serial line: each ends with a result
// code within its (shortened) limit, and a failed one leaves its caller's data
// as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "core/access/emulation.h"
#include "core/access/password.h"
#include "core/config/config_read.h"
#include "core/files/file_download.h"
#include "core/files/file_types.h"
#include "core/link/link_operations.h"
#include "core/printer/clock.h"
#include "core/printer/sensor.h"
#include "core/printer/status.h"
#include "support/hostile_peer.h"
#include "support/scripted_port.h"
#include "support/sim_process.h"

using namespace m350;

namespace {

constexpr int kLimitMs = 400;

// An operation with its output filled with a value no printer gives; the
// result, and whether the output is still that value.
struct ReadingOp {
    const char* name;
    std::uint32_t op;
    std::function<std::pair<int, bool>(LinkContext&, int iface)> run;
    // The status byte is a bare byte, not a frame: any byte answers it.
    bool bareBytes = false;
};

template <typename T>
ReadingOp makeOp(const char* name, std::uint32_t op, T sentinel,
                 std::function<int(Link&, T&)> call) {
    return {name, op,
            [=](LinkContext& ctx, int iface) {
                T out = sentinel;
                const int r = runOperation(ctx, op, iface, [&](Link& l) { return call(l, out); });
                return std::pair{r, out == sentinel};
            },
            false};
}

ReadingOp bare(ReadingOp op) {
    op.bareBytes = true;
    return op;
}

std::vector<ReadingOp> readingOps() {
    ConfigRecord marked;
    marked.setInteger(Field::edition, 4242);
    ClockValues clock{};
    clock.fill(-77);
    StatusFlags flags{};
    flags.fill(9);
    return {
        bare(makeOp<StatusFlags>("status", kOpStatus, flags, readStatus)),
        makeOp<ConfigRecord>("config read", kOpReadConfig, marked, readConfig),
        {"password read", kOpReadPassword,
         [](LinkContext& ctx, int iface) {
             std::string out = "sentinel";
             const int r = runOperation(ctx, kOpReadPassword, iface,
                                        [&](Link& l) { return readPassword(l, out); });
             // A failed read gives the empty text by design, never half a reply.
             return std::pair{r, out == "sentinel" || (r != kOk && out.empty())};
         },
         false},
        makeOp<ClockValues>("clock read", kOpReadClock, clock, readClock),
        makeOp<int>("emulation read", kOpEmulationQuery, -77, readEmulation),
        {"sensor values", kOpSensorValues,
         [](LinkContext& ctx, int iface) {
             SensorValues out;
             out.readings = {-77};
             const int r = runOperation(ctx, kOpSensorValues, iface,
                                        [&](Link& l) { return readSensorValues(l, out); });
             // A failed poll empties the curve by design: nothing half-read is shown.
             return std::pair{r, out.readings == std::vector<std::int32_t>{-77} ||
                                     (r != kOk && out.readings.empty())};
         },
         false},
    };
}

struct Fault {
    const char* mode;
    bool canSucceed;   // a reply a framed read may take as an answer
    bool bytesArrive;  // bytes come within the limit (a bare byte read takes them)
};

}  // namespace

TEST(FaultMatrix, EveryReadEndsWithinItsLimitAndKeepsItsDataOnFailure) {
    const Fault faults[] = {
        {"silent", false, false}, {"broken-frame", true, true}, {"drop", false, false},
        {"garbage", true, true},  {"empty", true, true},        {"slow:1500", false, false},
        {"stream", false, true},  {"trickle:300", false, true},
    };
    const auto ops = readingOps();
    for (const int iface : {kEthernet, kCom}) {
        for (const Fault& f : faults) {
            m350test::SimProcess sim({"--fault", f.mode}, iface == kCom);
            ASSERT_TRUE(sim.ok()) << sim.error();
            PortSettings settings;
            settings.net = {"127.0.0.1", sim.tcpPort()};
            if (iface == kCom) {
                setenv("M350_COM7", sim.ptyPath().c_str(), 1);
                settings.serial.portName = "COM7";
            }
            LinkContext ctx;
            ctx.settings = &settings;
            ctx.timeouts.netReadMs = kLimitMs;
            ctx.timeouts.comReadMs = kLimitMs;
            // A trickle of one byte in 300 ms is slower than a reply may be.
            ctx.timeouts.replySlowMsPerByte = 50;
            ctx.timeouts.progressHideMs = 0;
            for (const ReadingOp& op : ops) {
                SCOPED_TRACE(std::string(op.name) + " / " + f.mode + " / " +
                             (iface == kCom ? "COM" : "ETHERNET"));
                const auto start = std::chrono::steady_clock::now();
                const auto [result, unchanged] = op.run(ctx, iface);
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
                // Several replies may each take up to the limit; none may wait
                // without end (the real limits are 3 s and 30 s).
                EXPECT_LT(took.count(), 6 * kLimitMs + 1500);
                if (!f.canSucceed && !(op.bareBytes && f.bytesArrive)) {
                    EXPECT_NE(result, kOk);
                }
                if (result != kOk) {
                    EXPECT_TRUE(unchanged) << "a failed read changed its data";
                }
            }
            if (iface == kCom) unsetenv("M350_COM7");
        }
    }
}

namespace {

// A file larger than every buffer between the program and a peer that stops
// reading (socket buffers grow to a few megabytes), as a sparse file.
struct BigFile {
    std::string path;
    BigFile() {
        char name[] = "/tmp/m350-big-XXXXXX";
        const int fd = ::mkstemp(name);
        path = name;
        if (fd >= 0) {
            (void)!::ftruncate(fd, 24 << 20);
            ::close(fd);
        }
    }
    ~BigFile() { std::remove(path.c_str()); }
};

// The operations that write much: their writes are what meets the fault.
std::vector<ReadingOp> writingOps(const std::string& path) {
    return {
        {"download", kOpDownload,
         [path](LinkContext& ctx, int iface) {
             const int r = runOperation(ctx, kOpDownload, iface, [&](Link& l) {
                 return downloadFile(l, {path, "BIG.DAT", kDeviceFlash});
             });
             return std::pair{r, true};
         },
         false},
        {"raw send", kOpRawSend,
         [path](LinkContext& ctx, int iface) {
             const int r = runOperation(ctx, kOpRawSend, iface,
                                        [&](Link& l) { return sendFileRaw(l, path); });
             return std::pair{r, true};
         },
         false},
    };
}

}  // namespace

// The same operations, and the two that write megabytes, against a peer that
// resets the connection once the program has started writing and one that
// stops reading so the writes block; on the network (RST) and on a
// pseudo-terminal (the line hangs up; nobody reads the terminal). Each fails
// within its shortened limits, the program is not ended by SIGPIPE, and a
// failed read keeps its data.
TEST(FaultMatrix, ResetAndStalledWritesFailWithinTheirLimits) {
    BigFile big;
    auto ops = readingOps();
    for (ReadingOp& w : writingOps(big.path)) ops.push_back(std::move(w));
    for (const int iface : {kEthernet, kCom}) {
        for (const m350test::PeerMode mode :
             {m350test::PeerMode::kReset, m350test::PeerMode::kStall}) {
            const char* modeName = mode == m350test::PeerMode::kReset ? "reset" : "stall";
            m350test::HostilePeer peer;
            ASSERT_TRUE(peer.ok());
            peer.setMode(mode, 1);
            PortSettings settings;
            settings.net = {"127.0.0.1", peer.port()};
            settings.serial.portName = "COM7";
            LinkContext ctx;
            ctx.settings = &settings;
            ctx.timeouts.netReadMs = kLimitMs;
            ctx.timeouts.netWriteMs = kLimitMs;
            ctx.timeouts.comReadMs = kLimitMs;
            ctx.timeouts.comWriteConstantMs = kLimitMs;
            ctx.timeouts.comWritePerByteMs = 0;
            ctx.timeouts.progressHideMs = 0;
            for (const ReadingOp& op : ops) {
                SCOPED_TRACE(std::string(op.name) + " / " + modeName + " / " +
                             (iface == kCom ? "COM" : "ETHERNET"));
                // A terminal that hung up stays so: one per operation.
                m350test::HostileTerminal terminal(mode, 1);
                ASSERT_TRUE(terminal.ok());
                setenv("M350_COM7", terminal.path().c_str(), 1);
                const auto start = std::chrono::steady_clock::now();
                const auto [result, unchanged] = op.run(ctx, iface);
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
                unsetenv("M350_COM7");
                EXPECT_LT(took.count(), 6 * kLimitMs + 1500);
                EXPECT_NE(result, kOk);
                // The writes themselves fail: not taken for sent.
                if (op.op == kOpDownload || op.op == kOpRawSend) {
                    EXPECT_EQ(result, kTransmitError);
                }
                EXPECT_TRUE(unchanged) << "a failed read changed its data";
            }
        }
    }
}
