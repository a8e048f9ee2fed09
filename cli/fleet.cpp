// SPDX-License-Identifier: MIT
#include "cli/fleet.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli/config_text.h"
#include "cli/exit_codes.h"
#include "cli/host_list.h"
#include "cli/invocation.h"
#include "cli/port_options.h"
#include "cli/session.h"
#include "cli/usage_error.h"
#include "core/i18n/text_encoding.h"
#include "core/link/link_operations.h"

extern char** environ;

namespace m350::cli {

namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxHostsFileBytes = 1u << 20;
// What is kept of one printer's output; the rest is read and dropped.
constexpr std::size_t kMaxCapturedBytes = 4u << 20;
constexpr int kMaxJobs = 256;

// A child process and what it has said so far.
struct Running {
    std::size_t index = 0;
    pid_t pid = -1;
    int outFd = -1, errFd = -1;
    Clock::time_point started;
    bool killed = false;
    Clock::time_point killedAt;
};

// A run past its time gets SIGTERM (a save in progress removes its temporary
// file), and SIGKILL when it has not ended this much later.
constexpr auto kTermGrace = std::chrono::seconds(1);

void appendCapped(std::string& to, const char* data, std::size_t n) {
    if (to.size() < kMaxCapturedBytes) to.append(data, std::min(n, kMaxCapturedBytes - to.size()));
}

// Drains what a pipe holds; false once it has reached its end.
bool drain(int& fd, std::string& to) {
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            appendCapped(to, buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        ::close(fd);
        fd = -1;
        return false;
    }
}

bool spawn(const std::vector<std::string>& args, Running& r, std::string& error) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // No printer's run may ask at the terminal: the answers would interleave.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    if (rc != 0) {
        error = std::strerror(rc);
        ::close(out[0]);
        ::close(err[0]);
        return false;
    }
    ::fcntl(out[0], F_SETFL, O_NONBLOCK);
    ::fcntl(err[0], F_SETFL, O_NONBLOCK);
    r.pid = pid;
    r.outFd = out[0];
    r.errFd = err[0];
    r.started = Clock::now();
    return true;
}

bool succeeded(const HostResult& r) {
    return !r.timedOut && r.exitCode == 0;
}

std::string secondsText(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f s", s);
    return buf;
}

// The result line of one printer, then its further output indented.
void printResult(std::FILE* out, const HostResult& r, double timeout) {
    std::string head = hostLabel(r.host) + "  ";
    std::vector<std::string_view> body;
    const auto outLines = textLines(r.out);
    auto errLines = textLines(r.err);
    if (succeeded(r)) {
        head += "ok";
        if (outLines.size() == 1) {
            head += "  " + std::string(outLines[0]);
        } else {
            body = outLines;
        }
        body.insert(body.end(), errLines.begin(), errLines.end());
    } else {
        if (r.timedOut) {
            head += "failed: no answer within " + secondsText(timeout);
        } else if (r.exitCode < 0) {
            head += "failed: ended by a signal";
        } else {
            head += "failed (exit " + std::to_string(r.exitCode) + ")";
        }
        if (!errLines.empty()) {
            head += "  " + std::string(errLines.front());
            errLines.erase(errLines.begin());
        }
        body = outLines;
        body.insert(body.end(), errLines.begin(), errLines.end());
    }
    std::fprintf(out, "%s\n", head.c_str());
    for (auto l : body) std::fprintf(out, "    %.*s\n", static_cast<int>(l.size()), l.data());
    std::fflush(out);
}

Json resultJson(const HostResult& r) {
    Json j;
    j["host"] = r.host.address;
    j["port"] = r.host.port;
    j["ok"] = succeeded(r);
    j["exit"] = r.exitCode;
    j["timedOut"] = r.timedOut;
    j["seconds"] = std::round(r.seconds * 1000.0) / 1000.0;
    // A command's own JSON stays JSON; other output is text.
    const Json parsed = Json::parse(r.out, nullptr, false);
    if (!parsed.is_discarded()) {
        j["output"] = parsed;
    } else {
        j["output"] = r.out;
    }
    j["error"] = r.err;
    return j;
}

