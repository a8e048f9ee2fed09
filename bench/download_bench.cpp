// SPDX-License-Identifier: MIT
// A file download over TCP to the simulated printer, through the real path
// (link operation 13: the file read in blocks, 512-byte chunks, progress
// reported after each chunk and drawn as m350ctl draws it), against a plain
// socket that sends the same header and bytes in the same 512-byte chunks.
// Prints the throughput ratio (goal: at least 0.8) and how much the process's
// peak memory grew during a 64 MiB and a 1 GiB download (goal: under 16 MiB).
//
//   build/bench/download_bench            (the optimised build is the one to read)
//   build/bench/download_bench --benchmark_filter=64MiB
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "cli/terminal_progress.h"
#include "core/files/file_download.h"
#include "core/files/file_types.h"
#include "core/link/link_operations.h"
#include "support/sim_process.h"

namespace {

constexpr std::size_t kChunk = 512;

struct Rig {
    m350test::SimProcess sim;
    std::string dir;
    std::string file64;  // 64 MiB of random bytes
    std::string file1g;  // 1 GiB, sparse
    std::FILE* devNull = std::fopen("/dev/null", "w");

    Rig() : sim(options()) {
        char templ[] = "/tmp/m350-bench-XXXXXX";
        dir = ::mkdtemp(templ);
        file64 = dir + "/bench64.dat";
        std::mt19937_64 gen(64);
        std::ofstream out(file64, std::ios::binary);
        std::vector<std::uint64_t> block(8192);
        for (int i = 0; i < 1024; ++i) {  // 1024 x 64 KiB
            for (auto& w : block) w = gen();
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * sizeof block[0]));
        }
        out.close();
        file1g = dir + "/bench1g.dat";
        int fd = ::open(file1g.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd >= 0) {
            if (::ftruncate(fd, off_t{1} << 30) != 0) std::perror("ftruncate");
            ::close(fd);
        }
    }
    ~Rig() {
        ::unlink(file64.c_str());
        ::unlink(file1g.c_str());
        ::rmdir(dir.c_str());
        if (devNull) std::fclose(devNull);
    }
    static m350test::SimProcess::Options options() {
        m350test::SimProcess::Options o;
        o.transcript = false;  // the simulator still counts and checks every byte
        return o;
    }
};

Rig& rig() {
    static Rig r;
    return r;
}

long statusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
    return -1;
}

// Peak resident memory starts again from the current one.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::uint64_t fileSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return static_cast<std::uint64_t>(in.tellg());
}

bool downloadThroughTheLink(const std::string& path, const std::string& name) {
    m350::PortSettings settings;
    settings.net = {"127.0.0.1", rig().sim.tcpPort()};
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.timeouts.progressHideMs = 0;
    m350::cli::TerminalProgress progress(rig().devNull);
    ctx.progress = &progress;
    const int r = m350::runOperation(ctx, m350::kOpDownload, m350::kEthernet, [&](m350::Link& l) {
        return m350::downloadFile(l, {path, name, m350::kDeviceFlash});
    });
    return r == m350::kOk;
}

bool downloadThroughAPlainSocket(const std::string& path, const std::string& name) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(rig().sim.tcpPort()));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // The same socket option as the network port: every chunk goes out at once.
    int one = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(s);
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::uint64_t size = fileSize(path);
    const std::string header = m350::downloadHeader(m350::kDeviceFlash, name, size);
    bool ok = fd >= 0 && ::send(s, header.data(), header.size(), MSG_NOSIGNAL) ==
                             static_cast<ssize_t>(header.size());
    std::vector<char> block(64 * 1024);
    std::uint64_t left = size;
    while (ok && left > 0) {
        const ssize_t n = ::read(fd, block.data(), block.size());
        if (n <= 0) break;
        for (ssize_t off = 0; ok && off < n; off += static_cast<ssize_t>(kChunk)) {
            const std::size_t part =
                std::min<std::size_t>(kChunk, static_cast<std::size_t>(n - off));
            ok = ::send(s, block.data() + off, part, MSG_NOSIGNAL) == static_cast<ssize_t>(part);
        }
        left -= static_cast<std::uint64_t>(n);
    }
    if (fd >= 0) ::close(fd);
    ::close(s);
    return ok && left == 0;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A download ends when the simulator has taken its last byte, not when the
