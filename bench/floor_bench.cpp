// SPDX-License-Identifier: MIT
// Every figure against its floor, measured in the same run as interleaved
// pairs (ours, then the floor, then the floor first, ...) and reported as the
// median of each side, their ratio and the goal:
//
//   status and configuration read, in-process, TCP and pseudo-terminal, against
//     a raw client replaying the bytes m350ctl put on the wire;
//   m350ctl status and config read as processes, against the raw client process;
//   m350ctl send of a large file against a plain socket writing the same
//     512-byte chunks, both timed from the start of the process until this
//     program, the receiver, has read the last byte; peak resident memory of
//     both, and of m350ctl sending a small file (flat means the same);
//   the window's cold start until it is mapped on an X server of its own
//     (Xvfb), refused port, against a bare QMainWindow with a QTabWidget, with
//     resident memory at that moment.
//
// Lines "row|FIGURE|OURS|FLOOR|RATIO|GOAL" are read by scripts/bench.sh, which
// prints them as one table with the font figure (font_bench).
//
//   floor_bench [--pairs N] [--send-mib N] [--smoke]
//               [--ctl PATH] [--utility PATH]   (binaries to measure; default the build's)
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/config/config_read.h"
#include "core/config/config_record.h"
#include "core/link/link_operations.h"
#include "core/printer/status.h"
#include "raw_replay.h"
#include "support/sim_process.h"

#ifdef M350_BENCH_XCB
#include <xcb/xcb.h>
#endif

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int pairs = 10;
    std::uint64_t sendBytes = 64ull << 20;
    std::string ctl = M350_CTL_PATH;
    std::string utility = M350_UTILITY_PATH;
    std::string rawClient = M350_RAW_CLIENT_PATH;
    std::string bareWindow = M350_BARE_WINDOW_PATH;
};

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

void row(const std::string& figure, const std::string& ours, const std::string& floor, double ratio,
         const std::string& goal) {
    std::printf("row|%s|%s|%s|%s|%s\n", figure.c_str(), ours.c_str(), floor.c_str(),
                ratio > 0 ? fmt("%.2f", ratio).c_str() : "-", goal.c_str());
    std::fflush(stdout);
}

void skipped(const std::string& figure, const std::string& why) {
    std::printf("row|%s|skipped: %s|-|-|-\n", figure.c_str(), why.c_str());
    std::fflush(stdout);
}

// Runs ours and the floor in turn, pairs times, the order swapped each pair;
// each returns its seconds (negative: it failed). Medians, or false.
bool pairs(int n, const std::function<double()>& ours, const std::function<double()>& floor,
           double& oursMedian, double& floorMedian) {
    std::vector<double> a, b;
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < 2; ++k) {
            const bool oursNow = (k == 0) == (i % 2 == 0);
            const double t = oursNow ? ours() : floor();
            if (t < 0) return false;
            (oursNow ? a : b).push_back(t);
        }
    }
    oursMedian = median(a);
    floorMedian = median(b);
    return true;
}

// --- processes --------------------------------------------------------------

struct Child {
    pid_t pid = -1;
    Clock::time_point start;
};

Child spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) {
        const std::string kv = *e;
        const std::string key = kv.substr(0, kv.find('='));
        bool overridden = false;
        for (const auto& x : env) overridden |= x.compare(0, key.size() + 1, key + "=") == 0;
        if (!overridden) envText.push_back(kv);
    }
    envText.insert(envText.end(), env.begin(), env.end());
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    Child c;
    c.start = Clock::now();
    if (posix_spawn(&c.pid, args[0], &fa, nullptr, args.data(), envp.data()) != 0) c.pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return c;
}

struct Ended {
    bool ok = false;
    double seconds = 0;
    double peakMiB = 0;
};

Ended waitFor(const Child& c) {
    Ended e;
    if (c.pid < 0) return e;
    int status = 0;
    rusage use{};
    if (::wait4(c.pid, &status, 0, &use) != c.pid) return e;
    e.seconds = seconds(c.start, Clock::now());
    e.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    e.peakMiB = static_cast<double>(use.ru_maxrss) / 1024.0;
    return e;
}

double runProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {}) {
    const Ended e = waitFor(spawn(argv, env));
    return e.ok ? e.seconds : -1;
}

