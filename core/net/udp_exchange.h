// SPDX-License-Identifier: MIT
// The UDP side of the network utilities: the discovery passes, the settings
// exchange with one device and the factory-default request. Where requests go
// and how long each wait lasts come from UdpTargets, so tests can aim them at
// loopback or at network namespaces of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/link/stop_token.h"
#include "core/net/net_settings.h"
#include "core/net/udp_protocol.h"

namespace m350 {

struct UdpTargets {
    std::string broadcast = "255.255.255.255";
    std::string multicast = "224.0.0.251";
    std::uint16_t port = kUdpPort;
    // A discovery pass ends this long after its last datagram ...
    int idleMs = 1000;
    // ... and never later than this after it started, so a stream of replies
    // cannot hold the window.
    int passLimitMs = 5000;
    // How long the settings exchange waits for each reply.
    int replyWaitMs = 3000;
    // The device list holds at most this many rows; further replies are dropped.
    std::size_t maxRows = 1000;
    // Called between short slices of every wait (the window repaints there).
    std::function<void()> pump;
    // When set and requested, every wait ends at its next slice: a discovery
    // pass stops collecting and the settings exchange gets no reply.
    const StopToken* stop = nullptr;
    bool stopped() const { return stop && stop->requested(); }
};

struct DiscoveryResult {
    bool socketOpened = false;
    bool listFull = false;   // maxRows was reached
    bool cancelled = false;  // targets.stop ended it
    // Every reply in arrival order, broadcast pass first; a device that
    // answers both passes is here twice.
    std::vector<DeviceReply> replies;
};

// Sends the discovery request with this sequence number to the broadcast
// address, collects replies, then sends it unchanged to the multicast address
// and collects again. onReply sees each reply as it is added.
DiscoveryResult discoverDevices(const UdpTargets& targets, std::uint32_t sequence,
                                const std::function<void(const DeviceReply&)>& onReply = {});

// The same replies with each MAC address once (the first reply wins).
std::vector<DeviceReply> mergeByMac(const std::vector<DeviceReply>& replies);

// One settings exchange with one device: its socket lives from the reads to
// the writes, and its request buffer is cleared once when it is made. Only a
// datagram that answers the request (isReplyTo: the device's MAC address, the
// request's command and sequence number) counts as its reply; any other is
// skipped and the wait goes on.
class UdpSettingsExchange {
  public:
    UdpSettingsExchange(const UdpTargets& targets, std::uint32_t sequence, const MacAddress& mac);
    ~UdpSettingsExchange();
    UdpSettingsExchange(const UdpSettingsExchange&) = delete;
    UdpSettingsExchange& operator=(const UdpSettingsExchange&) = delete;

    enum class ReadResult {
        kOk,
        kNoSocket,
        kNoIpSettings,   // no reply to the read-IP request, or one without the three addresses
        kNoAddressMode,  // no reply to the read-mode request
    };

    // False when no socket could be opened; nothing else happens then.
    bool open();
    // The read-IP and read-mode requests, each with its wait. kOk only when
    // both were answered; a missing reply leaves its fields as they were, and
    // the record must then not be written back.
    ReadResult readSettings(NetSettings& settings);
    // The name, IP settings, address mode and apply requests, in this order,
    // each followed by a wait whose reply is not examined. Nothing is sent,
    // and false returned, when an address field is not an IPv4 address
    // (parseIpv4) or no socket is open: the printer must never be sent
    // FF FF FF FF in place of a mistyped address.
    bool writeSettings(const NetSettings& settings);

  private:
    bool send(const std::vector<std::uint8_t>& datagram);
    std::optional<std::vector<std::uint8_t>> awaitReply(std::uint16_t command);

    UdpTargets targets_;
    SettingsRequests requests_;
    int fd_ = -1;
};

// Sends the factory-default request to the device and does not wait for an
// answer. False when no socket could be opened or the send failed.
bool sendUdpFactoryDefault(const UdpTargets& targets, std::uint32_t sequence,
                           const MacAddress& mac);

}  // namespace m350