// sender has handed it to the system: a sender could otherwise look fast by
// leaving megabytes in the socket buffers. The simulator logs each stored file.
template <class F>
bool untilStored(const char* name, F send) {
    const std::string line = std::string("stored F:") + name + " ";
    const std::size_t before = count(rig().sim.log(), line);
    if (!send()) return false;
    for (int i = 0; i < 60000; ++i) {
        if (count(rig().sim.log(), line) > before) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return false;
}

bool viaLink(const std::string& path, const char* name) {
    return untilStored(name, [&] { return downloadThroughTheLink(path, name); });
}

bool viaPlainSocket(const std::string& path, const char* name) {
    return untilStored(name, [&] { return downloadThroughAPlainSocket(path, name); });
}

template <bool kLink>
void run(benchmark::State& state, const std::string& path, const char* name) {
    if (!rig().sim.ok()) {
        state.SkipWithError(rig().sim.error().c_str());
        return;
    }
    const std::uint64_t size = fileSize(path);
    long peakGrowthKb = 0;
    for (auto _ : state) {
        resetPeak();
        const long before = statusKb("VmRSS:");
        const bool ok = kLink ? viaLink(path, name) : viaPlainSocket(path, name);
        if (!ok) {
            state.SkipWithError("the download failed");
            return;
        }
        peakGrowthKb = std::max(peakGrowthKb, statusKb("VmHWM:") - before);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["peak_growth_MiB"] = static_cast<double>(peakGrowthKb) / 1024.0;
}

// Both ways in turn, each round: the machine's load (other builds, the
// simulator's share of the cores) falls on both alike, so their ratio holds
// where the absolute rates wander.
void BM_Download64MiB_Alternating(benchmark::State& state) {
    if (!rig().sim.ok()) {
        state.SkipWithError(rig().sim.error().c_str());
        return;
    }
    using Clock = std::chrono::steady_clock;
    double linkSeconds = 0, plainSeconds = 0;
    bool linkFirst = false;
    for (auto _ : state) {
        double seconds[2] = {0, 0};  // link, plain
        for (int k = 0; k < 2; ++k) {
            const bool link = (k == 0) == linkFirst;
            const auto t0 = Clock::now();
            const bool ok = link ? viaLink(rig().file64, "BENCH64.DAT")
                                 : viaPlainSocket(rig().file64, "BENCH64.DAT");
            if (!ok) {
                state.SkipWithError("a download failed");
                return;
            }
            seconds[link ? 0 : 1] = std::chrono::duration<double>(Clock::now() - t0).count();
        }
        linkFirst = !linkFirst;  // neither way always follows the other
        linkSeconds += seconds[0];
        plainSeconds += seconds[1];
        state.SetIterationTime(seconds[0] + seconds[1]);
    }
    state.counters["throughput_ratio"] = linkSeconds > 0 ? plainSeconds / linkSeconds : 0;
}

void BM_Download64MiB_Link(benchmark::State& s) {
    run<true>(s, rig().file64, "BENCH64.DAT");
}
void BM_Download64MiB_PlainSocket(benchmark::State& s) {
    run<false>(s, rig().file64, "BENCH64.DAT");
}
void BM_Download1GiB_Link(benchmark::State& s) {
    run<true>(s, rig().file1g, "BENCH1G.DAT");
}
BENCHMARK(BM_Download64MiB_PlainSocket)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Download64MiB_Link)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_Download64MiB_Alternating)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->UseManualTime();
BENCHMARK(BM_Download1GiB_Link)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Keeps the runs to print the comparison after the table.
class ComparingReporter : public benchmark::ConsoleReporter {
  public:
    std::map<std::string, Run> runs;
    void ReportRuns(const std::vector<Run>& report) override {
        for (const auto& r : report) runs[r.run_name.function_name] = r;
        ConsoleReporter::ReportRuns(report);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ComparingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto rate = [&](const char* name) -> double {
        auto it = reporter.runs.find(name);
        if (it == reporter.runs.end() || it->second.error_occurred) return 0;
        auto c = it->second.counters.find("bytes_per_second");
        return c == it->second.counters.end() ? 0 : static_cast<double>(c->second);
    };
    auto counter = [&](const char* name, const char* key) -> double {
        auto it = reporter.runs.find(name);
        if (it == reporter.runs.end() || it->second.error_occurred) return -1;
        auto c = it->second.counters.find(key);
        return c == it->second.counters.end() ? -1 : static_cast<double>(c->second);
    };
    const double link = rate("BM_Download64MiB_Link"), plain = rate("BM_Download64MiB_PlainSocket");
    std::printf("\n");
    if (link > 0 && plain > 0)
        std::printf("throughput ratio, download path / plain socket, run apart: %.2f\n",
                    link / plain);
    if (const double r = counter("BM_Download64MiB_Alternating", "throughput_ratio"); r >= 0)
        std::printf(
            "throughput ratio, download path / plain socket, in turn: %.2f "
            "(goal at least 0.80)\n",
            r);
    if (const double g = counter("BM_Download64MiB_Link", "peak_growth_MiB"); g >= 0)
        std::printf("peak memory growth, 64 MiB download: %.1f MiB\n", g);
    if (const double g = counter("BM_Download1GiB_Link", "peak_growth_MiB"); g >= 0)
        std::printf("peak memory growth, 1 GiB download: %.1f MiB (goal under 16 MiB)\n", g);
    benchmark::Shutdown();
    return 0;
}