// --- scripts from the simulator's transcript -----------------------------------

struct Recording {
    std::vector<m350bench::Script> connections;  // one script per connection, in order
};

// Turns the transcript lines after offset into one script per connection: what
// the simulator received is what we wrote, what it sent is what we read.
Recording parseTranscript(const std::string& path, std::size_t offset) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::map<int, std::size_t> index;
    Recording r;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int id = 0;
        std::string what, hex;
        fields >> id >> what >> hex;
        if (what != "RX" && what != "TX") continue;
        auto [it, fresh] = index.emplace(id, r.connections.size());
        if (fresh) r.connections.emplace_back();
        m350bench::Script& s = r.connections[it->second];
        const std::string bytes = m350test::decodeHex(hex);
        const bool write = what == "RX";
        if (s.empty() || s.back().write != write) s.push_back({write, {}, 0});
        if (write)
            s.back().bytes += bytes;
        else
            s.back().count += bytes.size();
    }
    return r;
}

std::size_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

// --- the figures -----------------------------------------------------------------

struct Rig {
    Options opt;
    std::string dir;
    m350test::SimProcess recorder{recorderOptions()};
    m350test::SimProcess sim{timingOptions()};

    static m350test::SimProcess::Options recorderOptions() {
        m350test::SimProcess::Options o;
        o.pty = true;
        return o;
    }
    static m350test::SimProcess::Options timingOptions() {
        m350test::SimProcess::Options o;
        o.pty = true;
        o.transcript = false;
        return o;
    }

    // m350ctl's connection options for one of the two simulators.
    std::vector<std::string> ctlPort(const m350test::SimProcess& s, bool tcp) const {
        if (tcp) return {"--net", "127.0.0.1:" + std::to_string(s.tcpPort())};
        return {"--com", "COM1"};
    }
    std::vector<std::string> ctlEnv(const m350test::SimProcess& s) const {
        return {"M350_COM1=" + s.ptyPath()};
    }
};