// Text written to a memory stream, once it is closed.
class MemoryFile {
  public:
    MemoryFile() : file_(::open_memstream(&data_, &size_)) {}
    ~MemoryFile() {
        close();
        std::free(data_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::FILE* get() const { return file_; }
    std::string take() {
        close();
        return data_ ? std::string(data_, size_) : std::string();
    }

  private:
    void close() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_ = nullptr;
};

// One printer's run inside this process: its command line parsed afresh (so
// no two runs share a parsed option), its own session writing to memory, its
// network time limits capped by --host-timeout.
void runInProcess(const std::vector<std::string>& args, double hostTimeout, HostResult& res) {
    MemoryFile out, err;
    int code = kExitUsage;
    if (!out.get() || !err.get()) {
        res.err = "m350ctl: out of memory\n";
        res.exitCode = kExitIoError;
        return;
    }
    CLI::App app;
    Invocation inv;
    buildCommandLine(app, inv);
    // CLI11 takes the arguments last first, without the program name.
    std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
    try {
        app.parse(reversed);
        if (inv.action) {
            Session session(inv.port.result(), out.get(), err.get());
            session.language = inv.language;
            session.encoding = m350::chosenTextEncoding(inv.encoding, inv.language);
            session.json = inv.json || inv.fleet.json;
            if (inv.fleet.json) inv.json = true;
            if (hostTimeout > 0) {
                const int ms = static_cast<int>(std::ceil(hostTimeout * 1000.0));
                auto& t = session.context().timeouts;
                t.netConnectMs = std::min(t.netConnectMs, ms);
                t.netReadMs = std::min(t.netReadMs, ms);
                t.netWriteMs = std::min(t.netWriteMs, ms);
            }
            code = runWithTrace(session, inv);
        }
    } catch (const CLI::ParseError& e) {
        const UsageError usage =
            describeParseError(app, std::vector<std::string>(args.begin() + 1, args.end()), e);
        std::fprintf(err.get(), "m350ctl: %s\n", usage.message.c_str());
    }
    res.exitCode = code;
    res.out = out.take();
    res.err = err.take();
}

}  // namespace

void addFleetOptions(CLI::App& app, FleetOptions& o) {
    const char* group = "Many printers";
    auto* hosts = app.add_option("--hosts", o.hostsFile,
                                 "run the command against every network printer in FILE (one "
                                 "HOST[:PORT] a line, or the output of discover --json), in "
                                 "parallel; one result line per printer and a summary")
                      ->type_name("FILE")
                      ->group(group);
    app.add_option("--jobs", o.jobs, "with --hosts: printers worked on at once (default 8)")
        ->check(CLI::Range(1, kMaxJobs))
        ->group(group)
        ->needs(hosts);
    app.add_option("--host-timeout", o.hostTimeout,
                   "with --hosts: give up on a printer after SECONDS (default: the link's own "
                   "time limits)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 86400.0))
        ->group(group)
        ->needs(hosts);
    app.add_flag("--isolate", o.isolate,
                 "with --hosts: each printer in a process of its own (slower to start; "
                 "--host-timeout then ends a printer's run outright)")
        ->group(group)
        ->needs(hosts);
    for (const char* name : {"--usb", "--usb-device", "--com", "--lpt", "--net"})
        if (auto* opt = app.get_option_no_throw(name)) hosts->excludes(opt);
    if (!app.get_option_no_throw("--json"))
        app.add_flag("--json", o.json, "with --hosts: the results as one JSON document")
            ->group(group);
}

std::string hostLabel(const m350::NetAddress& a) {
    const bool v6 = a.address.find(':') != std::string::npos;
    return (v6 ? "[" + a.address + "]" : a.address) + ":" + std::to_string(a.port);
}

std::vector<std::string> childArguments(const std::vector<std::string>& argv,
                                        const m350::NetAddress& host) {
    std::vector<std::string> out;
    std::string fileLabel = hostLabel(host);
    std::replace(fileLabel.begin(), fileLabel.end(), ':', '_');
    bool optionsEnded = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        std::string a = argv[i];
        if (i == 0) {
            out.push_back(a);
            out.push_back("--net");
            out.push_back(hostLabel(host));
            continue;
        }
        if (!optionsEnded) {
            if (a == "--") {
                optionsEnded = true;
            } else if (a == "--isolate") {
                continue;
            } else if (a == "--hosts" || a == "--jobs" || a == "--host-timeout") {
                ++i;
                continue;
            } else if (a.rfind("--hosts=", 0) == 0 || a.rfind("--jobs=", 0) == 0 ||
                       a.rfind("--host-timeout=", 0) == 0) {
                continue;
            } else if (a == "--trace" && i + 1 < argv.size()) {
                // One trace file per printer: FILE.HOST_PORT.
                out.push_back(a);
                out.push_back(argv[++i] + "." + fileLabel);
                continue;
            } else if (a.rfind("--trace=", 0) == 0) {
                out.push_back(a + "." + fileLabel);
                continue;
            }
        }
        for (auto at = a.find("{host}"); at != std::string::npos;
             at = a.find("{host}", at + fileLabel.size()))
            a.replace(at, 6, fileLabel);
        out.push_back(std::move(a));
    }
    return out;
}

namespace {

// Prints the results in the file's order as they come in (text) and the
// summary or the JSON document at the end; the exit status.
class Reporter {
  public:
    Reporter(std::vector<HostResult>& results, double timeout, bool json)
        : results_(results), done_(results.size(), false), timeout_(timeout), json_(json) {}

