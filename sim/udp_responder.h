// SPDX-License-Identifier: MIT
// The printer's side of the UDP protocol on port 22368: discovery replies built
// from the printer's state, the settings reads, the settings writes (kept until
// the apply request) and the factory default. Nothing here touches a socket;
// the server hands in each datagram with the address it was sent to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "printer.h"

namespace m350::sim {

struct UdpBehaviour {
    // Which discovery requests are answered: "both", "broadcast" (any address
    // but a multicast group), "multicast" or "none" (silent).
    std::string answer = "both";
    // Extra copies of each discovery reply, sent floodIntervalMs apart.
    int floodCount = 0;
    int floodIntervalMs = 1;
    std::uint8_t state = 0;
    std::uint8_t flags = 0;
    std::string model = "M350";
    // Settings reads left unanswered: item 4 (IP settings), item 5 (address mode).
    bool dropReadIp = false;
    bool dropReadMode = false;
    // Before each settings-read reply, another answer arrives first that is
    // not the reply to it: "mac" (another device, 02:00:00:00:77:99), "sequence"
    // (an earlier exchange) or "command" (not a settings reply). It reports
    // the address 10.77.0.99 and DHCP. Empty: none.
    std::string impostor;
};

class UdpResponder {
  public:
    UdpResponder(Printer& printer, UdpBehaviour behaviour);

    // The datagrams to send back to the sender, in order. multicast: the
    // request was sent to a multicast group.
    std::vector<std::string> handle(const std::string& datagram, bool multicast);

    const UdpBehaviour& behaviour() const { return b_; }

  private:
    bool addressedToMe(const std::string& d) const;
    std::string discoveryReply(const std::string& request) const;
    std::string readReply(const std::string& request) const;
    std::string impostorReply(const std::string& request) const;
    void write(const std::string& request);

    Printer& printer_;
    UdpBehaviour b_;
    // Writes wait here until the apply request.
    std::string pendingName_;
    std::string pendingIp_, pendingMask_, pendingGateway_;
    int pendingMode_ = -1;  // -1 none, 0 static, 1 DHCP
    bool hasName_ = false, hasIp_ = false;
};

// "02:00:00:35:00:01" to six bytes; false when it is not that form.
bool macFromText(const std::string& text, unsigned char out[6]);

}  // namespace m350::sim
