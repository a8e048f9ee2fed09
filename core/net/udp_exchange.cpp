// SPDX-License-Identifier: MIT
#include "core/net/udp_exchange.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <set>

namespace m350 {

namespace {

using Clock = std::chrono::steady_clock;

// Waits are cut into slices so the window repaints while a pass runs.
constexpr int kUdpSliceMs = 50;

int openSocket() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendTo(int fd, const std::string& host, std::uint16_t port,
            const std::vector<std::uint8_t>& datagram) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1) return false;
    for (;;) {
        const ssize_t n = ::sendto(fd, datagram.data(), datagram.size(), 0,
                                   reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (n >= 0) return static_cast<std::size_t>(n) == datagram.size();
        if (errno != EINTR) return false;
    }
}

// Waits until fd is readable or until deadline; true when readable.
bool waitReadable(int fd, Clock::time_point deadline, const UdpTargets& targets) {
    for (;;) {
        if (targets.stopped()) return false;
        // Rounded up, so a wait never ends before its deadline.
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kUdpSliceMs)));
        if (r > 0) return (p.revents & POLLIN) != 0;
        if (r < 0 && errno != EINTR) return false;
        if (targets.pump) targets.pump();
    }
}

// One datagram, cut to the receive buffer; nullopt when nothing is waiting.
std::optional<std::vector<std::uint8_t>> receiveOne(int fd) {
    std::vector<std::uint8_t> buf(kUdpReceiveSize);
    for (;;) {
        const ssize_t n = ::recv(fd, buf.data(), buf.size(), 0);
        if (n >= 0) {
            buf.resize(static_cast<std::size_t>(n));
            return buf;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return std::nullopt;
        // An error reported for an earlier send (ICMP unreachable): skip it.
        return std::vector<std::uint8_t>{};
    }
}

// One pass: every datagram that arrives until idleMs pass without one, or the
// pass limit, or the list is full.
void collect(int fd, const UdpTargets& t, DiscoveryResult& result,
             const std::function<void(const DeviceReply&)>& onReply) {
    const auto passEnd = Clock::now() + std::chrono::milliseconds(t.passLimitMs);
    while (result.replies.size() < t.maxRows) {
        const auto idleEnd = Clock::now() + std::chrono::milliseconds(t.idleMs);
        if (!waitReadable(fd, std::min(idleEnd, passEnd), t)) return;
        while (result.replies.size() < t.maxRows) {
            auto datagram = receiveOne(fd);
            if (!datagram) break;
            if (auto reply = parseDeviceReply(datagram->data(), datagram->size())) {
                result.replies.push_back(*reply);
                if (onReply) onReply(result.replies.back());
            }
        }
        if (Clock::now() >= passEnd) return;
    }
    result.listFull = true;
}

}  // namespace

DiscoveryResult discoverDevices(const UdpTargets& t, std::uint32_t sequence,
                                const std::function<void(const DeviceReply&)>& onReply) {
    DiscoveryResult result;
    const int fd = openSocket();
    if (fd < 0) return result;
    result.socketOpened = true;
    const auto request = discoveryRequest(sequence);
    for (const std::string* to : {&t.broadcast, &t.multicast}) {
        if (result.replies.size() >= t.maxRows || t.stopped()) break;
        sendTo(fd, *to, t.port, request);
        collect(fd, t, result, onReply);
    }
    ::close(fd);
    result.cancelled = t.stopped();
    return result;
}

std::vector<DeviceReply> mergeByMac(const std::vector<DeviceReply>& replies) {
    std::vector<DeviceReply> out;
    std::set<MacAddress> seen;
    for (const auto& r : replies)
        if (seen.insert(r.mac).second) out.push_back(r);
    return out;
}

UdpSettingsExchange::UdpSettingsExchange(const UdpTargets& targets, std::uint32_t sequence,
                                         const MacAddress& mac)
    : targets_(targets), requests_(sequence, mac) {}

UdpSettingsExchange::~UdpSettingsExchange() {
    if (fd_ >= 0) ::close(fd_);
}

bool UdpSettingsExchange::open() {
    if (fd_ < 0) fd_ = openSocket();
    return fd_ >= 0;
}

bool UdpSettingsExchange::send(const std::vector<std::uint8_t>& datagram) {
    return fd_ >= 0 && sendTo(fd_, targets_.broadcast, targets_.port, datagram);
}

std::optional<std::vector<std::uint8_t>> UdpSettingsExchange::awaitReply(std::uint16_t command) {
    const auto end = Clock::now() + std::chrono::milliseconds(targets_.replyWaitMs);
    while (waitReadable(fd_, end, targets_)) {
        auto d = receiveOne(fd_);
        if (d && isReplyTo(d->data(), d->size(), command, requests_.sequence(), requests_.target()))
            return d;
    }
    return std::nullopt;
}

UdpSettingsExchange::ReadResult UdpSettingsExchange::readSettings(NetSettings& s) {
    if (fd_ < 0) return ReadResult::kNoSocket;
    send(requests_.readIp());
    const auto ipReply = awaitReply(kUdpReadSettings);
    IpSettingsReply ip;
    if (ipReply) ip = parseIpSettingsReply(ipReply->data(), ipReply->size());
    if (ip.ip) s.ip = s.currentIp = ipv4ToText(*ip.ip);
    if (ip.mask) s.mask = ipv4ToText(*ip.mask);
    if (ip.gateway) s.gateway = ipv4ToText(*ip.gateway);
    send(requests_.readMode());
    std::optional<bool> dhcp;
    if (auto d = awaitReply(kUdpReadSettings)) dhcp = parseModeReply(d->data(), d->size());
    if (dhcp) s.dhcp = *dhcp;
    if (!ip.ip || !ip.mask || !ip.gateway) return ReadResult::kNoIpSettings;
    if (!dhcp) return ReadResult::kNoAddressMode;
    return ReadResult::kOk;
}

bool UdpSettingsExchange::writeSettings(const NetSettings& s) {
    if (fd_ < 0) return false;
    const auto ip = parseIpv4(s.ip), mask = parseIpv4(s.mask), gateway = parseIpv4(s.gateway);
    if (!ip || !mask || !gateway) return false;
    send(requests_.writeName(s.name));
    awaitReply(kUdpWriteSettings);
    send(requests_.writeIp(*ip, *mask, *gateway));
    awaitReply(kUdpWriteSettings);
    send(requests_.writeMode(s.dhcp));
    awaitReply(kUdpWriteSettings);
    send(requests_.apply());
    awaitReply(kUdpWriteSettings);
    return true;
}

bool sendUdpFactoryDefault(const UdpTargets& targets, std::uint32_t sequence,
                           const MacAddress& mac) {
    const int fd = openSocket();
    if (fd < 0) return false;
    const bool sent =
        sendTo(fd, targets.broadcast, targets.port, factoryDefaultRequest(sequence, mac));
    ::close(fd);
    return sent;
}

}  // namespace m350