    void finished(std::size_t index) {
        done_[index] = true;
        for (; printed_ < results_.size() && done_[printed_]; ++printed_)
            if (!json_) printResult(stdout, results_[printed_], timeout_);
    }
    bool allDone() const { return printed_ == results_.size(); }
    int summary(double seconds) const;

  private:
    std::vector<HostResult>& results_;
    std::vector<bool> done_;
    std::size_t printed_ = 0;
    double timeout_;
    bool json_;
};

int Reporter::summary(double total) const {
    const auto ok =
        static_cast<std::size_t>(std::count_if(results_.begin(), results_.end(), succeeded));
    const std::size_t failed = results_.size() - ok;
    if (json_) {
        Json j;
        j["printers"] = Json::array();
        for (const auto& r : results_) j["printers"].push_back(resultJson(r));
        j["summary"] = {{"printers", results_.size()},
                        {"ok", ok},
                        {"failed", failed},
                        {"seconds", std::round(total * 1000.0) / 1000.0}};
        std::fprintf(stdout, "%s\n", dumpJson(j).c_str());
    } else {
        std::fprintf(stdout, "%zu printers: %zu ok, %zu failed (%s)\n", results_.size(), ok, failed,
                     secondsText(total).c_str());
    }
    for (const auto& r : results_) {
        if (!succeeded(r)) {
            // A printer given up on did not answer in time, as the link says it.
            if (r.timedOut) return m350::kReceiveError;
            return r.exitCode < 0 ? kExitUnavailable : r.exitCode;
        }
    }
    return kExitOk;
}

// Every printer in a thread of this process, at most o.jobs at a time.
void runThreads(const std::vector<std::string>& argv, const std::vector<m350::NetAddress>& hosts,
                const FleetOptions& o, std::vector<HostResult>& results, Reporter& reporter) {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> ready(hosts.size(), false);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < hosts.size(); i = next++) {
            HostResult r;
            r.host = hosts[i];
            const auto started = Clock::now();
            runInProcess(childArguments(argv, hosts[i]), o.hostTimeout, r);
            r.seconds = std::chrono::duration<double>(Clock::now() - started).count();
            std::lock_guard<std::mutex> lock(mutex);
            results[i] = std::move(r);
            ready[i] = true;
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count = std::min(hosts.size(), static_cast<std::size_t>(o.jobs));
    for (std::size_t i = 0; i < count; ++i) workers.emplace_back(work);
    std::unique_lock<std::mutex> lock(mutex);
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        changed.wait(lock, [&] { return ready[i]; });
        reporter.finished(i);
    }
    lock.unlock();
    for (auto& w : workers) w.join();
}

}  // namespace

