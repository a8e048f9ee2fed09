// SPDX-License-Identifier: MIT
#include "server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace m350::sim {

namespace {

int g_wakePipe[2] = {-1, -1};
volatile sig_atomic_t g_stop = 0;

void onStopSignal(int) {
    g_stop = 1;
    if (g_wakePipe[1] >= 0) {
        char b = 1;
        [[maybe_unused]] ssize_t r = ::write(g_wakePipe[1], &b, 1);
    }
}

void setNonBlocking(int fd) {
    int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

std::string hex(const char* data, std::size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(n * 2);
    for (std::size_t i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 15]);
    }
    return s;
}

bool writeAll(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Puts a terminal into raw mode: no echo, no line editing, no CR/LF translation.
void makeRaw(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return;
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

void installStopSignals() {
    if (g_wakePipe[0] < 0 && ::pipe(g_wakePipe) == 0) {
        setNonBlocking(g_wakePipe[0]);
        setNonBlocking(g_wakePipe[1]);
        ::fcntl(g_wakePipe[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(g_wakePipe[1], F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() {
    return g_stop != 0;
}

// ---- Transcript -----------------------------------------------------------------

bool Transcript::open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

Transcript::~Transcript() {
    if (fd_ >= 0) ::close(fd_);
}

void Transcript::event(int id, const char* what, const std::string& detail) {
    if (fd_ < 0) return;
    std::string line = std::to_string(id) + " " + what;
    if (!detail.empty()) line += " " + detail;
    line += "\n";
    // One write per line with O_APPEND: a reader never sees half a line merged
    // with another, and nothing waits in a buffer when the process is killed.
    writeAll(fd_, line);
}

void Transcript::bytes(int id, const char* dir, const char* data, std::size_t n) {
    if (n > 0) event(id, dir, hex(data, n));
}

// ---- Server ---------------------------------------------------------------------

Server::Server(Printer& printer, std::vector<Fault> faults, ServerOptions options)
    : printer_(printer), faults_(std::move(faults)), opt_(std::move(options)) {}

Server::~Server() {
    for (auto& c : conns_)
        if (!c->dead && c->kind == Kind::Tcp && c->fd >= 0) ::close(c->fd);
    if (listenFd_ >= 0) ::close(listenFd_);
    if (ptyMaster_ >= 0) ::close(ptyMaster_);
    if (fifoFd_ >= 0) ::close(fifoFd_);
    if (udpFd_ >= 0) ::close(udpFd_);
}

bool Server::start(std::string& error) {
    if (!opt_.transcript.empty() && !transcript_.open(opt_.transcript)) {
        error = "cannot open transcript " + opt_.transcript + ": " + std::strerror(errno);
        return false;
    }
    if (!opt_.tcp.empty() && !openTcp(error)) return false;
    if (opt_.pty && !openPty(error)) return false;
    if (!opt_.parallel.empty() && !openParallel(error)) return false;
    if (!opt_.udp.empty() && !openUdp(error)) return false;
    if (ready_.empty()) {
        error = "nothing to listen on: give --tcp, --pty, --parallel or --udp";
        return false;
    }
    writeReady();
    return true;
}

bool Server::openTcp(std::string& error) {
    auto colon = opt_.tcp.rfind(':');
    if (colon == std::string::npos) {
        error = "--tcp wants HOST:PORT";
        return false;
    }
    std::string host = opt_.tcp.substr(0, colon);
    std::string port = opt_.tcp.substr(colon + 1);
    if (host == "localhost") host = "127.0.0.1";
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535) {
        error = "bad port in --tcp " + opt_.tcp;
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
    // The simulator serves this machine only: loopback addresses, nothing else.
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1 ||
        (ntohl(addr.sin_addr.s_addr) >> 24) != 127) {
        error = "--tcp host must be a loopback IPv4 address (127.x.x.x): " + host;
        return false;
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 16) != 0) {
        error = "cannot listen on " + opt_.tcp + ": " + std::strerror(errno);
        return false;
    }
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    ready_.push_back("tcp " + host + ":" + std::to_string(ntohs(addr.sin_port)));
    return true;
}

bool Server::openPty(std::string& error) {
    ptyMaster_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (ptyMaster_ < 0 || ::grantpt(ptyMaster_) != 0 || ::unlockpt(ptyMaster_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (::ptsname_r(ptyMaster_, name, sizeof name) != 0) {
        error = "ptsname failed";
        return false;
    }
    ptyName_ = name;
    // Open the slave once to put it into raw mode, then let go of it: from then on
    // the master reads EIO until the host opens the device, which is how we tell a
    // connection from none.
    int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        makeRaw(slave);
        ::close(slave);
    }
    if (!opt_.ptyLink.empty()) {
        std::string tmp = opt_.ptyLink + ".tmp" + std::to_string(::getpid());
        ::unlink(tmp.c_str());
        if (::symlink(name, tmp.c_str()) != 0 || ::rename(tmp.c_str(), opt_.ptyLink.c_str()) != 0) {
            error = "cannot link " + opt_.ptyLink + ": " + std::strerror(errno);
            return false;
        }
    }
    ready_.push_back("pty " + ptyName_);
    return true;
}

bool Server::openParallel(std::string& error) {
    struct stat st {};
    if (::stat(opt_.parallel.c_str(), &st) == 0) {
        if (!S_ISFIFO(st.st_mode)) {
            error = opt_.parallel + " exists and is not a FIFO";
            return false;
        }
    } else if (::mkfifo(opt_.parallel.c_str(), 0666) != 0) {
        error = "cannot create FIFO " + opt_.parallel + ": " + std::strerror(errno);
        return false;
    }
    fifoFd_ = ::open(opt_.parallel.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fifoFd_ < 0) {
        error = "cannot open " + opt_.parallel + ": " + std::strerror(errno);
        return false;
    }
    ready_.push_back("parallel " + opt_.parallel);
    return true;
}

void Server::reopenParallel() {
    // A FIFO whose writer has gone reports hang-up until it is opened afresh.
    if (fifoFd_ >= 0) ::close(fifoFd_);
    fifoFd_ = ::open(opt_.parallel.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

void Server::writeReady() {
    std::string text;
    for (const auto& l : ready_) text += l + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (opt_.readyFile.empty()) return;
    std::string tmp = opt_.readyFile + ".tmp" + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    bool ok = writeAll(fd, text);
    ::close(fd);
    if (ok) ::rename(tmp.c_str(), opt_.readyFile.c_str());
}

Server::Conn* Server::newConn(Kind kind, int fd) {
    auto c = std::make_unique<Conn>();
    c->id = nextId_++;
    c->kind = kind;
    c->fd = fd;
    c->session = std::make_unique<Session>(printer_, faults_, kind != Kind::Parallel);
    transcript_.event(c->id, "OPEN",
                      kind == Kind::Tcp   ? "tcp"
                      : kind == Kind::Pty ? "pty"
                                          : "parallel");
    conns_.push_back(std::move(c));
    return conns_.back().get();
}

void Server::closeConn(Conn& c) {
    if (c.dead) return;
    c.dead = true;
    c.out.clear();
    if (c.session) c.session->end();
    transcript_.event(c.id, "CLOSE");
    if (c.kind == Kind::Tcp && c.fd >= 0) ::close(c.fd);
    if (&c == ptyConn_) {
        ptyConn_ = nullptr;
        // Keep the device raw for whoever opens it next.
        makeRaw(ptyMaster_);
    }
    if (&c == fifoConn_) fifoConn_ = nullptr;
    c.fd = -1;
}

void Server::receive(Conn& c) {
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(c.fd, buf, sizeof buf);
        if (n > 0) {
            transcript_.bytes(c.id, "RX", buf, static_cast<std::size_t>(n));
            if (!c.session->finished()) {
                for (auto& a : c.session->feed(std::string_view(buf, static_cast<std::size_t>(n))))
                    c.out.push_back(Pending{{}, false, std::move(a), {}, 0});
            }
            if (n < static_cast<ssize_t>(sizeof buf)) return;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        // End of stream (TCP), EIO (pty slave closed) or an error: the connection ends.
        closeConn(c);
        return;
    }
}

void Server::flush(Conn& c) {
    while (!c.dead && !c.out.empty()) {
        Pending& p = c.out.front();
        auto now = Clock::now();
        if (!p.timed) {
            p.due = now + std::chrono::milliseconds(p.action.delayMs);
            p.timed = true;
        }
        if (p.due > now) return;
        if (!p.action.bytes.empty()) {
            ssize_t n =
                c.kind == Kind::Tcp
                    ? ::send(c.fd, p.action.bytes.data(), p.action.bytes.size(), MSG_NOSIGNAL)
                    : ::write(c.fd, p.action.bytes.data(), p.action.bytes.size());
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
                closeConn(c);
                return;
            }
            if (p.action.repeat) {
                // An endless stream would swamp the transcript: its first bytes
                // are recorded, the rest is counted and left out.
                if (p.unit.empty()) p.unit = p.action.bytes;
                if (p.sent < p.unit.size())
                    transcript_.bytes(
                        c.id, "TX", p.action.bytes.data(),
                        std::min(static_cast<std::size_t>(n), p.unit.size() - p.sent));
                p.sent += static_cast<std::size_t>(n);
            } else {
                transcript_.bytes(c.id, "TX", p.action.bytes.data(), static_cast<std::size_t>(n));
            }
            p.action.bytes.erase(0, static_cast<std::size_t>(n));
            if (!p.action.bytes.empty()) return;  // wait until writable
            if (p.action.repeat) {
                // Once more, after the pause; back to the poll loop in between so
                // the host's bytes and a hang-up are still seen.
                p.action.bytes = p.unit;
                p.due = Clock::now() + std::chrono::milliseconds(p.action.delayMs);
                return;
            }
        }
        if (p.action.close) {
            // A pseudo-terminal cannot be hung up from our side without losing the
            // device; a dropped serial connection simply goes silent instead.
            if (c.kind == Kind::Tcp) {
                closeConn(c);
                return;
            }
        }
        c.out.pop_front();
    }
}

void Server::pollPty() {
    if (ptyMaster_ < 0 || ptyConn_) return;
    // No host has the device open: reads fail with EIO. A read that would block
    // (or delivers data) means the host has opened it.
    char buf[4096];
    ssize_t n = ::read(ptyMaster_, buf, sizeof buf);
    if (n < 0 && errno == EIO) return;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return;
    ptyConn_ = newConn(Kind::Pty, ptyMaster_);
    if (n > 0) {
        transcript_.bytes(ptyConn_->id, "RX", buf, static_cast<std::size_t>(n));
        for (auto& a : ptyConn_->session->feed(std::string_view(buf, static_cast<std::size_t>(n))))
            ptyConn_->out.push_back(Pending{{}, false, std::move(a), {}, 0});
        receive(*ptyConn_);
    }
}

int Server::nextTimeoutMs() {
    int timeout = 1000;
    if (ptyMaster_ >= 0 && !ptyConn_) timeout = 20;
    auto now = Clock::now();
    for (auto& c : conns_) {
        if (!c->dead && c->waitingSince) {
            const auto due = *c->waitingSince + std::chrono::milliseconds(opt_.ptyLatencyMs);
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
            timeout = std::min(timeout, static_cast<int>(std::max<long long>(ms, 0)) + 1);
        }
        if (c->dead || c->out.empty() || !c->out.front().timed) continue;
        auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(c->out.front().due - now).count();
        if (ms < 0) ms = 0;
        if (ms < timeout) timeout = static_cast<int>(ms) + 1;
    }
    return timeout;
}

void Server::reap() {
    std::erase_if(conns_, [](const std::unique_ptr<Conn>& c) { return c->dead; });
}

void Server::run() {
    std::vector<pollfd> fds;
    std::vector<Conn*> owners;
    while (!stopRequested()) {
        fds.clear();
        owners.clear();
        auto add = [&](int fd, short events, Conn* owner) {
            fds.push_back(pollfd{fd, events, 0});
            owners.push_back(owner);
        };
        if (g_wakePipe[0] >= 0) add(g_wakePipe[0], POLLIN, nullptr);
        if (listenFd_ >= 0) add(listenFd_, POLLIN, nullptr);
        if (fifoFd_ >= 0) add(fifoFd_, POLLIN, nullptr);
        if (udpFd_ >= 0) add(udpFd_, POLLIN, nullptr);
        for (auto& c : conns_) {
            if (c->dead || c->kind == Kind::Parallel) continue;
            // Bytes held back by the pseudo-terminal's latency are not looked
            // at again until their time has come.
            short ev = c->waitingSince ? 0 : POLLIN;
            if (!c->out.empty() && c->out.front().timed && c->out.front().due <= Clock::now())
                ev |= POLLOUT;
            add(c->fd, ev, c.get());
        }
        int r = ::poll(fds.data(), fds.size(), udpTimeoutMs(nextTimeoutMs()));
        if (r < 0 && errno != EINTR) break;
        if (stopRequested()) break;
        for (std::size_t i = 0; r > 0 && i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            int fd = fds[i].fd;
            if (fd == g_wakePipe[0]) {
                char b[16];
                while (::read(fd, b, sizeof b) > 0) {
                }
            } else if (fd == listenFd_) {
                for (;;) {
                    int s = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                    if (s < 0) break;
                    newConn(Kind::Tcp, s);
                }
            } else if (fd == udpFd_ && !owners[i]) {
                receiveUdp();
            } else if (fd == fifoFd_ && !owners[i]) {
                char buf[4096];
                for (;;) {
                    ssize_t n = ::read(fifoFd_, buf, sizeof buf);
                    if (n > 0) {
                        if (!fifoConn_) fifoConn_ = newConn(Kind::Parallel, fifoFd_);
                        transcript_.bytes(fifoConn_->id, "RX", buf, static_cast<std::size_t>(n));
                        fifoConn_->session->feed(
                            std::string_view(buf, static_cast<std::size_t>(n)));
                        continue;
                    }
                    if (n < 0 && errno == EINTR) continue;
                    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
                    // Every writer has closed: one parallel session is over.
                    if (fifoConn_) closeConn(*fifoConn_);
                    reopenParallel();
                    break;
                }
            } else if (Conn* c = owners[i]) {
                if (c->dead) continue;
                if ((fds[i].revents & POLLIN) && c->kind == Kind::Pty && opt_.ptyLatencyMs > 0) {
                    if (!c->waitingSince) c->waitingSince = Clock::now();
                } else if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                    receive(*c);
                }
                if (!c->dead && (fds[i].revents & POLLOUT)) flush(*c);
            }
        }
        for (auto& c : conns_) {
            if (c->dead || !c->waitingSince) continue;
            if (Clock::now() - *c->waitingSince < std::chrono::milliseconds(opt_.ptyLatencyMs))
                continue;
            c->waitingSince.reset();
            receive(*c);
        }
        pollPty();
        flushUdp();
        for (auto& c : conns_)
            if (!c->dead) flush(*c);
        reap();
    }
    for (auto& c : conns_) closeConn(*c);
    reap();
}

}  // namespace m350::sim