// What m350ctl put on the wire for a command, replayed by the raw client.
bool record(Rig& rig, const std::vector<std::string>& command, bool tcp, Recording& out) {
    rig.recorder.waitForQuiet(100, 3000);
    const std::size_t offset = fileSize(rig.recorder.transcriptPath());
    std::vector<std::string> argv = {rig.opt.ctl};
    for (const auto& a : rig.ctlPort(rig.recorder, tcp)) argv.push_back(a);
    argv.insert(argv.end(), command.begin(), command.end());
    if (runProcess(argv, rig.ctlEnv(rig.recorder)) < 0) return false;
    // A terminal's bytes reach the transcript a little after m350ctl has gone:
    // wait until every connection ends with what the printer answered.
    auto complete = [&] {
        if (out.connections.empty()) return false;
        for (const auto& script : out.connections)
            if (script.empty() || script.back().write) return false;
        return true;
    };
    for (int i = 0; i < 100; ++i) {
        rig.recorder.waitForQuiet(50, 3000);
        out = parseTranscript(rig.recorder.transcriptPath(), offset);
        if (complete()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

double replayInProcess(const Rig& rig, const Recording& rec, bool tcp) {
    const auto t0 = Clock::now();
    for (const auto& script : rec.connections) {
        const int fd = tcp ? m350bench::connectLoopback(rig.sim.tcpPort())
                           : m350bench::openRawTerminal(rig.sim.ptyPath());
        if (fd < 0) return -1;
        const bool ok = m350bench::replay(fd, script);
        ::close(fd);
        if (!ok) return -1;
    }
    return seconds(t0, Clock::now());
}

double ourOperation(const Rig& rig, bool tcp, bool config) {
    m350::PortSettings settings;
    settings.net = {"127.0.0.1", rig.sim.tcpPort()};
    settings.serial.portName = "COM1";
    m350::LinkContext ctx;
    ctx.settings = &settings;
    ctx.timeouts.progressHideMs = 0;
    ctx.serialLockDir = rig.dir;
    const int iface = tcp ? m350::kEthernet : m350::kCom;
    const auto t0 = Clock::now();
    int r = 0;
    if (config) {
        m350::ConfigRecord record;
        r = m350::runOperation(ctx, m350::kOpReadConfig, iface,
                               [&](m350::Link& l) { return m350::readConfig(l, record); });
    } else {
        m350::StatusFlags flags{};
        r = m350::runOperation(ctx, m350::kOpStatus, iface,
                               [&](m350::Link& l) { return m350::readStatus(l, flags); });
    }
    return r == m350::kOk ? seconds(t0, Clock::now()) : -1;
}

void exchanges(Rig& rig) {
    struct Case {
        const char* figure;
        std::vector<std::string> command;
        bool config;
        bool tcp;
    };
    const Case cases[] = {
        {"status, in-process, TCP", {"status"}, false, true},
        {"config read, in-process, TCP", {"config", "read"}, true, true},
        {"status, in-process, pty", {"status"}, false, false},
        {"config read, in-process, pty", {"config", "read"}, true, false},
    };
    std::map<std::string, Recording> recorded;
    for (const Case& c : cases) {
        Recording rec;
        if (!record(rig, c.command, c.tcp, rec)) {
            skipped(c.figure, "m350ctl could not be recorded");
            continue;
        }
        recorded[std::string(c.config ? "config" : "status") + (c.tcp ? "tcp" : "pty")] = rec;
        double ours = 0, floor = 0;
        if (!pairs(
                rig.opt.pairs, [&] { return ourOperation(rig, c.tcp, c.config); },
                [&] { return replayInProcess(rig, rec, c.tcp); }, ours, floor)) {
            skipped(c.figure, "an exchange failed");
            continue;
        }
        row(c.figure, fmt("%.2f ms", ours * 1e3), fmt("%.2f ms", floor * 1e3), ours / floor,
            "<= 1.5");
    }

    // The same as whole processes: m350ctl against the raw client replaying
    // what it recorded.
    for (const bool config : {false, true}) {
        const char* figure =
            config ? "m350ctl config read, process, TCP" : "m350ctl status, process, TCP";
        auto it = recorded.find(std::string(config ? "config" : "status") + "tcp");
        if (it == recorded.end() || it->second.connections.size() != 1) {
            skipped(figure, "no single-connection recording");
            continue;
        }
        const std::string script = rig.dir + (config ? "/config.script" : "/status.script");
        writeFile(script, m350bench::encodeScript(it->second.connections[0]));
        std::vector<std::string> ctl = {rig.opt.ctl};
        for (const auto& a : rig.ctlPort(rig.sim, true)) ctl.push_back(a);
        if (config) {
            ctl.insert(ctl.end(), {"config", "read"});
        } else {
            ctl.push_back("status");
        }
        const std::vector<std::string> raw = {rig.opt.rawClient, "replay", script, "tcp",
                                              std::to_string(rig.sim.tcpPort())};
        double ours = 0, floor = 0;
        if (!pairs(
                rig.opt.pairs, [&] { return runProcess(ctl); }, [&] { return runProcess(raw); },
                ours, floor)) {
            skipped(figure, "a run failed");
            continue;
        }
        row(figure, fmt("%.2f ms", ours * 1e3), fmt("%.2f ms", floor * 1e3), ours / floor,
            "<= 1.5");
    }
}

// --- the send -----------------------------------------------------------------

// Accepts one connection at a time and reads it to its end; the time is when
// the last of the expected bytes was read.
class Receiver {
  public:
    Receiver() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 4) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        port_ = ntohs(a.sin_port);
    }
    ~Receiver() {
        if (fd_ >= 0) ::close(fd_);
    }
    int port() const { return port_; }

    // Reads one connection; false when it does not come within 10 s or
    // carries other than expected bytes.
    bool take(std::uint64_t expected, Clock::time_point& lastByte) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return false;
        const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) return false;
        std::vector<char> buf(256 * 1024);
        std::uint64_t got = 0;
        for (;;) {
            const ssize_t n = ::read(c, buf.data(), buf.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::uint64_t>(n);
            if (got == expected) lastByte = Clock::now();
        }
        ::close(c);
        return got == expected;
    }

  private:
    int fd_ = -1;
    int port_ = 0;
};

bool makeRandomFile(const std::string& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary);
    std::mt19937_64 gen(size);
    std::vector<std::uint64_t> block(8192);
    for (std::uint64_t done = 0; done < size;) {
        for (auto& w : block) w = gen();
        const auto n = std::min<std::uint64_t>(size - done, block.size() * sizeof block[0]);
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        done += n;
    }
    return static_cast<bool>(out);
}