namespace {

// Every printer in a process of its own (this program again), at most
// o.jobs at a time; a run past --host-timeout is ended. kExitOk, or the
// exit status of a failure of this process itself.
int runProcesses(const std::vector<std::string>& argv, const std::vector<m350::NetAddress>& hosts,
                 const FleetOptions& o, std::vector<HostResult>& results, Reporter& reporter) {
    auto fail = [](int code, const std::string& message) {
        std::fprintf(stderr, "m350ctl: %s\n", message.c_str());
        return code;
    };
    std::string error;
    std::vector<bool> done(hosts.size(), false), reported(hosts.size(), false);
    std::vector<Running> running;
    std::size_t next = 0;
    const auto limit = std::chrono::duration<double>(o.hostTimeout);

    auto finish = [&](Running& r) {
        int status = 0;
        while (::waitpid(r.pid, &status, 0) < 0 && errno == EINTR) {
        }
        HostResult& res = results[r.index];
        // A run ended at its time limit did not answer in time, as the link
        // says it: 3.
        res.exitCode = r.killed            ? m350::kReceiveError
                       : WIFEXITED(status) ? WEXITSTATUS(status)
                                           : -1;
        res.timedOut = r.killed;
        res.seconds = std::chrono::duration<double>(Clock::now() - r.started).count();
        done[r.index] = true;
    };

    while (!reporter.allDone()) {
        while (running.size() < static_cast<std::size_t>(o.jobs) && next < hosts.size()) {
            Running r;
            r.index = next;
            results[next].host = hosts[next];
            if (!spawn(childArguments(argv, hosts[next]), r, error)) {
                results[next].err = "m350ctl: cannot start: " + error + "\n";
                results[next].exitCode = kExitUnavailable;
                done[next] = true;
            } else {
                running.push_back(r);
            }
            ++next;
        }
        for (std::size_t i = 0; i < hosts.size(); ++i)
            if (done[i] && !reported[i]) {
                reported[i] = true;
                reporter.finished(i);
            }
        if (running.empty()) continue;

        std::vector<pollfd> fds;
        for (const auto& r : running) {
            if (r.outFd >= 0) fds.push_back({r.outFd, POLLIN, 0});
            if (r.errFd >= 0) fds.push_back({r.errFd, POLLIN, 0});
        }
        int waitMs = 1000;
        if (o.hostTimeout > 0) {
            for (const auto& r : running) {
                if (r.killed) {
                    waitMs = std::min(waitMs, 100);
                    continue;
                }
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    r.started + limit - Clock::now());
                waitMs = std::clamp(static_cast<int>(left.count()) + 1, 0, waitMs);
            }
        }
        if (::poll(fds.data(), fds.size(), waitMs) < 0 && errno != EINTR)
            return fail(kExitIoError, std::string("poll: ") + std::strerror(errno));

        for (auto it = running.begin(); it != running.end();) {
            HostResult& res = results[it->index];
            if (it->outFd >= 0) drain(it->outFd, res.out);
            if (it->errFd >= 0) drain(it->errFd, res.err);
            if (o.hostTimeout > 0 && !it->killed && Clock::now() - it->started >= limit) {
                ::kill(it->pid, SIGTERM);
                it->killed = true;
                it->killedAt = Clock::now();
            } else if (it->killed && Clock::now() - it->killedAt >= kTermGrace) {
                ::kill(it->pid, SIGKILL);
            }
            if (it->outFd < 0 && it->errFd < 0) {
                finish(*it);
                it = running.erase(it);
            } else {
                ++it;
            }
        }
    }

    return kExitOk;
}

}  // namespace

int runFleet(const std::vector<std::string>& argv, const FleetOptions& o, bool json,
             bool inProcess) {
    auto fail = [](int code, const std::string& message) {
        std::fprintf(stderr, "m350ctl: %s\n", message.c_str());
        return code;
    };
    // NaN passes every range check and would mean no limit at all.
    if (!std::isfinite(o.hostTimeout) || o.hostTimeout < 0)
        return fail(kExitUsage, "--host-timeout: not a number of seconds");
    std::string text, error;
    if (!readWholeFile(o.hostsFile, text, error, kMaxHostsFileBytes))
        return fail(kExitNoInput, error);
    std::vector<m350::NetAddress> hosts;
    if (!parseHostList(text, hosts, error)) return fail(kExitDataError, o.hostsFile + ": " + error);
    if (hosts.empty()) return fail(kExitDataError, o.hostsFile + ": no printers in it");

    // A closed pipe to a finished printer's run must not end this process.
    ::signal(SIGPIPE, SIG_IGN);
    const auto begun = Clock::now();
    std::vector<HostResult> results(hosts.size());
    Reporter reporter(results, o.hostTimeout, json);
    // A thread cannot be ended from outside: with --host-timeout every
    // printer gets a process, so the limit ends its whole run.
    if (inProcess && !o.isolate && o.hostTimeout <= 0) {
        runThreads(argv, hosts, o, results, reporter);
    } else if (int r = runProcesses(argv, hosts, o, results, reporter); r != kExitOk) {
        return r;
    }
    return reporter.summary(std::chrono::duration<double>(Clock::now() - begun).count());
}

}  // namespace m350::cli
