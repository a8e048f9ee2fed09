// SPDX-License-Identifier: MIT
// A printer's own network settings over the link: the record the Ethernet
// setup dialog edits, read with the network report (link operation 20) and
// written with the address command (18) or the name command (19).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/link/link.h"

namespace m350 {

// Texts hold at most this many bytes (64-byte fields with their terminator).
constexpr std::size_t kNetTextMax = 63;

struct NetSettings {
    bool dhcp = false;
    std::string ip;  // configured address
    std::string mask;
    std::string gateway;
    std::string currentIp;  // in use; shown instead of ip while DHCP is on
    std::string name;       // the printer's network name
    std::string mac;        // text, shown read-only
    enum Action : int { kSetIp = 0, kSetName = 1 };
    int action = kSetIp;
    bool confirmed = false;
};

// Cuts a text to what its field holds.
std::string netText(std::string_view text);

// A text that can stand between the quotes of a NET command: printable ASCII
// without '"', at most kNetTextMax bytes.
bool netTextSendable(std::string_view text);

// Link operation 20: CONFIGIP (DHCP when it reads exactly "0.0.0.0"), GATEWAY,
// IPMASK, LASTUSEDIP, then NETNAME and MACADDR. A printer without NETNAME gives
// an empty name and MAC and still kOk; so does one without MACADDR.
int readNetSettings(Link& link, NetSettings& out);

// Link operation 18: "NET DHCP\r\n" when dhcp is set, whatever the address
// texts hold; otherwise NET IP "ip","mask","gateway". A text that could not
// stand in the command is refused with kTransmitError before the port opens.
int writeNetAddress(Link& link, const NetSettings& settings);

// Link operation 19: NET NAME "name".
int writeNetName(Link& link, const NetSettings& settings);

}  // namespace m350