// Reads what a terminal's master side or a FIFO delivers until expected bytes
// came; lastByte is when the last of them was read. False after 10 s of
// silence.
bool drainFd(int fd, std::uint64_t expected, Clock::time_point& lastByte) {
    std::vector<char> buf(256 * 1024);
    std::uint64_t got = 0;
    auto quietSince = Clock::now();
    while (got < expected) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 100);
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n > 0) {
            got += static_cast<std::uint64_t>(n);
            quietSince = Clock::now();
            continue;
        }
        // Nothing yet (no writer on the FIFO, or one between its writes).
        if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) return false;
        if (Clock::now() - quietSince > std::chrono::seconds(10)) return false;
        if (n == 0 || errno == EIO) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    lastByte = Clock::now();
    return got == expected;
}

// A link kind for the send: how m350ctl reaches it, how the plain writer
// does, and how this program reads what they send.
struct SendLink {
    std::string name;
    std::vector<std::string> ctlPort;  // m350ctl's port options
    std::vector<std::string> ctlEnv;
    std::vector<std::string> plain;  // the plain writer's arguments after the file
    std::function<bool(std::uint64_t, Clock::time_point&)> take;
    const char* writes;
};

void sendOver(Rig& rig, const SendLink& link, const std::string& big, const std::string& small,
              std::uint64_t smallSize) {
    auto timed = [&](const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     std::uint64_t size, double& peak) {
        Clock::time_point last{};
        bool received = false;
        std::thread t([&] { received = link.take(size, last); });
        const Child c = spawn(argv, env);
        const Ended e = waitFor(c);
        t.join();
        if (!e.ok || !received) return -1.0;
        peak = e.peakMiB;
        return seconds(c.start, last);
    };
    std::vector<std::string> ctl = {rig.opt.ctl};
    ctl.insert(ctl.end(), link.ctlPort.begin(), link.ctlPort.end());
    std::vector<std::string> ctlSmall = ctl;
    ctl.insert(ctl.end(), {"send", big});
    ctlSmall.insert(ctlSmall.end(), {"send", small});
    std::vector<std::string> raw = {rig.opt.rawClient, link.plain[0], big};
    raw.insert(raw.end(), link.plain.begin() + 1, link.plain.end());
    std::vector<double> oursPeak, floorPeak;
    double ours = 0, floor = 0;
    const bool ok = pairs(
        rig.opt.pairs,
        [&] {
            double p = 0;
            const double t = timed(ctl, link.ctlEnv, rig.opt.sendBytes, p);
            oursPeak.push_back(p);
            return t;
        },
        [&] {
            double p = 0;
            const double t = timed(raw, {}, rig.opt.sendBytes, p);
            floorPeak.push_back(p);
            return t;
        },
        ours, floor);
    const double mib = static_cast<double>(rig.opt.sendBytes) / (1 << 20);
    const std::string figure =
        "m350ctl send " + fmt("%.0f", mib) + " MiB, " + link.name + ", " + link.writes;
    if (!ok) {
        skipped(figure, "a send failed");
        return;
    }
    row(figure + " (throughput)", fmt("%.0f MiB/s", mib / ours), fmt("%.0f MiB/s", mib / floor),
        floor / ours, ">= 0.90");
    if (link.name != "TCP") return;
    row(figure + " (peak RSS)", fmt("%.1f MiB", median(oursPeak)),
        fmt("%.1f MiB", median(floorPeak)), median(oursPeak) / median(floorPeak), "report");
    // Flat: sending the large file holds no more than sending a small one.
    std::vector<double> smallPeak;
    for (int i = 0; i < std::max(3, rig.opt.pairs / 3); ++i) {
        double p = 0;
        if (timed(ctlSmall, link.ctlEnv, smallSize, p) < 0) break;
        smallPeak.push_back(p);
    }
    if (smallPeak.empty()) {
        skipped("m350ctl send memory, large / 1 MiB file", "a send failed");
        return;
    }
    row("m350ctl send peak RSS, " + fmt("%.0f", mib) + " MiB / 1 MiB file",
        fmt("%.1f MiB", median(oursPeak)), fmt("%.1f MiB", median(smallPeak)),
        median(oursPeak) / median(smallPeak), "<= 1.10 (flat)");
}

