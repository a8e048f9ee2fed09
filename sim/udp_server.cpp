// SPDX-License-Identifier: MIT
// The simulator's UDP endpoint: one socket for the printer's discovery and
// settings protocol, every datagram in and out in the transcript (one
// transcript connection "udp", one RX or TX line per datagram).
//
// A simulator in this machine's own network namespace binds a loopback
// address only. Binding 0.0.0.0, which broadcasts and multicast need, is for
// network namespaces that tests make for themselves; there the simulator also
// joins the multicast group on every interface.
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <linux/nsfs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "server.h"

namespace m350::sim {

namespace {

constexpr const char* kMulticastGroup = "224.0.0.251";

std::string readLink(const char* path) {
    char buf[256];
    const ssize_t n = ::readlink(path, buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

// A network namespace of its own: one that some ancestor process (the test
// that made it) is outside of, or one owned by a user namespace that is not
// the machine's (unshare -rn). Anything else may be the machine's own network.
bool inOwnNamespace() {
    const std::string mine = readLink("/proc/self/ns/net");
    if (mine.empty()) return false;
    for (pid_t pid = ::getppid(); pid > 1;) {
        const std::string base = "/proc/" + std::to_string(pid);
        const std::string theirs = readLink((base + "/ns/net").c_str());
        if (!theirs.empty() && theirs != mine) return true;
        std::ifstream stat(base + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos) break;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent <= 0 || parent == pid) break;
        pid = parent;
    }
    std::ifstream map("/proc/self/uid_map");
    unsigned long inside = 0, outside = 0, count = 0;
    map >> inside >> outside >> count;
    if (inside == 0 && outside == 0 && count == 4294967295UL) return false;
    const int net = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    if (net < 0) return false;
    const int owner = ::ioctl(net, NS_GET_USERNS);
    ::close(net);
    if (owner < 0) return false;
    struct stat ownerStat {
    }, userStat{};
    const bool same = ::fstat(owner, &ownerStat) == 0 &&
                      ::stat("/proc/self/ns/user", &userStat) == 0 &&
                      ownerStat.st_ino == userStat.st_ino && ownerStat.st_dev == userStat.st_dev;
    ::close(owner);
    return same;
}

bool isLoopback(const sockaddr_storage& a) {
    if (a.ss_family != AF_INET) return false;
    const auto* in = reinterpret_cast<const sockaddr_in*>(&a);
    return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
}

void joinGroupEverywhere(int fd) {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return;
    for (ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP)) continue;
        ip_mreq m{};
        ::inet_pton(AF_INET, kMulticastGroup, &m.imr_multiaddr);
        m.imr_interface = reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr;
        ::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &m, sizeof m);
    }
    ::freeifaddrs(list);
}

}  // namespace

bool Server::openUdp(std::string& error) {
    std::string host = opt_.udp, port = "22368";
    if (auto colon = host.rfind(':'); colon != std::string::npos) {
        port = host.substr(colon + 1);
        host = host.substr(0, colon);
    }
    if (host == "localhost") host = "127.0.0.1";
    if (port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535) {
        error = "bad port in --udp " + opt_.udp;
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
        error = "--udp host must be an IPv4 address: " + host;
        return false;
    }
    const bool any = addr.sin_addr.s_addr == htonl(INADDR_ANY);
    const bool loopback = (ntohl(addr.sin_addr.s_addr) >> 24) == 127;
    if (!loopback && !(any && inOwnNamespace())) {
        error =
            "--udp host must be a loopback address (127.x.x.x); 0.0.0.0 only inside a "
            "network namespace of its own: " +
            host;
        return false;
    }
    udpAnyPeer_ = any;
    udpFd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (udpFd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    // Several simulators may share the port: each gets its own copy of a
    // broadcast or multicast datagram.
    int one = 1;
    ::setsockopt(udpFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(udpFd_, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
    if (::bind(udpFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = "cannot bind --udp " + opt_.udp + ": " + std::strerror(errno);
        return false;
    }
    if (any) joinGroupEverywhere(udpFd_);
    socklen_t len = sizeof addr;
    ::getsockname(udpFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    udp_ = std::make_unique<UdpResponder>(printer_, opt_.udpBehaviour);
    udpConnId_ = nextId_++;
    transcript_.event(udpConnId_, "OPEN", "udp");
    ready_.push_back("udp " + host + ":" + std::to_string(ntohs(addr.sin_port)));
    return true;
}

void Server::receiveUdp() {
    // At most a bounded number per wake-up so a flood of our own replies
    // still gets sent.
    for (int round = 0; round < 64; ++round) {
        char buf[4096];
        char control[256];
        sockaddr_storage from{};
        iovec iov{buf, sizeof buf};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(udpFd_, &msg, 0);
        if (n < 0) return;
        transcript_.bytes(udpConnId_, "RX", buf, static_cast<std::size_t>(n));
        bool multicast = false;
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                multicast = IN_MULTICAST(ntohl(info.ipi_addr.s_addr));
            }
        }
        // Only loopback peers, unless the simulator lives in a namespace of its own.
        if (!udpAnyPeer_ && !isLoopback(from)) continue;
        auto replies = udp_->handle(std::string(buf, static_cast<std::size_t>(n)), multicast);
        auto due = Clock::now();
        for (std::size_t i = 0; i < replies.size(); ++i) {
            if (i > 0) due += std::chrono::milliseconds(udp_->behaviour().floodIntervalMs);
            udpOut_.emplace(due, UdpSend{std::move(replies[i]), from, msg.msg_namelen});
        }
    }
}

void Server::flushUdp() {
    const auto now = Clock::now();
    while (!udpOut_.empty() && udpOut_.begin()->first <= now) {
        UdpSend& s = udpOut_.begin()->second;
        const ssize_t n = ::sendto(udpFd_, s.bytes.data(), s.bytes.size(), 0,
                                   reinterpret_cast<const sockaddr*>(&s.to), s.toLen);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n > 0) transcript_.bytes(udpConnId_, "TX", s.bytes.data(), static_cast<std::size_t>(n));
        udpOut_.erase(udpOut_.begin());
    }
}

int Server::udpTimeoutMs(int timeout) const {
    if (udpOut_.empty()) return timeout;
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(udpOut_.begin()->first - Clock::now())
            .count();
    return static_cast<int>(std::max<long long>(0, std::min<long long>(timeout, ms + 1)));
}

}  // namespace m350::sim
