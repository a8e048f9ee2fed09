// SPDX-License-Identifier: MIT
#include "support/hostile_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace m350test {

namespace {

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
    if (fd >= 0) ::close(fd);
    return -1;
}

// Closes with RST instead of FIN.
void resetAndClose(int fd) {
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    ::close(fd);
}

// Bytes both ways until either side closes or stop is set.
void relay(int a, int b, const std::atomic<bool>& stop) {
    char buf[4096];
    while (!stop) {
        pollfd p[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
        if (::poll(p, 2, 50) < 0) return;
        for (int i = 0; i < 2; ++i) {
            if (!p[i].revents) continue;
            const ssize_t n = ::read(p[i].fd, buf, sizeof buf);
            if (n <= 0) return;
            const int to = i == 0 ? b : a;
            for (ssize_t done = 0; done < n;) {
                const ssize_t w =
                    ::send(to, buf + done, static_cast<std::size_t>(n - done), MSG_NOSIGNAL);
                if (w <= 0) return;
                done += w;
            }
        }
    }
}

// Reads until count bytes have come (or the peer goes or stop is set).
void take(int fd, int count, const std::atomic<bool>& stop) {
    char buf[512];
    int got = 0;
    while (!stop && got < count) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = ::read(
            fd, buf, std::min<std::size_t>(sizeof buf, static_cast<std::size_t>(count - got)));
        if (n <= 0) return;
        got += static_cast<int>(n);
    }
}

}  // namespace

HostilePeer::HostilePeer(int upstreamPort) : upstream_(upstreamPort) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    // Accepted sockets inherit the smallest receive buffer, so a peer that
    // stops reading blocks the writer after a few kilobytes.
    int small = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0 ||
        ::pipe2(wake_, O_CLOEXEC)) {
        ::close(fd);
        return;
    }
    listener_ = fd;
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { serve(); });
}

HostilePeer::~HostilePeer() {
    stop_ = true;
    if (wake_[1] >= 0) (void)!::write(wake_[1], "x", 1);
    if (thread_.joinable()) thread_.join();
    for (int fd : {listener_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

void HostilePeer::serve() {
    std::vector<std::thread> workers;
    while (!stop_) {
        pollfd p[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 || p[1].revents) break;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ++accepted_;
        workers.emplace_back([this, fd] { handle(fd); });
    }
    for (auto& w : workers) w.join();
}

void HostilePeer::handle(int fd) {
    switch (mode_.load()) {
        case PeerMode::kRelay: {
            const int up = connectTo(upstream_);
            if (up >= 0) {
                relay(fd, up, stop_);
                ::close(up);
            }
            ::close(fd);
            return;
        }
        case PeerMode::kReset:
            take(fd, resetAfter_, stop_);
            resetAndClose(fd);
            return;
        case PeerMode::kStall:
            while (!stop_) {
                pollfd p{fd, POLLRDHUP, 0};
                ::poll(&p, 1, 50);
                if (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) break;
            }
            ::close(fd);
            return;
    }
}

HostileTerminal::HostileTerminal(PeerMode mode, int resetAfter) {
    const int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m < 0 || ::grantpt(m) != 0 || ::unlockpt(m) != 0) {
        if (m >= 0) ::close(m);
        return;
    }
    master_ = m;
    path_ = ::ptsname(m);
    if (mode == PeerMode::kReset)
        thread_ = std::thread([this, resetAfter] {
            take(master_, resetAfter, stop_);
            // The line hangs up: the writer's next write fails (EIO).
            const int fd = master_;
            master_ = -2;
            ::close(fd);
        });
}

HostileTerminal::~HostileTerminal() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
}

}  // namespace m350test