void send(Rig& rig) {
    const std::string big = rig.dir + "/send.bin";
    const std::string small = rig.dir + "/small.bin";
    const std::uint64_t smallSize = 1u << 20;
    if (!makeRandomFile(big, rig.opt.sendBytes) || !makeRandomFile(small, smallSize)) {
        skipped("m350ctl send", "no room for the file");
        return;
    }

    // TCP: the bench accepts the connection, against a plain socket writing
    // the same 512-byte chunks.
    Receiver receiver;
    if (receiver.port() == 0) {
        skipped("m350ctl send, TCP", "no listening socket");
    } else {
        const std::string port = std::to_string(receiver.port());
        sendOver(rig,
                 {"TCP",
                  {"--net", "127.0.0.1:" + port},
                  {},
                  {"send", port},
                  [&](std::uint64_t n, Clock::time_point& t) { return receiver.take(n, t); },
                  "512-byte writes"},
                 big, small, smallSize);
    }

    // A pseudo-terminal as COM1 (64-byte writes, then the drain), against a
    // plain writer of the same chunks on the same terminal.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        skipped("m350ctl send, pty", "no pseudo-terminal");
    } else {
        termios t{};
        ::tcgetattr(master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
        const std::string slave = ::ptsname(master);
        // Held open here, so the terminal stays while no writer has it.
        const int keep = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        sendOver(rig,
                 {"pty",
                  {"--com", "COM7"},
                  {"M350_COM7=" + slave},
                  {"write", slave, "64"},
                  [&](std::uint64_t n, Clock::time_point& tp) { return drainFd(master, n, tp); },
                  "64-byte writes"},
                 big, small, smallSize);
        if (keep >= 0) ::close(keep);
    }
    if (master >= 0) ::close(master);

    // A FIFO as the parallel port (its port's 64 KiB writes), against a plain
    // writer of the same blocks.
    const std::string fifo = rig.dir + "/lpt.fifo";
    const int reader = ::mkfifo(fifo.c_str(), 0600) == 0
                           ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)
                           : -1;
    if (reader < 0) {
        skipped("m350ctl send, FIFO", "no FIFO");
    } else {
        sendOver(rig,
                 {"FIFO",
                  {"--lpt", fifo},
                  {},
                  {"write", fifo, "65536"},
                  [&](std::uint64_t n, Clock::time_point& tp) { return drainFd(reader, n, tp); },
                  "64 KiB writes"},
                 big, small, smallSize);
        ::close(reader);
    }
}

// --- the window ---------------------------------------------------------------

#ifdef M350_BENCH_XCB
std::string findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string d;
    while (std::getline(dirs, d, ':')) {
        const std::string p = d + "/" + name;
        if (::access(p.c_str(), X_OK) == 0) return p;
    }
    return {};
}

