// SPDX-License-Identifier: MIT
#include "sim_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#ifndef M350_SIM_PATH
#error "M350_SIM_PATH must name the m350-printer-sim binary"
#endif

namespace m350test {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

std::string decodeHex(const std::string& hex) {
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return 0;
    };
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
    return out;
}

SimProcess::SimProcess(std::vector<std::string> extraArgs, bool pty) {
    Options o;
    o.args = std::move(extraArgs);
    o.pty = pty;
    start(o);
}

SimProcess::SimProcess(const Options& options) {
    start(options);
}

void SimProcess::start(const Options& options) {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/m350::sim-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) {
        error_ = std::string("mkdtemp: ") + std::strerror(errno);
        return;
    }
    dir_ = buf.data();
    const std::string ready = dir_ + "/ready.txt";
    const std::string log = dir_ + "/sim.log";

    std::vector<std::string> args = {M350_SIM_PATH, "--tcp", "127.0.0.1:0", "--ready-file", ready};
    if (options.transcript) {
        args.push_back("--transcript");
        args.push_back(transcriptPath());
    }
    if (options.pty) {
        args.push_back("--pty");
        args.push_back("--pty-link");
        args.push_back(dir_ + "/tty");
    }
    if (options.parallel) {
        args.push_back("--parallel");
        args.push_back(dir_ + "/lpt");
    }
    args.insert(args.end(), options.args.begin(), options.args.end());
    // Everything the child needs is prepared before fork: it only redirects and execs.
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_t parent = ::getpid();

    pid_t pid = ::fork();
    if (pid < 0) {
        error_ = std::string("fork: ") + std::strerror(errno);
        if (logFd >= 0) ::close(logFd);
        return;
    }
    if (pid == 0) {
        // Do not outlive a test process that dies without stopping us.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        if (logFd >= 0) {
            ::dup2(logFd, 1);
            ::dup2(logFd, 2);
        }
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) ::dup2(devnull, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    if (logFd >= 0) ::close(logFd);
    pid_ = pid;

    // Wait for the ready file, at most 10 s.
    for (int waited = 0; waited < 10000; waited += 10) {
        struct stat st {};
        if (::stat(ready.c_str(), &st) == 0) break;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            error_ = "simulator exited early: " + readFile(log);
            return;
        }
        sleepMs(10);
    }
    std::istringstream lines(readFile(ready));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("tcp ", 0) == 0) {
            auto colon = line.rfind(':');
            tcpPort_ = std::atoi(line.c_str() + colon + 1);
        } else if (line.rfind("pty ", 0) == 0) {
            ptyPath_ = line.substr(4);
        } else if (line.rfind("parallel ", 0) == 0) {
            parallelPath_ = line.substr(9);
        } else if (line.rfind("udp ", 0) == 0) {
            udpPort_ = std::atoi(line.c_str() + line.rfind(':') + 1);
        }
    }
    if (tcpPort_ <= 0) {
        error_ = "simulator did not become ready within 10 s: " + readFile(log);
        stop();
        return;
    }
    ok_ = true;
}

SimProcess::~SimProcess() {
    stop();
    if (dir_.empty()) return;
    // M350_KEEP_TRANSCRIPTS=DIR keeps what every connection received, one file
    // per connection, so that two runs of the suite can be compared byte for byte.
    if (const char* keep = std::getenv("M350_KEEP_TRANSCRIPTS"); keep && *keep) {
        static int serial = 0;
        int n = 0;
        for (const auto& c : transcript()) {
            std::string name = std::string(keep) + "/" + std::to_string(::getpid()) + "-" +
                               std::to_string(serial) + "-" + std::to_string(n++) + "." + c.kind;
            std::ofstream(name, std::ios::binary) << c.rx;
        }
        ++serial;
    }
    if (DIR* d = ::opendir(dir_.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") ::unlink((dir_ + "/" + name).c_str());
        }
        ::closedir(d);
    }
    ::rmdir(dir_.c_str());
}

void SimProcess::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int waited = 0; waited < 5000; waited += 10) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        sleepMs(10);
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::vector<SimProcess::Connection> SimProcess::transcript() const {
    std::vector<Connection> out;
    std::map<int, std::size_t> index;
    std::istringstream in(readFile(transcriptPath()));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int id = 0;
        std::string what, detail;
        if (!(fields >> id >> what)) continue;
        fields >> detail;
        auto it = index.find(id);
        if (it == index.end()) {
            index[id] = out.size();
            out.push_back(Connection{});
            out.back().id = id;
            it = index.find(id);
        }
        Connection& c = out[it->second];
        if (what == "OPEN")
            c.kind = detail;
        else if (what == "RX")
            c.rx += decodeHex(detail);
        else if (what == "TX")
            c.tx += decodeHex(detail);
        else if (what == "CLOSE")
            c.closed = true;
    }
    return out;
}

bool SimProcess::waitForQuiet(int quietMs, int timeoutMs) const {
    std::size_t lastCount = 0;
    int quietFor = 0;
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        auto t = transcript();
        bool allClosed = true;
        for (const auto& c : t) allClosed = allClosed && c.closed;
        if (allClosed && t.size() == lastCount) {
            quietFor += 10;
            if (quietFor >= quietMs) return true;
        } else {
            quietFor = 0;
        }
        lastCount = t.size();
        sleepMs(10);
    }
    return false;
}

bool SimProcess::waitForClosed(std::size_t count, int timeoutMs) const {
    for (int waited = 0;; waited += 10) {
        std::size_t closed = 0;
        for (const auto& c : transcript()) closed += c.closed ? 1 : 0;
        if (closed >= count) return true;
        if (waited >= timeoutMs) return false;
        sleepMs(10);
    }
}

std::string SimProcess::log() const {
    return dir_.empty() ? std::string() : readFile(dir_ + "/sim.log");
}

bool SimProcess::waitForLog(const std::string& text, int timeoutMs) const {
    for (int waited = 0;; waited += 10) {
        if (log().find(text) != std::string::npos) return true;
        if (waited >= timeoutMs) return false;
        sleepMs(10);
    }
}

std::string SimProcess::allRx() const {
    std::string all;
    for (const auto& c : transcript()) all += c.rx;
    return all;
}

}  // namespace m350test