// An X server of the bench's own, so no desktop's compositor or window manager
// takes part.
class XServer {
  public:
    bool start(std::string& why) {
        const std::string xvfb = findProgram("Xvfb");
        if (xvfb.empty()) {
            why = "no Xvfb";
            return false;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(fds[1], 3);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl(xvfb.c_str(), "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp", "-nolisten", "unix", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        char ch = 0;
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &ch, 1) == 1 && ch != '\n')
            number.push_back(ch);
        ::close(fds[0]);
        if (number.empty()) {
            why = "Xvfb did not start";
            return false;
        }
        display_ = ":" + number;
        conn_ = xcb_connect(display_.c_str(), nullptr);
        if (xcb_connection_has_error(conn_)) {
            why = "cannot reach Xvfb";
            return false;
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(conn_);
        return true;
    }
    ~XServer() {
        if (conn_) xcb_disconnect(conn_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

    // Waits for a top-level window to be mapped; false after limitMs.
    bool waitForMap(int limitMs) {
        const auto until = Clock::now() + std::chrono::milliseconds(limitMs);
        for (;;) {
            while (xcb_generic_event_t* ev = xcb_poll_for_event(conn_)) {
                const bool mapped =
                    (ev->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                    !reinterpret_cast<xcb_map_notify_event_t*>(ev)->override_redirect;
                std::free(ev);
                if (mapped) return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0) return false;
            pollfd p{xcb_get_file_descriptor(conn_), POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(left));
        }
    }

  private:
    pid_t pid_ = -1;
    std::string display_;
    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = 0;
};

double residentMiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

void window(Rig& rig) {
    const char* figure = "window cold start to mapped";
    XServer x;
    std::string why;
    if (!x.start(why)) {
        skipped(figure, why);
        return;
    }
    const std::vector<std::string> env = {"DISPLAY=" + x.display(), "QT_QPA_PLATFORM=xcb",
                                          "XDG_CONFIG_HOME=" + rig.dir + "/config",
                                          "QT_ACCESSIBILITY=0", "NO_AT_BRIDGE=1"};
    std::vector<double> oursRss, floorRss;
    auto start = [&](const std::vector<std::string>& argv, std::vector<double>& rss) {
        const Child c = spawn(argv, env);
        if (c.pid < 0) return -1.0;
        const bool mapped = x.waitForMap(20000);
        const double t = seconds(c.start, Clock::now());
        rss.push_back(residentMiB(c.pid));
        ::kill(c.pid, SIGTERM);
        ::waitpid(c.pid, nullptr, 0);
        return mapped ? t : -1.0;
    };
    const std::vector<std::string> ours = {rig.opt.utility, "--interface", "ethernet", "--address",
                                           "127.0.0.1:1"};
    const std::vector<std::string> bare = {rig.opt.bareWindow};
    double o = 0, f = 0;
    if (!pairs(
            rig.opt.pairs, [&] { return start(ours, oursRss); },
            [&] { return start(bare, floorRss); }, o, f)) {
        skipped(figure, "a window did not map within 20 s");
        return;
    }
    row(std::string(figure) + " (time)", fmt("%.0f ms", o * 1e3), fmt("%.0f ms", f * 1e3), o / f,
        "<= 2.0");
    row(std::string(figure) + " (RSS)", fmt("%.1f MiB", median(oursRss)),
        fmt("%.1f MiB", median(floorRss)), median(oursRss) / median(floorRss), "<= 1.5");
}
#else
void window(Rig&) {
    skipped("window cold start to mapped", "built without xcb");
}
#endif

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    std::vector<std::string> only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--smoke") {
            opt.pairs = 2;
            opt.sendBytes = 4u << 20;
        } else if (a == "--pairs") {
            opt.pairs = std::max(1, std::atoi(next().c_str()));
        } else if (a == "--send-mib") {
            opt.sendBytes = static_cast<std::uint64_t>(std::max(1, std::atoi(next().c_str())))
                            << 20;
        } else if (a == "--ctl") {
            opt.ctl = next();
        } else if (a == "--utility") {
            opt.utility = next();
        } else if (a == "--only") {
            only.push_back(next());
        } else {
            std::fprintf(stderr,
                         "usage: floor_bench [--smoke] [--pairs N] [--send-mib N] [--ctl PATH] "
                         "[--utility PATH] [--only exchanges|send|window]...\n");
            return 2;
        }
    }
    auto wanted = [&](const char* part) {
        return only.empty() || std::find(only.begin(), only.end(), part) != only.end();
    };
    ::signal(SIGPIPE, SIG_IGN);
    char templ[] = "/tmp/m350-floor-XXXXXX";
    if (!::mkdtemp(templ)) return 1;
    Rig rig{opt, templ};
    if (!rig.sim.ok() || !rig.recorder.ok()) {
        std::fprintf(stderr, "floor_bench: the simulator did not start: %s\n",
                     (rig.sim.ok() ? rig.recorder : rig.sim).error().c_str());
        return 1;
    }
    // The in-process serial port finds the simulator's terminal as COM1.
    ::setenv("M350_COM1", rig.sim.ptyPath().c_str(), 1);
    std::printf("pairs %d, medians\n", opt.pairs);
    if (wanted("exchanges")) exchanges(rig);
    if (wanted("send")) send(rig);
    if (wanted("window")) window(rig);
    rig.sim.stop();
    rig.recorder.stop();
    std::error_code ignored;
    std::filesystem::remove_all(rig.dir, ignored);
    return 0;
}
